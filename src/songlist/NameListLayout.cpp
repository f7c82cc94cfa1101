// The main window's layout: its controls and menus, built from tables of name, caption, place in
// twips and handler, and the twips every control's place is kept in.
#include "songlist/NameList.h"

#include "core/CommonDialogControl.h"
#include "songlist/CommandWiring.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace songlist {

namespace ui = platform::ui;
using platform::ui::GridColumn;

namespace {

// Height of everything that is not grid, above and below it (the header label's height), and
// the grid's designed top.
constexpr double kGridTop = 1230;
constexpr double kHeaderHeight = 3050;
constexpr double kMarginWidth = 240;

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

// The kinds of control the window's table builds.
enum class ControlKind { Label, ViewLabel, Button, Frame, Combo, Box, Text, Grid };

// One control of the window's client area: kind, name, caption, place in twips, tool tip, the
// member that keeps it and the handler its click runs.
struct ControlRow {
    ControlKind kind;
    const char *name;
    const char *caption;
    TwRect place;
    const char *tip = "";
    ui::ControlSlot keep = {};
    void (NameList::*click)() = nullptr;
};

QWidget *newControl(ControlKind kind, const QString &caption, QWidget *client) {
    switch (kind) {
    case ControlKind::Label: return new QLabel(caption, client);
    case ControlKind::ViewLabel: return new ui::Label(client);
    case ControlKind::Button: {
        auto *b = new QPushButton(caption, client);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    }
    case ControlKind::Frame: return new QFrame(client);
    case ControlKind::Combo: return new QComboBox(client);
    case ControlKind::Box: return new QLineEdit(caption, client);
    case ControlKind::Text: return new QPlainTextEdit(client);
    case ControlKind::Grid: return new ui::DbGrid(client);
    }
    return nullptr;
}

// One entry of a menu: the menu, the member that keeps the entry, its name, caption and handler.
// An entry without a caption is a separator (kept only where it has a name).
struct MenuRow {
    QMenu *NameList::*menu;
    QAction *NameList::*entry = nullptr;
    const char *name = nullptr;
    const char *caption = nullptr;
    void (NameList::*click)() = nullptr;
};

} // namespace

void NameList::buildControls() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("NameListClient"));
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    Data1 = new ui::DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QStringLiteral("tblContacts"));
    // Any view bound to the grid replaces the one the load left to be opened.
    connect(Data1, &ui::DataControl::recordsetReplaced, this, [this] { firstContentsPending_ = false; });
    CMDialog1 = new core::CommonDialogControl(this);
    CMDialog1->setObjectName(QStringLiteral("CMDialog1"));

    const double sortLeft = DesignWidth - kMarginWidth / 2 - 2200;
    const double inner = DesignWidth - kMarginWidth;  // the grid's width and the bands under it
    using K = ControlKind;
    using W = NameList;
    const ControlRow controls[] = {
        // kind, name, caption, place (left, top, width, height), tool tip, member, click
        {K::Label, "lblHeader", "", {0, 0, DesignWidth, kHeaderHeight}, "", lblHeader},
        {K::Label, "lblMargin", "", {0, 0, kMarginWidth, 100}, "", lblMargin},
        {K::Frame, "FrameAlpha", "", {120, 60, 37 * 255 + 375, 330}, "", FrameAlpha},
        {K::Label, "lblFilterMsg", FilterMessage, {DesignWidth - 3900 - 300, 60, 3900, 285}, "", lblFilterMsg},
        {K::Button, "cmdShowAll", "Show All", {120, 440, 1000, 345}, "Display all songs", cmdShowAll,
         &W::cmdShowAll_Click},
        {K::Button, "cmdFind", "Find", {1170, 440, 700, 345}, "Search for any text in the entire database", cmdFind,
         &W::cmdFind_Click},
        {K::Button, "cmdFilter", "Filter", {1920, 440, 700, 345}, "Specify criteria to limit the songs displayed",
         cmdFilter, &W::cmdFilter_Click},
        {K::Button, "cmdCategory", "Category", {2670, 440, 900, 345}, "Select a Category of songs", cmdCategory,
         &W::cmdCategory_Click},
        {K::Button, "cmdAssignCatg", "Assign", {3620, 440, 800, 345}, "Assign the current song to a Category",
         cmdAssignCatg, &W::cmdAssignCatg_Click},
        {K::Button, "cmdCount", "Count", {4470, 440, 700, 345}, "Count the number of songs displayed", cmdCount,
         &W::cmdCount_Click},
        {K::Button, "cmdNotes", "Notes", {5220, 440, 700, 345}, "Display and add notes", cmdNotes,
         &W::cmdNotes_Click},
        {K::Button, "cmdPictures", "Pictures", {5970, 440, 850, 345}, "Display or Hide Pictures", cmdPictures,
         &W::cmdPictures_Click},
        {K::Button, "cmdHelp", "Help", {6870, 440, 700, 345}, "", cmdHelp, &W::cmdHelp_Click},
        {K::Button, "cmdPlayList", "PlayLists", {7620, 440, 950, 345}, "", cmdPlayList, &W::cmdPlayList_Click},
        {K::Button, "cmdExitSign", "", {8620, 440, 450, 345}, "Exit", cmdExitSign, &W::cmdExitSign_Click},
        {K::Label, "lblSort", "Sort by:", {sortLeft - 450, 480, 900, 255}, "", lblSort},
        {K::Button, "cmdSortSong", "song", {sortLeft + 400, 440, 600, 315}, "", cmdSortSong, &W::cmdSortSong_Click},
        {K::Button, "cmdSortArtist", "artist", {sortLeft + 1100, 440, 600, 315}, "", cmdSortArtist,
         &W::cmdSortArtist_Click},
        {K::Combo, "cmbSort", "", {sortLeft, 830, 2200, 315}, "", cmbSort},
        {K::Label, "lblLocate", "Locate:", {120, 860, 700, 255}, "", lblLocate},
        {K::Box, "txtLocate", "", {840, 830, 2400, 285}, "", txtLocate},
        {K::ViewLabel, "lblCategory", "", {3340, 860, sortLeft - 3340 - 50, 285}, "", lblCategory},
        {K::Grid, "Table1", "", {kMarginWidth / 2, kGridTop, inner, 6000}, "", Table1},
        {K::Box, "TextBackground", "", {120, 7310, inner, 1010}, "", TextBackground},
        {K::Text, "txtName", "", {220, 7365, inner - 200, 900}, "", txtName},
        {K::Box, "txtSongAddedToPlaylist", "Song added to play list.", {6000, 7365, 2600, 285}, "",
         txtSongAddedToPlaylist},
        {K::Button, "cmdShowArtistSongs", "Show all songs by current artist", {5880, 8325, 3600, 300}, "",
         cmdShowArtistSongs, &W::cmdShowArtistSongs_Click},
        {K::Button, "cmdShowSelected", "Show Selected Records Only", {120, 8625, 2500, 255}, "", cmdShowSelected,
         &W::cmdShowSelected_Click},
        {K::Label, "lblSelectedCount", "", {270, 8890, 2200, 240}, "", lblSelectedCount},
        // The bottom row; the resize rule places it.
        {K::Button, "cmdDelete", "&Delete", {0, 8700, 1300, 420}, "", cmdDelete, &W::cmdDelete_Click},
        {K::Button, "cmdAdd", "&Add", {0, 8700, 1300, 420}, "", cmdAdd, &W::cmdAdd_Click},
        {K::Button, "cmdEdit", "&View/Edit", {0, 8700, 1300, 420}, "", cmdEdit, &W::cmdEdit_Click},
        {K::Button, "cmdExit", "E&xit", {0, 8700, 1300, 420}, "", cmdExit, &W::cmdExit_Click},
        {K::Button, "cmdPlay", "Play", {0, 8700, 900, 420}, "", cmdPlay, &W::cmdPlay_Click},
        {K::Button, "cmdPlayAll", "Play all", {0, 8700, 900, 420}, "", cmdPlayAll, &W::cmdPlayAll_Click},
    };
    for (const ControlRow &c : controls) {
        QWidget *w = newControl(c.kind, QString::fromUtf8(c.caption), client);
        w->setObjectName(QString::fromLatin1(c.name));
        setControlRect(w, c.place);
        if (*c.tip)
            w->setToolTip(QString::fromUtf8(c.tip));
        c.keep(w);
        if (c.click)
            on(static_cast<QAbstractButton *>(w), c.click);
    }

    // What the table does not say of a control.
    lblHeader->hide();
    lblMargin->hide();
    lblFilterMsg->hide();
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
    cmdExitSign->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    cmbSort->setEditable(false);
    connect(lblCategory, &ui::Label::Change, this, [this] { lblCategory_Change(); });
    Table1->setColumns(designedColumns());
    Table1->setDataSource(Data1);
    TextBackground->setReadOnly(true);
    // The backdrop and its text are one box to the user: one Tab stop, the text's.
    TextBackground->setFocusProxy(txtName);
    txtName->setReadOnly(true);
    txtName->setFrameShape(QFrame::NoFrame);
    txtName->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtName->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSongAddedToPlaylist->setReadOnly(true);
    txtSongAddedToPlaylist->hide();
    cmdShowSelected->hide();

    // The grid and the boxes stand above the bands; the band labels are behind everything.
    TextBackground->lower();
    txtName->raise();
    txtSongAddedToPlaylist->raise();
}

void NameList::buildMenus() {
    const struct {
        QMenu *NameList::*menu;
        const char *name, *caption;
    } menus[] = {
        {&NameList::File, "File", "&File"},           {&NameList::EditMenu, "EditMenu", "&Edit"},
        {&NameList::PlayMenu, "PlayMenu", "&Play"},   {&NameList::ReportsMenu, "ReportsMenu", "&Reports"},
        {&NameList::OptionsMenu, "OptionsMenu", "&Options"}, {&NameList::HelpMenu, "HelpMenu", "&Help"},
    };
    for (const auto &m : menus) {
        this->*m.menu = menuBar()->addMenu(QString::fromUtf8(m.caption));
        (this->*m.menu)->setObjectName(QString::fromLatin1(m.name));
    }
    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));

    using W = NameList;
    const MenuRow entries[] = {
        // menu, member, name, caption, handler; no caption: a separator
        {&W::File, &W::OpenDatabase, "OpenDatabase", "Open Database ...", &W::OpenDatabase_Click},
        {&W::File, &W::mnuCompactDatabase, "mnuCompactDatabase", "Compact Database ...", &W::mnuCompactDatabase_Click},
        {&W::File},
        {&W::File, &W::AddMusicFolder, "AddMusicFolder", "Add a Folder of Music Files (including subfolders) ...",
         &W::AddMusicFolder_Click},
        {&W::File, &W::AddOneMusicFile, "AddOneMusicFile", "Add One Music File ...", &W::AddOneMusicFile_Click},
        {&W::File, &W::ScanFiles, "ScanFiles", "Add All Music Files (Scan Entire Drive) ...", &W::ScanFiles_Click},
        {&W::File},
        {&W::File, &W::mnuFileCopy, "mnuFileCopy", "Copy All Displayed Files (Export) ...", &W::mnuFileCopy_Click},
        {&W::File},
        {&W::File, &W::Category, "Category", "&Choose a Category ...", &W::Category_Click},
        {&W::File, &W::SelectionCriteria, "SelectionCriteria", "&Specify Record Filter ...",
         &W::SelectionCriteria_Click},
        {&W::File},
        {&W::File, &W::SelectColor, "SelectColor", "Select &Background Color...", &W::SelectColor_Click},
        {&W::File, &W::RestoreColor, "RestoreColor", "&Restore Original Color", &W::RestoreColor_Click},
        {&W::File, &W::mnuFileFont, "mnuFileFont", "Choose Screen Font ...", &W::mnuFileFont_Click},
        {&W::File},
        {&W::File, &W::mnuDeleteDisplayed, "mnuDeleteDisplayed", "Delete All Displayed Records ...",
         &W::mnuDeleteDisplayed_Click},
        {&W::File, &W::mnuDeleteAll, "mnuDeleteAll", "Delete All Records in Database ...", &W::mnuDeleteAll_Click},
        {&W::File},
        {&W::File, &W::FileExit, "FileExit", "E&xit", &W::FileExit_Click},

        {&W::EditMenu, &W::AddMenu, "AddMenu", "&Add a New Record ...", &W::AddMenu_Click},
        {&W::EditMenu, &W::EditViewMenu, "EditViewMenu", "&Edit/View Current Record ...", &W::EditViewMenu_Click},
        {&W::EditMenu, &W::FindEditMenu, "FindEditMenu", "&Find Any Text ...", &W::FindEditMenu_Click},
        {&W::EditMenu, &W::mnuReplace, "mnuReplace", "Find and Replace Text ...", &W::mnuReplace_Click},
        {&W::EditMenu, &W::mnuChangePaths, "mnuChangePaths", "Change Music File Locations ...",
         &W::mnuChangePaths_Click},
        {&W::EditMenu},
        {&W::EditMenu, &W::AssignCatgMenu, "AssignCatgMenu", "Assign to Category ...", &W::AssignCatgMenu_Click},
        {&W::EditMenu, &W::AssignAllToCatg, "AssignAllToCatg", "A&ssign Many Records to Category ...",
         &W::AssignAllToCatg_Click},
        {&W::EditMenu, &W::RemoveAllFromCatg, "RemoveAllFromCatg", "Remove Many Records from Category ...",
         &W::RemoveAllFromCatg_Click},
        {&W::EditMenu},
        {&W::EditMenu, &W::GridEditMenu, "GridEditMenu", "Allow &Grid Editing", &W::GridEditMenu_Click},
        {&W::EditMenu, &W::mnuFindInvalidFilenames, "mnuFindInvalidFilenames", "Find Records with Invalid Filenames",
         &W::mnuFindInvalidFilenames_Click},
        {&W::EditMenu, &W::Separator1, "Separator1"},
        {&W::EditMenu, &W::mnuShowDuplicates, "mnuShowDuplicates", "Show Duplicate Songs",
         &W::mnuShowDuplicates_Click},
        {&W::EditMenu, &W::mnuShowDuplicatesToDelete, "mnuShowDuplicatesToDelete", "Show Duplicate Songs to Delete",
         &W::mnuShowDuplicatesToDelete_Click},
        {&W::EditMenu, &W::mnuDeleteDuplicates, "mnuDeleteDuplicates", "Delete Duplicate Songs ...",
         &W::mnuDeleteDuplicates_Click},
        {&W::EditMenu, &W::Separator2, "Separator2"},
        {&W::EditMenu, &W::mnuShowDuplicatesAlbum, "mnuShowDuplicatesAlbum", "Show Duplicate Songs in Albums",
         &W::mnuShowDuplicatesAlbum_Click},
        {&W::EditMenu, &W::mnuShowDuplicatesToDeleteAlbum, "mnuShowDuplicatesToDeleteAlbum",
         "Show Duplicate Songs to Delete in Albums", &W::mnuShowDuplicatesToDeleteAlbum_Click},
        {&W::EditMenu, &W::mnuDeleteDuplicatesAlbum, "mnuDeleteDuplicatesAlbum", "Delete Duplicate Songs in Albums ...",
         &W::mnuDeleteDuplicatesAlbum_Click},
        {&W::EditMenu},
        {&W::EditMenu, &W::ShowAllMenu, "ShowAllMenu", "Show ALL &Records", &W::ShowAllMenu_Click},
        {&W::EditMenu, &W::ShowSelectedOnlyMenu, "ShowSelectedOnlyMenu", "&Show Selected Records Only",
         &W::ShowSelectedOnlyMenu_Click},
        {&W::EditMenu, &W::HideSelectedMenu, "HideSelectedMenu", "&Hide Selected Records", &W::HideSelectedMenu_Click},
        {&W::EditMenu, &W::RemoveSelectionsMenu, "RemoveSelectionsMenu", "Remove Selection &Marks",
         &W::RemoveSelectionsMenu_Click},
        {&W::EditMenu},
        {&W::EditMenu, &W::DisplayRecCntMenu, "DisplayRecCntMenu", "&Display Record Count",
         &W::DisplayRecCntMenu_Click},

        {&W::PlayMenu, &W::mnuPlayCurrentSong, "mnuPlayCurrentSong", "Play current song", &W::mnuPlayCurrentSong_Click},
        {&W::PlayMenu, &W::mnuPlayAllSongs, "mnuPlayAllSongs", "Play all songs", &W::mnuPlayAllSongs_Click},
        {&W::PlayMenu, &W::mnuPlayFolder, "mnuPlayFolder", "Play songs in one folder ...", &W::mnuPlayFolder_Click},
        {&W::PlayMenu, &W::mnuPlayFolderAndSubfolders, "mnuPlayFolderAndSubfolders",
         "Play songs in folder including subfolders ...", &W::mnuPlayFolderAndSubfolders_Click},

        {&W::ReportsMenu, &W::mnuArtistRpt, "mnuArtistRpt", "Artist/Song Report", &W::mnuArtistRpt_Click},
        {&W::ReportsMenu, &W::mnuSongRpt, "mnuSongRpt", "Song/Artist Report", &W::mnuSongRpt_Click},
        {&W::ReportsMenu, &W::mnuPathRpt, "mnuPathRpt", "Pathname/Filename Report", &W::mnuPathRpt_Click},
        {&W::ReportsMenu, &W::StatisticsReport, "StatisticsReport", "Statistics Report", &W::StatisticsReport_Click},
        {&W::ReportsMenu},
        {&W::ReportsMenu, &W::mnuRptLinesPerPage, "mnuRptLinesPerPage", "Set # of lines per page for reports",
         &W::mnuRptLinesPerPage_Click},
        {&W::ReportsMenu},
        {&W::ReportsMenu, &W::Export, "Export", "Export data to CSV file without Notes ...", &W::Export_Click},
        {&W::ReportsMenu, &W::ExportWithNotes, "ExportWithNotes", "Export data to CSV file and include Notes ...",
         &W::ExportWithNotes_Click},

        {&W::OptionsMenu, &W::TabletMode, "TabletMode", "Set to Tablet Mode", &W::TabletMode_Click},
        {&W::OptionsMenu, &W::DesktopMode, "DesktopMode", "Set to Desktop Mode", &W::DesktopMode_Click},
        {&W::OptionsMenu},
        {&W::OptionsMenu, &W::mnuOptionsWarningMessagesReset, "mnuOptionsWarningMessagesReset",
         "Reset all warning messages", &W::mnuOptionsWarningMessagesReset_Click},
        {&W::OptionsMenu, &W::mnuOptionWindowSize, "mnuOptionWindowSize", "Remember window size between sessions",
         &W::mnuOptionWindowSize_Click},
        {&W::OptionsMenu, &W::mnuOptionFileRename, "mnuOptionFileRename",
         "Do not allow files to be renamed or moved ...", &W::mnuOptionFileRename_Click},
        // The width applies to this program's own scroll bars only, so the caption says no more.
        {&W::OptionsMenu, &W::ScrollBarWidth, "ScrollBarWidth", "Change Scroll Bar Width", &W::ScrollBarWidth_Click},
        {&W::OptionsMenu, &W::DataBaseLocation, "DataBaseLocation", "Database Location ...",
         &W::DataBaseLocation_Click},
        {&W::OptionsMenu},
        {&W::OptionsMenu, &W::OphanedPictures, "OphanedPictures", "Check for Ophaned Pictures",
         &W::OphanedPictures_Click},
        {&W::OptionsMenu, &W::EmptyDeletedPicturesFolder, "EmptyDeletedPicturesFolder", "Empty Deleted Pictures Folder",
         &W::EmptyDeletedPicturesFolder_Click},

        {&W::HelpMenu, &W::HelpSystem, "HelpSystem", "&View Help ...", &W::HelpSystem_Click},
        {&W::HelpMenu, &W::HelpGotoWebsite, "HelpGotoWebsite", "Orvalis &Web Site ...", &W::HelpGotoWebsite_Click},
        {&W::HelpMenu, &W::AboutBox, "AboutBox", "&About ...", &W::AboutBox_Click},

        {&W::mnuPopup, &W::mnuPopupAddToPlaylist, "mnuPopupAddToPlaylist", "Add to PlayList",
         &W::mnuPopupAddToPlaylist_Click},
        {&W::mnuPopup, &W::mnuPopupPlay, "mnuPopupPlay", "Play", &W::mnuPopupPlay_Click},
        {&W::mnuPopup, &W::mnuPopupAssignToCategory, "mnuPopupAssignToCategory", "Assign to Category ...",
         &W::mnuPopupAssignToCategory_Click},
        {&W::mnuPopup, &W::mnuPopupCopyFile, "mnuPopupCopyFile", "Copy File ...", &W::mnuPopupCopyFile_Click},
        {&W::mnuPopup, &W::mnuPopupDelete, "mnuPopupDelete", "Delete", &W::mnuPopupDelete_Click},
    };
    for (const MenuRow &e : entries) {
        QMenu *menu = this->*e.menu;
        QAction *a = e.caption ? menu->addAction(QString::fromUtf8(e.caption)) : menu->addSeparator();
        if (e.name)
            a->setObjectName(QString::fromLatin1(e.name));
        if (e.entry)
            this->*e.entry = a;
        if (e.click)
            on(a, e.click);
    }
    StatisticsReport->setVisible(false);
}

void NameList::wireCommands() {
    connect(cmbSort, &QComboBox::activated, this, [this](int) { run([this] { cmbSort_Click(); }); });
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

} // namespace songlist
