#pragma once
// What the start-up needs from the windows built above the core library: the main window, the
// player and the way the program ends. The executable installs them; tests install recorders.
// Keeping them as plain functions lets core start the program without depending on the song list
// or the player.
#include <QString>
#include <functional>

namespace core {

struct StartupHooks {
    // Shows the main window without waiting (the database and ContactsTable are open).
    std::function<void()> showMainWindow;
    // Player-only start: fills the player's lists with `path`, hides the controls that need a
    // catalogue, and shows the player modally; returns when the player window has closed.
    std::function<void(const QString &path)> showPlayerOnly;
    // Ends the program when Main must stop it (an error, a second copy, nothing opened).
    // Called with the exit code; unset means nothing more than Main's own return value.
    std::function<void(int exitCode)> endProgram;
    // Raises this copy's windows when a second copy asks for it; unset raises every visible
    // top-level window.
    std::function<void()> raiseWindows;
};

StartupHooks &hooks();

} // namespace core
