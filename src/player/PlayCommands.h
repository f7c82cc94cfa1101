#pragma once
// The commands that hand songs to the player: the main window's Play (the current song), Play
// All (the displayed songs, as the temporary play list), and the song editor's Play. They work
// on the main window and the editor through their controls and are registered as those windows'
// OtherWindows entries by registerPlayCommands().
#include <QString>

namespace player {

void cmdPlay_Click();       // NameList: the current song
void cmdPlayAll_Click();    // NameList: every displayed song, in the grid's order
void editorPlay_Click();    // NameEdit: the song the editor shows
void mnuPlayFolder_Click();                 // NameList: the music files of one folder
void mnuPlayFolderAndSubfolders_Click();    // NameList: those of a folder and every folder below

// Closes a running player. When none is loaded and `asIfLoaded` is set, the shared state and
// the temporary list end as a load and unload of the player would leave them (start flags
// cleared, PlayPath and PlayCaption empty, the list deleted).
void closePlayer(bool asIfLoaded);

// Registers the commands above with the main window and the editor, and the commands that add
// the grid's or the editor's song to a play list (one call at start-up).
void registerPlayCommands();

} // namespace player
