#pragma once
// Opening the category assignment of the main grid's current song. It reads the main window's
// grid, so it lives with the song list rather than with the other shared procedures.
namespace modMain {

// Shows the category-assignment window modally for the main grid's current song, under the
// hourglass (the window puts the pointer back when it has loaded). Nothing happens when the
// grid shows no song, the main window is not loaded, or no category window is registered.
void ShowCategoryAssign();

} // namespace modMain
