#include "platform/shell/ShellFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform::shell {

namespace {

bool validUtf8(const char *name) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(QByteArrayView(name, qsizetype(std::strlen(name))));
    return !utf8.hasError();
}

// What Qt's listing leaves out of a folder: it names entries by text only, and drops those
// whose names do not decode.
std::vector<UndecodableEntry> undecodableEntries(const QString &path) {
    std::vector<UndecodableEntry> entries;
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return entries;
    while (const dirent *e = ::readdir(dir)) {
        if (e->d_name[0] == '.' || validUtf8(e->d_name))
            continue;
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            folder = ::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({QByteArray(e->d_name), folder});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const UndecodableEntry &a, const UndecodableEntry &b) { return a.name < b.name; });
    return entries;
}

} // namespace

ShellFolder::ShellFolder(QString path, int winMajorVersion, std::vector<ShellItem> items,
                         std::vector<UndecodableEntry> undecodable)
    : path_(std::move(path)), winMajorVersion_(winMajorVersion), items_(std::move(items)),
      undecodable_(std::move(undecodable)) {}

std::unique_ptr<ShellFolder> ShellFolder::nameSpace(const QString &path, int winMajorVersion) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable())
        return nullptr;
    const QDir dir(path);
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                                    QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    std::vector<ShellItem> items;
    items.reserve(std::size_t(entries.size()));
    for (const QFileInfo &e : entries)
        items.emplace_back(e);
    return std::unique_ptr<ShellFolder>(
        new ShellFolder(path, winMajorVersion, std::move(items), undecodableEntries(path)));
}

QString ShellFolder::getDetailsOf(const ShellItem &item, int column) const {
    return item.detail(detailOfColumn(column, winMajorVersion_));
}

} // namespace platform::shell
