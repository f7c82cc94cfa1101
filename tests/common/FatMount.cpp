#include "common/FatMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>

namespace testenv {
namespace {

const QStringList toolFolders{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
                              QStringLiteral("/bin")};

QString findTool(const QString &name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, toolFolders) : onPath;
}

// Runs a tool to its end; on failure says what it printed.
bool run(const QString &program, const QStringList &args, QString *why) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (why)
            *why = QFileInfo(program).fileName() + QStringLiteral(" failed: ") +
                   QString::fromLocal8Bit(p.readAll()).trimmed() + p.errorString();
        return false;
    }
    return true;
}

// A mount point lies on another device than the folder that holds it.
bool isMountPoint(const QString &path) {
    struct stat at {}, above {};
    return ::stat(QFile::encodeName(path).constData(), &at) == 0 &&
           ::stat(QFile::encodeName(path + QStringLiteral("/..")).constData(), &above) == 0 && at.st_dev != above.st_dev;
}

} // namespace

FatMount::FatMount(const QString &folder, qint64 bytes) : mountPoint_(folder + QStringLiteral("/fat")) {
    mounted_ = mount(folder + QStringLiteral("/fat.img"), bytes);
}

bool FatMount::mount(const QString &image, qint64 bytes) {
    const QString mkfs = findTool(QStringLiteral("mkfs.vfat")), fusefat = findTool(QStringLiteral("fusefat"));
    if (mkfs.isEmpty() || fusefat.isEmpty()) {
        whyNot_ = QStringLiteral("mkfs.vfat (dosfstools) or fusefat (fusefat) is not installed");
        return false;
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")) || !QFileInfo(QStringLiteral("/dev/fuse")).isWritable()) {
        whyNot_ = QStringLiteral("this user may not use FUSE (/dev/fuse)");
        return false;
    }
    QFile img(image);
    if (!QDir().mkpath(mountPoint_) || !img.open(QIODevice::WriteOnly) || !img.resize(bytes)) {
        whyNot_ = QStringLiteral("cannot make ") + image;
        return false;
    }
    img.close();
    if (!run(mkfs, {image}, &whyNot_) || !run(fusefat, {QStringLiteral("-o"), QStringLiteral("rw+,use_ino"), image, mountPoint_}, &whyNot_))
        return false;
    if (!isMountPoint(mountPoint_)) {
        whyNot_ = QStringLiteral("fusefat returned but nothing is mounted on ") + mountPoint_;
        return false;
    }
    return true;
}

FatMount::~FatMount() {
    if (!mounted_)
        return;
    // A file the test still holds open keeps the mount busy for a moment after it is closed.
    const QString fusermount = findTool(QStringLiteral("fusermount"));
    for (int attempt = 0; attempt < 50 && isMountPoint(mountPoint_); ++attempt) {
        if (!run(fusermount, {QStringLiteral("-u"), mountPoint_}, nullptr))
            QThread::msleep(100);
    }
}

} // namespace testenv
