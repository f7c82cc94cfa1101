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
    auto label = [&](const char *name, const char *caption, int left, int top, int width) {
        return ui::named(new QLabel(QString::fromUtf8(caption), this), name, left, top, width, 285);
    };
    auto box = [&](const char *name, int limit, int left, int top, int width) {
        auto *e = ui::named(new QLineEdit(this), name, left, top, width, 300);
        e->setProperty(kLimit, limit);
        e->setMaxLength(limit > 0 ? limit : INT_MAX);
        return e;
    };
    auto button = [&](const char *name, const char *caption, int left, int top, int width) {
        auto *b = ui::named(new QPushButton(QString::fromUtf8(caption), this), name, left, top, width, 375);
        // Enter never presses a button of this window.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    // The field labels the user may rename: dark blue, without a frame.
    auto blueBox = [&](const char *name, const char *text, const QString &tip, int left, int top, int width) {
        auto *e = box(name, 25, left, top, width);
        e->setText(QString::fromUtf8(text));
        e->setToolTip(tip);
        e->setFrame(false);
        e->setProperty(FieldLabelProperty, true);
        QPalette p = e->palette();
        p.setColor(QPalette::Text, QColor(0, 0, 0x80));
        e->setPalette(p);
        return e;
    };

    constexpr int L = 120, B = 1500; // label column, box column
    int y = 120;
    label("lblSongName", "Song Name", L, y, 1300);
    txtSongName = box("txtSongName", 255, B, y, 5000);
    label("lblID", "ID", 6700, y, 400);
    txtID = box("txtID", 10, 7100, y, 1400);
    label("lblBPM", "BPM", 8700, y, 500);
    txtBPM = box("txtBPM", 5, 9250, y, 900);
    y += 400;
    label("lblArtist", "Artist", L, y, 1300);
    txtArtist = box("txtArtist", 255, B, y, 5000);
    label("lblGenre", "Genre", 6700, y, 700);
    cmbGenre = ui::named(new QComboBox(this), "cmbGenre", 7400, y, 2750, 315);
    cmbGenre->setEditable(true);
    cmbGenre->setInsertPolicy(QComboBox::NoInsert);
    cmbGenre->addItems(genreNames());
    cmbGenre->setCurrentIndex(-1); // no genre until a record gives one
    y += 400;
    label("lblComposer", "Composer", L, y, 1300);
    txtComposer = box("txtComposer", 255, B, y, 5000);
    label("lblRating", "Rating", 6700, y, 700);
    cmbRating = ui::named(new QComboBox(this), "cmbRating", 7400, y, 1400, 315);
    cmbRating->addItems(ratingItems());
    cmbRating->setCurrentIndex(-1);
    y += 400;
    label("lblAlbum", "Album", L, y, 1300);
    txtAlbum = box("txtAlbum", 255, B, y, 5000);
    label("lblYear", "Year", 6700, y, 700);
    txtYear = box("txtYear", 10, 7400, y, 1000);
    y += 400;
    label("lblBitrate", "Bitrate", L, y, 1300);
    txtBitrate = box("txtBitrate", 20, B, y, 1300);
    label("lblDuration", "Duration", 2950, y, 900);
    txtDuration = box("txtDuration", 8, 3850, y, 1100);
    label("lblTrack", "Track", 5100, y, 650);
    txtTrackText = box("txtTrackText", 10, 5750, y, 750);
    label("lblFileSize", "File size", 6700, y, 900);
    txtFileSize = box("txtFileSize", 20, 7600, y, 1400);
    y += 400;
    label("lblPathName", "Path name", L, y, 1300);
    txtPathName = box("txtPathName", 0, B, y, 7200);
    cmdBrowsePath = button("cmdBrowsePath", "Move", 8800, y - 40, 1100);
    cmdEditTags = button("cmdEditTags", "Edit tags", 10000, y - 40, 1250);
    y += 400;
    label("lblFileName", "File name", L, y, 1300);
    txtFileName = box("txtFileName", 0, B, y, 7200);
    cmdBrowseFile = button("cmdBrowseFile", "Rename", 8800, y - 40, 1100);
    y += 400;
    label("lblPurchaseDate", "Purchase Date", L, y, 1350);
    txtPurchaseDate = box("txtPurchaseDate", 20, B, y, 1700);
    txtDate2_Desc = blueBox("txtDate2_Desc", "Date 2", kDateLabelTip, 3350, y, 1400);
    txtDate2 = box("txtDate2", 20, 4800, y, 1700);
    label("lblCode", "Code", 6700, y, 700);
    txtCode = box("txtCode", 255, 7400, y, 3850);
    y += 400;
    const int miscTop = y;
    txtMiscField1_Desc = blueBox("txtMiscField1_Desc", "Misc. Field 1", kLabelTip, L, y, 1350);
    txtMiscField1 = box("txtMiscField1", 255, B, y, 5000);
    y += 400;
    txtMiscField2_Desc = blueBox("txtMiscField2_Desc", "Misc. Field 2", kLabelTip, L, y, 1350);
    txtMiscField2 = box("txtMiscField2", 255, B, y, 5000);
    y += 400;
    txtMiscField3_Desc = blueBox("txtMiscField3_Desc", "Misc. Field 3", kLabelTip, L, y, 1350);
    txtMiscField3 = box("txtMiscField3", 255, B, y, 5000);
    y += 400;
    lblNotesInstruction = label("lblNotesInstruction", "Double-click inside the text box to expand notes.", L, y, 6000);
    y += 300;
    txtNotes = ui::named(new QPlainTextEdit(this), "txtNotes", L, y, 6380, 1300);
    txtNotes->setTabChangesFocus(true);
    txtNotes->setProperty("Tag", QStringLiteral("txtNotes"));

    // Picture slots: two columns of four beside the misc fields and the notes.
    const char *const picButtons[] = {"cmdPicture1", "cmdPicture2", "cmdPicture3", "cmdPicture4",
                                      "cmdPicture5", "cmdPicture6", "cmdPicture7", "cmdPicture8"};
    const char *const picBoxes[] = {"txtPic1File", "txtPic2File", "txtPic3File", "txtPic4File",
                                    "txtPic5File", "txtPic6File", "txtPic7File", "txtPic8File"};
    for (int i = 0; i < 8; ++i) {
        const int left = i < 4 ? 6700 : 9350;
        const int top = miscTop + (i % 4) * 700;
        auto *b = button(picButtons[i], "", left, top, 1900);
        b->setText(QStringLiteral("Picture %1").arg(i + 1));
        cmdPicture << b;
        auto *t = box(picBoxes[i], 0, left, top + 370, 1900);
        t->setProperty("Tag", QString::number(i + 1));
        QPalette p = t->palette();
        p.setColor(QPalette::Text, QColor(0, 0, 0x80));
        t->setPalette(p);
        txtPicFile << t;
    }
    txtPic1File = txtPicFile[0];
    txtPic2File = txtPicFile[1];
    txtPic3File = txtPicFile[2];
    txtPic4File = txtPicFile[3];
    txtPic5File = txtPicFile[4];
    txtPic6File = txtPicFile[5];
    txtPic7File = txtPicFile[6];
    txtPic8File = txtPicFile[7];

    y = 6200;
    label("lblLastUpdated", "Last updated", 6700, y, 1300);
    lblDateUpdated = label("lblDateUpdated", "", 8000, y, 3200);
    y += 300;
    label("lblToday", "Today's date:", 6700, y, 1300);
    lblTodaysDate = label("lblTodaysDate", "", 8000, y, 3200);

    y = 6800;
    ProperFlag = ui::named(new QCheckBox(QStringLiteral("Capitalize"), this), "ProperFlag", L, y, 1500, 300);
    ProperFlag->setToolTip(QStringLiteral("Capitalizes (as you type) first letter of each word in the Song Name, "
                                          "Artist, Composer, and Album fields."));
    ProperFlag->setChecked(true);
    cmbHeader = ui::named(new QComboBox(this), "cmbHeader", 1700, y, 2600, 315);
    cmbHeader->setProperty("Tag", QStringLiteral("cmbHeader"));
    cmdAddToPlaylist = button("cmdAddToPlaylist", "Add to Play List", 4400, y - 30, 1700);
    txtSongAddedToPlaylist =
        ui::named(new QLineEdit(QStringLiteral("Song added to Play List"), this), "txtSongAddedToPlaylist", 6200, y, 2600, 300);
    txtSongAddedToPlaylist->setReadOnly(true);
    txtSongAddedToPlaylist->hide();
    ImageKeyboard = ui::named(new QToolButton(this), "ImageKeyboard", 11250, y - 30, 600, 375);
    ImageKeyboard->setText(QString(QChar(0x2328)));
    ImageKeyboard->setToolTip(QStringLiteral("Display On-Screen Keyboard"));
    ImageKeyboard->setFocusPolicy(Qt::NoFocus);

    y = 7250;
    cmdPrev = button("cmdPrev", "<", L, y, 500);
    cmdPrev->setToolTip(QStringLiteral("Previous record"));
    cmdNext = button("cmdNext", ">", 650, y, 500);
    cmdNext->setToolTip(QStringLiteral("Next record"));
    cmdSave = button("cmdSave", "&Save", 1250, y, 900);
    cmdCancel = button("cmdCancel", "Cancel", 2200, y, 900);
    cmdAddNew = button("cmdAddNew", "&Add New", 3150, y, 1000);
    cmdAddNew->setToolTip(QStringLiteral("Save current record then add a new one."));
    cmdDelete = button("cmdDelete", "&Delete", 4200, y, 900);
    cmdCategories = button("cmdCategories", "Categories", 5150, y, 1100);
    cmdWebLookup = button("cmdWebLookup", "Look on the web", 6300, y, 1640);
    cmdWebLookup->setToolTip(QStringLiteral("Right-click for more options"));
    cmdPlay = button("cmdPlay", "&Play", 7950, y, 800);
    cmdPlay->setToolTip(QStringLiteral("Play current song"));
    cmdMakeDefault = button("cmdMakeDefault", "Template", 8800, y, 1100);
    cmdMakeDefault->setToolTip(QStringLiteral("When clicked, this record will be used as a template for new "
                                              "records.  All data in this record (except the Name fields) will "
                                              "then appear in new records."));
    cmdClearDefault = button("cmdClearDefault", "Clear template", 9950, y, 1500);
    cmdClearDefault->setToolTip(QStringLiteral("This clears the template effect for new records."));

    mnuWebLookup = new QMenu(QStringLiteral("Look on the web"), this);
    mnuWebLookup->setObjectName(QStringLiteral("mnuWebLookup"));
    auto action = [](QMenu *menu, const char *name, const char *caption) {
        QAction *a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuWebLookupLyrics = action(mnuWebLookup, "mnuWebLookupLyrics", "Find song Lyrics");
    mnuWebLookupImages = action(mnuWebLookup, "mnuWebLookupImages", "Find album art images");
    mnuWebLookupCoverVersions = action(mnuWebLookup, "mnuWebLookupCoverVersions", "Find cover versions of this song");
    mnuFile = new QMenu(QStringLiteral("File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFilePasteImage = action(mnuFile, "mnuFilePasteImage", "Paste image");

    // Tab order: the data controls, the buttons, the misc labels, the picture slots, file size.
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

    // Commands.
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdBrowseFile, &QPushButton::clicked, this, [this] { cmdBrowseFile_Click(); });
    connect(cmdBrowsePath, &QPushButton::clicked, this, [this] { cmdBrowsePath_Click(); });
    connect(cmdEditTags, &QPushButton::clicked, this, [this] { cmdEditTags_Click(); });
    connect(cmdAddNew, &QPushButton::clicked, this, [this] { cmdAddNew_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdPrev, &QPushButton::clicked, this, [this] { cmdPrev_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdMakeDefault, &QPushButton::clicked, this, [this] { cmdMakeDefault_Click(); });
    connect(cmdClearDefault, &QPushButton::clicked, this, [this] { cmdClearDefault_Click(); });
    connect(cmdCategories, &QPushButton::clicked, this, [this] { cmdCategories_Click(); });
    for (int i = 0; i < 8; ++i) {
        QPushButton *b = cmdPicture[i];
        connect(b, &QPushButton::clicked, this, [this, i] { cmdPicture_Click(i + 1); });
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, i](const QPoint &pos) { cmdPicture_MouseDown(i + 1, 2, pos); });
    }
    connect(mnuFilePasteImage, &QAction::triggered, this, [this] { mnuFilePasteImage_Click(); });
    connect(ImageKeyboard, &QToolButton::clicked, this, [this] { ImageKeyboard_Click(); });
    connect(cmdWebLookup, &QPushButton::clicked, this, [this] { cmdWebLookup_Click(); });
    cmdWebLookup->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cmdWebLookup, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { cmdWebLookup_MouseDown(2, pos); });
    connect(mnuWebLookupLyrics, &QAction::triggered, this, [this] { mnuWebLookupLyrics_Click(); });
    connect(mnuWebLookupImages, &QAction::triggered, this, [this] { mnuWebLookupImages_Click(); });
    connect(mnuWebLookupCoverVersions, &QAction::triggered, this, [this] { mnuWebLookupCoverVersions_Click(); });
    connect(cmbHeader, &QComboBox::activated, this, [this] { cmbHeader_Click(); });
    connect(cmdPlay, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    connect(cmdAddToPlaylist, &QPushButton::clicked, this, [this] { cmdAddToPlaylist_Click(); });

    // Field rules.
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
