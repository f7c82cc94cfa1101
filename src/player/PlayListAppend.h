#pragma once
// Adding one song at the end of a named play list, and the commands of the main window's grid
// pop-up and the song editor that do it for the grid's current song. The player's own add and
// delete are handlers of PlayForm.
#include "player/PlayListStore.h"

#include <QString>

namespace player {

// What an appending command says when it refuses.
struct AppendTexts {
    QString notFoundSuffix;  // after the list's name in double quotes
    QString notFoundTitle;
    QString limitText;       // titled "Not added"
};

// The grid's and the editor's texts, and the player's.
AppendTexts gridAppendTexts();
AppendTexts playerAppendTexts();

// Finds the list by name (without regard to case), refuses when it is not there or already
// ends at track 32,000, and otherwise writes `fields` as its highest track + 1 with the time of
// the write. True when the row was written; a refusal has shown its message and wrote nothing.
bool AppendSongToPlayList(const QString &listName, const TrackFields &fields, const AppendTexts &texts);

// The grid pop-up's "Add to PlayList": with no current list the play-list window opens to pick
// one; otherwise the grid's current song is checked and appended to the current list.
void mnuPopupAddToPlaylist_Click();
// The editor's "Add to Play List": the song as last saved (the grid's current row).
void editorAddToPlaylist_Click();

// Registers both with the main window and the editor (songlist::OtherWindows).
void registerPlayListAppends();

} // namespace player
