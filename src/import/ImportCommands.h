#pragma once
// The main window's import commands: add a folder of music with its subfolders, add one music
// file, and scan a whole mounted volume. None of them runs while the player is open.
namespace import {

class ImportHost;

// File menu "Add a Folder of Music Files (including subfolders) ...".
void AddFolderCommand(ImportHost &host);
// File menu "Add One Music File ...".
void AddFileCommand(ImportHost &host);
// File menu "Add All Music Files (Scan Entire Drive) ...": opens ScanDriveForm modally.
void ScanFilesCommand(ImportHost &host);

} // namespace import
