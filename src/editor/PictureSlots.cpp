#include "editor/PictureSlots.h"

#include "core/AppState.h"
#include "core/CommonDialogControl.h"
#include "core/FileError.h"
#include "core/PictureFormats.h"
#include "core/StartFolders.h"
#include "core/mCommon.h"
#include "editor/NameEdit.h"
#include "platform/db/DbError.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

namespace editor {

namespace ui = platform::ui;
namespace db = platform::db;
using mCommon::TrimBlanks;
using songlist::NameList;
using songlist::OtherWindows;

namespace {

QString picturesFolder() { return core::g().DataFolder + QStringLiteral("Pictures/"); }

// The main window's dialog control, which carries the picture's path to the picture window.
core::CommonDialogControl &dialogControl() {
    static core::CommonDialogControl spare;
    NameList *main = NameList::instance();
    return main ? *main->CMDialog1 : spare;
}

int errorNumber(const std::exception &e) {
    if (const auto *d = dynamic_cast<const db::DbError *>(&e))
        return d->number();
    if (const auto *f = dynamic_cast<const core::FileError *>(&e))
        return f->number();
    return 0;
}

QString errorDescription(const std::exception &e) {
    if (const auto *f = dynamic_cast<const core::FileError *>(&e))
        return f->description();
    return db::errorText(e);
}

void openPictureForm(const QString &caption = {}) {
    OtherWindows::open(QString::fromLatin1(OtherWindows::PictureForm), caption);
}

} // namespace

QString PictureSlots::pasteFileName(const QString &name) {
    return name.right(4).toLower() == QLatin1String(".jpg") ? name : name + QStringLiteral(".jpg");
}

QString PictureSlots::pasteDefaultName(const QString &artist, const QString &song, const QString &album) {
    // The song's texts may hold "/" ("Rock/Pop"), which no name may, and a leading "." would
    // make a hidden file: the name offered is one the paste accepts.
    QString name = artist + QLatin1Char('-') + song + QLatin1Char('-') + album;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name;
}

QString PictureSlots::pastePrompt() {
    return QStringLiteral("First you must enter a NAME for this picture.\r"
                          "Do NOT enter a file extension (like .jpg), JUST enter a name (like Abbey Road Cover).\r\r"
                          "This name must not contain any characters that are illegal in a file name, or it will be "
                          "ignored.\rIllegal characters are:\r   *  \\  /  :  ?  |  \"  <  >");
}

void PictureSlots::cmdPicture_Click(int slot) {
    auto &s = core::g();
    try {
        s.CurrentPictureSlot = slot;
        const QString text = w_.txtPicFile.at(slot - 1)->text();
        const QString path = picturesFolder() + text;
        const bool blank = TrimBlanks(text).isEmpty();
        // Only a bare file name names a picture of the pictures folder: "../x.jpg" would reach
        // a file elsewhere, which the picture window could show, replace or move away.
        const bool filled = !blank && mCommon::IsValidFileName(text) && mCommon::FileExists(path);
        if (filled) {
            dialogControl().FileName = path;
        } else {
            if (!blank)
                ui::msgBox(QStringLiteral("The file:\r") + path +
                               QStringLiteral("\r was not found.\r\rYou may have deleted it from another record.  You "
                                              "may want to blank out the file name shown below the button (and then "
                                              "Save this record) if you do not choose another picture."),
                           ui::Buttons::OK, ui::Icon::Information, QStringLiteral("File not found.  Link broken."));
            if (!GetFileName())
                return;
        }
        openPictureForm();
    } catch (const std::exception &e) {
        const QString text =
            platform::db::withErrorNumber(errorDescription(e), QStringLiteral(".    Error number: "), errorNumber(e));
        ui::msgBox(text, ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
    }
}

bool PictureSlots::GetFileName() {
    core::CommonDialogControl &dlg = dialogControl();
    try {
        dlg.CancelError = true;
        dlg.Flags = 4;
        dlg.Filter = core::pictureFilter(QStringLiteral("Image files")) + QStringLiteral("|All Files (*.*)|*.*");
        dlg.FilterIndex = 1;
        dlg.FileName.clear();
        dlg.DialogTitle = QStringLiteral("Load Picture");
        dlg.InitDir = core::StartFolders::lastUsed(dlg.DialogTitle);
        dlg.ShowOpen();
        core::StartFolders::used(dlg.DialogTitle, dlg.FileName);
        return !dlg.FileName.isEmpty();
    } catch (const core::DialogCancelled &) {
        return false;
    } catch (const std::exception &e) {
        ui::msgBox(errorDescription(e) + QStringLiteral(" (Error ") + QString::number(errorNumber(e)) +
                       QLatin1Char(')'),
                   ui::Buttons::OK, ui::Icon::None);
        return false;
    }
}

void PictureSlots::cmdPicture_MouseDown(int slot, int Button, const QPoint &pos) {
    if (Button != 2)
        return;
    core::g().CurrentPictureSlot = slot;
    w_.mnuFile->popup(w_.cmdPicture.at(slot - 1)->mapToGlobal(pos));
}

void PictureSlots::mnuFilePasteImage_Click() {
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    if (!clip || !clip->hasImage())
        return;
    QFont arial(QStringLiteral("Arial"), 8);
    arial.setBold(false);
    const QString name = TrimBlanks(
        ui::prompts()
            .input({pastePrompt(), QStringLiteral("Picture name required"),
                    pasteDefaultName(TrimBlanks(w_.txtArtist->text()), TrimBlanks(w_.txtSongName->text()),
                                     TrimBlanks(w_.txtAlbum->text())),
                    false, arial})
            .value_or(QString()));
    // As the prompt says, an unusable name is ignored without a word.
    if (name.isEmpty() || !mCommon::IsValidFileName(name))
        return;
    struct Pasting {
        Pasting() { core::g().PastingImage = true; }
        ~Pasting() { core::g().PastingImage = false; }
    } pasting;
    dialogControl().FileName = pasteFileName(name);
    try {
        openPictureForm(name);
    } catch (const std::exception &e) {
        ui::msgBox(errorDescription(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
    }
}

} // namespace editor
