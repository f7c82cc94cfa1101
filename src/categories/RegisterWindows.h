#pragma once
// Makes the category windows reachable from the main window (and the song editor): the
// category window, the assignment of the current song and the assignment of every displayed
// song. Called once at start, and by tests.
namespace categories {

void registerWindows();

} // namespace categories
