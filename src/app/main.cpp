// The orvalis executable: installs the windows the start-up shows, runs the start-up with the
// command line, then the event loop while the main window lives.
#include "categories/RegisterWindows.h"
#include "core/Main.h"
#include "core/ProcessMemory.h"
#include "core/SingleInstance.h"
#include "core/StartupHooks.h"
#include "editor/EditorWindows.h"
#include "notes/NotesWindows.h"
#include "pictures/PictureForm.h"
#include "platform/ui/Application.h"
#include "player/MusicFileCopy.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/PlayListWindows.h"
#include "reports/Reports.h"
#include "songlist/NameListEntry.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char **argv) {
    core::keepFreedMemory();
    platform::ui::Application app(argc, argv);
    QCoreApplication::setOrganizationName("Orvalis");
    QCoreApplication::setApplicationName("Orvalis");
    // The program ends when the main window unloads (or the player-only window closes), not when
    // the last visible window closes: the import hides the main window behind its scan window, and
    // the maintenance commands close it before they re-open the catalogue.
    QApplication::setQuitOnLastWindowClosed(false);

    categories::registerWindows();
    reports::registerWindows();
    core::hooks().showMainWindow = [] { songlist::ShowNameList(); };
    editor::registerWindows();
    player::installPlayLists();
    pictures::registerWindows();
    notes::registerWindows();
    core::hooks().showPlayerOnly = [](const QString &path) { player::showPlayerOnly(path); };
    player::registerPlayCommands();
    player::MusicFileCopy::registerCommands();
    static int exitCode = 0;
    core::hooks().endProgram = [](int code) {
        exitCode = code;
        QCoreApplication::exit(code);
    };

    // The text after the program's name, as one line.
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst();

    if (modMain::Main(args.join(QLatin1Char(' '))) != modMain::StartResult::MainWindowShown)
        return exitCode;
    const int code = app.exec();
    core::singleInstance().release();
    return code;
}
