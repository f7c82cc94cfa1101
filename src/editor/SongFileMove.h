#pragma once
// Giving a song's music file a new name or folder on disk. Nothing is ever overwritten: a file
// already at the new path makes the move fail. Across file systems the file is copied whole to
// its new name (core::NoReplaceFiles: synced under a temporary name first), and only then is
// the old file removed; a failure on the way leaves the old file and no copy.
#include <QString>

namespace editor {

class SongFileMove {
public:
    // Moves `from` to `to`. When both name one directory entry (another letter case on a
    // case-blind mount, a linked folder, a hard link), the name is changed as asked. Throws
    // core::FileError: 58 when another entry (a file, a link, a link to the file itself) is at
    // `to`, 53 when `from` is missing, else 75 with the system's reason.
    static void move(const QString &from, const QString &to);
    // The road between file systems, also taken when a plain rename cannot cross them.
    static void moveByCopy(const QString &from, const QString &to);
};

} // namespace editor
