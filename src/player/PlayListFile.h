#pragma once
// The one writer of play-list files (.m3u): one path per line, UTF-8 without a byte-order mark,
// every line (the last one too) ended by CR LF, and nothing else in the file.
#include <QString>
#include <QStringList>

namespace player {

class PlayListFile {
public:
    // A path that can be a line: not empty and holding no CR or LF. Any other is not playable.
    static bool fits(const QString &path);
    // A path that fits and names a file: something follows its last "/" (a folder is no track).
    static bool namesFile(const QString &path);

    // The temporary list the player is started with: an old file is deleted first, then the new
    // one written whole. Throws core::FileError with the reason when the file cannot be deleted
    // or written.
    static void write(const QString &file, const QStringList &lines);

    // A list the user saves, possibly over a list of the same name: written under a temporary
    // name in the target's folder and renamed over the target only once it is whole, so a
    // failed write leaves the old file as it was and no temporary file behind. Throws
    // core::FileError with the reason.
    static void replace(const QString &file, const QStringList &lines);
    // The same for the file's whole text, its lines each ended by CR LF already.
    static void replaceText(const QString &file, const QString &text);
};

} // namespace player
