#include "editor/SongFileMove.h"

#include "core/FileError.h"
#include "core/mCommon.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace editor {

namespace {

QString reason(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

[[noreturn]] void fail(int number, const QString &from, const QString &to, const QString &why) {
    throw core::FileError(number, QStringLiteral("The file \"%1\" could not be moved to \"%2\": %3").arg(from, to, why));
}

[[noreturn]] void exists(const QString &to) {
    throw core::FileError(58, QStringLiteral("File already exists: \"%1\"").arg(to));
}

// rename(2) that refuses to replace an existing target; errno on failure.
int renameNoReplace(const QString &from, const QString &to) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace flag: a hard link refuses an existing target too.
    if (::link(f.constData(), t.constData()) == 0) {
        ::unlink(f.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    if (mCommon::EntryExists(to))
        return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

} // namespace

void SongFileMove::move(const QString &from, const QString &to) {
    if (!QFileInfo::exists(from))
        fail(53, from, to, QStringLiteral("File not found"));
    if (mCommon::SameEntry(from, to)) {
        // One entry under two spellings (a linked folder, a hard link, another letter case on a
        // case-blind mount): only the spelling changes, or nothing. A link and its target are
        // two entries and take the road below, which refuses to replace either.
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            fail(75, from, to, reason(errno));
        return;
    }
    const int e = renameNoReplace(from, to);
    if (e == 0)
        return;
    if (e == EEXIST)
        exists(to);
    if (e == EXDEV) {
        moveByCopy(from, to);
        return;
    }
    fail(75, from, to, reason(e));
}

void SongFileMove::moveByCopy(const QString &from, const QString &to) {
    if (mCommon::EntryExists(to))
        exists(to);
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        fail(source.exists() ? 75 : 53, from, to, source.errorString());
    QTemporaryFile copy(QFileInfo(to).absolutePath() + QStringLiteral("/.orvalis-move-XXXXXX"));
    if (!copy.open())
        fail(75, from, to, copy.errorString());
    // The temporary copy is removed on every failure below (QTemporaryFile's own removal).
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty())
        if (copy.write(chunk) != chunk.size())
            fail(75, from, to, copy.errorString());
    if (source.error() != QFile::NoError)
        fail(75, from, to, source.errorString());
    if (!copy.flush() || ::fsync(copy.handle()) != 0)
        fail(75, from, to, copy.errorString());
    copy.setPermissions(source.permissions());
    source.close();
    const int e = renameNoReplace(copy.fileName(), to);
    if (e == EEXIST)
        exists(to);
    if (e != 0)
        fail(75, from, to, reason(e));
    copy.setAutoRemove(false);
    QFile old(from);
    if (!old.remove()) {
        const QString why = old.errorString();
        QFile::remove(to); // the old file stays; no second copy is left behind
        fail(75, from, to, why);
    }
}

} // namespace editor
