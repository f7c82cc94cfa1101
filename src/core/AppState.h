#pragma once
// The run-time state every subsystem shares (the program's module-level variables). All of it
// is zeroed at start; Main gives the start-up values, and the subsystem that owns a variable
// writes it. Reach it through core::g().
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <QHash>
#include <QString>
#include <memory>

namespace core {

struct AppState {
    // Start-up (set by Main)
    QString DataFolder;            // folder of the catalogue, ending in "/"
    QString DatabasePath;          // full path of the open catalogue
    QString LastCopyFolder;        // folder last chosen in a folder or file dialog
    QHash<QString, QString> DialogFolders; // the folder each start-less file dialog last chose in this run
    QString ScreenFontName;
    bool TabletModeOn = false;
    int WinMajorVersion = 0;
    QString ReportLinesPerPage;
    QString ProductName;
    bool PlayOnlyMode = false;
    QString PlayPath;
    QString PlayCaption;
    bool ReopeningDatabase = false;
    std::unique_ptr<platform::db::Database> Db;
    std::unique_ptr<platform::db::Recordset> ContactsTable;

    // Main window options held in memory
    bool FileRenameDisabled = false;
    bool RememberWindowSize = false;

    // Record-source parts of the main grid
    QString RecordSourceName;
    QString WhereClause;
    QString CriteriaClause;
    QString CategoryClause;
    QString SelectedClause;
    QString OrderByClause;
    QString SavedRecordSource;
    QString LastCriteriaText;      // the filter text last applied or left in the filter window
    bool SortIsDate = false;
    QString LocateCriteria;
    long SelectedCount = 0;

    // Editor hand-over
    bool EditingExistingRecord = false;
    bool RecordChanged = false;
    bool RecordSaved = false;
    long TemplateRecordId = 0;
    int AssignCatgOnAdd = 0;
    long EditorLeft = 0;           // twips; the editor's place when it last closed (0 = never)
    long EditorTop = 0;
    long LastSavedRecordId = 0;    // RecordID of the row the editor last wrote
    bool NewRecordAdded = false;   // that write added a new row
    long NotesLeft = 0;            // twips; the song notes window's rectangle for this run
    long NotesTop = 0;
    long NotesWidth = 0;
    long NotesHeight = 0;

    // Picture hand-over
    int CurrentPictureSlot = 0;
    bool PictureChanged = false;
    bool PastingImage = false;

    // Player hand-over
    bool PlayFromMain = false;
    bool PlayFromFolder = false;
    bool PlayFromEditor = false;
    bool PlayerOpen = false;
    int PlayerTop = 0;             // twips: where the player window was last closed
    int PlayerLeft = 0;
    QString CurrentPlayList;
    QString PlayListFileFolder;        // start folder of the save dialog for .m3u files, kept for the run
    QString PlayerSelectedList;
    bool PlayListAddSongMode = false;
    bool StopPlayOneByOne = false;     // ends a one-at-a-time run of a play list
    bool HeaderEditMode = false;       // True while the play-list dialog edits the chosen list
    bool DetailAddMode = false;        // True while the track dialog adds a track by hand
    bool DetailEditMode = false;       // True while the track dialog edits the selected track

    // Category window hand-over: set while the category window's own click may still reach the
    // main grid, which then does not arm the mark toggle.
    bool CategoryFormJustLoaded = false;

    // Import
    bool CancelScan = false;

    // The program's own folder (where the executable lies). Tests set it; empty means
    // QCoreApplication::applicationDirPath().
    QString ProgramFolderOverride;
};

AppState &g();
// Zeroes every variable (closing the database first), as at program start.
void resetState();
// The program's own folder, without a trailing "/".
QString programFolder();
// A file the program ships, share/orvalis/`name`: in the program's folder (the build tree) or
// beside it (an installation); the first of the two when neither exists.
QString shippedFile(const QString &name);

} // namespace core
