#pragma once
// The main window's picture commands: filling the three-picture viewer with the grid's current
// song, the Pictures button that shows and hides the viewer beside the main window, and emptying
// the deleted-pictures folder.
#include <QImage>
#include <QSize>
#include <QString>

namespace songlist {
class NameList;
}

namespace pictures {

class MainWindowPictures {
public:
    explicit MainWindowPictures(songlist::NameList &w) : w_(w) {}

    // Puts the current song's first three pictures and its name into the viewer (loading the
    // viewer, hidden, when it is not loaded). Never shows, hides or moves it; no message.
    void LoadSongPictures();
    // Shows the viewer (refilled first) or hides it, and places the two windows side by side.
    void cmdPictures_Click();
    // Deletes every file of the deleted-pictures folder after asking.
    void EmptyDeletedPicturesFolder_Click();

    // The picture a slot text names in the pictures folder, read for `box` (readPictureFitted:
    // about that size, aspect kept, never enlarged), or an empty image when the text names no
    // normal file there (empty, blanks, a path rather than a bare name, a missing, hidden or
    // unreadable file, a folder).
    // The last few pictures read stay in memory while their files are unchanged.
    static QImage slotPicture(const QString &slotText, QSize box);

    // Registers the three commands as the main window's openers.
    static void registerCommands();

private:
    songlist::NameList &w_;
};

} // namespace pictures
