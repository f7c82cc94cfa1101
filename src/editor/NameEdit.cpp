#include "editor/NameEdit.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "editor/FieldRules.h"
#include "editor/PictureSlots.h"
#include "editor/RecordDisplay.h"
#include "editor/RecordNavigation.h"
#include "editor/RecordWrite.h"
#include "editor/SaveCommand.h"
#include "editor/SongFileButtons.h"
#include "editor/WebLookups.h"
#include "platform/db/DbError.h"
#include "platform/ui/LeaveChecks.h"
#include "platform/ui/OnScreenKeyboard.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/TextColours.h"
#include "songlist/OtherWindows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>
#include <climits>
#include <span>

namespace editor {

namespace ui = platform::ui;
namespace db = platform::db;
using songlist::OtherWindows;

namespace {

const QString kTag = QStringLiteral("Tag");
const QString kPlayListTip = QStringLiteral("Select a Play List from the drop-down list.");
const QString kLabelTip = QStringLiteral(
    "You can change this field label.  Just click the mouse here and type.  Any blue text on this screen can be "
    "changed.");
const QString kDateLabelTip = QStringLiteral(
    "You can change this date description.  Just click the mouse here and type.  Any blue text on this screen can "
    "be changed.");

// The typing limit of each box, kept beside the box: QLineEdit's own maximum would also cut
// a longer stored value when the window shows it.
const char *const kLimit = "typingLimit";

// The dark blue of the texts the user may change: the field labels and the picture names.
const QColor kFieldLabelColour(0, 0, 0x80);

void setFieldLabelColour(QWidget *w) { ui::setBlueText(w, kFieldLabelColour, QPalette::Text, QPalette::Base); }

// The kinds of control the window's table builds, each with its designed height.
enum class ControlKind {
    Label,       // a caption (285 twips high)
    Box,         // a text box with a typing limit (300)
    FieldLabel,  // a field label the user may rename: a dark blue box without a frame (300)
    Button,      // a push button that Enter never presses (375)
    Combo,       // a combo box (315)
    Check,       // a check box (300)
    Notes,       // the notes box (1300)
    Tool,        // a small picture button (375)
    Notice,      // a read-only line shown for a moment, hidden at first (300)
};

// One control of the window: kind, name, caption (a field label's text), place in twips, typing
// limit, tool tip, the member that keeps it and what its click does.
struct ControlRow {
    ControlKind kind;
    const char *name;
    const char *caption;
    int left, top, width;
    int limit = 0;
    QString tip = {};
    ui::ControlSlot keep = {};
    void (*click)(NameEdit &) = nullptr;
};

QWidget *buildControl(NameEdit *form, const ControlRow &c) {
    const QString caption = QString::fromUtf8(c.caption);
    QWidget *w = nullptr;
    switch (c.kind) {
    case ControlKind::Label:
        w = ui::named(new QLabel(caption, form), c.name, c.left, c.top, c.width, 285);
        break;
    case ControlKind::Box:
    case ControlKind::FieldLabel: {
        auto *e = ui::named(new QLineEdit(form), c.name, c.left, c.top, c.width, 300);
        e->setProperty(kLimit, c.limit);
        e->setMaxLength(c.limit > 0 ? c.limit : INT_MAX);
        if (c.kind == ControlKind::FieldLabel) {
            e->setText(caption);
            e->setFrame(false);
            e->setProperty(NameEdit::FieldLabelProperty, true);
            setFieldLabelColour(e);
        }
        w = e;
        break;
    }
    case ControlKind::Button: {
        auto *b = ui::named(new QPushButton(caption, form), c.name, c.left, c.top, c.width, 375);
        b->setAutoDefault(false);
        b->setDefault(false);
        w = b;
        break;
    }
    case ControlKind::Combo:
        w = ui::named(new QComboBox(form), c.name, c.left, c.top, c.width, 315);
        break;
    case ControlKind::Check:
        w = ui::named(new QCheckBox(caption, form), c.name, c.left, c.top, c.width, 300);
        break;
    case ControlKind::Notes:
        w = ui::named(new QPlainTextEdit(form), c.name, c.left, c.top, c.width, 1300);
        break;
    case ControlKind::Tool: {
        auto *t = ui::named(new QToolButton(form), c.name, c.left, c.top, c.width, 375);
        t->setText(caption);
        w = t;
        break;
    }
    case ControlKind::Notice: {
        auto *e = ui::named(new QLineEdit(caption, form), c.name, c.left, c.top, c.width, 300);
        e->setReadOnly(true);
        e->hide();
        w = e;
        break;
    }
    }
    if (!c.tip.isEmpty())
        w->setToolTip(c.tip);
    return w;
}

// Builds a table's controls in its order, keeps each in its member and wires its click.
void buildRows(NameEdit *form, std::span<const ControlRow> rows) {
    for (const ControlRow &c : rows) {
        QWidget *w = buildControl(form, c);
        c.keep(w);
        if (c.click)
            QObject::connect(static_cast<QAbstractButton *>(w), &QAbstractButton::clicked, form,
                             [form, click = c.click] { click(*form); });
    }
}

// Places in twips: the label, box and right-hand columns; the field rows, 400 apart; the top of
// the picture slots (level with the first misc field), of the notes box, of the two date lines,
// of the tool row and of the button row.
namespace place {
constexpr int L = 120, B = 1500, Right = 6700;
constexpr int row(int n) { return 120 + 400 * n; }
constexpr int Slots = 3320, Notes = 4820, Stamps = 6200, Tools = 6800, Buttons = 7250;
} // namespace place

} // namespace

// ============================================================================ design

const QStringList &NameEdit::genreNames() {
    static const QStringList names = QString::fromUtf8(
        "A Cappella|Acid|Acid Jazz|Acid Punk|Acoustic|Alternative|AlternRock|Ambient|Anime|Avantgarde|Ballad|"
        "Bass|Beat|Bebob|Big Band|Black Metal|Bluegrass|Blues|Booty Bass|BritPop|Cabaret|Celtic|Chamber Music|"
        "Chanson|Chorus|Christian Gangsta Rap|Christian Rap|Christian Rock|Classic Rock|Classical|Club|"
        "Club-House|Comedy|Contemporary Christian|Country|Crossover|Cult|Dance|Dance Hall|Darkwave|Death Metal|"
        "Disco|Dream|Drum & Bass|Drum Solo|Duet|Easy Listening|Electronic|Ethnic|Eurodance|Euro-House|"
        "Euro-Techno|Fast Fusion|Folk|Folklore|Folk-Rock|Freestyle|Funk|Fusion|Game|Gangsta Rap|Goa|Gospel|"
        "Gothic|Gothic Rock|Grunge|Hard Rock|Hardcore|Heavy Metal|Hip-Hop|House|Humour|Indie|Industrial|"
        "Instrumental|Instrumental Pop|Instrumental Rock|Jazz|Jazz+Funk|JPop|Jungle|Latin|Lo-Fi|Meditative|"
        "Merengue|Metal|Musical|National Folk|Native American|Negerpunk|New Age|New Wave|Noise|Oldies|Opera|"
        "Other|Polka|Polsk Punk|Pop|Pop / Funk|Pop-Folk|Porn Groove|Power Ballad|Pranks|Primus|"
        "Progressive Rock|Psychedelic|Psychedelic Rock|Punk|Punk Rock|R&B|Rap|Rave|Reggae|Retro|Revival|"
        "Rhythmic Soul|Rock|Rock & Roll|Salsa|Samba|Satire|Showtunes|Ska|Slow Jam|Slow Rock|Sonata|Soul|"
        "Sound Clip|Soundtrack|Southern Rock|Space|Speech|Swing|Symphonic Rock|Symphony|Synthpop|Tango|Techno|"
        "Techno-Industrial|Terror|Thrash Metal|Top 40|Trailer|Trance|Tribal|Trip-Hop|Vocal")
                                         .split(QLatin1Char('|'));
    return names;
}

const QStringList &NameEdit::ratingItems() {
    static const QStringList items{QStringLiteral("*"), QStringLiteral("**"), QStringLiteral("***"),
                                   QStringLiteral("****"), QStringLiteral("*****"), QStringLiteral(" ")};
    return items;
}

bool NameEdit::isDuplicateView(const QString &recordSource) {
    return recordSource == QLatin1String("qryDuplicateSongs") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeleted") ||
           recordSource == QLatin1String("qryDuplicateSongsAlbum") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeletedAlbum");
}

NameEdit::NameEdit(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("View/Edit an Existing Record"));
    ui::setClientSizeTwips(this, DesignWidth, DesignHeight);
    checks_ = new ui::LeaveChecks(this);
    buildControls();
    wireChanges();
    // The window sees every key before its controls do.
    qApp->installEventFilter(this);
}

NameEdit::~NameEdit() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void NameEdit::setBoxText(QLineEdit *box, const QString &text) {
    const int limit = typingLimit(box);
    box->setMaxLength(limit > 0 ? std::max<int>(limit, int(text.size())) : INT_MAX);
    box->setText(text);
}

int NameEdit::typingLimit(const QLineEdit *box) { return box->property(kLimit).toInt(); }

void NameEdit::buildControls() {
    buildFieldArea();
    buildCommandArea();
    buildPictureSlots();

    // What the tables do not say of a control. Only once every control is made: the box an
    // editable combo gets joins the focus chain where it stands when it is made.
    cmbGenre->setEditable(true);
    cmbGenre->setInsertPolicy(QComboBox::NoInsert);
    cmbGenre->addItems(genreNames());
    cmbGenre->setCurrentIndex(-1); // no genre until a record gives one
    cmbRating->addItems(ratingItems());
    cmbRating->setCurrentIndex(-1);
    txtNotes->setTabChangesFocus(true);
    txtNotes->setProperty("Tag", QStringLiteral("txtNotes"));
    ProperFlag->setChecked(true);
    cmbHeader->setProperty("Tag", QStringLiteral("cmbHeader"));
    ImageKeyboard->setFocusPolicy(Qt::NoFocus);

    buildMenus();
    orderTabs();
    wireFieldRules();
}

// The song's fields: a caption and a box for each, row by row in two columns; the field labels
// the user may rename; the notes; the two date lines.
void NameEdit::buildFieldArea() {
    using namespace place;
    using K = ControlKind;
    using W = NameEdit;
    const ControlRow rows[] = {
        // kind, name, caption or text, left, top, width, typing limit, tip, member, click
        {K::Label, "lblSongName", "Song Name", L, row(0), 1300},
        {K::Box, "txtSongName", "", B, row(0), 5000, 255, {}, txtSongName},
        {K::Label, "lblID", "ID", Right, row(0), 400},
        {K::Box, "txtID", "", 7100, row(0), 1400, 10, {}, txtID},
        {K::Label, "lblBPM", "BPM", 8700, row(0), 500},
        {K::Box, "txtBPM", "", 9250, row(0), 900, 5, {}, txtBPM},
        {K::Label, "lblArtist", "Artist", L, row(1), 1300},
        {K::Box, "txtArtist", "", B, row(1), 5000, 255, {}, txtArtist},
        {K::Label, "lblGenre", "Genre", Right, row(1), 700},
        {K::Combo, "cmbGenre", "", 7400, row(1), 2750, 0, {}, cmbGenre},
        {K::Label, "lblComposer", "Composer", L, row(2), 1300},
        {K::Box, "txtComposer", "", B, row(2), 5000, 255, {}, txtComposer},
        {K::Label, "lblRating", "Rating", Right, row(2), 700},
        {K::Combo, "cmbRating", "", 7400, row(2), 1400, 0, {}, cmbRating},
        {K::Label, "lblAlbum", "Album", L, row(3), 1300},
        {K::Box, "txtAlbum", "", B, row(3), 5000, 255, {}, txtAlbum},
        {K::Label, "lblYear", "Year", Right, row(3), 700},
        {K::Box, "txtYear", "", 7400, row(3), 1000, 10, {}, txtYear},
        {K::Label, "lblBitrate", "Bitrate", L, row(4), 1300},
        {K::Box, "txtBitrate", "", B, row(4), 1300, 20, {}, txtBitrate},
        {K::Label, "lblDuration", "Duration", 2950, row(4), 900},
        {K::Box, "txtDuration", "", 3850, row(4), 1100, 8, {}, txtDuration},
        {K::Label, "lblTrack", "Track", 5100, row(4), 650},
        {K::Box, "txtTrackText", "", 5750, row(4), 750, 10, {}, txtTrackText},
        {K::Label, "lblFileSize", "File size", Right, row(4), 900},
        {K::Box, "txtFileSize", "", 7600, row(4), 1400, 20, {}, txtFileSize},
        {K::Label, "lblPathName", "Path name", L, row(5), 1300},
        {K::Box, "txtPathName", "", B, row(5), 7200, 0, {}, txtPathName},
        {K::Button, "cmdBrowsePath", "Move", 8800, row(5) - 40, 1100, 0, {}, cmdBrowsePath,
         [](W &w) { w.cmdBrowsePath_Click(); }},
        {K::Button, "cmdEditTags", "Edit tags", 10000, row(5) - 40, 1250, 0, {}, cmdEditTags,
         [](W &w) { w.cmdEditTags_Click(); }},
        {K::Label, "lblFileName", "File name", L, row(6), 1300},
        {K::Box, "txtFileName", "", B, row(6), 7200, 0, {}, txtFileName},
        {K::Button, "cmdBrowseFile", "Rename", 8800, row(6) - 40, 1100, 0, {}, cmdBrowseFile,
         [](W &w) { w.cmdBrowseFile_Click(); }},
        {K::Label, "lblPurchaseDate", "Purchase Date", L, row(7), 1350},
        {K::Box, "txtPurchaseDate", "", B, row(7), 1700, 20, {}, txtPurchaseDate},
        {K::FieldLabel, "txtDate2_Desc", "Date 2", 3350, row(7), 1400, 25, kDateLabelTip, txtDate2_Desc},
        {K::Box, "txtDate2", "", 4800, row(7), 1700, 20, {}, txtDate2},
        {K::Label, "lblCode", "Code", Right, row(7), 700},
        {K::Box, "txtCode", "", 7400, row(7), 3850, 255, {}, txtCode},
        {K::FieldLabel, "txtMiscField1_Desc", "Misc. Field 1", L, row(8), 1350, 25, kLabelTip, txtMiscField1_Desc},
        {K::Box, "txtMiscField1", "", B, row(8), 5000, 255, {}, txtMiscField1},
        {K::FieldLabel, "txtMiscField2_Desc", "Misc. Field 2", L, row(9), 1350, 25, kLabelTip, txtMiscField2_Desc},
        {K::Box, "txtMiscField2", "", B, row(9), 5000, 255, {}, txtMiscField2},
        {K::FieldLabel, "txtMiscField3_Desc", "Misc. Field 3", L, row(10), 1350, 25, kLabelTip, txtMiscField3_Desc},
        {K::Box, "txtMiscField3", "", B, row(10), 5000, 255, {}, txtMiscField3},
        {K::Label, "lblNotesInstruction", "Double-click inside the text box to expand notes.", L, row(11), 6000, 0,
         {}, lblNotesInstruction},
        {K::Notes, "txtNotes", "", L, Notes, 6380, 0, {}, txtNotes},
        {K::Label, "lblLastUpdated", "Last updated", Right, Stamps, 1300},
        {K::Label, "lblDateUpdated", "", 8000, Stamps, 3200, 0, {}, lblDateUpdated},
        {K::Label, "lblToday", "Today's date:", Right, Stamps + 300, 1300},
        {K::Label, "lblTodaysDate", "", 8000, Stamps + 300, 3200, 0, {}, lblTodaysDate},
    };
    buildRows(this, rows);
}

// The tool row (capitalising, the play lists, the on-screen keyboard) and the button row.
void NameEdit::buildCommandArea() {
    using namespace place;
    using K = ControlKind;
    using W = NameEdit;
    const ControlRow rows[] = {
        // kind, name, caption or text, left, top, width, typing limit, tip, member, click
        {K::Check, "ProperFlag", "Capitalize", L, Tools, 1500, 0,
         QStringLiteral("Capitalizes (as you type) first letter of each word in the Song Name, Artist, Composer, "
                        "and Album fields."),
         ProperFlag},
        {K::Combo, "cmbHeader", "", 1700, Tools, 2600, 0, {}, cmbHeader},
        {K::Button, "cmdAddToPlaylist", "Add to Play List", 4400, Tools - 30, 1700, 0, {}, cmdAddToPlaylist,
         [](W &w) { w.cmdAddToPlaylist_Click(); }},
        {K::Notice, "txtSongAddedToPlaylist", "Song added to Play List", 6200, Tools, 2600, 0, {},
         txtSongAddedToPlaylist},
        {K::Tool, "ImageKeyboard", "\u2328", 11250, Tools - 30, 600, 0, QStringLiteral("Display On-Screen Keyboard"),
         ImageKeyboard, [](W &w) { w.ImageKeyboard_Click(); }},
        {K::Button, "cmdPrev", "<", L, Buttons, 500, 0, QStringLiteral("Previous record"), cmdPrev,
         [](W &w) { w.cmdPrev_Click(); }},
        {K::Button, "cmdNext", ">", 650, Buttons, 500, 0, QStringLiteral("Next record"), cmdNext,
         [](W &w) { w.cmdNext_Click(); }},
        {K::Button, "cmdSave", "&Save", 1250, Buttons, 900, 0, {}, cmdSave, [](W &w) { w.cmdSave_Click(); }},
        {K::Button, "cmdCancel", "Cancel", 2200, Buttons, 900, 0, {}, cmdCancel, [](W &w) { w.cmdCancel_Click(); }},
        {K::Button, "cmdAddNew", "&Add New", 3150, Buttons, 1000, 0,
         QStringLiteral("Save current record then add a new one."), cmdAddNew, [](W &w) { w.cmdAddNew_Click(); }},
        {K::Button, "cmdDelete", "&Delete", 4200, Buttons, 900, 0, {}, cmdDelete, [](W &w) { w.cmdDelete_Click(); }},
        {K::Button, "cmdCategories", "Categories", 5150, Buttons, 1100, 0, {}, cmdCategories,
         [](W &w) { w.cmdCategories_Click(); }},
        {K::Button, "cmdWebLookup", "Look on the web", 6300, Buttons, 1640, 0,
         QStringLiteral("Right-click for more options"), cmdWebLookup, [](W &w) { w.cmdWebLookup_Click(); }},
        {K::Button, "cmdPlay", "&Play", 7950, Buttons, 800, 0, QStringLiteral("Play current song"), cmdPlay,
         [](W &w) { w.cmdPlay_Click(); }},
        {K::Button, "cmdMakeDefault", "Template", 8800, Buttons, 1100, 0,
         QStringLiteral("When clicked, this record will be used as a template for new records.  All data in this "
                        "record (except the Name fields) will then appear in new records."),
         cmdMakeDefault, [](W &w) { w.cmdMakeDefault_Click(); }},
        {K::Button, "cmdClearDefault", "Clear template", 9950, Buttons, 1500, 0,
         QStringLiteral("This clears the template effect for new records."), cmdClearDefault,
         [](W &w) { w.cmdClearDefault_Click(); }},
    };
    buildRows(this, rows);

    // Wiring that is not a click.
    cmdWebLookup->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cmdWebLookup, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { cmdWebLookup_MouseDown(2, pos); });
    connect(cmbHeader, &QComboBox::activated, this, [this] { cmbHeader_Click(); });
}

// Two columns of four beside the misc fields and the notes, a button over the box that names
// its picture; a right click on the button offers the File menu.
void NameEdit::buildPictureSlots() {
    using namespace place;
    using K = ControlKind;
    const char *const picButtons[] = {"cmdPicture1", "cmdPicture2", "cmdPicture3", "cmdPicture4",
                                      "cmdPicture5", "cmdPicture6", "cmdPicture7", "cmdPicture8"};
    const char *const picBoxes[] = {"txtPic1File", "txtPic2File", "txtPic3File", "txtPic4File",
                                    "txtPic5File", "txtPic6File", "txtPic7File", "txtPic8File"};
    for (int i = 0; i < 8; ++i) {
        const int left = i < 4 ? Right : 9350;
        const int top = Slots + (i % 4) * 700;
        auto *b = static_cast<QPushButton *>(buildControl(this, {K::Button, picButtons[i], "", left, top, 1900}));
        b->setText(QStringLiteral("Picture %1").arg(i + 1));
        cmdPicture << b;
        auto *t = static_cast<QLineEdit *>(buildControl(this, {K::Box, picBoxes[i], "", left, top + 370, 1900}));
        t->setProperty("Tag", QString::number(i + 1));
        setFieldLabelColour(t);
        txtPicFile << t;
        connect(b, &QPushButton::clicked, this, [this, i] { cmdPicture_Click(i + 1); });
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, i](const QPoint &pos) { cmdPicture_MouseDown(i + 1, 2, pos); });
    }
    QLineEdit **const picMembers[] = {&txtPic1File, &txtPic2File, &txtPic3File, &txtPic4File,
                                      &txtPic5File, &txtPic6File, &txtPic7File, &txtPic8File};
    for (int i = 0; i < 8; ++i)
        *picMembers[i] = txtPicFile[i];
}

// The two pop-up menus: the web look-ups (a right click on cmdWebLookup) and the picture slots'
// File menu (a right click on a slot).
void NameEdit::buildMenus() {
    using W = NameEdit;
    mnuWebLookup = new QMenu(QStringLiteral("Look on the web"), this);
    mnuWebLookup->setObjectName(QStringLiteral("mnuWebLookup"));
    mnuFile = new QMenu(QStringLiteral("File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    const struct {
        QMenu *menu;
        const char *name, *caption;
        QAction *NameEdit::*member;
        void (NameEdit::*click)();
    } entries[] = {
        {mnuWebLookup, "mnuWebLookupLyrics", "Find song Lyrics", &W::mnuWebLookupLyrics, &W::mnuWebLookupLyrics_Click},
        {mnuWebLookup, "mnuWebLookupImages", "Find album art images", &W::mnuWebLookupImages,
         &W::mnuWebLookupImages_Click},
        {mnuWebLookup, "mnuWebLookupCoverVersions", "Find cover versions of this song", &W::mnuWebLookupCoverVersions,
         &W::mnuWebLookupCoverVersions_Click},
        {mnuFile, "mnuFilePasteImage", "Paste image", &W::mnuFilePasteImage, &W::mnuFilePasteImage_Click},
    };
    for (const auto &e : entries) {
        QAction *a = e.menu->addAction(QString::fromUtf8(e.caption));
        a->setObjectName(QString::fromLatin1(e.name));
        connect(a, &QAction::triggered, this, [this, click = e.click] { (this->*click)(); });
        this->*e.member = a;
    }
}

// Tab order: the data controls, the buttons, the misc labels, the picture slots, file size.
void NameEdit::orderTabs() {
    QList<QWidget *> order{txtSongName, txtID, txtBPM, txtArtist, txtComposer, txtAlbum, cmbGenre, txtBitrate,
                           txtDuration, txtTrackText, txtPathName, txtFileName, cmbRating, txtYear, txtDate2_Desc,
                           txtPurchaseDate, txtDate2, txtMiscField1, txtMiscField2, txtMiscField3, txtCode,
                           txtNotes, cmdSave, cmdCancel, cmdAddNew, cmdDelete, cmdPrev, cmdNext, cmdBrowsePath,
                           cmdEditTags, cmdBrowseFile, cmdCategories, cmdWebLookup, cmdPlay, cmdMakeDefault,
                           cmdClearDefault, ProperFlag, cmbHeader, cmdAddToPlaylist, txtMiscField1_Desc,
                           txtMiscField2_Desc, txtMiscField3_Desc};
    for (int i = 0; i < 8; ++i)
        order << cmdPicture[i] << txtPicFile[i];
    order << txtFileSize;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    txtSongName->setFocus();
}

// The checks as the focus leaves a box.
void NameEdit::wireFieldRules() {
    auto cancelled = [](void (NameEdit::*rule)(bool &), NameEdit *w) {
        return [rule, w] {
            bool Cancel = false;
            try {
                (w->*rule)(Cancel);
            } catch (const std::exception &e) {
                // No exception crosses the event loop; the box is left as it is.
                ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None);
            }
            return Cancel;
        };
    };
    checks_->setCheck(txtDuration, cancelled(&NameEdit::txtDuration_Validate, this));
    checks_->setCheck(txtFileName, cancelled(&NameEdit::txtFileName_Validate, this));
    checks_->setCheck(txtPathName, cancelled(&NameEdit::txtPathName_Validate, this));
    checks_->setCheck(txtBPM, cancelled(&NameEdit::txtBPM_Validate, this));
    checks_->setLostFocusCheck(txtPurchaseDate, [this] { return txtPurchaseDate_LostFocus(); });
    checks_->setLostFocusCheck(txtDate2, [this] { return txtDate2_LostFocus(); });
    checks_->setCausesChecks(cmdAddToPlaylist, false);
}

// The change family: every change of a field, by the user or by code, marks the record changed.
void NameEdit::wireChanges() {
    auto mark = [] { core::g().RecordChanged = true; };
    for (QLineEdit *e : {txtAlbum, txtBitrate, txtCode, txtDuration, txtFileName, txtFileSize, txtPathName,
                         txtPurchaseDate, txtDate2_Desc, txtDate2, txtBPM, txtID, txtSongName, txtArtist,
                         txtComposer, txtTrackText, txtYear, txtMiscField1, txtMiscField1_Desc, txtMiscField2,
                         txtMiscField2_Desc, txtMiscField3, txtMiscField3_Desc})
        connect(e, &QLineEdit::textChanged, this, mark);
    for (QLineEdit *e : txtPicFile)
        connect(e, &QLineEdit::textChanged, this, mark);
    connect(txtNotes, &QPlainTextEdit::textChanged, this, mark);
    for (QComboBox *c : {cmbGenre, cmbRating}) {
        connect(c, &QComboBox::currentIndexChanged, this, mark);
        connect(c, &QComboBox::activated, this, mark); // the click handler
    }
    connect(cmbGenre, &QComboBox::editTextChanged, this, mark);
}

void NameEdit::SetComboDropDownWidth(QComboBox *Combo, int Width) {
    if (Combo && Combo->view())
        Combo->view()->setMinimumWidth(Width);
}

void NameEdit::showCurrentPlayList() {
    const QString &list = core::g().CurrentPlayList;
    cmdAddToPlaylist->setToolTip(list.isEmpty() ? kPlayListTip : QStringLiteral("Play List: ") + list);
    cmbHeader->setToolTip(cmdAddToPlaylist->toolTip());
}

// ============================================================================ record

bool NameEdit::Form_Load() { return RecordDisplay(*this).Form_Load(); }
void NameEdit::MoveDataToForm() { RecordDisplay(*this).MoveDataToForm(); }
void NameEdit::rememberStartValues() { RecordDisplay(*this).rememberStartValues(); }
QString NameEdit::storedValue(const QString &field) { return RecordDisplay(*this).storedValue(field); }
void NameEdit::Form_Unload(bool &Cancel) { RecordDisplay(*this).Form_Unload(Cancel); }

QString NameEdit::notesText() const {
    // The raw text keeps non-breaking spaces and line separators; only the box's paragraph
    // ends (whatever line break they came from) become CR LF.
    QString text = txtNotes->document()->toRawText();
    if (const auto stored = GivenNotes.storedIfShown(text))
        return modMain::NullToEmpty(*stored).toString();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void NameEdit::showNotes(const QVariant &stored) {
    txtNotes->setPlainText(modMain::NullToEmpty(stored).toString());
    GivenNotes = {txtNotes->document()->toRawText(), stored};
}

// ============================================================================ save

void NameEdit::MoveFormToData() { RecordWrite(*this).MoveFormToData(); }
bool NameEdit::cmdSave_Click(bool closeAfter) { return SaveCommand(*this).cmdSave_Click(closeAfter); }
void NameEdit::cmdBrowseFile_Click() { SongFileButtons(*this).cmdBrowseFile_Click(); }
void NameEdit::cmdBrowsePath_Click() { SongFileButtons(*this).cmdBrowsePath_Click(); }
void NameEdit::cmdEditTags_Click() { SongFileButtons(*this).cmdEditTags_Click(); }

// ============================================================================ record commands

void NameEdit::cmdAddNew_Click() { RecordNavigation(*this).cmdAddNew_Click(); }
void NameEdit::cmdNext_Click() { RecordNavigation(*this).cmdNext_Click(); }
void NameEdit::cmdPrev_Click() { RecordNavigation(*this).cmdPrev_Click(); }
void NameEdit::cmdDelete_Click() { RecordNavigation(*this).cmdDelete_Click(); }
void NameEdit::cmdMakeDefault_Click() { RecordNavigation(*this).cmdMakeDefault_Click(); }
void NameEdit::cmdClearDefault_Click() { RecordNavigation(*this).cmdClearDefault_Click(); }
void NameEdit::cmdCategories_Click() { RecordNavigation(*this).cmdCategories_Click(); }

// ============================================================================ picture slots

void NameEdit::cmdPicture_Click(int slot) {
    if (slot >= 1 && slot <= 8)
        PictureSlots(*this).cmdPicture_Click(slot);
}
void NameEdit::cmdPicture_MouseDown(int slot, int Button, const QPoint &pos) {
    if (slot >= 1 && slot <= 8)
        PictureSlots(*this).cmdPicture_MouseDown(slot, Button, pos);
}
void NameEdit::mnuFilePasteImage_Click() { PictureSlots(*this).mnuFilePasteImage_Click(); }
bool NameEdit::GetFileName() { return PictureSlots(*this).GetFileName(); }

// ============================================================================ close

void NameEdit::cmdCancel_Click() { close(); }

void NameEdit::closeEvent(QCloseEvent *e) {
    bool Cancel = false;
    try {
        Form_Unload(Cancel);
    } catch (const std::exception &ex) {
        ui::msgBox(db::errorText(ex), ui::Buttons::OK, ui::Icon::None);
    }
    if (Cancel) {
        e->ignore();
        return;
    }
    Form<QDialog>::closeEvent(e);
}

// ============================================================================ keys

void NameEdit::Form_KeyDown(int &KeyCode, int) {
    const QWidget *active = checks_->controlOf(focusWidget());
    const QString tag = active ? active->property("Tag").toString() : QString();
    if (tag == QLatin1String("txtNotes") || tag == QLatin1String("cmbHeader"))
        return;
    if (KeyCode == 13 || KeyCode == 40) {
        checks_->tab(true);
        // The key only moves the focus: a combo box does not also step to another item.
        KeyCode = 0;
    } else if (KeyCode == 38) {
        checks_->tab(false);
        KeyCode = 0;
    }
}

void NameEdit::Form_KeyPress(int &KeyAscii) {
    if (KeyAscii == 27) {
        KeyAscii = 0;
        close();
        return;
    }
    const QWidget *active = checks_->controlOf(focusWidget());
    const QString tag = active ? active->property("Tag").toString() : QString();
    if (tag != QLatin1String("txtNotes") && KeyAscii == 13)
        KeyAscii = 0;
}

bool NameEdit::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == txtNotes->viewport()) {
            txtNotes_DblClick();
            return true; // the caret stays where the handler put it
        }
        QLineEdit *const misc[] = {txtMiscField1, txtMiscField2, txtMiscField3};
        for (int i = 0; i < 3; ++i)
            if (watched == misc[i])
                txtMiscField_DblClick(i + 1);
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget *>(watched)->window() != this)
        return false;
    auto *k = static_cast<QKeyEvent *>(event);
    int code = 0;
    switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Down: code = 40; break;
    case Qt::Key_Up: code = 38; break;
    case Qt::Key_Escape: code = 27; break;
    default: break;
    }
    if (code == 13 || code == 40 || code == 38) {
        Form_KeyDown(code, 0);
        if (code == 0)
            return true;
    }
    if (k->key() == Qt::Key_Escape || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        int ascii = k->key() == Qt::Key_Escape ? 27 : 13;
        Form_KeyPress(ascii);
        return ascii == 0;
    }
    // Capitals typed into the name boxes.
    const QString typed = k->text();
    if (typed.size() == 1 && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QWidget *active = checks_->controlOf(focusWidget());
        for (QLineEdit *box : {txtSongName, txtArtist, txtAlbum, txtComposer}) {
            if (active != box)
                continue;
            int ascii = typed.at(0).unicode();
            const int before = ascii;
            txtNameBox_KeyPress(box, ascii);
            if (ascii != before) {
                box->insert(QString(QChar(ascii)));
                return true;
            }
        }
    }
    return false;
}

void NameEdit::ImageKeyboard_Click() {
    if (core::g().TabletModeOn)
        ui::startOnScreenKeyboard();
}

// ============================================================================ forwards

void NameEdit::txtDuration_Validate(bool &Cancel) { FieldRules(*this).txtDuration_Validate(Cancel); }
void NameEdit::txtFileName_Validate(bool &Cancel) { FieldRules(*this).txtFileName_Validate(Cancel); }
void NameEdit::txtPathName_Validate(bool &Cancel) { FieldRules(*this).txtPathName_Validate(Cancel); }
void NameEdit::txtBPM_Validate(bool &Cancel) { FieldRules(*this).txtBPM_Validate(Cancel); }
bool NameEdit::txtPurchaseDate_LostFocus() { return FieldRules(*this).dateLostFocus(txtPurchaseDate); }
bool NameEdit::txtDate2_LostFocus() { return FieldRules(*this).dateLostFocus(txtDate2); }
void NameEdit::txtNameBox_KeyPress(QLineEdit *box, int &KeyAscii) { FieldRules(*this).nameKeyPress(box, KeyAscii); }
void NameEdit::txtNotes_DblClick() { FieldRules(*this).txtNotes_DblClick(); }
void NameEdit::txtMiscField_DblClick(int index) {
    QLineEdit *const boxes[] = {txtMiscField1, txtMiscField2, txtMiscField3};
    if (index >= 1 && index <= 3)
        FieldRules(*this).OpenFieldLink(boxes[index - 1]->text());
}

void NameEdit::cmdWebLookup_Click() { WebLookups(*this).cmdWebLookup_Click(); }
void NameEdit::cmdWebLookup_MouseDown(int Button, const QPoint &pos) {
    if (Button == 2)
        mnuWebLookup->popup(cmdWebLookup->mapToGlobal(pos));
}
void NameEdit::mnuWebLookupLyrics_Click() { WebLookups(*this).mnuWebLookupLyrics_Click(); }
void NameEdit::mnuWebLookupImages_Click() { WebLookups(*this).mnuWebLookupImages_Click(); }
void NameEdit::mnuWebLookupCoverVersions_Click() { WebLookups(*this).mnuWebLookupCoverVersions_Click(); }

void NameEdit::cmbHeader_Click() {
    core::g().CurrentPlayList = cmbHeader->currentText();
    showCurrentPlayList();
}

void NameEdit::cmdPlay_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::NameEditPlay)); }
void NameEdit::cmdAddToPlaylist_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::NameEditAddToPlaylist));
}

} // namespace editor
