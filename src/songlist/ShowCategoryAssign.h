#pragma once
// Opening the category assignment of the main grid's current song. It reads the main window's
// grid, so it lives with the song list rather than with the other shared procedures.
#include <QtGlobal>

namespace modMain {

// Shows the category-assignment window modally for the main grid's current song, under the
// hourglass (the window puts the pointer back when it has loaded). Nothing happens when the
// grid shows no song, the main window is not loaded, or no category window is registered.
void ShowCategoryAssign();
// The same for a song just saved by the editor: it opens only when the grid's current row is
// that song. A view that hides the song (a filter) leaves the grid on another row, whose
// categories must not receive the user's choices.
void ShowCategoryAssign(qint64 savedRecordId);

} // namespace modMain
