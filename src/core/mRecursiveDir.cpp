#include "core/mRecursiveDir.h"

#include "core/AppState.h"
#include "core/EventYield.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <deque>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace mRecursiveDir {

namespace {

// True when `path` is `folder` itself or lies below it (both canonical, without a trailing "/").
bool within(const QString &path, const QString &folder) {
    if (path == folder)
        return true;
    if (folder == QLatin1String("/"))
        return true;
    return path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

bool deviceOf(const QString &path, dev_t &device) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    device = st.st_dev;
    return true;
}

// The kernel's own file systems: views of processes, devices and kernel state, never music.
bool onKernelFileSystem(const QString &path) {
    struct statfs fs {};
    if (::statfs(QFile::encodeName(path).constData(), &fs) != 0)
        return true;  // cannot even be asked: not a place to walk
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case SECURITYFS_MAGIC:
    case TRACEFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case NSFS_MAGIC:
    case HUGETLBFS_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace

void GetAllSubFolders(QString Folder, QStringList &Result, Reach reach) {
    if (!Folder.endsWith(QLatin1Char('/')))
        Folder += QLatin1Char('/');

    std::deque<QString> queue{Folder};
    Result.append(Folder);
    // The start folder's real place: links into its tree or above it are not followed.
    QString root = QFileInfo(Folder).canonicalFilePath();
    if (root.isEmpty())
        root = QDir::cleanPath(QFileInfo(Folder).absoluteFilePath());
    dev_t volume{};
    const bool oneVolume = reach == Reach::OneVolume && deviceOf(Folder, volume);
    // Real places of the folders taken so far, so that no folder is walked twice.
    QSet<QString> seen{root};

    while (!queue.empty()) {
        const QString current = queue.front();
        queue.pop_front();
        // Hidden entries (a leading ".") are left out by not asking for them; the order is by
        // name, case-blind, so the walk's order does not depend on the file system.
        const QFileInfoList entries =
            QDir(current).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &fi : entries) {
            if (fi.isDir() && fi.isReadable() && fi.isExecutable()) {
                const QString real = fi.canonicalFilePath();
                const QString sub = current + fi.fileName() + QLatin1Char('/');
                bool take = !real.isEmpty() && !seen.contains(real);
                // A link to the start folder or above it would walk the tree again; a link into
                // the tree would catalogue a folder under a name that is not its own.
                if (take && fi.isSymLink() && (within(root, real) || within(real, root)))
                    take = false;
                if (take && oneVolume) {
                    dev_t device{};
                    take = deviceOf(sub, device) && device == volume && !onKernelFileSystem(sub);
                }
                if (take) {
                    seen.insert(real);
                    queue.push_back(sub);
                    Result.append(sub);
                }
            }
            if (core::g().CancelScan)
                return;
            core::yieldForInput();
        }
    }
}

} // namespace mRecursiveDir
