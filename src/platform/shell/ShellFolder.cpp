#include "platform/shell/ShellFolder.h"

#include <QDir>
#include <QFileInfo>

namespace platform::shell {

ShellFolder::ShellFolder(QString path, int winMajorVersion, std::vector<ShellItem> items)
    : path_(std::move(path)), winMajorVersion_(winMajorVersion), items_(std::move(items)) {}

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
    return std::unique_ptr<ShellFolder>(new ShellFolder(path, winMajorVersion, std::move(items)));
}

QString ShellFolder::getDetailsOf(const ShellItem &item, int column) const {
    return item.detail(detailOfColumn(column, winMajorVersion_));
}

} // namespace platform::shell
