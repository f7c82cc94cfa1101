#include "player/PlayListFile.h"

#include "core/FileError.h"
#include "core/mCommon.h"

#include <QSaveFile>

namespace player {

bool PlayListFile::fits(const QString &path) {
    return !path.isEmpty() && !path.contains(u'\r') && !path.contains(u'\n');
}

void PlayListFile::write(const QString &file, const QStringList &lines) {
    mCommon::KillFile(file);
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    // Written under a temporary name and renamed, so a failed write leaves no half list.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw core::FileError(75, QStringLiteral("Path/File access error: %1 (%2)").arg(file, out.errorString()));
}

} // namespace player
