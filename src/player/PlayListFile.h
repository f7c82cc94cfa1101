#pragma once
// The one writer of play-list files (.m3u): one path per line, UTF-8 without a byte-order mark,
// every line (the last one too) ended by CR LF, and nothing else in the file. An old file is
// deleted first, then the new one written whole.
#include <QString>
#include <QStringList>

namespace player {

class PlayListFile {
public:
    // A path that can be a line: not empty and holding no CR or LF. Any other is not playable.
    static bool fits(const QString &path);

    // Deletes `file` and writes `lines` to it. Throws core::FileError with the reason when the
    // file cannot be deleted or written.
    static void write(const QString &file, const QStringList &lines);
};

} // namespace player
