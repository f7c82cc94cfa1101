#pragma once
// The program's start-up procedure: finds and opens the catalogue (password prompt, repair
// offer), makes sure the duplicate queries exist, opens ContactsTable and shows the main window;
// or, for a music file on the command line, runs the player alone. The maintenance commands run
// it again with DatabasePath set, and then it only re-opens that database.
#include <QString>
#include <optional>

namespace modMain {

enum class StartResult {
    MainWindowShown, // the catalogue is open and the main window shown; the event loop runs on
    PlayerClosed,    // the player-only start ran and its window closed: the program ends
    Ended            // nothing was opened: the program ends (a message may have been shown)
};

// What the command line asks for.
struct CommandLine {
    enum class Kind { Empty, MusicFile, DatabaseFile };
    Kind kind = Kind::Empty;
    QString text;      // trimmed, quotes kept (a database path is taken from this)
    QString argument;  // trimmed, without quotes enclosing it whole (a music file is played from this)
};
CommandLine classifyCommandLine(const QString &commandLine);
// The last four characters, lower-cased, name one of the music types the player plays.
bool isMusicExtension(const QString &lastFourLowerCase);

// Why the catalogue at `path` or its folder cannot be written (the opening refuses such a
// catalogue), or nullopt when both can be written or the file is missing.
std::optional<QString> catalogueWriteProblem(const QString &path);

// `commandLine` is the text after the program's name. Every road that opens nothing also calls
// core::hooks().endProgram when it is set.
StartResult Main(const QString &commandLine = {});

} // namespace modMain
