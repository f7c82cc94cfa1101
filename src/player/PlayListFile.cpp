#include "player/PlayListFile.h"

#include "core/FileError.h"
#include "core/mCommon.h"

#include <QSaveFile>

namespace player {

namespace {
QByteArray bytesOf(const QStringList &lines) {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}
} // namespace

bool PlayListFile::fits(const QString &path) {
    return !path.isEmpty() && !path.contains(u'\r') && !path.contains(u'\n');
}

bool PlayListFile::namesFile(const QString &path) {
    return fits(path) && !path.mid(path.lastIndexOf(u'/') + 1).isEmpty();
}

void PlayListFile::write(const QString &file, const QStringList &lines) {
    mCommon::KillFile(file);
    replace(file, lines);
}

void PlayListFile::replace(const QString &file, const QStringList &lines) {
    const QByteArray bytes = bytesOf(lines);
    QSaveFile out(file);
    // flush() is checked on its own: a short write while the buffer is flushed (a full disk)
    // is not reported by commit(), which would rename a cut file over the target.
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() || !out.commit())
        throw core::FileError(75, QStringLiteral("Path/File access error: %1 (%2)").arg(file, out.errorString()));
}

} // namespace player
