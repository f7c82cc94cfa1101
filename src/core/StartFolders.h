#pragma once
// Where file and folder dialogs start. A program started from a desktop menu has no working
// folder worth starting in, so a dialog that has no folder yet starts in the user's music folder.
#include <QString>

namespace core {

class StartFolders {
public:
    // The desktop's music folder (XDG_MUSIC_DIR) when it exists, else the home folder.
    static QString music();

    // The folder `dialog` last chose a file in during this run, else the music folder. For the
    // dialogs that are given no start folder of their own.
    static QString lastUsed(const QString &dialog);
    // Remembers the folder of `chosenFile` as the one `dialog` starts in next; "" is ignored.
    static void used(const QString &dialog, const QString &chosenFile);
};

} // namespace core
