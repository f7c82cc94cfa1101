#include "editor/SongFileMove.h"

#include "core/FileError.h"
#include "core/NoReplaceFiles.h"
#include "core/mCommon.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace editor {

namespace {

QString reason(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

[[noreturn]] void fail(int number, const QString &from, const QString &to, const QString &why) {
    throw core::FileError(number, QStringLiteral("The file \"%1\" could not be moved to \"%2\": %3").arg(from, to, why));
}

[[noreturn]] void exists(const QString &to) {
    throw core::FileError(58, QStringLiteral("File already exists: \"%1\"").arg(to));
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
    const int e = core::NoReplaceFiles::rename(from, to);
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
    const int e = core::NoReplaceFiles::copy(from, to);
    if (e == EEXIST)
        exists(to);
    if (e != 0)
        fail(e == ENOENT && !QFileInfo::exists(from) ? 53 : 75, from, to, reason(e));
    if (const int removed = core::NoReplaceFiles::remove(from)) {
        QFile::remove(to); // the old file stays; no second copy is left behind
        fail(75, from, to, reason(removed));
    }
}

} // namespace editor
