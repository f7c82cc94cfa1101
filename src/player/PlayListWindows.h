#pragma once
// Registers the play-list window with the main window (songlist::OtherWindows), so its
// PlayLists button opens it. Called once at start (main.cpp) and by tests.
namespace player {
void installPlayLists();
// Shows the play-list window modally over the main window, hiding it first when it is shown.
void openPlayLists();
} // namespace player
