#pragma once
// The main window: the song grid over the catalogue with the commands around it.
//
// Controls and menu entries are public members named as the program's other windows know them
// (each widget's objectName is its member name). Command handlers are public methods named
// after the control and the event (cmdAdd_Click, ShowAllMenu_Click, ...); a menu entry or
// button whose handler is not built yet is present and does nothing.
//
// Positions and sizes of the controls are kept in twips (controlRect / setControlRect) and
// drawn at the screen's resolution; the resize rule works on those values.
#include "core/WheelTarget.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Label.h"
#include "songlist/RecordSourceParts.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>

namespace core {
class CommonDialogControl;
}

class QAbstractButton;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace songlist {

class CommandWiring;

// A control's place and size in twips, relative to the window's client area.
struct TwRect {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool operator==(const TwRect &) const = default;
};

class NameList : public platform::ui::Form<QMainWindow>, public core::WheelTarget {
    Q_OBJECT
public:
    explicit NameList(QWidget *parent = nullptr);
    ~NameList() override;

    // The loaded main window, or nullptr.
    static NameList *instance();

    // Designed size of the window (twips) and the smallest width the resize rule allows.
    static constexpr double DesignWidth = 15360;
    static constexpr double DesignHeight = 11100;
    static constexpr double MinimumWidth = 10100;
    // The lowest remembered height the window opens at: its grid shows a few rows above the
    // song's box and the buttons under it.
    static constexpr double MinimumHeight = 5000;
    // The designed background colour (a colour value, low byte red).
    static constexpr qint64 DesignBackColor = 0x808040;

    // ---- controls ------------------------------------------------------------------------
    platform::ui::DataControl *Data1 = nullptr;
    platform::ui::DbGrid *Table1 = nullptr;
    core::CommonDialogControl *CMDialog1 = nullptr;  // its FileName carries a picture path
    QComboBox *cmbSort = nullptr;
    QLabel *lblSort = nullptr;
    QLineEdit *txtLocate = nullptr;
    QLabel *lblLocate = nullptr;
    QFrame *FrameAlpha = nullptr;
    QList<QLabel *> lblAlphabet;  // 38 labels; property "Index" holds each one's index
    QLabel *lblFilterMsg = nullptr;
    // Every caption set through it runs lblCategory_Change (the Add rule).
    platform::ui::Label *lblCategory = nullptr;
    QLabel *lblSelectedCount = nullptr;
    QLabel *lblHeader = nullptr;
    QLabel *lblMargin = nullptr;
    QPlainTextEdit *txtName = nullptr;
    QLineEdit *TextBackground = nullptr;
    QLineEdit *txtSongAddedToPlaylist = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdExitSign = nullptr;
    QPushButton *cmdShowAll = nullptr;
    QPushButton *cmdShowSelected = nullptr;
    QPushButton *cmdShowArtistSongs = nullptr;
    QPushButton *cmdFind = nullptr;
    QPushButton *cmdFilter = nullptr;
    QPushButton *cmdCategory = nullptr;
    QPushButton *cmdAssignCatg = nullptr;
    QPushButton *cmdCount = nullptr;
    QPushButton *cmdNotes = nullptr;
    QPushButton *cmdPictures = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdPlay = nullptr;
    QPushButton *cmdPlayAll = nullptr;
    QPushButton *cmdPlayList = nullptr;
    QPushButton *cmdSortArtist = nullptr;
    QPushButton *cmdSortSong = nullptr;

    // ---- menus ---------------------------------------------------------------------------
    QMenu *File = nullptr;
    QAction *OpenDatabase = nullptr, *mnuCompactDatabase = nullptr, *AddMusicFolder = nullptr,
            *AddOneMusicFile = nullptr, *ScanFiles = nullptr, *mnuFileCopy = nullptr, *Export = nullptr,
            *ExportWithNotes = nullptr, *Category = nullptr, *SelectionCriteria = nullptr,
            *SelectColor = nullptr, *RestoreColor = nullptr, *mnuFileFont = nullptr,
            *mnuDeleteDisplayed = nullptr, *mnuDeleteAll = nullptr, *FileExit = nullptr;
    QMenu *EditMenu = nullptr;
    QAction *AddMenu = nullptr, *EditViewMenu = nullptr, *FindEditMenu = nullptr, *mnuReplace = nullptr,
            *mnuChangePaths = nullptr, *AssignCatgMenu = nullptr, *AssignAllToCatg = nullptr,
            *RemoveAllFromCatg = nullptr, *GridEditMenu = nullptr, *mnuFindInvalidFilenames = nullptr,
            *Separator1 = nullptr, *mnuShowDuplicates = nullptr, *mnuShowDuplicatesToDelete = nullptr,
            *mnuDeleteDuplicates = nullptr, *Separator2 = nullptr, *mnuShowDuplicatesAlbum = nullptr,
            *mnuShowDuplicatesToDeleteAlbum = nullptr, *mnuDeleteDuplicatesAlbum = nullptr,
            *ShowAllMenu = nullptr, *ShowSelectedOnlyMenu = nullptr, *HideSelectedMenu = nullptr,
            *RemoveSelectionsMenu = nullptr, *DisplayRecCntMenu = nullptr;
    QMenu *PlayMenu = nullptr;
    QAction *mnuPlayCurrentSong = nullptr, *mnuPlayAllSongs = nullptr, *mnuPlayFolder = nullptr,
            *mnuPlayFolderAndSubfolders = nullptr;
    QMenu *ReportsMenu = nullptr;
    QAction *mnuArtistRpt = nullptr, *mnuSongRpt = nullptr, *mnuPathRpt = nullptr,
            *StatisticsReport = nullptr, *mnuRptLinesPerPage = nullptr;
    QMenu *OptionsMenu = nullptr;
    QAction *TabletMode = nullptr, *DesktopMode = nullptr, *mnuOptionsWarningMessagesReset = nullptr,
            *mnuOptionWindowSize = nullptr, *mnuOptionFileRename = nullptr, *ScrollBarWidth = nullptr,
            *DataBaseLocation = nullptr, *OphanedPictures = nullptr, *EmptyDeletedPicturesFolder = nullptr;
    QMenu *HelpMenu = nullptr;
    QAction *HelpSystem = nullptr, *HelpGotoWebsite = nullptr, *AboutBox = nullptr;
    QMenu *mnuPopup = nullptr;
    QAction *mnuPopupAddToPlaylist = nullptr, *mnuPopupPlay = nullptr, *mnuPopupAssignToCategory = nullptr,
            *mnuPopupCopyFile = nullptr, *mnuPopupDelete = nullptr;

    // ---- the window's own state (cleared when the window loads) ----------------------------
    bool FirstActivation = false;
    bool GridJustLoaded = false;
    bool GridCellEditing = false;
    bool MarkColumnClicked = false;
    int PendingMoveColumn = 0;
    QString MoveColumnCaption;
    QString MoveColumnDataField;
    double MoveColumnWidth = 0;
    bool ColumnsChanged = false;
    // Set around the window's closing by commands that re-open the catalogue afterwards; the
    // unload then does not end the program.
    bool CompactInProgress = false;
    // The same flag under the name the maintenance commands use.
    bool &CompactingDatabase = CompactInProgress;
    QString PriorRecordSource;
    // The view the artist filter returns to (set when the artist view is entered).
    qint64 PriorRecordId = 0;
    long PriorGridRow = 0;
    QString PriorSortName;
    QString PriorFirstColumn;
    RecordSourceParts PriorParts;

    // ---- life ----------------------------------------------------------------------------
    // Load handler; runs once (ShowNameList runs it before showing the window).
    void Form_Load();
    void Form_Activate();
    void Form_KeyDown(int &KeyCode, int Shift);
    void Form_Unload();
    void Form_Resize();
    void cmdExit_Click();
    void cmdExitSign_Click();
    void FileExit_Click();

    // ---- music import --------------------------------------------------------------------
    // Adds the music files of a folder tree (FileName empty), one file of Folder, or a whole
    // mounted volume (driveMode, Folder = its root) to the catalogue.
    void LoadMusicFiles(const QString &Folder, const QString &FileName, bool driveMode = false);
    void AddMusicFolder_Click();
    void AddOneMusicFile_Click();
    void ScanFiles_Click();

    // ---- record source and Show all ------------------------------------------------------
    void ShowAllMenu_Click();
    void cmdShowAll_Click();
    // "Select * from  " & RecordSourceName & WhereClause & OrderByClause
    static QString standardRecordSource();
    // Enables what Show all enables: the File menu, cmdAdd, cmdEdit, AddMenu, FindEditMenu,
    // cmdShowArtistSongs, cmdFilter, cmdFind, cmbSort, cmdSortSong, cmdSortArtist.
    void enableViewCommands();

    // ---- sort orders -----------------------------------------------------------------------
    void cmbSort_Click();
    void cmdSortArtist_Click();
    void cmdSortSong_Click();
    // Sets the sort list's text as code does: selects that item and runs cmbSort_Click.
    void setSortText(const QString &text);
    // What choosing the list's sort does; runView false leaves the view's query to the caller
    // (which runs it in the new order, or just ran it so).
    void applySort(bool runView);

    // ---- layout and modes ----------------------------------------------------------------
    // The resize rule on given sizes (twips): outer window width, client width and height.
    void layoutForSize(double windowWidth, double innerWidth, double innerHeight);
    void DesktopMode_Click();
    void TabletMode_Click();
    // A maximised main window becomes a normal one beside the visible picture viewer, which
    // moves to the screen's top left corner; nothing happens otherwise.
    void dockBesidePics3();

    // ---- options and help ----------------------------------------------------------------
    void SelectColor_Click();
    void RestoreColor_Click();
    void GridEditMenu_Click();
    void mnuOptionFileRename_Click();
    void mnuOptionWindowSize_Click();
    void mnuOptionsWarningMessagesReset_Click();
    void ScrollBarWidth_Click();
    void mnuFileFont_Click();
    void DataBaseLocation_Click();
    void HelpSystem_Click();
    void HelpGotoWebsite_Click();
    void AboutBox_Click();
    void cmdHelp_Click();

    // The change event of lblCategory, run on every change of its caption: the caption decides
    // whether cmdAdd is enabled.
    void lblCategory_Change();
    // Sets lblCategory's caption (which runs its change event).
    void setCategoryCaption(const QString &caption);

    // Wheel turns over the window scroll the grid.
    void MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) override;

    // ---- grid events -----------------------------------------------------------------------
    void Table1_BeginCellEdit();
    void Table1_EndCellEdit();
    void Table1_StampDateUpdated();
    void Table1_SkipMarkColumn();
    void Table1_ColumnResized();
    void Table1_OpenEditor();
    void Table1_MoveColumn(int ColIndex);
    // KeyText: what the key types ("" = derive it from the key code); KeyCode 0 swallows it.
    void Table1_KeyDown(int &KeyCode, int Shift, const QString &KeyText = {});
    void Table1_ShowPopupMenu(int Button, int Shift, int X, int Y);
    void Table1_CurrentRowChanged(const platform::db::Bookmark &LastRow, int LastCol);
    void TextBackground_KeyDown(int &KeyCode, int Shift, const QString &KeyText = {});
    void txtName_KeyDown(int &KeyCode, int Shift, const QString &KeyText = {});

    // ---- incremental search and alphabet ---------------------------------------------------
    void txtLocate_KeyUp(int KeyCode, int Shift);
    // The user changed the locate box's text (a key, a paste, an input method): the search.
    void txtLocate_Change();
    void txtLocate_KeyPress(int &KeyAscii);
    void txtLocate_Click();
    void txtLocate_LostFocus();
    void lblAlphabet_Click(int Index);

    // ---- find, artist filter, duplicate views ----------------------------------------------
    void FindEditMenu_Click();
    void cmdFind_Click();
    void cmdShowArtistSongs_Click();
    void mnuShowDuplicates_Click();
    void mnuShowDuplicatesToDelete_Click();
    void mnuShowDuplicatesAlbum_Click();
    void mnuShowDuplicatesToDeleteAlbum_Click();

    // ---- selection marks -------------------------------------------------------------------
    void ShowSelectedOnlyMenu_Click();
    void cmdShowSelected_Click();
    void HideSelectedMenu_Click();
    void RemoveSelectionsMenu_Click();
    // Fills the picture viewer with the current song's pictures (the pictures subsystem does
    // the work of the three picture commands).
    void LoadSongPictures();
    void cmdPictures_Click();
    void EmptyDeletedPicturesFolder_Click();

    // ---- record commands -------------------------------------------------------------------
    void cmdAdd_Click();
    void AddMenu_Click();
    void cmdEdit_Click();
    void EditViewMenu_Click();
    void cmdDelete_Click();
    void mnuPopupDelete_Click();
    // Play commands (the player subsystem does their work).
    void cmdPlay_Click();
    void mnuPlayCurrentSong_Click();
    void mnuPopupPlay_Click();
    void mnuPopupAddToPlaylist_Click();
    void cmdPlayAll_Click();
    void mnuPlayAllSongs_Click();
    void mnuPlayFolder_Click();
    void mnuPlayFolderAndSubfolders_Click();
    void mnuFileCopy_Click();
    void mnuPopupCopyFile_Click();
    void DisplayRecCntMenu_Click();
    void cmdCount_Click();

    // ---- openers of other windows ----------------------------------------------------------
    void Category_Click();
    void cmdCategory_Click();
    void SelectionCriteria_Click();
    void cmdFilter_Click();
    void AssignCatgMenu_Click();
    void cmdAssignCatg_Click();
    void mnuPopupAssignToCategory_Click();
    void AssignAllToCatg_Click();
    void RemoveAllFromCatg_Click();
    void cmdNotes_Click();
    void cmdPlayList_Click();
    void mnuChangePaths_Click();
    void mnuReplace_Click();
    void mnuFindInvalidFilenames_Click();
    void OphanedPictures_Click();

    // ---- reports -------------------------------------------------------------------------
    // The list reports and the exports run on the grid's rows: with no row they do nothing.
    void mnuArtistRpt_Click();
    void mnuSongRpt_Click();
    void mnuPathRpt_Click();
    void StatisticsReport_Click();
    void mnuRptLinesPerPage_Click();
    void Export_Click();
    void ExportWithNotes_Click();

    // ---- database upkeep (the reports subsystem does their work) ------------------------
    void OpenDatabase_Click();
    void mnuCompactDatabase_Click();
    void mnuDeleteAll_Click();
    void mnuDeleteDisplayed_Click();
    void mnuDeleteDuplicates_Click();
    void mnuDeleteDuplicatesAlbum_Click();

    // ---- helpers for the window's commands ------------------------------------------------
    // The grid's record count (0 when nothing is bound).
    long recordCount() const;
    // The grid shows one of the four saved duplicate queries.
    bool isDuplicateView() const;
    static bool isDuplicateQuery(const QString &recordSource);
    // A field of the grid's current row, Null read as "" (empty when there is no current row).
    QString currentText(const QString &field) const;
    // Sets the artist button for the current row: "Show all songs by " and the artist, sized to
    // its caption and centred; hidden when the artist is empty. extraTwips is added to the
    // caption's width.
    void showArtistButton(const QString &artist, double extraTwips = 500);
    // Empties the artist button's caption and hides it: an empty button is no command.
    void clearArtistButton();
    // Width of a caption in the window's font, in twips.
    double textWidthTwips(const QString &text) const;

    // The window's background colour as a colour value (low byte red).
    qint64 backColor() const { return backColor_; }
    void setBackColor(qint64 colour);

    // Place and size of a control in twips.
    TwRect controlRect(const QWidget *w) const;
    void setControlRect(QWidget *w, const TwRect &r);
    // The window's outer size and position, and its client area, in twips.
    double formLeft() const;
    double formTop() const;
    double formWidth() const;
    double formHeight() const;
    double scaleWidth() const;
    double scaleHeight() const;
    void setFormWidth(double twips);

    // Runs a command so that no exception leaves it: a database error is shown with its number.
    void run(const std::function<void()> &command);
    // Wires a menu entry or button to a handler through run().
    void on(QAction *action, void (NameList::*handler)());
    void on(QAbstractButton *button, void (NameList::*handler)());

    // Ending the program (the unload without CompactInProgress or ReopeningDatabase); tests
    // replace it. Empty = close every window and leave the event loop.
    static std::function<void()> &endProgramHook();

protected:
    void formUnload() override;
    void changeEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    // Steps of the activation: the commands set from the view, and the first activation's
    // opening of the view in the stored sort.
    void showViewState();
    void openFirstView();
    // A write that only remembers the view (the sort, the category shown). While the first view
    // opens, another program's lock on the catalogue does not stop the view: the start says so
    // once instead.
    void remember(const std::function<void()> &write);
    // Whether the view the load set up has a row, asked without opening it: one row is read,
    // not all of them counted.
    bool firstViewHasRows() const;
    // Opens the view the load set up, when nothing has opened another yet.
    void openFirstContents() const;
    void buildControls();
    void buildMenus();
    void wireCommands();
    void applyModeSettings(bool tablet, const QString &fontName);
    void setTabletMode(bool tablet);
    void setFileRenameDisabled(bool disabled);
    void applyFonts();
    QList<platform::ui::GridColumn> gridColumns() const;
    void readColumnLayout();
    void writeColumnLayout();
    void swapSongArtistColumns(bool artistFirst);
    void writeBackColor();
    void endProgram();
    void applyRect(QWidget *w);
    // The captions of the two options kept in their menu entries' captions.
    static QString windowSizeCaption(bool remembered);
    static QString fileRenameCaption(bool disabled);
    static constexpr const char *FilterMessage = "Filter is limiting records displayed.";

    QHash<const QWidget *, TwRect> rects_;
    qint64 backColor_ = DesignBackColor;
    bool loaded_ = false;
    bool activating_ = false;
    bool resizing_ = false;
    bool startupCategory_ = false;  // the load showed the remembered category
    bool openingFirstView_ = false;
    mutable bool firstContentsPending_ = false;  // the load's view is set but not yet run
    CommandWiring *wiring_ = nullptr;  // deleted first when the window goes
};

} // namespace songlist
