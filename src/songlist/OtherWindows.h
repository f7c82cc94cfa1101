#pragma once
// The windows of later subsystems that the main window opens (the song editor, the category,
// filter and notes windows ...), and the main window's procedures those subsystems provide
// (filling the picture viewer). They are built in libraries above this one, so each registers
// its opener here when the program starts. Opening a window that no subsystem registered yet
// does nothing, without a message.
#include <QString>
#include <functional>

namespace songlist {

class OtherWindows {
public:
    // Window and procedure names the main window uses.
    static constexpr const char *NameEdit = "NameEdit";
    static constexpr const char *CategoryAssign = "CategoryAssign";
    static constexpr const char *CategoryForm = "CategoryForm";
    static constexpr const char *CriteriaForm = "CriteriaForm";
    static constexpr const char *CatgAssignAll = "CatgAssignAll";
    static constexpr const char *MemoForm = "MemoForm";
    static constexpr const char *frmChangeFilePath = "frmChangeFilePath";
    static constexpr const char *frmReplace = "frmReplace";
    // The main window's checks for songs whose files are missing and for unused pictures.
    static constexpr const char *mnuFindInvalidFilenames = "mnuFindInvalidFilenames";
    static constexpr const char *OphanedPictures = "OphanedPictures";
    static constexpr const char *LoadSongPictures = "LoadSongPictures";
    // The main window's picture commands: the Pictures button and emptying the deleted pictures.
    static constexpr const char *cmdPictures = "NameList.cmdPictures";
    static constexpr const char *EmptyDeletedPicturesFolder = "NameList.EmptyDeletedPicturesFolder";
    // The main window's play commands, which hand songs to the player.
    static constexpr const char *PlayCurrentSong = "NameList.cmdPlay";
    static constexpr const char *PlayAllSongs = "NameList.cmdPlayAll";
    static constexpr const char *PlayFolder = "NameList.mnuPlayFolder";
    static constexpr const char *PlayFolderAndSubfolders = "NameList.mnuPlayFolderAndSubfolders";
    // The grid pop-up's "Add to PlayList" (the play-list subsystem does its work).
    static constexpr const char *PopupAddToPlaylist = "NameList.mnuPopupAddToPlaylist";
    // The main window's commands that copy music files to a folder.
    static constexpr const char *CopyDisplayedFiles = "NameList.mnuFileCopy";
    static constexpr const char *CopyCurrentFile = "NameList.mnuPopupCopyFile";
    // Windows and commands the song editor opens.
    static constexpr const char *NotesForm = "NotesForm";
    static constexpr const char *PictureForm = "PictureForm";
    static constexpr const char *NameEditPlay = "NameEdit.cmdPlay";
    static constexpr const char *NameEditAddToPlaylist = "NameEdit.cmdAddToPlaylist";
    // The reports: the argument is the report kind, or "True" for the export with notes.
    static constexpr const char *ShowListReport = "ShowListReport";
    static constexpr const char *mnuRptLinesPerPage = "mnuRptLinesPerPage";
    static constexpr const char *ExportToCsv = "ExportToCsv";
    // The report window; the argument is the RTF text it shows.
    static constexpr const char *RichTextForm = "RichTextForm";
    // The commands that compact, empty or replace the catalogue and delete displayed or
    // duplicate songs (no argument).
    static constexpr const char *OpenDatabase = "NameList.OpenDatabase";
    static constexpr const char *CompactDatabase = "NameList.mnuCompactDatabase";
    static constexpr const char *DeleteAll = "NameList.mnuDeleteAll";
    static constexpr const char *DeleteDisplayed = "NameList.mnuDeleteDisplayed";
    static constexpr const char *DeleteDuplicates = "NameList.mnuDeleteDuplicates";
    static constexpr const char *DeleteDuplicatesAlbum = "NameList.mnuDeleteDuplicatesAlbum";
    // The play-list window and the window it opens to change stored paths.
    static constexpr const char *frmPlayList = "frmPlayList";
    static constexpr const char *frmChangeFileNamePath = "frmChangeFileNamePath";

    // Shows the window modally (or runs the procedure) and returns when it is done. `caption`
    // is the window's caption where the caller sets one (the song editor), the procedure's
    // argument where it takes one, else empty.
    using Opener = std::function<void(const QString &caption)>;

    // Registers (or, with an empty function, removes) the opener of a window.
    static void set(const QString &name, Opener opener);
    static bool has(const QString &name);
    // Runs the opener; false when none is registered (nothing happened).
    static bool open(const QString &name, const QString &caption = {});
    // Removes every opener (tests).
    static void clear();
};

} // namespace songlist
