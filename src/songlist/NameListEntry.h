#pragma once

namespace songlist {

// Creates the main window (once per run of the start-up) and shows it without waiting.
void ShowNameList();

} // namespace songlist
