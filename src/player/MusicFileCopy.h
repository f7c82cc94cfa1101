#pragma once
// Copying music files into a folder the user picks (a memory stick, a portable player): every
// file the main grid displays, the grid's current song, or every file of the play list shown in
// the play-list window. Nothing is written to the catalogue. The many-file copies never replace
// a file already in the folder, so each file name is copied once; the single copy asks first
// and replaces only a different file, through a temporary name.
#include <QString>

namespace player {

class frmPlayList;

class MusicFileCopy {
public:
    // The main window's "Copy All Displayed Files (Export) ..." and the grid pop-up's
    // "Copy File ...".
    static void mnuFileCopy_Click();
    static void mnuPopupCopyFile_Click();
    // The play-list window's "Copy music files to another folder ...".
    static void mnuFileCopyMusic_Click(frmPlayList &w);

    // Settles the folder the folder choice starts in (LastCopyFolder): the user's music folder
    // when none was chosen yet.
    static QString startFolder();

    // Copies `source` to `target` unless a file `target` exists. True when copied; false when
    // the target exists or the source is missing. The copy reaches `target` whole or not at
    // all, even when the program is killed meanwhile (core::NoReplaceFiles); the many-file
    // copies first clear what such a kill left in their folder. Throws core::FileError (the
    // target's name and the reason) when the copy fails; nothing of it is then left.
    static bool copyNew(const QString &source, const QString &target);
    // Copies `source` over `target`: the copy is written under a temporary name in the target's
    // folder and renamed over the target once whole, so the old file stays until then. Throws
    // core::FileError with the reason.
    static void copyReplacing(const QString &source, const QString &target);

    // Registers the two main-window commands with songlist::OtherWindows (once at start).
    static void registerCommands();
};

} // namespace player
