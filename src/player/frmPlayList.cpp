#include "player/frmPlayList.h"

#include "core/AppState.h"
#include "core/frmHelp.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "platform/db/DbError.h"
#include "platform/ui/DragListWidget.h"
#include "platform/ui/PromptService.h"
#include "player/MusicFileCopy.h"
#include "player/PlayListErrors.h"
#include "player/PlayListFiles.h"
#include "player/PlayListImport.h"
#include "player/PlayListReports.h"
#include "player/PlayListStore.h"
#include "player/frmPlayListDetail.h"
#include "player/frmPlayListHeader.h"
#include "player/PlayerTexts.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <utility>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {
const QString kAddSongHint = QStringLiteral("Press the Add Song button to add this song, or choose another play list.");


db::Recordset *mainGridRecordset() {
    auto *main = songlist::NameList::instance();
    return main && main->Data1 ? main->Data1->recordset() : nullptr;
}

TrackFields songFields(const db::Recordset &rs) { return PlayListStore::catalogueTrack(rs); }
} // namespace

frmPlayList::frmPlayList(QWidget *parent) : Form<QDialog>(parent) {
    buildControls();
    load();
}

frmPlayList::~frmPlayList() = default;

// ============================================================================ controls

void frmPlayList::buildControls() {
    setWindowTitle(QStringLiteral("Play Lists"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    layout->setMenuBar(menuBar);
    auto *client = new QWidget(this);
    layout->addWidget(client);

    auto label = [&](const char *name, const QString &text, int l, int t, int wd, int h) {
        return ui::named(new QLabel(text, client), name, l, t, wd, h);
    };
    auto button = [&](const char *name, const QString &text, int l, int t, int wd, int h) {
        auto *b = ui::named(new QPushButton(text, client), name, l, t, wd, h);
        b->setAutoDefault(false);
        return b;
    };

    Label2 = label("Label2", QStringLiteral("Play Lists:"), 120, 120, 1500, 255);
    cmbHeader = ui::named(new QComboBox(client), "cmbHeader", 120, 380, 4200, 315);
    // Dropped down it is a list like any other (rows on the box colour, the current one
    // highlighted), not a menu of flat grey rows.
    cmbHeader->setItemDelegate(new QStyledItemDelegate(cmbHeader));
    lblInstructions = label("lblInstructions", QStringLiteral("Select a play list from this drop-down list."), 4440,
                            400, 3600, 255);
    Label1 = label("Label1", QStringLiteral("Songs:"), 120, 800, 1500, 255);
    lblNumSongs = label("lblNumSongs", QString(), 4440, 800, 3000, 255);
    lbDetail = ui::named(new ui::DragListWidget(client), "lbDetail", 120, 1060, 7800, 4600);
    Label3 = label("Label3", QString(), 120, 5720, 7800, 480);
    Label3->setWordWrap(true);
    lblSongTitle = label("lblSongTitle", QString(), 120, 6240, 7800, 255);
    lblMsg = label("lblMsg", QString(), 120, 6520, 7800, 480);
    lblMsg->setWordWrap(true);
    cmdOK = button("cmdOK", QStringLiteral("&Add Song"), 8100, 380, 1900, 372);
    cmdAddHeader = button("cmdAddHeader", QStringLiteral("Add &New Play List"), 8100, 1060, 1900, 372);
    cmdAddHeader->setProperty("Tag", QStringLiteral("Add"));
    cmdPlay = button("cmdPlay", QStringLiteral("&Play All Songs"), 8100, 1560, 1900, 372);
    cmdPlay1 = button("cmdPlay1", QStringLiteral("Play Current Song"), 8100, 2060, 1900, 372);
    cmdHelpPlayList = button("cmdHelpPlayList", QStringLiteral("Play List &Help"), 8100, 4800, 1900, 372);
    cmdClose = button("cmdClose", QStringLiteral("&Close"), 8100, 5300, 1900, 372);
    client->setMinimumSize(ui::twipsToPixelsX(10140), ui::twipsToPixelsY(7100));

    auto action = [&](QMenu *menu, const char *name, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuFile = menuBar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileCopyMusic = action(mnuFile, "mnuFileCopyMusic", QStringLiteral("C&opy music files to another folder ..."));
    mnuFileMakePlayListFile = action(mnuFile, "mnuFileMakePlayListFile", QStringLiteral("&Save Play List File as ..."));
    mnuFileDisplayOnly =
        action(mnuFile, "mnuFileDisplayOnly", QStringLiteral("Display Only These Songs (on previous screen)"));
    mnuFilePopulate = action(mnuFile, "mnuFilePopulate", QStringLiteral("Populate From Text File List ..."));
    mnuFileClose = action(mnuFile, "mnuFileClose", QStringLiteral("&Close"));
    mnuEdit = menuBar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuAddAllSongs = action(mnuEdit, "mnuAddAllSongs", QStringLiteral("Add all songs to Play List ..."));
    mnuEditAddSong = action(mnuEdit, "mnuEditAddSong", QStringLiteral("Add song not in database ..."));
    mnuEditChangeFileNamePath =
        action(mnuEdit, "mnuEditChangeFileNamePath", QStringLiteral("Change FileName Path in PlayLists ..."));
    mnuEditDeleteSong = action(mnuEdit, "mnuEditDeleteSong", QStringLiteral("Delete song from Play List"));
    mnuEditEditSong = action(mnuEdit, "mnuEditEditSong", QStringLiteral("Edit song in list ..."));
    mnuEditSeparator1 = mnuEdit->addSeparator();
    mnuEditSeparator1->setObjectName(QStringLiteral("mnuEditSeparator1"));
    mnuEditDelete = action(mnuEdit, "mnuEditDelete", QStringLiteral("&Delete Play List"));
    mnuEditPlayList = action(mnuEdit, "mnuEditPlayList", QStringLiteral("Change Play List Name or Notes ..."));
    mnuReports = menuBar->addMenu(QStringLiteral("&Reports"));
    mnuReports->setObjectName(QStringLiteral("mnuReports"));
    mnuReportsDetail = action(mnuReports, "mnuReportsDetail", QStringLiteral("Play List Detail"));
    mnuReportsDetailWithFilenames =
        action(mnuReports, "mnuReportsDetailWithFilenames", QStringLiteral("Play List Detail with file names"));
    mnuHelp = menuBar->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));

    connect(cmbHeader, &QComboBox::activated, this, guarded([this] { cmbHeader_Click(); }));
    connect(lbDetail, &QListWidget::currentRowChanged, this, [this] {
        if (!loading_)
            runCommand([this] { lbDetail_Click(); });
    });
    connect(lbDetail, &QListWidget::itemDoubleClicked, this, guarded([this] { lbDetail_DblClick(); }));
    connect(lbDetail, &ui::DragListWidget::dragMoved, this, [this] { DragOrderChanged = true; });
    connect(lbDetail, &ui::DragListWidget::dropped, this, [this](int index) { MoveListItem(lbDetail, index); });
    lbDetail->installEventFilter(this);
    lbDetail->viewport()->installEventFilter(this);
    connect(mnuEdit, &QMenu::aboutToHide, this, [this] { reduceEditMenu(false); });

    connect(cmdAddHeader, &QPushButton::clicked, this, guarded([this] { cmdAddHeader_Click(); }));
    connect(cmdOK, &QPushButton::clicked, this, guarded([this] { cmdOK_Click(); }));
    connect(cmdPlay, &QPushButton::clicked, this, guarded([this] { cmdPlay_Click(); }));
    connect(cmdPlay1, &QPushButton::clicked, this, guarded([this] { cmdPlay1_Click(); }));
    connect(cmdClose, &QPushButton::clicked, this, guarded([this] { cmdClose_Click(); }));
    connect(cmdHelpPlayList, &QPushButton::clicked, this, guarded([this] { cmdHelpPlayList_Click(); }));
    connect(mnuHelp, &QAction::triggered, this, guarded([this] { mnuHelp_Click(); }));
    connect(mnuAddAllSongs, &QAction::triggered, this, guarded([this] { mnuAddAllSongs_Click(); }));
    connect(mnuEditAddSong, &QAction::triggered, this, guarded([this] { mnuEditAddSong_Click(); }));
    connect(mnuEditChangeFileNamePath, &QAction::triggered, this, guarded([this] { mnuEditChangeFileNamePath_Click(); }));
    connect(mnuEditDeleteSong, &QAction::triggered, this, guarded([this] { mnuEditDeleteSong_Click(); }));
    connect(mnuEditEditSong, &QAction::triggered, this, guarded([this] { mnuEditEditSong_Click(); }));
    connect(mnuEditDelete, &QAction::triggered, this, guarded([this] { mnuEditDelete_Click(); }));
    connect(mnuEditPlayList, &QAction::triggered, this, guarded([this] { mnuEditPlayList_Click(); }));
    connect(mnuFileClose, &QAction::triggered, this, guarded([this] { mnuFileClose_Click(); }));
    connect(mnuFileCopyMusic, &QAction::triggered, this, guarded([this] { mnuFileCopyMusic_Click(); }));
    connect(mnuFileMakePlayListFile, &QAction::triggered, this, guarded([this] { mnuFileMakePlayListFile_Click(); }));
    connect(mnuFileDisplayOnly, &QAction::triggered, this, guarded([this] { mnuFileDisplayOnly_Click(); }));
    connect(mnuFilePopulate, &QAction::triggered, this, guarded([this] { mnuFilePopulate_Click(); }));
    connect(mnuReportsDetail, &QAction::triggered, this, guarded([this] { mnuReportsDetail_Click(); }));
    connect(mnuReportsDetailWithFilenames, &QAction::triggered, this,
            guarded([this] { mnuReportsDetailWithFilenames_Click(); }));
}

void frmPlayList::setTrackCommands(bool enabled) {
    for (QAction *a : {mnuFileMakePlayListFile, mnuFileCopyMusic, mnuFileDisplayOnly})
        a->setEnabled(enabled);
    cmdPlay->setEnabled(enabled);
    cmdPlay1->setEnabled(enabled);
}

bool frmPlayList::mainGridHasRecords() const {
    auto *main = songlist::NameList::instance();
    return main && main->Data1 && main->Data1->recordCount() > 0;
}

long frmPlayList::chosenListId() const {
    return cmbHeader->currentIndex() < 0 ? 0 : long(cmbHeader->currentData().toLongLong());
}

static QString firstLine(const QListWidget *list) { return list->count() > 0 ? list->item(0)->text() : QString(); }

// ============================================================================ load

void frmPlayList::load() {
    auto &s = g();
    SetDropDownHeight(cmbHeader, 32);
    LoadHeaderCombo();
    Label3->setText(ui::displayText(QStringLiteral(
        "To change song order, drag and drop song names in this list to a new position.\r\n"
        "To delete a song, right-click a song and choose Delete from the pop-up menu.")));

    // A remembered list that no longer exists counts as none, and is forgotten.
    bool remembered = aboveBlank(s.CurrentPlayList);
    if (remembered && cmbHeader->findText(s.CurrentPlayList, Qt::MatchFixedString) < 0) {
        s.CurrentPlayList.clear();
        remembered = false;
    }
    if (remembered) {
        selectList(s.CurrentPlayList);
        lblMsg->setText(kAddSongHint);
        cmdOK->setEnabled(true);
        lblSongTitle->setVisible(true);
        lblInstructions->setVisible(false);
        for (QAction *a : {mnuEditDelete, mnuEditPlayList, mnuAddAllSongs, mnuFileDisplayOnly, mnuFilePopulate})
            a->setEnabled(true);
    } else {
        lblSongTitle->setVisible(false);
        for (QAction *a : {mnuEditDelete, mnuEditPlayList, mnuAddAllSongs, mnuFileDisplayOnly, mnuFilePopulate})
            a->setEnabled(false);
        cmdOK->setEnabled(false);
        const bool listsExist = cmbHeader->count() > 0 && aboveBlank(cmbHeader->itemText(0));
        if (listsExist) {
            lblMsg->setText(QStringLiteral("Select a play list."));
        } else {
            lblMsg->setText(QStringLiteral("There are no play lists.  Click the Add New Play List button."));
            // First in the tab order: the focus starts there.
            QWidget::setTabOrder(cmdAddHeader, cmbHeader);
            cmdAddHeader->setFocus();
        }
        mnuEditAddSong->setEnabled(false);
        lblInstructions->setVisible(listsExist);
    }

    if (s.PlayListAddSongMode) {
        QString name;
        if (auto *rs = mainGridRecordset(); rs && !rs->bof() && !rs->eof())
            name = textOf(rs->value(QStringLiteral("SongName")));
        if (!name.isEmpty()) {
            setWindowTitle(QStringLiteral("Add song: \"") + name + QStringLiteral("\" to play list."));
            lblSongTitle->setText(name);
        }
    } else {
        setWindowTitle(QStringLiteral("Play Lists"));
        if (aboveBlank(s.CurrentPlayList))
            lblMsg->clear();
        cmdOK->setEnabled(false);
    }

    if (firstLine(lbDetail).isEmpty()) {
        setTrackCommands(false);
        mnuEditDeleteSong->setEnabled(false);
        mnuEditEditSong->setEnabled(false);
    }
    ui::applyScreenFont(this, s.ScreenFontName);
    if (!mainGridHasRecords())
        mnuAddAllSongs->setEnabled(false);
    lbDetail->setDragReorder(!core::programFolder().toLower().contains(QLatin1String("source")));
}

void frmPlayList::changeEvent(QEvent *e) {
    Form<QDialog>::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmPlayList::Form_Activate() {
    if (cmbHeader->count() >= 1 && cmbHeader->currentIndex() < 0) {
        cmbHeader->setFocus();
        modMain::ShowComboDropDown(cmbHeader);
        // The keys act on the first list until one is chosen: it is shown highlighted.
        if (QAbstractItemView *list = cmbHeader->view())
            list->setCurrentIndex(cmbHeader->model()->index(0, cmbHeader->modelColumn(), cmbHeader->rootModelIndex()));
    }
}

// ============================================================================ lists

void frmPlayList::SetDropDownHeight(QComboBox *Combo, int Rows) {
    // The drop-down shows Rows items before it scrolls.
    Combo->setMaxVisibleItems(Rows);
}

void frmPlayList::LoadHeaderCombo() {
    auto &s = g();
    loading_ = true;
    cmbHeader->clear();
    lbDetail->clear();
    loading_ = false;
    auto rs = s.Db->openRecordset(QStringLiteral("select ListName, ListID from tblPlayListHeader Order by ListName"));
    if (rs->eof()) {
        s.CurrentPlayList.clear();
        for (QAction *a : {mnuEditDelete, mnuEditPlayList, mnuFileMakePlayListFile, mnuFileCopyMusic,
                           mnuFileDisplayOnly, mnuFilePopulate})
            a->setEnabled(false);
        cmdOK->setEnabled(false);
        cmdPlay->setEnabled(false);
        cmdPlay1->setEnabled(false);
        lblMsg->setText(QStringLiteral("There are no play lists.  You must create a new one before you can add songs to it."));
        lblSongTitle->setVisible(false);
    } else {
        for (; !rs->eof(); rs->moveNext())
            cmbHeader->addItem(textOf(rs->value(0)), rs->value(1));
        cmdOK->setEnabled(true);
    }
    rs->close();
    cmbHeader->setCurrentIndex(-1);
}

bool frmPlayList::selectList(const QString &name) {
    const int i = cmbHeader->findText(name, Qt::MatchFixedString);
    if (i < 0)
        return false;
    cmbHeader->setCurrentIndex(i);
    cmbHeader_Click();
    return true;
}

void frmPlayList::cmbHeader_Click() {
    auto &s = g();
    lblInstructions->setVisible(false);
    cmdOK->setEnabled(true);
    LoadDetailListbox();
    s.CurrentPlayList = cmbHeader->currentText();
    for (QAction *a : {mnuEditDelete, mnuEditPlayList, mnuFileDisplayOnly, mnuFilePopulate})
        a->setEnabled(true);
    if (!s.CurrentPlayList.isEmpty() && !lblSongTitle->text().isEmpty()) {
        lblMsg->setText(kAddSongHint);
        cmdOK->setEnabled(true);
        cmdOK->setVisible(true);
        lblSongTitle->setVisible(true);
    } else {
        lblMsg->setText(QStringLiteral("Add Songs by selecting them from previous screen using the Right mouse button."));
        cmdOK->setEnabled(false);
        cmdOK->setVisible(false);
        lblSongTitle->setVisible(false);
    }
    mnuEditAddSong->setEnabled(true);
    mnuAddAllSongs->setEnabled(mainGridHasRecords());
    if (firstLine(lbDetail).isEmpty()) {
        setTrackCommands(false);
        mnuEditDeleteSong->setEnabled(false);
        mnuEditEditSong->setEnabled(false);
    } else {
        for (QAction *a : {mnuEditDeleteSong, mnuEditEditSong, mnuFileDisplayOnly})
            a->setEnabled(true);
    }
}

void frmPlayList::LoadDetailListbox() {
    auto &s = g();
    loading_ = true;
    lbDetail->clear();
    const long key = chosenListId();
    auto rs = s.Db->openRecordset(
        QStringLiteral("Select SongTitle, ArtistName, ListTrackID From tblPlayListDetail Where ListID=") +
        QString::number(key) + QStringLiteral(" Order by ListTrackID"));
    if (rs->eof()) {
        setTrackCommands(false);
    } else {
        for (; !rs->eof() && lbDetail->count() <= MaxLines; rs->moveNext()) {
            QString text = textOf(rs->value(0));
            const QString artist = textOf(rs->value(1));
            if (!artist.isEmpty())
                text += QStringLiteral(" <> ") + artist;
            auto *item = new QListWidgetItem(text);
            item->setData(TrackData, qlonglong(rs->value(2).toLongLong()));
            lbDetail->addItem(item);
        }
        setTrackCommands(true);
    }
    rs->close();
    auto *blank = new QListWidgetItem(QString());
    blank->setData(TrackData, qlonglong(0));
    lbDetail->addItem(blank);
    lbDetail->setCurrentRow(-1);
    loading_ = false;
    lblNumSongs->setText(QStringLiteral("Number of songs: ") + QString::number(lbDetail->count() - 1));
}

void frmPlayList::selectLastTrack() { lbDetail->setCurrentRow(lbDetail->count() - 2); }

// ============================================================================ renumbering

void frmPlayList::ReOrderTracksAfterDrag() {
    auto &s = g();
    const long key = chosenListId();
    QList<TrackLine> lines;
    for (int i = 0; i < lbDetail->count() - 1; ++i)
        lines.append({long(lbDetail->item(i)->data(TrackData).toLongLong()), lbDetail->item(i)->text()});
    try {
        QString missing;
        switch (PlayListStore::reorder(*s.Db, key, lines, &missing)) {
        case PlayListStore::ReorderResult::Saved:
            for (int i = 0; i < lines.size(); ++i)
                lbDetail->item(i)->setData(TrackData, qlonglong(i + 1));
            break;
        case PlayListStore::ReorderResult::NotFound:
            // Nothing was saved: the list shows the stored order again.
            ui::msgBox(QStringLiteral("In ReOrderTracksAfterDrag routine.  Match not found on Track Title: ") + missing);
            LoadDetailListbox();
            break;
        case PlayListStore::ReorderResult::NoRows:
            break;
        }
    } catch (const db::DbError &e) {
        ui::msgBox(QStringLiteral("Error number:") + QString::number(e.number()) + QStringLiteral(".  ") +
                       e.description(),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
        try {
            LoadDetailListbox();
        } catch (const db::DbError &) {
        }
        if (!unloading_)
            close();
    }
}

void frmPlayList::MoveListItem(QListWidget *List, int NewIndex) {
    const int cur = List->currentRow();
    if (NewIndex < 0 || cur < 0)
        return;
    const QVariant data = List->item(cur)->data(TrackData);
    const QString text = List->item(cur)->text();
    auto *item = new QListWidgetItem(text);
    item->setData(TrackData, data);
    List->insertItem(NewIndex, item);
    List->setCurrentRow(NewIndex);
    delete List->takeItem(NewIndex < cur ? cur + 1 : cur);
}

// ============================================================================ track list events

void frmPlayList::lbDetail_Click() {
    auto &s = g();
    const int r = lbDetail->currentRow();
    const QString text = r >= 0 ? lbDetail->item(r)->text() : QString();
    if (!text.isEmpty()) {
        mnuEditEditSong->setEnabled(true);
        s.StopPlayOneByOne = false;
    } else if (aboveBlank(firstLine(lbDetail))) {
        selectLastTrack();
        s.StopPlayOneByOne = true;
    }
}

void frmPlayList::lbDetail_DblClick() { mnuEditEditSong_Click(); }

void frmPlayList::lbDetail_KeyDown(int KeyCode) {
    if (KeyCode == Qt::Key_Delete)
        mnuEditDeleteSong_Click();
}

void frmPlayList::lbDetail_GotFocus() { DragOrderChanged = false; }

void frmPlayList::lbDetail_LostFocus() { savePendingDrag(); }

void frmPlayList::savePendingDrag() {
    if (!DragOrderChanged)
        return;
    DragOrderChanged = false;
    if (cmbHeader->currentIndex() >= 0)
        ReOrderTracksAfterDrag();
}

void frmPlayList::reduceEditMenu(bool reduced) {
    for (QAction *a : {mnuAddAllSongs, mnuEditAddSong, mnuEditDelete, mnuEditPlayList, mnuEditSeparator1})
        a->setVisible(!reduced);
}

void frmPlayList::lbDetail_MouseUp(int Button, const QPoint &pos) {
    if (Button != 2)
        return;
    const int r = lbDetail->lineAt(pos);
    if (r >= 0 && r < lbDetail->count())
        lbDetail->setCurrentRow(r);
    reduceEditMenu(true);
    mnuEdit->popup(lbDetail->viewport()->mapToGlobal(pos));  // its closing shows the items again
}

bool frmPlayList::eventFilter(QObject *watched, QEvent *event) {
    if (watched == lbDetail) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
                runCommand([this] { lbDetail_KeyDown(Qt::Key_Delete); });
                return true;
            }
            break;
        case QEvent::FocusIn:
            lbDetail_GotFocus();
            break;
        case QEvent::FocusOut:
            runCommand([this] { lbDetail_LostFocus(); });
            break;
        default:
            break;
        }
    } else if (watched == lbDetail->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton)
            runCommand([this, pos = me->position().toPoint()] { lbDetail_MouseUp(2, pos); });
    }
    return Form<QDialog>::eventFilter(watched, event);
}

// ============================================================================ buttons

void frmPlayList::cmdAddHeader_Click() {
    // The dialog knows by this button's tag, on the active control, that it adds a list.
    cmdAddHeader->setFocus();
    ui::showModal(ui::form<frmPlayListHeader>(), this);
}

void frmPlayList::cmdOK_Click() {
    savePendingDrag();
    auto &s = g();
    if (!aboveBlank(s.CurrentPlayList))
        return;
    db::Recordset *grid = mainGridRecordset();
    if (!grid || grid->bof() || grid->eof())
        return;
    const long key = chosenListId();
    // The next number comes from the table, so a gap the player left is never reused.
    if (PlayListStore::highestTrack(*s.Db, key) >= PlayListStore::MaxTracks) {
        ui::msgBox(QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  Song not added to Play List."),
                   ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not added"));
        return;
    }
    PlayListStore::appendTracks(*s.Db, key, {songFields(*grid)});
    LoadDetailListbox();
    for (QAction *a : {mnuEditDeleteSong, mnuFileMakePlayListFile, mnuFileCopyMusic, mnuFileDisplayOnly, mnuFilePopulate})
        a->setEnabled(true);
    cmdPlay->setEnabled(true);
    cmdPlay1->setEnabled(true);
    selectLastTrack();
    lblSongTitle->clear();
    lblMsg->setText(QStringLiteral("Song was added to Play List."));
    cmdOK->setVisible(false);
}

void frmPlayList::cmdClose_Click() { close(); }

QString frmPlayList::helpText() {
    const QStringList paragraphs = {
        QStringLiteral("This feature has many uses.  It is not just for playing songs.  Read below for details, and view the menu options."),
        QStringLiteral("A Play List is a collection of songs arranged in a specific order. "
                       "Press the \"Create New Play List\" button to add a new Play List  "),
        QStringLiteral("Add a song to a Play List from the main Orvalis screen.  "
                       "To do this, right-click on the selected song name and a menu will pop-up.  Choose \"Add song to play list\" from that menu. "
                       " You must first select a Play List to add the song to, and this is remembered throughout the session until you change it."),
        QStringLiteral("You can also add songs to a Play List while playing them, by pressing a button on the Player screen. "),
        QStringLiteral("To copy all music files in this Play List to another folder, choose \"Copy music files to another folder\" from the File menu. "
                       "This is great if you want to put songs on a USB drive to play in your car, or on another computer, player, or phone."),
        QStringLiteral("You can create Play List files to play anywhere.  Choose \"Save Play List File as\" from the File menu.  This menu option is active once you choose a Play List."),
        QStringLiteral("To add all songs from the main Orvalis screen to this Play List, choose \"Add all songs to Play List\" from the Edit menu."),
        QStringLiteral("To display the songs in a Play List on the main Orvalis screen, choose \"Display Only These Songs\" from the File menu."),
        QStringLiteral("To print a Play List, select the Report menu."),
        QStringLiteral("To change song order, drag and drop song names in the list to a new position."),
        QStringLiteral("Any songs without file names will not be included in saved Play Lists."),
    };
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

void frmPlayList::cmdHelpPlayList_Click() {
    auto *help = ui::form<core::frmHelp>();
    help->lblHeading1->setText(QStringLiteral("Using Play Lists"));
    help->lblBody1->setText(ui::displayText(helpText()));
    QFont f = help->lblBody1->font();
    f.setPointSize(8);
    help->lblBody1->setFont(f);
    ui::showModal(help, this);
}

void frmPlayList::mnuHelp_Click() { cmdHelpPlayList_Click(); }

// ============================================================================ Edit and File menus

QString frmPlayList::countSql(const QString &recordSource) {
    const qsizetype order = mCommon::FindOutsideQuotes(recordSource, QStringLiteral("Order By"));
    const QString head = order < 0 ? recordSource : recordSource.left(order);
    const qsizetype from = mCommon::FindOutsideQuotes(head, QStringLiteral("From"));
    if (from < 0)
        return {};
    return QStringLiteral("Select Count(*) as RowCount ") + head.mid(from);
}

QString frmPlayList::limitText(long held, long adding) {
    const auto songs = [](long n) {
        return QLocale().toString(qlonglong(n)) + (n == 1 ? QStringLiteral(" song") : QStringLiteral(" songs"));
    };
    return QStringLiteral("You cannot add more than 32,000 songs to a single Play List.  The list already holds ") +
           songs(held) + QStringLiteral(" and you are trying to add ") + songs(adding) + QStringLiteral(".");
}

void frmPlayList::mnuAddAllSongs_Click() {
    savePendingDrag();
    auto &s = g();
    auto *main = songlist::NameList::instance();
    const QString source = main && main->Data1 ? main->Data1->recordSource() : QString();
    long count = 0;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QGuiApplication::restoreOverrideCursor(); }
        } restore;
        if (!source.isEmpty()) {
            const QString sql = countSql(source);
            if (!sql.isEmpty()) {
                auto rs = s.Db->openRecordset(sql, db::RecordsetType::Snapshot);
                count = rs->eof() ? 0 : long(rs->value(QStringLiteral("RowCount")).toLongLong());
                rs->close();
            } else {
                // A bare table or saved query name: count its rows.
                auto rs = s.Db->openRecordset(source, db::RecordsetType::Snapshot);
                count = rs->recordCount();
                rs->close();
            }
        }
    }
    const long key = chosenListId();
    // The limit counts the tracks already in the list too, and the refusal says so.
    const long held = key > 0 ? PlayListStore::highestTrack(*s.Db, key) : 0;
    if (count > PlayListStore::MaxTracks || held + count > PlayListStore::MaxTracks) {
        ui::msgBox(limitText(held, count));
        return;
    }
    const QString n = QString::number(count);
    const ui::Answer a = ui::msgBox(
        QStringLiteral("This will add every song displayed on the main screen (the Grid) to the current Play List.  "
                       "Songs will be added in the current Grid sort order.  Number of songs about to be added to Play List: ") +
            n + QStringLiteral(".\r\n\r\nAre you sure?"),
        ui::Buttons::YesNo, ui::Icon::None, QStringLiteral("Confirm Adding All *") + n + QStringLiteral("* Songs To Play List"),
        ui::DefaultButton::Second);
    if (a != ui::Answer::Yes || !aboveBlank(s.CurrentPlayList))
        return;
    auto rs = s.Db->openRecordset(source, db::RecordsetType::Snapshot);
    if (rs->eof()) {
        rs->close();
        return;
    }
    QList<TrackFields> tracks;
    for (; !rs->eof(); rs->moveNext())
        tracks.append(songFields(*rs));
    rs->close();
    PlayListStore::appendTracks(*s.Db, key, tracks);
    LoadDetailListbox();
    for (QAction *a2 : {mnuEditDeleteSong, mnuFileMakePlayListFile, mnuFileCopyMusic, mnuFileDisplayOnly})
        a2->setEnabled(true);
    cmdPlay->setEnabled(true);
    cmdPlay1->setEnabled(true);
    selectLastTrack();
    lblSongTitle->clear();
    lblMsg->setText(n + QStringLiteral(" songs were added to Play List."));
}

void frmPlayList::mnuEditAddSong_Click() {
    savePendingDrag();
    auto &s = g();
    if (PlayListStore::highestTrack(*s.Db, chosenListId()) >= PlayListStore::MaxTracks) {
        ui::msgBox(QStringLiteral("Play List has reached maximum size of 32,000 songs.  No more can be added."),
                   ui::Buttons::OK, ui::Icon::None, QStringLiteral("Cannot add more songs"));
        return;
    }
    s.DetailAddMode = true;
    ui::showModal(ui::form<frmPlayListDetail>(), this);
    s.DetailAddMode = false;
}

void frmPlayList::mnuEditChangeFileNamePath_Click() {
    songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::frmChangeFileNamePath));
}

void frmPlayList::mnuEditDeleteSong_Click() {
    savePendingDrag();
    auto &s = g();
    const int r = lbDetail->currentRow();
    if (r < 0) {
        ui::msgBox(QStringLiteral("You must select a song to remove from the list."), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("No song selected"));
        return;
    }
    s.Db->execute(QStringLiteral("Delete from tblPlayListDetail Where ListID=") + QString::number(chosenListId()) +
                      QStringLiteral(" and ListTrackID = ") +
                      QString::number(lbDetail->item(r)->data(TrackData).toLongLong()),
                  db::FailOnError);
    loading_ = true;
    delete lbDetail->takeItem(r);
    loading_ = false;
    if (PlayListStore::renumber(*s.Db, chosenListId()))
        LoadDetailListbox();
    if (firstLine(lbDetail).isEmpty()) {
        setTrackCommands(false);
        for (QAction *a : {mnuEditDeleteSong, mnuEditEditSong, mnuFilePopulate})
            a->setEnabled(false);
    }
}

void frmPlayList::mnuEditEditSong_Click() {
    savePendingDrag();
    auto &s = g();
    const int r = lbDetail->currentRow();
    // The blank line is no track: there is nothing to edit on it.
    if (r < 0 || lbDetail->item(r)->data(TrackData).toLongLong() == 0) {
        ui::msgBox(QStringLiteral("You must select a song to edit from the list."), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("No song selected"));
        return;
    }
    s.DetailEditMode = true;
    ui::showModal(ui::form<frmPlayListDetail>(), this);
    s.DetailEditMode = false;
}

void frmPlayList::mnuEditDelete_Click() {
    auto &s = g();
    if (ui::msgBox(QStringLiteral("Are you sure you want to delete this entire play list?"), ui::Buttons::YesNo,
                   ui::Icon::None, QStringLiteral("Confirm Play List Deletion"),
                   ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    const QString name = cmbHeader->currentText();
    try {
        PlayListStore::deleteList(*s.Db, chosenListId());
    } catch (const db::DbError &e) {
        ui::msgBox(e.description());
        return;
    }
    s.CurrentPlayList.clear();
    if (!name.isEmpty() && s.PlayerSelectedList.compare(name, Qt::CaseInsensitive) == 0)
        s.PlayerSelectedList.clear();
    LoadHeaderCombo();
    cmdOK->setEnabled(false);
    mnuEditAddSong->setEnabled(false);
    mnuEditDeleteSong->setEnabled(false);
    mnuEditEditSong->setEnabled(false);
    setTrackCommands(false);
    for (QAction *a : {mnuEditDelete, mnuEditPlayList, mnuFilePopulate})
        a->setEnabled(false);
}

void frmPlayList::mnuEditPlayList_Click() {
    savePendingDrag();
    auto &s = g();
    if (cmbHeader->currentIndex() < 0) {
        ui::msgBox(QStringLiteral("You must select a Play List name from the list first."), ui::Buttons::OK,
                   ui::Icon::Exclamation, QStringLiteral("No Play List selected"));
        return;
    }
    s.HeaderEditMode = true;
    ui::showModal(ui::form<frmPlayListHeader>(), this);
    s.HeaderEditMode = false;
}

void frmPlayList::mnuFileClose_Click() { close(); }

// These read the stored tracks (and Populate reloads them): a drag still on screen goes first.
void frmPlayList::mnuFileCopyMusic_Click() {
    savePendingDrag();
    MusicFileCopy::mnuFileCopyMusic_Click(*this);
}
void frmPlayList::mnuFileMakePlayListFile_Click() {
    savePendingDrag();
    PlayListFiles(*this).mnuFileMakePlayListFile_Click();
}
void frmPlayList::mnuFileDisplayOnly_Click() {
    savePendingDrag();
    PlayListReports(*this).mnuFileDisplayOnly_Click();
}
void frmPlayList::mnuFilePopulate_Click() {
    savePendingDrag();
    PlayListImport(*this).mnuFilePopulate_Click();
}
void frmPlayList::mnuReportsDetail_Click() {
    savePendingDrag();
    PlayListReports(*this).mnuReportsDetail_Click();
}
void frmPlayList::mnuReportsDetailWithFilenames_Click() {
    savePendingDrag();
    PlayListReports(*this).mnuReportsDetailWithFilenames_Click();
}

// ============================================================================ unload

void frmPlayList::formUnload() {
    // A drag not yet saved (the window closed before the list lost the focus) is saved now.
    unloading_ = true;
    runCommand([this] { savePendingDrag(); });
    DragOrderChanged = false;
}

} // namespace player
