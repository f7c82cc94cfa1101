#include "import/ImportCommands.h"

#include "core/AppState.h"
#include "core/StartFolders.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "core/mCommonDialog.h"
#include "import/ImportHost.h"
#include "import/ScanDriveForm.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PromptService.h"

#include <QCoreApplication>
#include <QDir>

namespace import {

namespace ui = platform::ui;

namespace {

// True (after telling the user) when the player is open: no import may run beside it.
bool refusedWhilePlaying() {
    if (!core::g().PlayerOpen)
        return false;
    ui::msgBox(QStringLiteral("Cannot Add records while playing songs. End the Player first."), ui::Buttons::OK,
               ui::Icon::Information, QStringLiteral("Add not allowed"));
    return true;
}

void startFolderIfEmpty() {
    auto &s = core::g();
    if (s.LastCopyFolder.isEmpty())
        s.LastCopyFolder = core::StartFolders::music();
}

// Runs one step of a command whose failing steps are passed over.
template <class F> void step(F &&f) {
    try {
        f();
    } catch (...) {
    }
}

} // namespace

void AddFolderCommand(ImportHost &host) {
    if (refusedWhilePlaying())
        return;
    step([] { ui::unloadForm(QStringLiteral("Pics3")); });
    step(startFolderIfEmpty);
    QString folder;
    step([&] {
        folder = mBrowseDirectorysOnly::BrowseForFolder(host.window(), QStringLiteral("Select a Folder"),
                                                        core::g().LastCopyFolder,
                                                        QStringLiteral("Add a Folder of Music Files including subfolders"));
    });
    if (folder.isEmpty())
        return;
    step([] {
        QCoreApplication::processEvents();
        if (ui::loadedCount() > 1) {
            // The player's window, loaded but not playing, goes; with this flag set its unload
            // does not end the program.
            core::g().PlayFromFolder = true;
            ui::unloadForm(QStringLiteral("PlayForm"));
        }
    });
    step([&] {
        core::g().CancelScan = false;
        host.loadMusicFiles(folder, QString(), false);
    });
    step([&] { host.focusGrid(); });
}

void AddFileCommand(ImportHost &host) {
    if (refusedWhilePlaying())
        return;
    try {
        startFolderIfEmpty();
        QString path, title, filter = QStringLiteral(
            "Music files (*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.mp4;*.aac)|*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.mp4;*.aac|"
            "All Files (*.*)|*.*");
        bool readOnly = false;
        int filterIndex = 1;
        int flags = 0;
        QString startFolder = core::g().LastCopyFolder;
        mCommon::AddBackslash(startFolder);
        if (!mCommonDialog::VBGetOpenFileName(path, title, true, false, readOnly, true, filter, filterIndex,
                                              startFolder, QStringLiteral("Select a music file"), QString(), nullptr,
                                              flags))
            return;
        if (mCommon::FileExists(path)) {
            const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
            const QString folder = path.left(cut + 1);
            const QString name = path.mid(cut + 1);
            core::g().CancelScan = false;
            host.loadMusicFiles(folder, name, false);
            host.focusGrid();
        } else {
            ui::msgBox(QStringLiteral("The file name you selected cannot be added to Orvalis, likely because it "
                                      "contains invalid characters in the file name.") +
                           QStringLiteral("\r\nRename this file on your computer first."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("File not added"));
        }
    } catch (...) {
        // the command gives up silently
    }
}

void ScanFilesCommand(ImportHost &host) {
    if (refusedWhilePlaying())
        return;
    step([] { ui::unloadForm(QStringLiteral("Pics3")); });
    core::g().CancelScan = false;
    ScanDriveForm *form = ui::form<ScanDriveForm>();
    form->setHost(&host);
    ui::showModal(form, host.window());
}

} // namespace import
