#include "player/PlayListFile.h"

#include "core/FileError.h"
#include "core/mCommon.h"

#include <QSaveFile>

namespace player {

namespace {
QString joined(const QStringList &lines) {
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}
} // namespace

bool PlayListFile::fits(const QString &path) {
    return !path.isEmpty() && !path.contains(u'\r') && !path.contains(u'\n');
}

bool PlayListFile::namesFile(const QString &path) {
    return fits(path) && !path.endsWith(u'/');
}

void PlayListFile::write(const QString &file, const QStringList &lines) {
    mCommon::KillFile(file);
    replace(file, lines);
}

void PlayListFile::replace(const QString &file, const QStringList &lines) { replaceText(file, joined(lines)); }

void PlayListFile::replaceText(const QString &file, const QString &text) {
    // The text made UTF-8 whole: each line ends in ASCII, so no character spans two lines and
    // the bytes are those of each line made UTF-8 alone.
    const QByteArray bytes = text.toUtf8();
    QSaveFile out(file);
    // flush() is checked on its own: a short write while the buffer is flushed (a full disk)
    // is not reported by commit(), which would rename a cut file over the target.
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() || !out.commit())
        throw core::FileError(75, QStringLiteral("Path/File access error: %1 (%2)").arg(file, out.errorString()));
}

} // namespace player
