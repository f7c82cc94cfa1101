#pragma once
// Starts the desktop's on-screen keyboard (tablet mode): the first of onboard, florence and
// matchbox-keyboard found on the PATH. Nothing happens when none is installed.
#include <functional>

namespace platform::ui {

void startOnScreenKeyboard();
// Tests replace the launcher (empty = the real one) to count the starts.
void setOnScreenKeyboardLauncher(std::function<void()> launcher);

} // namespace platform::ui
