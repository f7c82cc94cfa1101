#include "editor/FieldRules.h"

#include "core/AppState.h"
#include "core/frmMessage.h"
#include "core/mCommon.h"
#include "editor/EditorText.h"
#include "editor/NameEdit.h"
#include "import/SongFields.h"
#include "platform/ui/PromptService.h"
#include "platform/db/LocaleDate.h"
#include "songlist/OtherWindows.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QUrl>

namespace editor {

namespace ui = platform::ui;
using mCommon::TrimBlanks;

namespace {

const QString kOptionsHint = QStringLiteral("\r\n\r\nYou can change this behavior in the Options menu.");

// The silenceable warning; true when the user cancelled it.
bool warn(const QString &text, const QString &key) {
    auto *m = ui::form<core::frmMessage>();
    m->setWindowTitle(QStringLiteral("Warning"));
    m->Message(text);
    return m->Display(key);
}

QString quoted(const QString &text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

} // namespace

void FieldRules::txtDuration_Validate(bool &Cancel) {
    const QString text = w_.txtDuration->text();
    const QString stored = w_.storedValue(QStringLiteral("Duration"));
    if (TrimBlanks(text).isEmpty() || text == stored)
        return;
    const QString example = QStringLiteral(" is not a valid duration.  An example of the correct format is 00:03:47");
    ui::Answer answer;
    switch (durationProblem(text)) {
    case DurationProblem::None:
        return;
    case DurationProblem::Format:
        answer = ui::msgBox(quoted(text) + example, ui::Buttons::OKCancel, ui::Icon::Exclamation,
                            QStringLiteral("Error - Invalid Duration Format"));
        break;
    case DurationProblem::Seconds:
        answer = ui::msgBox(QStringLiteral("There cannot be more than 59 seconds in the two right-most numbers of a "
                                           "song duration.  Therefore, ") +
                                quoted(text) + example,
                            ui::Buttons::OKCancel, ui::Icon::Exclamation, QStringLiteral("Error - Invalid Duration"));
        break;
    }
    if (answer == ui::Answer::Cancel)
        NameEdit::setBoxText(w_.txtDuration, stored);
    Cancel = true;
}

void FieldRules::txtFileName_Validate(bool &Cancel) {
    auto &s = core::g();
    const QString text = w_.txtFileName->text();
    // A stored name the user left alone is no news to them, whatever it holds.
    if (!mCommon::IsValidFileName(text) && text != w_.storedValue(QStringLiteral("FileName"))) {
        if (!TrimBlanks(text).isEmpty()) {
            const auto answer = ui::msgBox(
                quoted(text) + QStringLiteral(" is not a valid file name.  Please change it or press the Cancel button."),
                ui::Buttons::OKCancel, ui::Icon::Exclamation, QStringLiteral("Error - Invalid File Name"));
            if (answer == ui::Answer::Cancel) {
                NameEdit::setBoxText(w_.txtFileName, w_.storedValue(QStringLiteral("FileName")));
                Cancel = true;
            }
        } else if (!text.isEmpty()) {
            NameEdit::setBoxText(w_.txtFileName, QString());
        }
        return;
    }
    if (!s.EditingExistingRecord)
        return;
    const QString stored = w_.storedValue(QStringLiteral("FileName"));
    if (TrimBlanks(stored).isEmpty() || text == stored || s.FileRenameDisabled)
        return;
    const QString storedFolder = w_.storedValue(QStringLiteral("PathName"));
    if (TrimBlanks(text).isEmpty() || TrimBlanks(w_.txtPathName->text()).isEmpty() ||
        !mCommon::FileExists(storedFolder + stored))
        return;
    if (warn(QStringLiteral("Changing the File name here will rename this file on your computer when you save this "
                            "record.") +
                 kOptionsHint,
             core::frmMessage::FileNameWarningKey)) {
        NameEdit::setBoxText(w_.txtFileName, stored);
        Cancel = true;
    }
}

void FieldRules::txtPathName_Validate(bool &Cancel) {
    auto &s = core::g();
    const QString text = w_.txtPathName->text();
    if (!mCommon::FolderExists(text)) {
        w_.cmdEditTags->setEnabled(false);
        if (!TrimBlanks(text).isEmpty() && text != w_.storedValue(QStringLiteral("PathName"))) {
            const auto answer = ui::msgBox(QStringLiteral("Invalid Path name. Folder ") + quoted(text) +
                                               QStringLiteral(" does not exist."),
                                           ui::Buttons::OKCancel, ui::Icon::Exclamation, QStringLiteral("Error"));
            if (answer == ui::Answer::Cancel) {
                // A new record has no stored folder: Cancel empties the box.
                NameEdit::setBoxText(w_.txtPathName, s.EditingExistingRecord
                                                         ? w_.storedValue(QStringLiteral("PathName"))
                                                         : QString());
                Cancel = true;
            }
        }
        if (TrimBlanks(text).isEmpty())
            NameEdit::setBoxText(w_.txtPathName, TrimBlanks(text));
        return;
    }
    if (!s.EditingExistingRecord)
        return;
    w_.cmdEditTags->setEnabled(true);
    const QString stored = w_.storedValue(QStringLiteral("PathName"));
    if (TrimBlanks(stored).isEmpty())
        return;
    if (!text.endsWith(QLatin1Char('/')))
        NameEdit::setBoxText(w_.txtPathName, text + QLatin1Char('/'));
    if (w_.txtPathName->text() == stored || s.FileRenameDisabled)
        return;
    if (warn(QStringLiteral("Changing the Path name here will move this file to the specified Path/Folder on your "
                            "computer when you save this record.") +
                 kOptionsHint,
             core::frmMessage::PathNameWarningKey)) {
        NameEdit::setBoxText(w_.txtPathName, stored);
        Cancel = true;
    }
}

void FieldRules::txtBPM_Validate(bool &Cancel) {
    const QString text = w_.txtBPM->text();
    if (TrimBlanks(text).isEmpty() || import::isNumeric(text))
        return;
    ui::msgBox(QStringLiteral("Beats per minute must be a number"), ui::Buttons::OK, ui::Icon::None,
               QStringLiteral("Invalid BPM"));
    Cancel = true;
}

bool FieldRules::dateLostFocus(QLineEdit *box) {
    const QString text = box->text();
    if (text.isEmpty() || platform::db::LocaleDate::isDate(text))
        return false;
    ui::msgBox(QStringLiteral("Invalid date"), ui::Buttons::OK, ui::Icon::Exclamation);
    return true;
}

void FieldRules::nameKeyPress(QLineEdit *box, int &KeyAscii) {
    // Any state but unticked counts as ticked.
    if (w_.ProperFlag->checkState() == Qt::Unchecked)
        return;
    KeyAscii = properCaseKey(box->text(), KeyAscii);
}

void FieldRules::txtNotes_DblClick() {
    songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::NotesForm));
    QTextCursor c = w_.txtNotes->textCursor();
    c.movePosition(QTextCursor::Start);
    w_.txtNotes->setTextCursor(c);
}

void FieldRules::OpenFieldLink(const QString &Text) {
    const bool mail = Text.contains(QLatin1Char('@'));
    if (!mail && !Text.contains(QLatin1Char('.')))
        return;
    QUrl url;
    if (mail)
        url = QUrl(QStringLiteral("mailto:") + Text);
    else if (QFileInfo::exists(Text))
        url = QUrl::fromLocalFile(QFileInfo(Text).absoluteFilePath());
    else
        url = QUrl::fromUserInput(Text);
    if (!url.isValid()) {
        // An address the desktop cannot be handed: "invalid procedure call or argument".
        const QString why = url.errorString().isEmpty() ? QStringLiteral("Invalid procedure call or argument")
                                                        : url.errorString();
        if (mail)
            ui::msgBox(QStringLiteral("Unable to communicate with your e-mail program.  ") + why +
                       QStringLiteral(" (Error 5)"));
        else
            ui::msgBox(QStringLiteral("Unable to open file ") + Text + QStringLiteral("    ") + why +
                       QStringLiteral(" (Error 5)"));
        return;
    }
    ui::prompts().openUrl(url); // the desktop's own answer is not examined
}

} // namespace editor
