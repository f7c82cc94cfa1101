#pragma once
// Reading a play-list file (.m3u): one path per line. The program writes its lists in UTF-8 with
// CR LF line ends; lists from elsewhere may use LF or CR alone, carry comment lines ("#EXTM3U",
// "#EXTINF:..."), blank lines, a byte-order mark, paths relative to the list's folder, or be in
// an 8-bit code page. Every such file reads to the same entries.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::media {

class M3uList {
public:
    // True when `url` names a play list rather than a music file: it ends in ".m3u", any case.
    static bool isList(const QString &url);

    // The entries of the list file as written (line ends removed, blank and "#" lines skipped),
    // in file order. A file that cannot be read gives no entries.
    static QStringList read(const QString &listPath);
    // The same from the file's bytes: UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise.
    static QStringList parse(const QByteArray &bytes);

    // The file an entry names: a relative entry is taken against the list's folder; a
    // "file:" URL gives its local path.
    static QString resolve(const QString &listPath, const QString &entry);

    // The name a media item shows: the file's name without its extension.
    static QString baseName(const QString &path);
};

} // namespace platform::media
