#include "platform/settings/Options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <unistd.h>

namespace platform::settings {

namespace {
// Always the program's own address, whatever organisation or application name the process
// happens to carry.
QSettings store() { return QSettings(QStringLiteral("Orvalis"), QStringLiteral("Orvalis")); }

QString address(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }
} // namespace

QString GetSetting(const QString &section, const QString &key, const QString &defaultValue) {
    const QSettings s = store();
    const QVariant v = s.value(address(section, key));
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

namespace {
// Whether the disk holding `folder` has no room for `bytes` more: a probe file of that size is
// written there and removed. A full disk, a full quota and a file-size limit all refuse it.
bool diskFull(const QString &folder, qint64 bytes) {
    QByteArray name = QFile::encodeName(folder + QStringLiteral("/.orvalis-room-XXXXXX"));
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return errno == ENOSPC || errno == EDQUOT;
    const QByteArray block(4096, '\0');
    bool full = false;
    for (qint64 left = bytes; left > 0 && !full;) {
        const ssize_t n = ::write(fd, block.constData(), size_t(std::min<qint64>(left, block.size())));
        if (n < 0)
            full = errno == ENOSPC || errno == EDQUOT || errno == EFBIG;
        if (n <= 0)
            break;
        left -= n;
    }
    if (!full && ::fsync(fd) != 0)
        full = errno == ENOSPC || errno == EDQUOT;
    ::close(fd);
    ::unlink(name.constData());
    return full;
}

// Why the store's file cannot be written, in the system's words: the file itself when it
// exists, otherwise the nearest folder that exists on the way to it. `bytes` is about what the
// write needed on the disk.
QString writeProblem(const QString &file, qint64 bytes) {
    QString path = file;
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const QString folder = QFileInfo(path).isDir() ? QFileInfo(path).absoluteFilePath() : QFileInfo(path).absolutePath();
    if (diskFull(folder, bytes))
        return QStringLiteral("the disk holding ") + folder + QStringLiteral("/ is full");
    return QStringLiteral("the file could not be written");
}
} // namespace

SaveStatus SaveSetting(const QString &section, const QString &key, const QString &value) {
    QSettings s = store();
    const QString at = address(section, key);
    const QVariant before = s.value(at);
    s.setValue(at, value);
    s.sync();
    if (s.status() == QSettings::NoError)
        return {};
    // The store writes its whole file anew beside the old one.
    const qint64 needed = QFileInfo(s.fileName()).size() + at.size() + value.toUtf8().size() + 64;
    // The store keeps unwritten changes in memory for every later reader (and writes them at the
    // next write that succeeds): put back what it held, so the change is not read as made.
    const SaveStatus failed{false, s.fileName(),
                            s.status() == QSettings::FormatError ? QStringLiteral("the file is not a settings file")
                                                                 : writeProblem(s.fileName(), needed)};
    if (before.isValid())
        s.setValue(at, before);
    else
        s.remove(at);
    return failed;
}

QString boolText(bool on) { return on ? QStringLiteral("-1") : QStringLiteral("0"); }

bool textIsTrue(const QString &text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && d != 0.0;
}

} // namespace platform::settings
