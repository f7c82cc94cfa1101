#include "pictures/PictureForm.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/CommonDialogControl.h"
#include "core/PictureFormats.h"
#include "core/StartFolders.h"
#include "core/mCommon.h"
#include "pictures/MainWindowPictures.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFiles.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/DuplicateViews.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <cmath>
#include <map>

namespace pictures {

namespace ui = platform::ui;
using songlist::NameList;

namespace {

std::optional<ScreenInfo> &screenOverride() {
    static std::optional<ScreenInfo> s;
    return s;
}

// Where the hand-over name lives when no main window is loaded.
QString &spareHandOverName() {
    static QString name;
    return name;
}

// A failure as the window reports it: the run-time number and its description.
struct Failure {
    int number = 0;
    QString description;
};

Failure failureOf(const std::exception &e) {
    if (const auto *f = dynamic_cast<const core::FileError *>(&e))
        return {f->number(), f->description()};
    if (const auto *p = dynamic_cast<const PictureError *>(&e))
        return {p->number(), p->description()};
    if (const auto *d = dynamic_cast<const platform::db::DbError *>(&e))
        return {d->number(), d->description()};
    return {0, QString::fromUtf8(e.what())};
}

const QString &invalidPictureText() {
    static const QString text = QStringLiteral(
        "Invalid picture.  The following file formats are supported: JPEG (.jpg) files, bitmap (.bmp) "
        "files, and GIF (.gif) files.");
    return text;
}

bool isDuplicateView(const QString &source) {
    using V = songlist::DuplicateViews::View;
    for (V v : {V::Duplicates, V::ToDelete, V::DuplicatesAlbum, V::ToDeleteAlbum})
        if (source == QLatin1String(songlist::DuplicateViews::texts(v).query))
            return true;
    return false;
}

bool clipboardHasPicture() {
    const QClipboard *c = QGuiApplication::clipboard();
    return c && !c->image().isNull();
}

// The song the editor shows: the grid's current row when it edits a stored song, none (0) for
// a new one.
long editedRecordId() {
    if (!core::g().EditingExistingRecord)
        return 0;
    NameList *main = NameList::instance();
    if (!main || !main->Data1->recordset())
        return 0;
    try {
        return long(main->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong());
    } catch (const std::exception &) {
        return 0;
    }
}

// The style's arrow for the Next and Previous buttons. The style decodes its pictures anew for
// every icon asked for; the window opens often, so each style's arrows are decoded once.
QIcon arrowIcon(const QStyle *style, QStyle::StandardPixmap arrow) {
    static std::map<std::pair<QString, int>, QIcon> icons;
    const std::pair<QString, int> key{style->name(), int(arrow)};
    auto it = icons.find(key);
    if (it == icons.end())
        it = icons.emplace(key, style->standardIcon(arrow)).first;
    return it->second;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

} // namespace

ScreenInfo PictureForm::screen() {
    if (screenOverride())
        return *screenOverride();
    ScreenInfo s;
    const QScreen *scr = QGuiApplication::primaryScreen();
    const double dpiX = scr ? scr->logicalDotsPerInchX() : 96, dpiY = scr ? scr->logicalDotsPerInchY() : 96;
    s.twipsPerPixelX = ui::TwipsPerInch / (dpiX > 0 ? dpiX : 96);
    s.twipsPerPixelY = ui::TwipsPerInch / (dpiY > 0 ? dpiY : 96);
    const QRect g = scr ? scr->geometry() : QRect(0, 0, 1920, 1080);
    s.width = g.width() * s.twipsPerPixelX;
    s.height = g.height() * s.twipsPerPixelY;
    return s;
}

void PictureForm::setScreenOverride(std::optional<ScreenInfo> s) { screenOverride() = s; }

QString PictureForm::handOverName() {
    if (NameList *main = NameList::instance())
        return main->CMDialog1->FileName;
    return spareHandOverName();
}

void PictureForm::setHandOverName(const QString &name) {
    if (NameList *main = NameList::instance())
        main->CMDialog1->FileName = name;
    else
        spareHandOverName() = name;
}

QLineEdit *PictureForm::slotBox(int slot) {
    if (slot < 1 || slot > 8)
        return nullptr;
    QWidget *editor = ui::loadedForm(QStringLiteral("NameEdit"));
    return editor ? editor->findChild<QLineEdit *>(QStringLiteral("txtPic%1File").arg(slot)) : nullptr;
}

PictureForm::PictureForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowIcon(QApplication::windowIcon());
    picResized = new QLabel(this);
    picResized->setObjectName(QStringLiteral("picResized"));
    picResized->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picOriginal = new QLabel(this);
    picOriginal->setObjectName(QStringLiteral("picOriginal"));
    picOriginal->hide();

    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("Cancel"));
    cmdCancel->setToolTip(QStringLiteral("Cancel, do not save changes to this picture link."));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("Save"));
    cmdClose->setToolTip(QStringLiteral("Close and save changes."));
    cmdLoadFile = makeButton(this, "cmdLoadFile", QStringLiteral("Change Picture"));
    cmdDelete = makeButton(this, "cmdDelete", QStringLiteral("Delete Picture"));
    cmdClipboardPaste = makeButton(this, "cmdClipboardPaste", QStringLiteral("Paste from Clipboard"));
    cmdNext = makeButton(this, "cmdNext", QString());
    cmdNext->setIcon(arrowIcon(style(), QStyle::SP_ArrowRight));
    cmdPrev = makeButton(this, "cmdPrev", QString());
    cmdPrev->setIcon(arrowIcon(style(), QStyle::SP_ArrowLeft));
    cmdClipboardPaste->hide();
    cmdNext->hide();
    cmdPrev->hide();
    picResized->setFocusPolicy(Qt::NoFocus);

    // Tab order: Cancel, Save, Change, Delete, (the boxes), Paste, Next, Previous.
    setTabOrder(cmdCancel, cmdClose);
    setTabOrder(cmdClose, cmdLoadFile);
    setTabOrder(cmdLoadFile, cmdDelete);
    setTabOrder(cmdDelete, cmdClipboardPaste);
    setTabOrder(cmdClipboardPaste, cmdNext);
    setTabOrder(cmdNext, cmdPrev);

    // A clicked button takes the focus before its handler runs: closing reads it.
    const auto wire = [this](QPushButton *b, void (PictureForm::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, b, handler] {
            b->setFocus(Qt::MouseFocusReason);
            (this->*handler)();
        });
    };
    wire(cmdCancel, &PictureForm::cmdCancel_Click);
    wire(cmdClose, &PictureForm::cmdClose_Click);
    wire(cmdDelete, &PictureForm::cmdDelete_Click);
    wire(cmdClipboardPaste, &PictureForm::cmdClipboardPaste_Click);
    wire(cmdLoadFile, &PictureForm::cmdLoadFile_Click);
    wire(cmdNext, &PictureForm::cmdNext_Click);
    wire(cmdPrev, &PictureForm::cmdPrev_Click);

    layout_ = designLayout();
    cmdCancel->setFocus();
}

void PictureForm::applyLayout(bool hasPicture) {
    layout_ = layoutFor(screen_);
    const double tx = screen_.twipsPerPixelX > 0 ? screen_.twipsPerPixelX : 15;
    const double ty = screen_.twipsPerPixelY > 0 ? screen_.twipsPerPixelY : 15;
    const auto place = [tx, ty](QWidget *w, const TwipsRect &r) {
        w->setGeometry(int(std::lround(r.left / tx)), int(std::lround(r.top / ty)),
                       std::max(1, int(std::lround(r.width / tx))), std::max(1, int(std::lround(r.height / ty))));
    };
    setFixedSize(std::max(1, int(std::lround(layout_.windowWidth / tx))),
                 std::max(1, int(std::lround(layout_.windowHeight / ty))));
    place(picResized, layout_.picResized);
    place(cmdCancel, layout_.cmdCancel);
    place(cmdClose, layout_.cmdClose);
    place(cmdLoadFile, layout_.cmdLoadFile);
    place(cmdDelete, layout_.cmdDelete);
    place(cmdClipboardPaste, layout_.cmdClipboardPaste);
    place(cmdNext, layout_.cmdNext);
    place(cmdPrev, layout_.cmdPrev);
    if (hasPicture)
        cmdClipboardPaste->show();
    // The box's image is its inner size in pixels: about 1024 x 768 whatever the density.
    box_ = QImage(picResized->width(), picResized->height(), QImage::Format_RGB32);
    box_.fill(picResized->palette().color(QPalette::Window));
    ui::centreOnScreen(this);
}

void PictureForm::fitAndPaint(double factor) {
    const FittedSize s = fitRule(original_.width(), original_.height(), layout_.picResized.width,
                                 layout_.picResized.height, factor);
    ResizedWidth = s.width;
    ResizedHeight = s.height;
    box_.fill(picResized->palette().color(QPalette::Window));
    const int w = std::max(1, int(std::lround(ResizedWidth / screen_.twipsPerPixelX)));
    const int h = std::max(1, int(std::lround(ResizedHeight / screen_.twipsPerPixelY)));
    const QImage scaled = original_.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter p(&box_);
    p.drawImage(0, 0, scaled);
    p.end();
    showBox();
}

void PictureForm::showBox() { picResized->setPixmap(QPixmap::fromImage(box_)); }

bool PictureForm::Form_Load() {
    auto &s = core::g();
    ui::applyScreenFont(this, s.ScreenFontName);
    screen_ = screen();
    if (screen_.twipsPerPixelX <= 0 || screen_.twipsPerPixelY <= 0)
        screen_.twipsPerPixelX = screen_.twipsPerPixelY = 15;
    try {
        NameList *main = NameList::instance();
        viewOnly_ = main && isDuplicateView(main->Data1->recordSource());
        if (viewOnly_) {
            cmdClose->setEnabled(false);
            cmdDelete->setEnabled(false);
            cmdLoadFile->setEnabled(false);
            cmdClipboardPaste->setEnabled(false);
        }
        PictureChanged = false;
        const QString name = handOverName();
        const QFileInfo file(name);
        setWindowTitle(!name.isEmpty() && file.isFile() ? file.fileName() : QString());
        cmdNext->hide();
        cmdPrev->hide();
        applyLayout(clipboardHasPicture());

        if (s.PastingImage) {
            cmdClipboardPaste->setEnabled(false);
            // The paste command of the editor asked for the name: a name that cannot be
            // stored is refused before the picture is taken.
            const QString refused = refusedPastedName(name);
            if (!refused.isEmpty()) {
                ui::msgBox(refused, ui::Buttons::OK, ui::Icon::Exclamation, refusedNameTitle());
                openFailed_ = true;
                close();
                return false;
            }
            const QClipboard *c = QGuiApplication::clipboard();
            original_ = c ? c->image() : QImage();
            if (original_.isNull())
                throw core::FileError(481, QStringLiteral("Invalid picture"));
            fitAndPaint(CommandFactor);
            PictureChanged = true;
        } else {
            original_ = readPicture(name);
            fitAndPaint(OpeningFactor);
            const int n = s.CurrentPictureSlot;
            bool others = false;
            for (int i = 1; i <= 8; ++i)
                if (i != n) {
                    const QLineEdit *b = slotBox(i);
                    others = others || (b && !b->text().trimmed().isEmpty());
                }
            if (n >= 1 && n <= 8 && slotCounts(n) && others) {
                cmdNext->show();
                cmdPrev->show();
            }
        }
    } catch (const std::exception &e) {
        const Failure f = failureOf(e);
        showReadFailure(f.number, f.description);
        // The window closes having stored nothing and changed no slot or flag.
        openFailed_ = true;
        close();
        return false;
    }
    cmdCancel->setFocus();
    return true;
}

void PictureForm::showReadFailure(int number, const QString &description) {
    const QString product = core::g().ProductName;
    if (number == 481)
        ui::msgBox(invalidPictureText(), ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Invalid Picture"));
    else
        ui::msgBox(description, ui::Buttons::OK, ui::Icon::None, product);
}

void PictureForm::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) {
        cmdCancel->click();
        return;
    }
    Form<QDialog>::keyPressEvent(e);
}

void PictureForm::cmdCancel_Click() { close(); }
void PictureForm::cmdClose_Click() { close(); }

bool PictureForm::slotCounts(int slot) const {
    const QLineEdit *b = slotBox(slot);
    if (!b || !isBareFileName(b->text()))
        return false;
    const QFileInfo f(picturesFolder() + b->text());
    return f.isFile() && !f.isHidden();
}

void PictureForm::cmdClipboardPaste_Click() {
    if (!clipboardHasPicture())
        return;
    const QString prompt = QStringList{
        QStringLiteral("First you must enter a NAME for this picture."),
        QStringLiteral("Do NOT enter a file extension (like .jpg), JUST enter a name (like Joe's Song)."),
        QString(),
        QStringLiteral("This name must not contain any characters that are illegal in a file name, or it will be ignored."),
        QStringLiteral("Illegal characters are:"),
        QStringLiteral("   *  \\  /  :  ?  |  \"  <  >")}.join(QLatin1Char('\r'));
    const auto answer = ui::prompts().input({prompt, QStringLiteral("Picture name required"), QString(), false, {}});
    const QString name = pasteName(answer.value_or(QString()));
    if (name.isEmpty())
        return;
    if (const QString refused = refusedPastedName(name); !refused.isEmpty()) {
        ui::msgBox(refused, ui::Buttons::OK, ui::Icon::Exclamation, refusedNameTitle());
        return;
    }
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return;
    setHandOverName(name);
    setWindowTitle(name);
    original_ = picture;
    fitAndPaint(CommandFactor);
    PictureChanged = true;
    cmdNext->hide();
    cmdPrev->hide();
}

void PictureForm::cmdLoadFile_Click() {
    NameList *main = NameList::instance();
    core::CommonDialogControl spare;
    core::CommonDialogControl &dlg = main ? *main->CMDialog1 : spare;
    const QString before = handOverName();
    dlg.CancelError = true;
    dlg.Flags = 4;
    dlg.Filter = QStringLiteral("All Files (*.*)|*.*|") + core::pictureFilter(QStringLiteral("Image files"));
    dlg.FilterIndex = 2;
    dlg.FileName.clear();
    dlg.DialogTitle = QStringLiteral("Load Picture");
    dlg.InitDir = core::StartFolders::lastUsed(dlg.DialogTitle);
    try {
        dlg.ShowOpen();
    } catch (const core::DialogCancelled &) {
        dlg.FileName = before;
        return;
    }
    const QString chosen = dlg.FileName;
    core::StartFolders::used(dlg.DialogTitle, chosen);
    dlg.FileName = before;
    // Only a picture that was read changes what the window shows and what closing stores.
    QImage picture;
    for (int attempt = 0;; ++attempt) {
        try {
            picture = readPicture(chosen);
            break;
        } catch (const core::FileError &e) {
            if (e.number() == 76 && attempt == 0) {
                QDir().mkpath(picturesFolder());
                continue;
            }
            ui::msgBox(e.description() + QStringLiteral(" (Error ") + QString::number(e.number()) + QLatin1Char(')'),
                       ui::Buttons::OK, ui::Icon::None, core::g().ProductName);
            return;
        }
    }
    setWindowTitle(QFileInfo(chosen).fileName());
    setHandOverName(chosen);
    cmdNext->hide();
    cmdPrev->hide();
    original_ = picture;
    fitAndPaint(CommandFactor);
    PictureChanged = false;
}

void PictureForm::moveToSlot(int slot) {
    if (slot == 0)
        return;
    const QString text = slotBox(slot)->text();
    const QString path = picturesFolder() + text;
    QImage picture;
    try {
        picture = readPicture(path);
    } catch (const core::FileError &e) {
        showReadFailure(e.number(), e.description());
        return;
    }
    core::g().CurrentPictureSlot = slot;
    setHandOverName(path);
    original_ = picture;
    fitAndPaint(OpeningFactor);
    setWindowTitle(QFileInfo(path).fileName());
}

void PictureForm::cmdNext_Click() {
    moveToSlot(nextSlot(core::g().CurrentPictureSlot, [this](int n) { return slotCounts(n); }));
}

void PictureForm::cmdPrev_Click() {
    moveToSlot(previousSlot(core::g().CurrentPictureSlot, [this](int n) { return slotCounts(n); }));
}

QStringList PictureForm::otherUsers(const QString &name) const {
    QStringList users;
    const long current = editedRecordId();
    QList<int> storedSlots; // the slots of this song's stored row that name the picture
    for (const SongRef &song : songsNaming(name)) {
        if (current != 0 && song.recordId == current)
            storedSlots = song.pictureSlots;
        else
            users << song.songName;
    }
    // This song's other slots, as the editor shows them and as they are stored (the stored
    // row keeps naming the picture until the editor saves).
    const int slot = core::g().CurrentPictureSlot;
    for (int i = 1; i <= 8; ++i) {
        const QLineEdit *b = slotBox(i);
        if (i != slot && (storedSlots.contains(i) || (b && b->text().compare(name, Qt::CaseInsensitive) == 0)))
            users << QStringLiteral("picture %1 of this song").arg(i);
    }
    return users;
}

void PictureForm::cmdDelete_Click() {
    auto &s = core::g();
    const QString product = s.ProductName;
    // Only the stored picture the window shows can be deleted: not a pasted one, nor one loaded
    // from elsewhere whose name happens to lie in the pictures folder. The file's identity
    // decides, however its path is spelt.
    const QString C = PictureChanged ? QString() : nameInPicturesFolder(handOverName());
    if (C.isEmpty()) {
        ui::msgBox(QStringLiteral("Picture not yet saved in ") + product +
                       QStringLiteral(", so you can't delete it.  Use the Cancel button instead."),
                   ui::Buttons::OK, ui::Icon::None, product);
        return;
    }
    if (ui::msgBox(QStringLiteral("Are you sure you want to delete this picture from ") + product +
                       QStringLiteral("?\r") + C,
                   ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Delete Confirmation"),
                   ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    try {
        // Another song, or another slot of this one, would be left naming a missing file.
        const QStringList others = otherUsers(C.trimmed());
        if (!others.isEmpty()) {
            ui::msgBox(QStringLiteral("This picture is also linked to the following Song") +
                           (others.size() > 1 ? QStringLiteral("s") : QString()) + QStringLiteral(": \r") +
                           others.join(QStringLiteral(", ")) +
                           QStringLiteral("\r\rTherefore you can't delete it.  To remove this picture from the "
                                          "current Song only, blank out the blue filename shown below the picture "
                                          "button on the previous Edit screen, then save the record."),
                       ui::Buttons::OK, ui::Icon::Exclamation,
                       QStringLiteral("Picture not deleted because it is assigned to another Song."));
            return;
        }
        moveToDeletedPictures(C);
    } catch (const std::exception &e) {
        ui::msgBox(failureOf(e).description, ui::Buttons::OK, ui::Icon::None, product);
        return;
    }
    s.PictureChanged = true;
    s.RecordChanged = true;
    if (QLineEdit *b = slotBox(s.CurrentPictureSlot))
        b->clear();
    deleted_ = true;
    close();
}

void PictureForm::storeOnClosing() {
    auto &s = core::g();
    const QString F = handOverName();
    const QString folder = picturesFolder();
    QString S;
    if (PictureChanged) {
        S = F;
    } else if (!F.isEmpty() && QFileInfo(F).isFile()) {
        // A picture of the pictures folder, however its path is spelt (a linked folder, "./",
        // a file link), is that stored picture: it is linked under its own name, not stored
        // again over itself.
        const QString stored = nameInPicturesFolder(F);
        S = stored.isEmpty() ? QFileInfo(F).fileName() : stored;
    }
    if (!isBareFileName(S))
        return; // nothing shown that could be stored or named in the pictures folder
    S = storedName(S);
    const bool store = PictureChanged || !mCommon::SameFile(F, folder + S);
    if (store) {
        QString target = folder + S;
        const QStringList others = mCommon::FileExists(target) ? otherUsers(S) : QStringList();
        if (!others.isEmpty()) {
            const auto taken = [&](const QString &n) { return QFileInfo::exists(folder + n); };
            const ui::Answer a = ui::msgBox(
                S + QStringLiteral(" is also linked to: ") + others.join(QStringLiteral(", ")) +
                    QStringLiteral(".\r\rReplace it for them too?  No stores this picture as ") + freeName(S, taken) +
                    QStringLiteral("."),
                ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Picture in use"), ui::DefaultButton::Second);
            if (a != ui::Answer::Yes) {
                S = freeName(S, taken);
                target = folder + S;
            }
        }
        storeJpeg(box_, target);
        if (PictureChanged)
            s.RecordChanged = true;
    }
    if (QLineEdit *b = slotBox(s.CurrentPictureSlot)) {
        if (b->text() != S) {
            b->setText(S);
            s.PictureChanged = true;
            s.RecordChanged = true;
        }
    }
}

void PictureForm::closeEvent(QCloseEvent *e) {
    // The store runs before the window goes: when it fails, the window stays open with the
    // picture, which may exist nowhere else (a paste, once the clipboard changes).
    if (!closingStored()) {
        e->ignore();
        return;
    }
    Form<QDialog>::closeEvent(e);
}

bool PictureForm::closingStored() {
    if (openFailed_ || viewOnly_ || deleted_)
        return true;
    QWidget *focus = focusWidget();
    if (!focus || focus == cmdCancel || focus == cmdDelete)
        return true;
    {
        ui::HourglassPointer hourglass;
        try {
            storeOnClosing();
        } catch (const std::exception &e) {
            ui::setMousePointer(ui::MousePointer::Default);
            ui::msgBox(failureOf(e).description +
                           QStringLiteral("\r\rThe picture was not stored.  Press Save to try again, or Cancel to "
                                          "close without it."),
                       ui::Buttons::OK, ui::Icon::None, core::g().ProductName);
            return false;
        }
    }
    PictureChanged = false;
    return true;
}

// ---------------------------------------------------------------- opener

void registerWindows() {
    MainWindowPictures::registerCommands();
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::PictureForm), [](const QString &caption) {
        auto *w = ui::form<PictureForm>();
        if (!w->Form_Load())
            return;
        if (!caption.isEmpty())
            w->setWindowTitle(caption);
        ui::showModal(w);
    });
}

} // namespace pictures
