#pragma once
// The short confirmations of the play-list commands ("Song added to Play List"): a text box of
// the window, hidden at rest, is shown for a fixed pause of elapsed time while the event loop
// keeps running (the player plays on, a second press adds again), then hidden.
class QWidget;

namespace player {

class ConfirmationFlash {
public:
    static constexpr int MainWindowMs = 800;   // the main window, and the player's delete
    static constexpr int WindowMs = 500;       // the editor and the player's add

    // Shows `box`, runs the event loop for the pause, hides it again (unless it went meanwhile).
    static void flash(QWidget *box, int ms);

    // Every pause becomes `ms` (0: the box is shown and hidden without waiting); a negative value
    // puts the designed pauses back. Tests set 0.
    static void setPauseOverride(int ms);
    static int pause(int ms);
};

} // namespace player
