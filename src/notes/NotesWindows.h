#pragma once
// Registers the notes windows with the main window and the song editor: the titled notes window
// (the main window's Notes command) and the song notes window (the editor's notes box).
namespace notes {

void registerWindows();

} // namespace notes
