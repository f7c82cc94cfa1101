#pragma once
// Plugs the reports into the main window: the list reports, the lines-per-page setting and the
// two CSV exports its Reports menu calls, and the report window other subsystems show.
namespace reports {

// Registers the openers with songlist::OtherWindows:
// - "ShowListReport" (argument "Artist", "Song" or "Path"), "mnuRptLinesPerPage",
//   "ExportToCsv" (argument "True" with the notes, else without);
// - the database upkeep commands of the File and Edit menus (OtherWindows::OpenDatabase,
//   CompactDatabase, DeleteAll, DeleteDisplayed, DeleteDuplicates, DeleteDuplicatesAlbum);
// - "RichTextForm": the argument is an RTF text, loaded into the report window's box; the
//   window is then shown modally;
// - the catalogue clean-up commands and windows (see registerCleanupWindows).
void registerWindows();

} // namespace reports
