#include "core/NoReplaceFiles.h"

#include "core/mCommon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace core {

namespace {

const QString kCopyPrefix = QStringLiteral(".orvalis-copy-");

// What one call asks the kernel to copy, and the pieces read and written where it cannot.
constexpr size_t kKernelPiece = size_t(64) << 20;
constexpr size_t kPiece = size_t(1) << 20;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    // Closes it now; 0 or the errno (a network file system may report a failed write only here).
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd_;
};

int writeAll(int fd, const char *bytes, size_t size) {
    while (size > 0) {
        const ssize_t n = NoReplaceFiles::calls().write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes += n;
        size -= size_t(n);
    }
    return 0;
}

// Copies what is left of `in` to `out`, both from their current offsets; 0 or the errno.
int copyBytes(int in, int out) {
    // The kernel copies within or between file systems without passing the bytes through the
    // program; where it cannot (an old kernel, some file systems) it copies nothing and says so.
    for (;;) {
        const ssize_t n = NoReplaceFiles::calls().copy_file_range(in, nullptr, out, nullptr, kKernelPiece, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return 0;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF)
            break;
        return errno;
    }
    // Pieces read and written, from where the kernel stopped: both offsets moved with what it
    // copied.
    std::vector<char> buffer(kPiece);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), kPiece);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (const int e = writeAll(out, buffer.data(), size_t(got)))
            return e;
    }
}

} // namespace

NoReplaceFiles::SystemCalls NoReplaceFiles::systemCalls() {
    return {::renameat2, ::link, ::copy_file_range, ::write, ::fsync, ::unlink};
}

NoReplaceFiles::SystemCalls &NoReplaceFiles::calls() {
    static SystemCalls calls = systemCalls();
    return calls;
}

int NoReplaceFiles::rename(const QString &from, const QString &to) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    const SystemCalls &sys = calls();
    if (sys.renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (sys.link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) == 0)
            return 0;
        // Two names for one file are not a move: the new one goes again.
        const int e = errno;
        ::unlink(t.constData());
        return e;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    if (mCommon::EntryExists(to))
        return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

int NoReplaceFiles::copy(const QString &from, const QString &to) {
    if (mCommon::EntryExists(to))
        return EEXIST;
    Descriptor in(::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    QByteArray temporary = QFile::encodeName(QFileInfo(to).absolutePath() + QLatin1Char('/') + kCopyPrefix) + "XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return errno;
    int e = copyBytes(in.get(), out.get());
    // A file system without permission bits (FAT) keeps its own.
    if (e == 0)
        ::fchmod(out.get(), st.st_mode & 07777);
    // Whole on the disk before it has its real name: a power cut must not leave a short file
    // there.
    if (e == 0 && calls().fsync(out.get()) != 0)
        e = errno;
    if (const int closed = out.close(); e == 0)
        e = closed;
    if (e == 0)
        e = rename(QFile::decodeName(temporary), to);
    if (e != 0)
        ::unlink(temporary.constData());
    return e;
}

int NoReplaceFiles::remove(const QString &path) {
    return calls().unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

bool NoReplaceFiles::isCutCopyName(const QString &fileName) {
    static const QRegularExpression name(QStringLiteral("^\\.orvalis-copy-[A-Za-z0-9]{6}$"));
    return name.match(fileName).hasMatch();
}

int NoReplaceFiles::clearCutCopies(const QString &folder) {
    const QDir dir(folder);
    int removed = 0;
    const QStringList names =
        dir.entryList({kCopyPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names)
        if (isCutCopyName(name) && QFile::remove(dir.filePath(name)))
            ++removed;
    return removed;
}

} // namespace core
