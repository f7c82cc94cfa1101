#include "editor/SongFileButtons.h"

#include "core/AppState.h"
#include "core/InputForm.h"
#include "core/StartFolders.h"
#include "core/frmMessage.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "core/mCommonDialog.h"
#include "editor/NameEdit.h"
#include "platform/ui/PromptService.h"

#include <QDir>
#include <QLineEdit>
#include <QUrl>

namespace editor {

namespace ui = platform::ui;
using mCommon::TrimBlanks;

const QString &SongFileButtons::musicFilter() {
    static const QString filter = QStringLiteral(
        "Music files (*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.aac)|*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.aac|"
        "All Files (*.*)|*.*");
    return filter;
}

QString SongFileButtons::renamedFileName(const QString &answer, const QString &currentName) {
    const qsizetype dot = currentName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return answer;
    const QString extension = currentName.mid(dot);
    if (answer.endsWith(extension, Qt::CaseInsensitive))
        return answer;
    return answer + extension;
}

void SongFileButtons::cmdBrowseFile_Click() {
    auto &s = core::g();
    try {
        if (TrimBlanks(w_.txtFileName->text()).isEmpty()) {
            const QString folder = w_.txtPathName->text();
            QString start = core::StartFolders::music();
            if (mCommon::FolderExists(folder))
                start = folder;
            else if (!folder.isEmpty())
                start = s.DataFolder;
            QString fileName, fileTitle, filter = musicFilter();
            bool readOnly = false;
            int filterIndex = 1, flags = 0;
            if (!mCommonDialog::VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, true, filter,
                                                  filterIndex, start, QStringLiteral("Select a music file"), {},
                                                  &w_, flags))
                return;
            if (!mCommon::FileExists(fileName)) {
                ui::msgBox(QStringLiteral("The file name you selected cannot be displayed in Orvalis, likely because "
                                          "it contains invalid characters in the file name.\r\nRename this file on "
                                          "your computer first."),
                           ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("File name not changed"));
                return;
            }
            const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
            NameEdit::setBoxText(w_.txtPathName, fileName.left(slash + 1));
            NameEdit::setBoxText(w_.txtFileName, fileName.mid(slash + 1));
            w_.txtFileName->setFocus();
            return;
        }
        const QString answer = modMain::ShowInputForm(
            QStringLiteral("Enter the new name for this file, then press the OK button.\r\n\r\nFile will not be "
                           "renamed until you Save this record.\r\n\r\nTo rename to the Song Name, just press OK."),
            QStringLiteral("Rename existing file"), w_.txtSongName->text());
        if (answer.isEmpty())
            return;
        NameEdit::setBoxText(w_.txtFileName, renamedFileName(answer, w_.txtFileName->text()));
        w_.txtFileName->setFocus();
    } catch (const std::exception &) {
        // The command ends quietly: the boxes keep what they hold.
    }
}

void SongFileButtons::cmdBrowsePath_Click() {
    auto &s = core::g();
    try {
        if (s.LastCopyFolder.isEmpty())
            s.LastCopyFolder = core::StartFolders::music();
        if (mCommon::FolderExists(w_.txtPathName->text()))
            s.LastCopyFolder = w_.txtPathName->text();
        const QString chosen = mBrowseDirectorysOnly::BrowseForFolder(
            &w_, QStringLiteral("Select a Folder"), s.LastCopyFolder, QStringLiteral("Pick a folder to move this file into"));
        if (chosen.isEmpty())
            return;
        NameEdit::setBoxText(w_.txtPathName, chosen);
        const QString stored = w_.storedValue(QStringLiteral("PathName"));
        if (TrimBlanks(stored).isEmpty() || chosen == stored || s.FileRenameDisabled || !s.EditingExistingRecord)
            return;
        auto *m = ui::form<core::frmMessage>();
        m->setWindowTitle(QStringLiteral("Warning"));
        m->Message(QStringLiteral("Changing the Path name here will move this file to the specified Path/Folder on "
                                  "your computer disk when you save this record.\r\n\r\nYou can change this behavior "
                                  "in the Options menu."));
        if (m->Display(core::frmMessage::PathNameWarningKey))
            NameEdit::setBoxText(w_.txtPathName, stored);
    } catch (const std::exception &) {
        // The command ends quietly.
    }
}

void SongFileButtons::cmdEditTags_Click() {
    // No file dialog here edits tags: the folder opens in the file manager, where they can be.
    const QString folder = w_.txtPathName->text();
    if (TrimBlanks(folder).isEmpty() || !mCommon::FolderExists(folder))
        return;
    ui::prompts().openUrl(QUrl::fromLocalFile(folder));
}

} // namespace editor
