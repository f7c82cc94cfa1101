#pragma once
// Opening the category assignment of the main grid's current song. It reads the main window's
// grid, so it lives with the song list rather than with the other shared procedures.
namespace modMain {

// Shows the category-assignment window modally for the main grid's current song, under the
// hourglass (the window puts the pointer back when it has loaded). Nothing happens when the
// grid shows no song, the main window is not loaded, or no category window is registered.
void ShowCategoryAssign();
// The same for the song with this RecordID only: nothing opens unless the grid's current row
// holds it (the grid may not show a song just saved).
void ShowCategoryAssign(long recordId);

} // namespace modMain
