#include "songlist/NameList.h"

#include "core/AppState.h"
#include "core/Rnd.h"
#include "core/About.h"
#include "core/CommonDialogControl.h"
#include "core/HelpViewer.h"
#include "core/MSendInput.h"
#include "core/RegistryOptions.h"
#include "core/SettingsRows.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "core/mMouseScrollWheel.h"
#include "core/modMain.h"
#include "platform/settings/RegistryImport.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/ColumnLayoutFile.h"
#include "songlist/ArtistFilter.h"
#include "songlist/CommandWiring.h"
#include "songlist/DuplicateViews.h"
#include "songlist/FindAllFields.h"
#include "songlist/GridEvents.h"
#include "songlist/IncrementalSearch.h"
#include "songlist/OtherWindows.h"
#include "songlist/RecordCommands.h"
#include "songlist/SelectionMarks.h"
#include "songlist/ShowCategoryAssign.h"
#include "songlist/SortOrders.h"
#include "import/ImportCommands.h"
#include "import/ImportHost.h"
#include "import/MusicImport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace songlist {

namespace db = platform::db;
namespace st = platform::settings;
namespace ui = platform::ui;
using core::SettingsRows;
using platform::ui::GridColumn;

namespace {

const QString kAllowGridEditing = QStringLiteral("Allow &Grid Editing");
const QString kDisableGridEditing = QStringLiteral("Disable &Grid Editing");
const QString kRememberSize = QStringLiteral("Remember window size between sessions");
const QString kDoNotRememberSize = QStringLiteral("Do not remember window size between sessions");
const QString kDisallowRename = QStringLiteral("Do not allow files to be renamed or moved ...");
const QString kAllowRename = QStringLiteral("Allow files to be renamed or moved");
const QString kFilterMsg = QStringLiteral("Filter is limiting records displayed.");
const QString kWebSite = QStringLiteral("https://orvalis.example/");

// Height of everything that is not grid, above and below it (the header label's height), and
// the grid's designed top.
constexpr double kGridTop = 1230;
constexpr double kHeaderHeight = 3050;
constexpr double kMarginWidth = 240;

QColor toQColor(qint64 v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }
qint64 fromQColor(const QColor &c) { return qint64(c.red()) | (qint64(c.green()) << 8) | (qint64(c.blue()) << 16); }

// The designed columns of the grid; column 0 is the selection mark.
QList<GridColumn> designedColumns() {
    struct D { const char *caption, *field; double width; };
    static const D cols[] = {
        {"x", "Selected", 165}, {"Song Name", "SongName", 4800}, {"Artist/Performer", "Artist", 3570},
        {"Year", "Year", 570}, {"Album Name", "AlbumName", 3630}, {"Track", "TrackText", 540},
        {"Rating", "Rating", 585}, {"Composer/Writer", "Composer", 2205}, {"Genre", "Genre", 1485},
        {"Path Name", "PathName", 4170}, {"File Name", "FileName", 4560}, {"Type", "FileType", 525},
        {"File Size", "FileSize", 810}, {"Duration", "Duration", 990}, {"Bitrate", "Bitrate", 915},
        {"ID", "ID", 630}, {"BPM", "BPM", 525}, {"Purchase Date", "PurchaseDate", 1395},
        {"Date 2 Description", "Date2_Desc", 1665}, {"Date 2", "Date2", 855},
        {"Date Updated", "DateUpdated", 1950}, {"Misc Field1 Desc", "MiscField1_Desc", 1635},
        {"MiscField1", "MiscField1", 1860}, {"Misc Field2 Desc", "MiscField2_Desc", 1620},
        {"MiscField2", "MiscField2", 1860}, {"Misc Field3 Desc", "MiscField3_Desc", 1635},
        {"MiscField3", "MiscField3", 1860}, {"Notes", "Notes", 9210},
    };
    QList<GridColumn> out;
    for (const D &d : cols) {
        GridColumn c;
        c.Caption = QString::fromLatin1(d.caption);
        c.DataField = QString::fromLatin1(d.field);
        c.Width = d.width;
        out << c;
    }
    return out;
}

// The box that reports a database error with its number.
void showDbError(const db::DbError &e) {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(e.description() + QStringLiteral("    Error number: ") + QString::number(e.number()), ui::Buttons::OK,
               ui::Icon::Critical, QStringLiteral("Error"));
}

// The one-blank comparison the window uses to tell an empty text.
bool aboveBlank(const QString &s) { return s > QStringLiteral(" "); }

bool settingIsOn(const QString &text) {
    const QString t = text.trimmed();
    return t == QLatin1String("1") || t == QLatin1String("-1") ||
           t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

using core::RegistryOptions;
QString option(const char *key) { return RegistryOptions::get(QString::fromLatin1(key)); }

} // namespace

// ============================================================================ construction

NameList::NameList(QWidget *parent) : ui::Form<QMainWindow>(parent) {
    setObjectName(QStringLiteral("NameList"));
    buildControls();
    buildMenus();
    wireCommands();
    resize(ui::twipsToPixelsX(DesignWidth), ui::twipsToPixelsY(DesignHeight));
    setBackColor(DesignBackColor);
}

NameList::~NameList() {
    // The controls' key and click filters go before the controls: destroying a control may
    // still send it events, which must not reach a filter reading this half-destroyed window.
    delete wiring_;
    wiring_ = nullptr;
    try {
        if (mMouseScrollWheel::IsHooked(this))
            mMouseScrollWheel::WheelUnHook(this);
    } catch (...) {}
}

NameList *NameList::instance() { return ui::findForm<NameList>(); }

std::function<void()> &NameList::endProgramHook() {
    static std::function<void()> hook;
    return hook;
}

void NameList::buildControls() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("NameListClient"));
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    auto make = [&](auto *w, const char *name, TwRect r) {
        w->setObjectName(QString::fromLatin1(name));
        setControlRect(w, r);
        return w;
    };
    auto button = [&](const char *name, const QString &caption, TwRect r, const QString &tip = {}) {
        auto *b = make(new QPushButton(caption, client), name, r);
        b->setFocusPolicy(Qt::TabFocus);
        if (!tip.isEmpty())
            b->setToolTip(tip);
        return b;
    };
    auto label = [&](const char *name, const QString &caption, TwRect r) {
        return make(new QLabel(caption, client), name, r);
    };

    Data1 = new ui::DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QStringLiteral("tblContacts"));
    // Any view bound to the grid replaces the one the load left to be opened.
    connect(Data1, &ui::DataControl::recordsetReplaced, this, [this] { firstContentsPending_ = false; });
    CMDialog1 = new core::CommonDialogControl(this);
    CMDialog1->setObjectName(QStringLiteral("CMDialog1"));

    lblHeader = label("lblHeader", {}, {0, 0, DesignWidth, kHeaderHeight});
    lblHeader->hide();
    lblMargin = label("lblMargin", {}, {0, 0, kMarginWidth, 100});
    lblMargin->hide();

    FrameAlpha = make(new QFrame(client), "FrameAlpha", {120, 60, 37 * 255 + 375, 330});
    for (int i = 0; i < 38; ++i) {
        QString caption, tip;
        if (i < 26) {
            caption = QChar(char16_t(i + 65));
            tip = QStringLiteral("Click a letter to move to a line starting with that letter.");
        } else if (i < 36) {
            caption = QChar(char16_t(i + 22));
            tip = QStringLiteral("Click a number to move to a line starting with that number.");
        } else if (i == 36) {
            tip = QStringLiteral("Space");
        } else {
            caption = QStringLiteral("BS");
            tip = QStringLiteral("Backspace");
        }
        auto *l = new QLabel(caption, FrameAlpha);
        l->setObjectName(QStringLiteral("lblAlphabet"));
        l->setProperty("Index", i);
        l->setToolTip(tip);
        l->setAlignment(Qt::AlignCenter);
        setControlRect(l, {i * 255.0, 15, i == 37 ? 375.0 : 255.0, 300});
        lblAlphabet << l;
    }

    lblFilterMsg = label("lblFilterMsg", kFilterMsg, {DesignWidth - 3900 - 300, 60, 3900, 285});
    lblFilterMsg->hide();

    cmdShowAll = button("cmdShowAll", QStringLiteral("Show All"), {120, 440, 1000, 345},
                        QStringLiteral("Display all songs"));
    cmdFind = button("cmdFind", QStringLiteral("Find"), {1170, 440, 700, 345},
                     QStringLiteral("Search for any text in the entire database"));
    cmdFilter = button("cmdFilter", QStringLiteral("Filter"), {1920, 440, 700, 345},
                       QStringLiteral("Specify criteria to limit the songs displayed"));
    cmdCategory = button("cmdCategory", QStringLiteral("Category"), {2670, 440, 900, 345},
                         QStringLiteral("Select a Category of songs"));
    cmdAssignCatg = button("cmdAssignCatg", QStringLiteral("Assign"), {3620, 440, 800, 345},
                           QStringLiteral("Assign the current song to a Category"));
    cmdCount = button("cmdCount", QStringLiteral("Count"), {4470, 440, 700, 345},
                      QStringLiteral("Count the number of songs displayed"));
    cmdNotes = button("cmdNotes", QStringLiteral("Notes"), {5220, 440, 700, 345},
                      QStringLiteral("Display and add notes"));
    cmdPictures = button("cmdPictures", QStringLiteral("Pictures"), {5970, 440, 850, 345},
                         QStringLiteral("Display or Hide Pictures"));
    cmdHelp = button("cmdHelp", QStringLiteral("Help"), {6870, 440, 700, 345});
    cmdPlayList = button("cmdPlayList", QStringLiteral("PlayLists"), {7620, 440, 950, 345});
    cmdExitSign = button("cmdExitSign", QString(), {8620, 440, 450, 345}, QStringLiteral("Exit"));
    cmdExitSign->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    const double sortLeft = DesignWidth - kMarginWidth / 2 - 2200;
    lblSort = label("lblSort", QStringLiteral("Sort by:"), {sortLeft - 450, 480, 900, 255});
    cmdSortSong = button("cmdSortSong", QStringLiteral("song"), {sortLeft + 400, 440, 600, 315});
    cmdSortArtist = button("cmdSortArtist", QStringLiteral("artist"), {sortLeft + 1100, 440, 600, 315});
    cmbSort = make(new QComboBox(client), "cmbSort", {sortLeft, 830, 2200, 315});
    cmbSort->setEditable(false);

    lblLocate = label("lblLocate", QStringLiteral("Locate:"), {120, 860, 700, 255});
    txtLocate = make(new QLineEdit(client), "txtLocate", {840, 830, 2400, 285});
    lblCategory = make(new ui::Label(client), "lblCategory", {3340, 860, sortLeft - 3340 - 50, 285});
    connect(lblCategory, &ui::Label::Change, this, [this] { lblCategory_Change(); });

    Table1 = make(new ui::DbGrid(client), "Table1",
                  {kMarginWidth / 2, kGridTop, DesignWidth - kMarginWidth, 6000});
    Table1->setColumns(designedColumns());
    Table1->setDataSource(Data1);

    TextBackground = make(new QLineEdit(client), "TextBackground", {120, 7310, DesignWidth - kMarginWidth, 1010});
    TextBackground->setReadOnly(true);
    txtName = make(new QPlainTextEdit(client), "txtName", {220, 7365, DesignWidth - kMarginWidth - 200, 900});
    txtName->setReadOnly(true);
    txtName->setFrameShape(QFrame::NoFrame);
    txtName->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtName->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSongAddedToPlaylist = make(new QLineEdit(QStringLiteral("Song added to play list."), client),
                                  "txtSongAddedToPlaylist", {6000, 7365, 2600, 285});
    txtSongAddedToPlaylist->setReadOnly(true);
    txtSongAddedToPlaylist->hide();

    cmdShowArtistSongs = button("cmdShowArtistSongs", QStringLiteral("Show all songs by current artist"),
                                {5880, 8325, 3600, 300});
    cmdShowSelected = button("cmdShowSelected", QStringLiteral("Show Selected Records Only"),
                             {120, 8625, 2500, 255});
    cmdShowSelected->hide();
    lblSelectedCount = label("lblSelectedCount", {}, {270, 8890, 2200, 240});

    cmdDelete = button("cmdDelete", QStringLiteral("&Delete"), {0, 8700, 1300, 420});
    cmdAdd = button("cmdAdd", QStringLiteral("&Add"), {0, 8700, 1300, 420});
    cmdEdit = button("cmdEdit", QStringLiteral("&View/Edit"), {0, 8700, 1300, 420});
    cmdExit = button("cmdExit", QStringLiteral("E&xit"), {0, 8700, 1300, 420});
    cmdPlay = button("cmdPlay", QStringLiteral("Play"), {0, 8700, 900, 420});
    cmdPlayAll = button("cmdPlayAll", QStringLiteral("Play all"), {0, 8700, 900, 420});

    // The grid and the boxes stand above the bands; the band labels are behind everything.
    TextBackground->lower();
    txtName->raise();
    txtSongAddedToPlaylist->raise();
}

QAction *NameList::addEntry(QMenu *menu, const QString &name, const QString &caption) {
    auto *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

void NameList::buildMenus() {
    auto *bar = menuBar();
    auto menu = [&](const char *name, const QString &caption) {
        auto *m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto e = [&](QMenu *m, const char *name, const char *caption) {
        return addEntry(m, QString::fromLatin1(name), QString::fromUtf8(caption));
    };

    File = menu("File", QStringLiteral("&File"));
    OpenDatabase = e(File, "OpenDatabase", "Open Database ...");
    mnuCompactDatabase = e(File, "mnuCompactDatabase", "Compact Database ...");
    File->addSeparator();
    AddMusicFolder = e(File, "AddMusicFolder", "Add a Folder of Music Files (including subfolders) ...");
    AddOneMusicFile = e(File, "AddOneMusicFile", "Add One Music File ...");
    ScanFiles = e(File, "ScanFiles", "Add All Music Files (Scan Entire Drive) ...");
    File->addSeparator();
    mnuFileCopy = e(File, "mnuFileCopy", "Copy All Displayed Files (Export) ...");
    File->addSeparator();
    Category = e(File, "Category", "&Choose a Category ...");
    SelectionCriteria = e(File, "SelectionCriteria", "&Specify Record Filter ...");
    File->addSeparator();
    SelectColor = e(File, "SelectColor", "Select &Background Color...");
    RestoreColor = e(File, "RestoreColor", "&Restore Original Color");
    mnuFileFont = e(File, "mnuFileFont", "Choose Screen Font ...");
    File->addSeparator();
    mnuDeleteDisplayed = e(File, "mnuDeleteDisplayed", "Delete All Displayed Records ...");
    mnuDeleteAll = e(File, "mnuDeleteAll", "Delete All Records in Database ...");
    File->addSeparator();
    FileExit = e(File, "FileExit", "E&xit");

    EditMenu = menu("EditMenu", QStringLiteral("&Edit"));
    AddMenu = e(EditMenu, "AddMenu", "&Add a New Record ...");
    EditViewMenu = e(EditMenu, "EditViewMenu", "&Edit/View Current Record ...");
    FindEditMenu = e(EditMenu, "FindEditMenu", "&Find Any Text ...");
    mnuReplace = e(EditMenu, "mnuReplace", "Find and Replace Text ...");
    mnuChangePaths = e(EditMenu, "mnuChangePaths", "Change Music File Locations ...");
    EditMenu->addSeparator();
    AssignCatgMenu = e(EditMenu, "AssignCatgMenu", "Assign to Category ...");
    AssignAllToCatg = e(EditMenu, "AssignAllToCatg", "A&ssign Many Records to Category ...");
    RemoveAllFromCatg = e(EditMenu, "RemoveAllFromCatg", "Remove Many Records from Category ...");
    EditMenu->addSeparator();
    GridEditMenu = e(EditMenu, "GridEditMenu", "Allow &Grid Editing");
    mnuFindInvalidFilenames = e(EditMenu, "mnuFindInvalidFilenames", "Find Records with Invalid Filenames");
    Separator1 = EditMenu->addSeparator();
    Separator1->setObjectName(QStringLiteral("Separator1"));
    mnuShowDuplicates = e(EditMenu, "mnuShowDuplicates", "Show Duplicate Songs");
    mnuShowDuplicatesToDelete = e(EditMenu, "mnuShowDuplicatesToDelete", "Show Duplicate Songs to Delete");
    mnuDeleteDuplicates = e(EditMenu, "mnuDeleteDuplicates", "Delete Duplicate Songs ...");
    Separator2 = EditMenu->addSeparator();
    Separator2->setObjectName(QStringLiteral("Separator2"));
    mnuShowDuplicatesAlbum = e(EditMenu, "mnuShowDuplicatesAlbum", "Show Duplicate Songs in Albums");
    mnuShowDuplicatesToDeleteAlbum =
        e(EditMenu, "mnuShowDuplicatesToDeleteAlbum", "Show Duplicate Songs to Delete in Albums");
    mnuDeleteDuplicatesAlbum = e(EditMenu, "mnuDeleteDuplicatesAlbum", "Delete Duplicate Songs in Albums ...");
    EditMenu->addSeparator();
    ShowAllMenu = e(EditMenu, "ShowAllMenu", "Show ALL &Records");
    ShowSelectedOnlyMenu = e(EditMenu, "ShowSelectedOnlyMenu", "&Show Selected Records Only");
    HideSelectedMenu = e(EditMenu, "HideSelectedMenu", "&Hide Selected Records");
    RemoveSelectionsMenu = e(EditMenu, "RemoveSelectionsMenu", "Remove Selection &Marks");
    EditMenu->addSeparator();
    DisplayRecCntMenu = e(EditMenu, "DisplayRecCntMenu", "&Display Record Count");

    PlayMenu = menu("PlayMenu", QStringLiteral("&Play"));
    mnuPlayCurrentSong = e(PlayMenu, "mnuPlayCurrentSong", "Play current song");
    mnuPlayAllSongs = e(PlayMenu, "mnuPlayAllSongs", "Play all songs");
    mnuPlayFolder = e(PlayMenu, "mnuPlayFolder", "Play songs in one folder ...");
    mnuPlayFolderAndSubfolders =
        e(PlayMenu, "mnuPlayFolderAndSubfolders", "Play songs in folder including subfolders ...");

    ReportsMenu = menu("ReportsMenu", QStringLiteral("&Reports"));
    mnuArtistRpt = e(ReportsMenu, "mnuArtistRpt", "Artist/Song Report");
    mnuSongRpt = e(ReportsMenu, "mnuSongRpt", "Song/Artist Report");
    mnuPathRpt = e(ReportsMenu, "mnuPathRpt", "Pathname/Filename Report");
    StatisticsReport = e(ReportsMenu, "StatisticsReport", "Statistics Report");
    StatisticsReport->setVisible(false);
    ReportsMenu->addSeparator();
    mnuRptLinesPerPage = e(ReportsMenu, "mnuRptLinesPerPage", "Set # of lines per page for reports");
    ReportsMenu->addSeparator();
    Export = e(ReportsMenu, "Export", "Export data to CSV file without Notes ...");
    ExportWithNotes = e(ReportsMenu, "ExportWithNotes", "Export data to CSV file and include Notes ...");

    OptionsMenu = menu("OptionsMenu", QStringLiteral("&Options"));
    TabletMode = e(OptionsMenu, "TabletMode", "Set to Tablet Mode");
    DesktopMode = e(OptionsMenu, "DesktopMode", "Set to Desktop Mode");
    OptionsMenu->addSeparator();
    mnuOptionsWarningMessagesReset =
        e(OptionsMenu, "mnuOptionsWarningMessagesReset", "Reset all warning messages");
    mnuOptionWindowSize = e(OptionsMenu, "mnuOptionWindowSize", "Remember window size between sessions");
    mnuOptionFileRename = e(OptionsMenu, "mnuOptionFileRename", "Do not allow files to be renamed or moved ...");
    // The width applies to this program's own scroll bars only, so the caption says no more.
    ScrollBarWidth = e(OptionsMenu, "ScrollBarWidth", "Change Scroll Bar Width");
    DataBaseLocation = e(OptionsMenu, "DataBaseLocation", "Database Location ...");
    OptionsMenu->addSeparator();
    OphanedPictures = e(OptionsMenu, "OphanedPictures", "Check for Ophaned Pictures");
    EmptyDeletedPicturesFolder = e(OptionsMenu, "EmptyDeletedPicturesFolder", "Empty Deleted Pictures Folder");

    HelpMenu = menu("HelpMenu", QStringLiteral("&Help"));
    HelpSystem = e(HelpMenu, "HelpSystem", "&View Help ...");
    HelpGotoWebsite = e(HelpMenu, "HelpGotoWebsite", "Orvalis &Web Site ...");
    AboutBox = e(HelpMenu, "AboutBox", "&About ...");

    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupAddToPlaylist = e(mnuPopup, "mnuPopupAddToPlaylist", "Add to PlayList");
    mnuPopupPlay = e(mnuPopup, "mnuPopupPlay", "Play");
    mnuPopupAssignToCategory = e(mnuPopup, "mnuPopupAssignToCategory", "Assign to Category ...");
    mnuPopupCopyFile = e(mnuPopup, "mnuPopupCopyFile", "Copy File ...");
    mnuPopupDelete = e(mnuPopup, "mnuPopupDelete", "Delete");
}

void NameList::run(const std::function<void()> &command) {
    try {
        command();
    } catch (const db::DbError &e) {
        showDbError(e);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QString::fromUtf8(e.what()), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
    } catch (...) {
        ui::setMousePointer(ui::MousePointer::Default);
    }
}

void NameList::on(QAction *action, void (NameList::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { run([this, handler] { (this->*handler)(); }); });
}

void NameList::on(QAbstractButton *button, void (NameList::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { run([this, handler] { (this->*handler)(); }); });
}

void NameList::wireCommands() {
    on(cmdExit, &NameList::cmdExit_Click);
    on(cmdExitSign, &NameList::cmdExitSign_Click);
    on(FileExit, &NameList::FileExit_Click);
    on(ShowAllMenu, &NameList::ShowAllMenu_Click);
    on(cmdShowAll, &NameList::cmdShowAll_Click);
    connect(cmbSort, &QComboBox::activated, this, [this](int) { run([this] { cmbSort_Click(); }); });
    on(cmdSortArtist, &NameList::cmdSortArtist_Click);
    on(cmdSortSong, &NameList::cmdSortSong_Click);
    on(TabletMode, &NameList::TabletMode_Click);
    on(DesktopMode, &NameList::DesktopMode_Click);
    on(SelectColor, &NameList::SelectColor_Click);
    on(RestoreColor, &NameList::RestoreColor_Click);
    on(GridEditMenu, &NameList::GridEditMenu_Click);
    on(mnuOptionFileRename, &NameList::mnuOptionFileRename_Click);
    on(mnuOptionWindowSize, &NameList::mnuOptionWindowSize_Click);
    on(mnuOptionsWarningMessagesReset, &NameList::mnuOptionsWarningMessagesReset_Click);
    on(ScrollBarWidth, &NameList::ScrollBarWidth_Click);
    on(mnuFileFont, &NameList::mnuFileFont_Click);
    on(DataBaseLocation, &NameList::DataBaseLocation_Click);
    on(HelpSystem, &NameList::HelpSystem_Click);
    on(HelpGotoWebsite, &NameList::HelpGotoWebsite_Click);
    on(AboutBox, &NameList::AboutBox_Click);
    on(cmdHelp, &NameList::cmdHelp_Click);
    on(AddMusicFolder, &NameList::AddMusicFolder_Click);
    on(AddOneMusicFile, &NameList::AddOneMusicFile_Click);
    on(ScanFiles, &NameList::ScanFiles_Click);
    on(cmdPlay, &NameList::cmdPlay_Click);
    on(mnuPlayCurrentSong, &NameList::mnuPlayCurrentSong_Click);
    on(mnuPopupPlay, &NameList::mnuPopupPlay_Click);
    on(mnuPopupAddToPlaylist, &NameList::mnuPopupAddToPlaylist_Click);
    on(cmdPlayAll, &NameList::cmdPlayAll_Click);
    on(mnuPlayAllSongs, &NameList::mnuPlayAllSongs_Click);
    on(mnuPlayFolder, &NameList::mnuPlayFolder_Click);
    on(mnuPlayFolderAndSubfolders, &NameList::mnuPlayFolderAndSubfolders_Click);
    on(mnuFileCopy, &NameList::mnuFileCopy_Click);
    on(mnuPopupCopyFile, &NameList::mnuPopupCopyFile_Click);
    wiring_ = new CommandWiring(*this);
}

// ============================================================================ geometry

TwRect NameList::controlRect(const QWidget *w) const { return rects_.value(w); }

void NameList::setControlRect(QWidget *w, const TwRect &r) {
    rects_[w] = r;
    applyRect(w);
}

void NameList::applyRect(QWidget *w) {
    const TwRect r = rects_.value(w);
    w->setGeometry(ui::twipsToPixelsX(r.Left), ui::twipsToPixelsY(r.Top), std::max(0, ui::twipsToPixelsX(r.Width)),
                   std::max(0, ui::twipsToPixelsY(r.Height)));
}

double NameList::formLeft() const { return ui::pixelsToTwipsX(pos().x()); }
double NameList::formTop() const { return ui::pixelsToTwipsY(pos().y()); }
double NameList::formWidth() const { return ui::pixelsToTwipsX(width()); }
double NameList::formHeight() const { return ui::pixelsToTwipsY(height()); }

double NameList::scaleWidth() const {
    return ui::pixelsToTwipsX(isVisible() && centralWidget() ? centralWidget()->width() : width());
}

double NameList::scaleHeight() const {
    if (isVisible() && centralWidget())
        return ui::pixelsToTwipsY(centralWidget()->height());
    const int menu = menuBar() ? menuBar()->sizeHint().height() : 0;
    return ui::pixelsToTwipsY(height() - menu);
}

void NameList::setFormWidth(double twips) { resize(ui::twipsToPixelsX(twips), height()); }

double NameList::textWidthTwips(const QString &text) const {
    return ui::pixelsToTwipsX(QFontMetrics(font()).horizontalAdvance(text));
}

void NameList::setBackColor(qint64 colour) {
    backColor_ = colour;
    QPalette p = centralWidget()->palette();
    p.setColor(QPalette::Window, toQColor(colour));
    centralWidget()->setPalette(p);
}

// ============================================================================ helpers

long NameList::recordCount() const {
    try {
        openFirstContents();
        return Data1->recordCount();
    } catch (const db::DbError &) {
        return 0;
    }
}

bool NameList::isDuplicateQuery(const QString &recordSource) {
    return recordSource == QLatin1String("qryDuplicateSongs") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeleted") ||
           recordSource == QLatin1String("qryDuplicateSongsAlbum") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeletedAlbum");
}

bool NameList::isDuplicateView() const { return isDuplicateQuery(Data1->recordSource()); }

QString NameList::currentText(const QString &field) const {
    if (!Data1->hasCurrentRow())
        return {};
    try {
        return modMain::NullToEmpty(Data1->recordset()->value(field)).toString();
    } catch (const db::DbError &) {
        return {};
    }
}

void NameList::showArtistButton(const QString &artist, double extraTwips) {
    if (!aboveBlank(artist)) {
        cmdShowArtistSongs->hide();
        return;
    }
    QString shown = artist;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString caption = QStringLiteral("Show all songs by ") + shown;
    cmdShowArtistSongs->setText(caption);
    TwRect r = controlRect(cmdShowArtistSongs);
    r.Width = textWidthTwips(caption) + extraTwips;
    r.Left = formWidth() / 2 - r.Width / 2;
    setControlRect(cmdShowArtistSongs, r);
    cmdShowArtistSongs->show();
}

void NameList::clearArtistButton() {
    cmdShowArtistSongs->setText(QString());
    cmdShowArtistSongs->hide();
}

QString NameList::standardRecordSource() {
    const auto &s = core::g();
    return QStringLiteral("Select * from  ") + s.RecordSourceName + s.WhereClause + s.OrderByClause;
}

void NameList::setCategoryCaption(const QString &caption) { lblCategory->setText(caption); }

void NameList::lblCategory_Change() {
    const QString c = lblCategory->text();
    if (c.left(18) == QLatin1String("Records containing"))
        cmdAdd->setEnabled(false);
    else if (c.left(7) != QLatin1String("Showing"))
        cmdAdd->setEnabled(true);
}

void NameList::MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) {
    mMouseScrollWheel::GridScroll(Table1, MouseKeys, Rotation, Xpos, Ypos);
}

// ============================================================================ life

void NameList::Form_Load() {
    if (loaded_)
        return;
    loaded_ = true;
    auto &s = core::g();
    if (!s.Db)
        throw db::DbError(db::err::GeneralError, QStringLiteral("The catalogue database is not open."));

    // The player's random choices draw on this generator.
    core::Randomize();

    s.RememberWindowSize = RegistryOptions::rememberWindowSize();

    // Placement.
    const QRect screen = ui::screenRect(this);
    const double screenW = ui::pixelsToTwipsX(screen.width());
    const double screenH = ui::pixelsToTwipsY(screen.height());
    auto number = [](const QString &text, double def) {
        bool ok = false;
        const float v = text.trimmed().toFloat(&ok);
        return ok ? double(v) : def;
    };
    if (s.RememberWindowSize) {
        mnuOptionWindowSize->setText(kDoNotRememberSize);
        const double top = number(option(RegistryOptions::GridScreenTopKey), (screenH - formHeight()) / 2);
        move(pos().x(), ui::twipsToPixelsY(top));
        const double left = number(option(RegistryOptions::GridScreenLeftKey), (screenW - formWidth()) / 2);
        move(ui::twipsToPixelsX(left), pos().y());
        const double w = number(option(RegistryOptions::GridScreenWidthKey), DesignWidth);
        resize(ui::twipsToPixelsX(w), height());
        const double h = number(option(RegistryOptions::GridScreenHeightKey), DesignHeight);
        resize(width(), ui::twipsToPixelsY(h));
    } else {
        mnuOptionWindowSize->setText(kRememberSize);
        const double left = (screenW - formWidth()) / 2;
        const double twipsPerPixel = std::lround(1440.0 / ui::screenDpiX());
        const long screenPixelsHigh =
            std::lround(std::lround(screenH) / double(std::lround(1440.0 / ui::screenDpiY())));
        const bool lowScreen = twipsPerPixel == 12 && screenPixelsHigh < 800;
        const double top = (lowScreen || s.TabletModeOn) ? 10 : (screenH - formHeight()) / 2;
        move(ui::twipsToPixelsX(left), ui::twipsToPixelsY(top));
    }
    // Whatever was designed or remembered, the window opens inside the usable part of the screen:
    // at large scaling the designed size exceeds it, and a title bar above the screen's top
    // edge cannot be reached to move the window back.
    ui::fitOnScreen(this);

    if (!core::programFolder().toLower().contains(QLatin1String("source")))
        mMouseScrollWheel::WheelHook(this, this);

    setWindowTitle(s.ProductName + QStringLiteral(" Database  ") + s.DatabasePath);
    GridJustLoaded = true;
    FirstActivation = true;
    s.RecordSourceName = QStringLiteral("tblContacts");

    // The remembered category, when the category window's start-up box is on.
    startupCategory_ = false;
    const auto startup = SettingsRows::readName(QString::fromLatin1(SettingsRows::CategoryStartup));
    if (startup && settingIsOn(*startup)) {
        if (const auto cat = SettingsRows::readRow(QString::fromLatin1(SettingsRows::Category))) {
            s.CategoryClause = cat->setting1.value_or(QString());
            s.RecordSourceName = QStringLiteral("qryContacts");
            s.WhereClause = QStringLiteral(" Where") + s.CategoryClause;
            setCategoryCaption(cat->name);
            startupCategory_ = true;
        }
    }

    const auto assign = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::AssignCatgOnAdd));
    s.AssignCatgOnAdd = assign ? int(std::llabs(*assign)) : 0;
    const auto templ = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::TemplateRecordId));
    s.TemplateRecordId = templ ? long(*templ) : 0;
    if (const auto colour = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::BackColor)))
        setBackColor(*colour);
    if (const auto tablet = SettingsRows::readBool(QString::fromLatin1(SettingsRows::Tablet)); tablet && *tablet)
        TabletMode_Click();

    s.FileRenameDisabled = RegistryOptions::fileRenameDisabled();
    mnuOptionFileRename->setText(s.FileRenameDisabled ? kAllowRename : kDisallowRename);

    // The first contents of the grid. The text is set now and run when first needed: the first
    // activation replaces it by the view in the stored sort, so a start runs one query for the
    // grid and never paints it in an order about to change.
    Data1->setDatabase(s.Db.get());
    Data1->setRecordSource(QStringLiteral("Select * from ") + s.RecordSourceName + s.WhereClause +
                           QStringLiteral(" Order By SongName"));
    firstContentsPending_ = true;
    s.OrderByClause = QStringLiteral(" Order By SongName ");

    applyFonts();
    applyModeSettings(s.TabletModeOn, s.ScreenFontName);
    layoutForSize(formWidth(), scaleWidth(), scaleHeight());
    readColumnLayout();
}

void NameList::applyFonts() {
    const QString name = core::g().ScreenFontName;
    if (name.isEmpty())
        return;
    ui::applyScreenFont(this, name);
    QFont head = Table1->headFont();
    head.setFamily(name);
    Table1->setHeadFont(head);
}

void NameList::applyModeSettings(bool tablet, const QString &fontName) {
    Table1->setRowHeightTwips(tablet ? 400 : 225.0709);
    auto modeFont = [&](QWidget *w) {
        QFont f = w->font();
        if (!fontName.isEmpty())
            f.setFamily(fontName);
        f.setBold(!tablet);
        f.setPointSize(tablet ? 14 : 8);
        w->setFont(f);
    };
    modeFont(Table1);
    modeFont(cmbSort);
    TwRect r = controlRect(txtLocate);
    r.Height = tablet ? 400 : 285;
    setControlRect(txtLocate, r);
    modeFont(txtLocate);
    TabletMode->setEnabled(!tablet);
    DesktopMode->setEnabled(tablet);
}

void NameList::Form_Activate() {
    if (activating_)
        return;  // a message box of this handler hands the activation back
    const QScopedValueRollback<bool> reset(activating_, true);
    auto &s = core::g();

    MarkColumnClicked = false;
    if (FirstActivation) {
        // The view is opened here, in the stored sort; the commands are then set from it.
        openFirstView();
        showViewState();
        if (s.ContactsTable && s.ContactsTable->bof() && s.ContactsTable->eof())
            ui::msgBox(QStringLiteral("Add songs automatically by choosing one of the options on the File menu."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Empty Database"));
    } else {
        showViewState();
    }

    if (FirstActivation || s.RecordSaved) {
        FirstActivation = false;
        s.RecordSaved = false;
        MSendInput::SendKeys(QStringLiteral("{right}"), true);
    }
}

void NameList::showViewState() {
    if (recordCount() == 0) {
        txtName->clear();
        cmdPlay->setEnabled(false);
        cmdPlayAll->setEnabled(false);
        cmdShowArtistSongs->hide();
    } else {
        cmdPlay->setEnabled(true);
        cmdPlayAll->setEnabled(true);
        cmdShowArtistSongs->setVisible(!cmdShowArtistSongs->text().isEmpty() &&
                                        aboveBlank(currentText(QStringLiteral("Artist"))));
    }
    if (lblCategory->text().left(18) == QLatin1String("Records containing"))
        cmdAdd->setEnabled(false);
}

void NameList::openFirstView() {
    auto &s = core::g();
    cmbSort->clear();
    cmbSort->addItems(SortOrders::names());
    const auto stored = SettingsRows::readName(QString::fromLatin1(SettingsRows::GridSortOrder));
    // The list shows the stored sort; its click is applied below, with the view.
    const QString sortName = stored ? *stored : QStringLiteral("Song Name");
    cmbSort->setCurrentIndex(cmbSort->findText(sortName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (startupCategory_) {
        try {
            // The remembered category stays on screen, opened once in the stored sort; the
            // commands are left as Show all leaves them.
            applySort(true);
            if (s.SelectedCount > 0)
                cmdShowSelected->show();
            enableViewCommands();
        } catch (const db::DbError &) {
            // Its stored condition cannot be run: all songs are shown instead and the category
            // is forgotten (Show all deletes its row), so the next start does not fail again.
            startupCategory_ = false;
            s.CategoryClause.clear();
            s.WhereClause.clear();
            s.RecordSourceName = QStringLiteral("tblContacts");
            Data1->setRecordSource(QStringLiteral("Select * from ") + s.RecordSourceName +
                                   QStringLiteral(" Order By SongName"));
        }
    }
    if (!startupCategory_) {
        // The stored sort's parts first, so that Show all runs the view once, in that order.
        applySort(false);
        ShowAllMenu_Click();
    }
    Table1->setFocus();
}

long NameList::firstViewCount() const {
    const auto &s = core::g();
    auto rs = s.Db->openRecordset(QStringLiteral("Select Count(*) from ") + s.RecordSourceName + s.WhereClause);
    return rs->recordCount() > 0 ? long(rs->value(0).toLongLong()) : 0;
}

void NameList::openFirstContents() const {
    if (!firstContentsPending_)
        return;
    firstContentsPending_ = false;
    Data1->refresh();
}

void NameList::Form_KeyDown(int &KeyCode, int /*Shift*/) {
    if (KeyCode == 112)
        KeyCode = 0;
}

void NameList::keyPressEvent(QKeyEvent *e) {
    int code = ui::DbGrid::virtualKey(e);
    if (code != 0) {
        Form_KeyDown(code, ui::DbGrid::shiftState(e->modifiers()));
        if (code == 0) {
            e->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

void NameList::formUnload() { Form_Unload(); }

void NameList::Form_Unload() {
    auto &s = core::g();
    try {
        mMouseScrollWheel::WheelUnHook(this);
    } catch (...) {}
    ui::unloadForm(QStringLiteral("Pics3"));
    ui::unloadForm(QStringLiteral("RichTextForm"));
    ui::setMousePointer(ui::MousePointer::Hourglass);

    if (ColumnsChanged)
        writeColumnLayout();

    if (!isMinimized() && formTop() >= 0 && s.RememberWindowSize) {
        RegistryOptions::setGridScreenPlacement({int(std::lround(formTop())), int(std::lround(formLeft())),
                                                 int(std::lround(formWidth())), int(std::lround(formHeight()))});
    }

    if (s.ContactsTable) {
        try { s.ContactsTable->close(); } catch (...) {}
        s.ContactsTable.reset();
    }
    // The grid's recordset goes first so that nothing holds the rows being written.
    Data1->close();
    try {
        if (s.Db && s.Db->isOpen())
            s.Db->execute(QStringLiteral("Update tblContacts Set Selected=' ' Where Selected='x'"));
    } catch (const db::DbError &e) {
        showDbError(e);
    }
    ui::setMousePointer(ui::MousePointer::Default);

    if (!s.ReopeningDatabase && !CompactInProgress)
        endProgram();
}

QList<GridColumn> NameList::gridColumns() const {
    QList<GridColumn> cols;
    for (int i = 0; i < Table1->columnCount(); ++i)
        cols << Table1->column(i);
    return cols;
}

void NameList::writeColumnLayout() {
    const QString path = core::g().DataFolder + ColumnLayoutFile::fileName();
    try {
        ColumnLayoutFile::write(path, gridColumns());
    } catch (const std::exception &e) {
        // The layout is lost for the next start, but closing goes on.
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("The column layout could not be saved in ") + path + QStringLiteral(":  ") +
                       QString::fromUtf8(e.what()),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Column layout not saved"));
        ui::setMousePointer(ui::MousePointer::Hourglass);
    }
}

void NameList::readColumnLayout() {
    QList<GridColumn> cols = gridColumns();
    if (ColumnLayoutFile::read(core::g().DataFolder + ColumnLayoutFile::fileName(), cols) > 0)
        Table1->setColumns(cols);
}

void NameList::endProgram() {
    if (auto &hook = endProgramHook()) {
        hook();
        return;
    }
    for (QWidget *w : ui::loadedForms())
        if (w != this)
            ui::unloadForm(w);
    QCoreApplication::quit();
}

void NameList::cmdExit_Click() { close(); }
void NameList::cmdExitSign_Click() { close(); }
void NameList::FileExit_Click() { close(); }

void NameList::changeEvent(QEvent *e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && loaded_)
        run([this] { Form_Activate(); });
    else if (e->type() == QEvent::WindowStateChange && loaded_)
        run([this] { Form_Resize(); });
}

void NameList::showEvent(QShowEvent *e) {
    QMainWindow::showEvent(e);
    // The first activation opens the grid's view. A window manager that shows the window without
    // activating it (focus-stealing prevention) must not leave the grid empty until a click.
    if (loaded_ && FirstActivation)
        QTimer::singleShot(0, this, [this] {
            if (FirstActivation && isVisible())
                run([this] { Form_Activate(); });
        });
}

void NameList::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    if (loaded_)
        run([this] { Form_Resize(); });
}

// ============================================================================ record source

void NameList::enableViewCommands() {
    File->setEnabled(true);
    File->menuAction()->setEnabled(true);
    cmdAdd->setEnabled(true);
    cmdEdit->setEnabled(true);
    AddMenu->setEnabled(true);
    FindEditMenu->setEnabled(true);
    cmdShowArtistSongs->setEnabled(true);
    cmdFilter->setEnabled(true);
    cmdFind->setEnabled(true);
    cmbSort->setEnabled(true);
    cmdSortSong->setEnabled(true);
    cmdSortArtist->setEnabled(true);
}

void NameList::ShowAllMenu_Click() {
    auto &s = core::g();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    MarkColumnClicked = false;
    SettingsRows::deleteKind(QString::fromLatin1(SettingsRows::Category));
    s.WhereClause.clear();
    s.CriteriaClause.clear();
    lblFilterMsg->hide();
    lblFilterMsg->setText(kFilterMsg);
    s.CategoryClause.clear();
    s.RecordSourceName = QStringLiteral("tblContacts");
    Data1->setRecordSource(standardRecordSource());
    Data1->refresh();
    setCategoryCaption(QString());
    if (s.SelectedCount > 0)
        cmdShowSelected->show();
    enableViewCommands();
    clearArtistButton();
    if (recordCount() >= 1) {
        cmdPlay->setEnabled(true);
        cmdPlayAll->setEnabled(true);
        Data1->moveLast();
        Data1->moveFirst();
        showArtistButton(currentText(QStringLiteral("Artist")));
    }
    // The sort shown in the list is applied again. When it is the order the view was just run
    // in, running the same query a second time would give the same rows: only its text changes.
    applySort(SortOrders::lookup(cmbSort->currentText()).orderBy != s.OrderByClause);
    ui::setMousePointer(ui::MousePointer::Default);
    s.SelectedClause.clear();
}

void NameList::cmdShowAll_Click() {
    ShowAllMenu_Click();
    Table1->setFocus();
}

// ============================================================================ sort orders

void NameList::setSortText(const QString &text) {
    cmbSort->setCurrentIndex(cmbSort->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    cmbSort_Click();
}

void NameList::cmbSort_Click() { applySort(true); }

void NameList::applySort(bool runView) {
    // Before the first view is opened its rows are counted, not read.
    if ((firstContentsPending_ ? firstViewCount() : recordCount()) <= 0)
        return;
    auto &s = core::g();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    const QString text = cmbSort->currentText();
    SettingsRows::write(QString::fromLatin1(SettingsRows::GridSortOrder), text);
    const SortOrder &sort = SortOrders::lookup(text);
    s.OrderByClause = sort.orderBy;
    if (s.ContactsTable)
        s.ContactsTable->setIndex(sort.index);
    txtLocate->setFocus();
    MarkColumnClicked = false;
    Data1->setRecordSource(SortOrders::replaceOrderBy(Data1->recordSource(), s.OrderByClause));
    if (runView)
        Data1->refresh();
    if (!firstContentsPending_ && recordCount() > 0) {
        Data1->moveLast();
        Data1->moveFirst();
    }
    s.SortIsDate = SortOrders::isDate(text);
    ui::setMousePointer(ui::MousePointer::Default);
}

void NameList::swapSongArtistColumns(bool artistFirst) {
    // Column 1 becomes the wanted field, column 2 the other, each with the other's width.
    const double w1 = Table1->columnWidth(1);
    const double w2 = Table1->columnWidth(2);
    const QString first = artistFirst ? QStringLiteral("Artist") : QStringLiteral("SongName");
    const QString firstCaption = artistFirst ? QStringLiteral("Artist/Performer") : QStringLiteral("Song Name");
    const QString second = artistFirst ? QStringLiteral("SongName") : QStringLiteral("Artist");
    const QString secondCaption = artistFirst ? QStringLiteral("Song Name") : QStringLiteral("Artist/Performer");
    auto setColumn = [&](int col, const QString &field, const QString &caption, double width) {
        Table1->setColumnDataField(col, field);
        Table1->setColumnCaption(col, caption);
        Table1->setColumnDividerStyle(col, ui::DividerInset);
        Table1->setColumnWidthTwips(col, width);
        Table1->setColumnVisible(col, true);
    };
    setColumn(1, first, firstCaption, w2);
    setColumn(2, second, secondCaption, w1);
    ColumnsChanged = true;
}

void NameList::cmdSortArtist_Click() {
    if (Table1->columnDataField(2) == QLatin1String("Artist"))
        swapSongArtistColumns(true);
    setSortText(QStringLiteral("Artist"));
}

void NameList::cmdSortSong_Click() {
    if (Table1->columnDataField(1) == QLatin1String("Artist"))
        swapSongArtistColumns(false);
    setSortText(QStringLiteral("Song Name"));
}

// ============================================================================ layout and modes

void NameList::Form_Resize() {
    if (resizing_)
        return;
    const QScopedValueRollback<bool> reset(resizing_, true);
    if (!isMinimized())
        layoutForSize(formWidth(), scaleWidth(), scaleHeight());
    dockBesidePics3();
}

void NameList::layoutForSize(double W, double innerW, double innerH) {
    const TwRect header = controlRect(lblHeader);
    if (innerH - header.Height <= 0)
        return;
    if (W < MinimumWidth) {
        innerW += MinimumWidth - W;
        W = MinimumWidth;
        const bool was = resizing_;
        resizing_ = true;
        setFormWidth(W);
        resizing_ = was;
    }
    auto set = [&](QWidget *w, auto &&change) {
        TwRect r = controlRect(w);
        change(r);
        setControlRect(w, r);
        return r;
    };
    set(lblFilterMsg, [&](TwRect &r) { r.Left = W - r.Width - 300; });
    const TwRect grid = set(Table1, [&](TwRect &r) {
        const double h = innerH - header.Height - 80;
        if (h > 23)
            r.Height = h;
        r.Width = innerW - controlRect(lblMargin).Width;
    });
    const double gridBottom = grid.Top + grid.Height;
    const double bottomRow = gridBottom + 340 + 1030;
    const double B = controlRect(cmdDelete).Width;

    const TwRect name = set(txtName, [&](TwRect &r) {
        r.Top = gridBottom + 80;
        r.Width = grid.Width - 200;
    });
    set(txtSongAddedToPlaylist, [&](TwRect &r) {
        r.Top = name.Top;
        r.Left = name.Left + name.Width / 2 - r.Width / 2;
    });
    set(TextBackground, [&](TwRect &r) {
        r.Top = name.Top - 55;
        r.Width = grid.Width;
    });
    set(cmdShowArtistSongs, [&](TwRect &r) {
        // Between the detail box and the bottom row of buttons, touching neither.
        r.Top = name.Top + name.Height + 60;
        r.Left = name.Left + name.Width / 2 - r.Width / 2;
    });
    const TwRect sort = set(cmbSort, [&](TwRect &r) { r.Left = grid.Left + grid.Width - r.Width; });
    set(lblSort, [&](TwRect &r) { r.Left = sort.Left - r.Width / 2; });
    const TwRect song = set(cmdSortSong, [&](TwRect &r) { r.Left = sort.Left + r.Width / 2 + 100; });
    set(cmdSortArtist, [&](TwRect &r) { r.Left = song.Left + song.Width + 100; });
    const TwRect locate = controlRect(txtLocate);
    set(lblCategory, [&](TwRect &r) {
        r.Left = locate.Left + locate.Width + 100;
        r.Width = sort.Left - r.Left - 50;
    });
    set(cmdDelete, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 - 2 * B - 200; });
    set(cmdAdd, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 - B - 100; });
    set(cmdEdit, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 + 100; });
    set(cmdExit, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 + B + 200; });
    const TwRect selected = set(cmdShowSelected, [&](TwRect &r) { r.Top = bottomRow - 75; });
    set(lblSelectedCount, [&](TwRect &r) {
        r.Top = bottomRow + 190;
        r.Left = selected.Left + 150;
    });
    const TwRect play = set(cmdPlay, [&](TwRect &r) {
        r.Top = bottomRow;
        r.Left = W - r.Width - 400;
    });
    set(cmdPlayAll, [&](TwRect &r) {
        r.Top = bottomRow;
        r.Left = play.Left - r.Width;
    });
}

void NameList::dockBesidePics3() {
    QWidget *pics = ui::loadedForm(QStringLiteral("Pics3"));
    if (!pics || !pics->isVisible() || !isMaximized())
        return;
    // The part of the screen free of panels stands for the screen; the sizes are outer ones.
    const QRect area = ui::availableScreenRect(this);
    showNormal();
    pics->move(area.topLeft());
    const int picsWidth = pics->frameGeometry().width();
    const QSize frame = frameGeometry().size() - size();
    resize(area.width() - picsWidth - frame.width(), area.height() - ui::twipsToPixelsY(600) - frame.height());
    move(area.left() + picsWidth, area.top());
}

void NameList::setTabletMode(bool tablet) {
    core::g().TabletModeOn = tablet;
    applyModeSettings(tablet, QStringLiteral("Arial"));
    SettingsRows::writeBool(QString::fromLatin1(SettingsRows::Tablet), tablet);
}

void NameList::TabletMode_Click() { setTabletMode(true); }

void NameList::DesktopMode_Click() { setTabletMode(false); }

// ============================================================================ options and help

void NameList::writeBackColor() {
    SettingsRows::write(QString::fromLatin1(SettingsRows::BackColor), QString::number(backColor_));
}

void NameList::SelectColor_Click() {
    // Errors are ignored here: a failure leaves the colour as it was.
    try {
        const auto chosen = ui::prompts().chooseColor(toQColor(backColor_));
        if (!chosen)
            return;
        const qint64 colour = fromQColor(*chosen);
        if (colour != backColor_) {
            setBackColor(colour);
            writeBackColor();
        }
    } catch (...) {
    }
}

void NameList::RestoreColor_Click() {
    setBackColor(DesignBackColor);
    writeBackColor();
}

void NameList::GridEditMenu_Click() {
    const QString caption = GridEditMenu->text();
    if (caption == kAllowGridEditing) {
        GridEditMenu->setText(kDisableGridEditing);
        Table1->setAllowUpdate(true);
    } else if (caption == kDisableGridEditing) {
        GridEditMenu->setText(kAllowGridEditing);
        Table1->setAllowUpdate(false);
    }
}

void NameList::mnuOptionFileRename_Click() {
    auto &s = core::g();
    if (mnuOptionFileRename->text() == kDisallowRename) {
        const QString P = s.ProductName;
        const QString crlf = QStringLiteral("\r\n");
        const QString text =
            QStringLiteral("By choosing this option, you are preventing ") + P +
            QStringLiteral(" from renaming a music file on your computer when you change it's File Name on the Edit "
                           "screen.") +
            crlf + crlf + QStringLiteral("This also prevents ") + P +
            QStringLiteral(" from moving a music file to a different folder when you ") +
            QStringLiteral("change it's Path Name on the Edit screen.") + crlf + crlf +
            QStringLiteral("This prevents ") + P +
            QStringLiteral(" from keeping your database in sync with the files on your computer.  You must ") +
            QStringLiteral("be careful to keep files in sync manually. ") + crlf + crlf +
            QStringLiteral("Are you sure you want to do this?");
        const auto answer =
            ui::msgBox(text, ui::Buttons::YesNo, ui::Icon::Information,
                       QStringLiteral("Do not allow files to be renamed or moved.  Are you sure?"));
        if (answer == ui::Answer::Yes)
            setFileRenameDisabled(true);
    } else {
        setFileRenameDisabled(false);
    }
}

void NameList::setFileRenameDisabled(bool disabled) {
    RegistryOptions::setFileRenameDisabled(disabled);
    mnuOptionFileRename->setText(disabled ? kAllowRename : kDisallowRename);
    core::g().FileRenameDisabled = disabled;
}

void NameList::mnuOptionWindowSize_Click() {
    const bool remember = mnuOptionWindowSize->text() == kRememberSize;
    RegistryOptions::setRememberWindowSize(remember);
    mnuOptionWindowSize->setText(remember ? kDoNotRememberSize : kRememberSize);
    core::g().RememberWindowSize = remember;
}

void NameList::mnuOptionsWarningMessagesReset_Click() {
    RegistryOptions::resetWarnings();
    ui::msgBox(QStringLiteral("All warning messages will now appear."), ui::Buttons::OK, ui::Icon::None,
               QStringLiteral("Done"));
}

void NameList::ScrollBarWidth_Click() {
    const auto &s = core::g();
    const QString P = s.ProductName;
    const QString path = s.DataFolder + QStringLiteral("ScrollbarWidthChange.txt");
    try {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            throw std::runtime_error("The file " + path.toStdString() + " cannot be deleted.");
        const QString cr = QStringLiteral("\r");
        const QString prompt =
            QStringLiteral("Enter Scroll Bar Width.  The normal width is 252.  The higher the number,the wider the "
                           "scroll bar.  A value of 500 is often a good size for a tablet computer.  You can enter "
                           "values from 120 to 1500.  The change will take effect when ") +
            P + QStringLiteral(" is next started, and applies to ") + P + QStringLiteral(".");
        const auto answer = ui::prompts().input({prompt, QStringLiteral("Enter new scroll bar width"),
                                                 QStringLiteral("252"), false, {}});
        if (!answer || answer->isEmpty())
            return;
        bool numeric = false;
        const double value = answer->trimmed().toDouble(&numeric);
        if (!numeric || value > 1500 || value < 120) {
            ui::msgBox(QStringLiteral("The value you supplied is outside the range of allowable values."),
                       ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Invalid value"));
            return;
        }
        const int N = int(std::nearbyint(value));  // a half goes to the even neighbour
        const QString n = QString::number(N);
        const QString crlf = QStringLiteral("\r\n");
        const QString text = QStringLiteral("Windows Registry Editor Version 5.00") + crlf + crlf +
                             QStringLiteral("[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]") + crlf +
                             QStringLiteral("\"ScrollHeight\"=\"-") + n + QStringLiteral("\"") + crlf +
                             QStringLiteral("\"ScrollWidth\"=\"-") + n + QStringLiteral("\"") + crlf;
        {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw std::runtime_error(f.errorString().toStdString());
            const QByteArray bytes = text.toLatin1();
            if (f.write(bytes) != bytes.size())
                throw std::runtime_error(f.errorString().toStdString());
        }
        QString why;
        const bool imported = st::importRegistryFile(path, &why);
        QFile::remove(path);
        if (!imported)
            throw std::runtime_error(why.toStdString());
        ui::msgBox(QStringLiteral("Scroll Bar Width changed to ") + n + QStringLiteral(".") + cr +
                       QStringLiteral("The change will take effect when ") + P + QStringLiteral(" is next started."),
                   ui::Buttons::OK, ui::Icon::None, P);
    } catch (const std::exception &e) {
        ui::msgBox(QStringLiteral("The scroll bar width was not changed:  ") + QString::fromUtf8(e.what()),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error - change not made"));
    }
}

void NameList::mnuFileFont_Click() { ui::showModal(ui::form<core::frmFontForm>(), this); }

void NameList::DataBaseLocation_Click() { ui::showModal(ui::form<core::frmDatabaseLocation>(), this); }

void NameList::AboutBox_Click() { ui::showModal(ui::form<core::About>()); }

void NameList::HelpSystem_Click() { core::HelpViewer::showHelp(this); }

void NameList::HelpGotoWebsite_Click() { ui::prompts().openUrl(QUrl(kWebSite)); }

void NameList::cmdHelp_Click() { HelpSystem_Click(); }

// ============================================================================ grid events

void NameList::Table1_BeginCellEdit() { GridEvents(*this).BeginCellEdit(); }
void NameList::Table1_EndCellEdit() { GridEvents(*this).EndCellEdit(); }
void NameList::Table1_StampDateUpdated() { GridEvents(*this).StampDateUpdated(); }
void NameList::Table1_SkipMarkColumn() { GridEvents(*this).SkipMarkColumn(); }
void NameList::Table1_ColumnResized() { GridEvents(*this).ColumnResized(); }
void NameList::Table1_OpenEditor() { GridEvents(*this).OpenEditor(); }
void NameList::Table1_MoveColumn(int ColIndex) { GridEvents(*this).MoveColumn(ColIndex); }
void NameList::Table1_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    GridEvents(*this).KeyDown(KeyCode, Shift, KeyText);
}
void NameList::Table1_ShowPopupMenu(int Button, int Shift, int X, int Y) {
    GridEvents(*this).ShowPopupMenu(Button, Shift, X, Y);
}
void NameList::Table1_CurrentRowChanged(const db::Bookmark &LastRow, int LastCol) {
    SelectionMarks(*this).CurrentRowChanged(LastRow, LastCol);
}
void NameList::TextBackground_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    Table1_KeyDown(KeyCode, Shift, KeyText);
}
void NameList::txtName_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    Table1_KeyDown(KeyCode, Shift, KeyText);
}

// ============================================================================ incremental search

void NameList::txtLocate_KeyUp(int KeyCode, int Shift) { IncrementalSearch(*this).KeyUp(KeyCode, Shift); }
void NameList::txtLocate_Change() { IncrementalSearch(*this).Change(); }
void NameList::txtLocate_KeyPress(int &KeyAscii) { IncrementalSearch(*this).KeyPress(KeyAscii); }
void NameList::txtLocate_Click() { IncrementalSearch(*this).Click(); }
void NameList::txtLocate_LostFocus() { IncrementalSearch(*this).LostFocus(); }
void NameList::lblAlphabet_Click(int Index) { IncrementalSearch(*this).AlphabetClick(Index); }

// ============================================================================ find, artist, duplicates

void NameList::FindEditMenu_Click() { FindAllFields(*this).FindEditMenu_Click(); }
void NameList::cmdFind_Click() { FindEditMenu_Click(); }
void NameList::cmdShowArtistSongs_Click() { ArtistFilter(*this).cmdShowArtistSongs_Click(); }
void NameList::mnuShowDuplicates_Click() { DuplicateViews(*this).show(DuplicateViews::View::Duplicates); }
void NameList::mnuShowDuplicatesToDelete_Click() { DuplicateViews(*this).show(DuplicateViews::View::ToDelete); }
void NameList::mnuShowDuplicatesAlbum_Click() { DuplicateViews(*this).show(DuplicateViews::View::DuplicatesAlbum); }
void NameList::mnuShowDuplicatesToDeleteAlbum_Click() {
    DuplicateViews(*this).show(DuplicateViews::View::ToDeleteAlbum);
}

// ============================================================================ selection marks

void NameList::ShowSelectedOnlyMenu_Click() { SelectionMarks(*this).ShowSelectedOnlyMenu_Click(); }
void NameList::cmdShowSelected_Click() { SelectionMarks(*this).cmdShowSelected_Click(); }
void NameList::HideSelectedMenu_Click() { SelectionMarks(*this).HideSelectedMenu_Click(); }
void NameList::RemoveSelectionsMenu_Click() { SelectionMarks(*this).RemoveSelectionsMenu_Click(); }
void NameList::LoadSongPictures() { OtherWindows::open(QString::fromLatin1(OtherWindows::LoadSongPictures)); }
void NameList::cmdPictures_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::cmdPictures)); }
void NameList::EmptyDeletedPicturesFolder_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::EmptyDeletedPicturesFolder));
}

// ============================================================================ record commands

void NameList::cmdAdd_Click() { RecordCommands(*this).cmdAdd_Click(); }
void NameList::AddMenu_Click() { cmdAdd_Click(); }
void NameList::cmdEdit_Click() { RecordCommands(*this).cmdEdit_Click(); }
void NameList::EditViewMenu_Click() { cmdEdit_Click(); }
void NameList::cmdDelete_Click() { RecordCommands(*this).cmdDelete_Click(); }
void NameList::mnuPopupDelete_Click() { cmdDelete_Click(); }

void NameList::cmdPlay_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayCurrentSong)); }
void NameList::mnuPlayCurrentSong_Click() { cmdPlay_Click(); }
void NameList::mnuPopupPlay_Click() { cmdPlay_Click(); }
void NameList::mnuPopupAddToPlaylist_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::PopupAddToPlaylist));
}
void NameList::cmdPlayAll_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayAllSongs)); }
void NameList::mnuPlayAllSongs_Click() { cmdPlayAll_Click(); }
void NameList::mnuPlayFolder_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayFolder)); }
void NameList::mnuPlayFolderAndSubfolders_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::PlayFolderAndSubfolders));
}
void NameList::mnuFileCopy_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CopyDisplayedFiles)); }
void NameList::mnuPopupCopyFile_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CopyCurrentFile)); }
void NameList::DisplayRecCntMenu_Click() { RecordCommands(*this).DisplayRecCntMenu_Click(); }
void NameList::cmdCount_Click() { DisplayRecCntMenu_Click(); }

// ============================================================================ openers of other windows

void NameList::Category_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::CategoryForm));
    txtLocate->setFocus();
}
void NameList::cmdCategory_Click() { Category_Click(); }
void NameList::SelectionCriteria_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CriteriaForm)); }
void NameList::cmdFilter_Click() { SelectionCriteria_Click(); }
void NameList::AssignCatgMenu_Click() {
    if (recordCount() > 0)
        modMain::ShowCategoryAssign();
}
void NameList::cmdAssignCatg_Click() { modMain::ShowCategoryAssign(); }
void NameList::mnuPopupAssignToCategory_Click() { modMain::ShowCategoryAssign(); }
void NameList::AssignAllToCatg_Click() {
    if (recordCount() > 0)
        OtherWindows::open(QString::fromLatin1(OtherWindows::CatgAssignAll));
}
void NameList::RemoveAllFromCatg_Click() { AssignAllToCatg_Click(); }
void NameList::cmdNotes_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::MemoForm)); }
void NameList::cmdPlayList_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmPlayList)); }
void NameList::mnuChangePaths_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmChangeFilePath)); }
void NameList::mnuReplace_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmReplace)); }
void NameList::mnuFindInvalidFilenames_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::mnuFindInvalidFilenames)); }
void NameList::OphanedPictures_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::OphanedPictures)); }

// ============================================================================ reports

void NameList::mnuArtistRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Artist"));
}
void NameList::mnuSongRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Song"));
}
void NameList::mnuPathRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Path"));
}
void NameList::StatisticsReport_Click() {}
void NameList::OpenDatabase_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::OpenDatabase)); }
void NameList::mnuCompactDatabase_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CompactDatabase)); }
void NameList::mnuDeleteAll_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteAll)); }
void NameList::mnuDeleteDisplayed_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDisplayed)); }
void NameList::mnuDeleteDuplicates_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDuplicates)); }
void NameList::mnuDeleteDuplicatesAlbum_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDuplicatesAlbum));
}
void NameList::mnuRptLinesPerPage_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::mnuRptLinesPerPage)); }
void NameList::Export_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ExportToCsv), QStringLiteral("False"));
}
void NameList::ExportWithNotes_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ExportToCsv), QStringLiteral("True"));
}

// ============================================================================ music import

namespace {

// The main window as the import and its commands see it.
class ImportHostOf : public import::ImportHost {
public:
    explicit ImportHostOf(NameList &w) : w_(w) {}
    QWidget *window() const override { return &w_; }
    void setWindowVisible(bool visible) override { w_.setVisible(visible); }
    void showAllSongs() override { w_.ShowAllMenu_Click(); }
    void showCurrentArtistButton() override {
        if (w_.recordCount() > 0)
            w_.showArtistButton(w_.currentText(QStringLiteral("Artist")));
    }
    void focusGrid() override {
        if (w_.Table1->isVisible() && w_.Table1->isEnabled())
            w_.Table1->setFocus();
    }
    void loadMusicFiles(const QString &folder, const QString &fileName, bool driveMode) override {
        w_.LoadMusicFiles(folder, fileName, driveMode);
    }

private:
    NameList &w_;
};

} // namespace

void NameList::LoadMusicFiles(const QString &Folder, const QString &FileName, bool driveMode) {
    ImportHostOf host(*this);
    import::LoadMusicFiles(host, Folder, FileName, driveMode);
}

void NameList::AddMusicFolder_Click() {
    ImportHostOf host(*this);
    import::AddFolderCommand(host);
}

void NameList::AddOneMusicFile_Click() {
    ImportHostOf host(*this);
    import::AddFileCommand(host);
}

void NameList::ScanFiles_Click() {
    ImportHostOf host(*this);
    import::ScanFilesCommand(host);
}

} // namespace songlist
