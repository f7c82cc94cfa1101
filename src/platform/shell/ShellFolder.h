#pragma once
// The items of one folder with their detail columns, as the import asks for them:
//
//     auto folder = platform::shell::ShellFolder::nameSpace(path, core::g().WinMajorVersion);
//     if (!folder) ...                       // not a folder that can be listed: pass over it
//     for (int i = 0; i < folder->count(); ++i) {
//         const ShellItem &item = folder->item(i);
//         QString attributes = folder->getDetailsOf(item, 6);   // "D" for a folder
//         QString size = folder->getDetailsOf(item, 1);         // "845 KB"
//         QString title = folder->getDetailsOf(item, 21);       // reads the tags, once
//     }
//
// Column numbers are those of DetailColumns.h for the version given to nameSpace(). Items are
// the folder's entries that are not hidden, folders first, then by name (case-blind), taken
// once when the folder is opened.
#include "platform/shell/ShellItem.h"

#include <QString>
#include <memory>
#include <vector>

namespace platform::shell {

class ShellFolder {
public:
    // The folder at `path`, or nullptr when it is not a folder that can be listed.
    static std::unique_ptr<ShellFolder> nameSpace(const QString &path, int winMajorVersion);

    const QString &path() const { return path_; }
    int winMajorVersion() const { return winMajorVersion_; }
    int count() const { return int(items_.size()); }
    const ShellItem &item(int index) const { return items_.at(std::size_t(index)); }
    const std::vector<ShellItem> &items() const { return items_; }

    // The text of a detail column for an item; a column without a value gives the empty text.
    QString getDetailsOf(const ShellItem &item, int column) const;

private:
    ShellFolder(QString path, int winMajorVersion, std::vector<ShellItem> items);

    QString path_;
    int winMajorVersion_;
    std::vector<ShellItem> items_;
};

} // namespace platform::shell
