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
//
// A name whose bytes are not valid UTF-8 (written by an older system, or on a share mounted
// without a UTF-8 character set) cannot be held in a text path that opens the entry again, so
// such an entry is no item; the folder lists it apart, with its bytes, so that the caller can
// say what it passed over.
#include "platform/shell/ShellItem.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace platform::shell {

// An entry of the folder that is no item because its name is not valid UTF-8.
struct UndecodableEntry {
    QByteArray name;
    bool isFolder = false;
};

class ShellFolder {
public:
    // The folder at `path`, or nullptr when it is not a folder that can be listed.
    static std::unique_ptr<ShellFolder> nameSpace(const QString &path, int winMajorVersion);

    const QString &path() const { return path_; }
    int winMajorVersion() const { return winMajorVersion_; }
    int count() const { return int(items_.size()); }
    const ShellItem &item(int index) const { return items_.at(std::size_t(index)); }
    const std::vector<ShellItem> &items() const { return items_; }
    // The entries that are not hidden and whose names are not valid UTF-8, by their bytes.
    const std::vector<UndecodableEntry> &undecodable() const { return undecodable_; }

    // The text of a detail column for an item; a column without a value gives the empty text.
    QString getDetailsOf(const ShellItem &item, int column) const;

private:
    ShellFolder(QString path, int winMajorVersion, std::vector<ShellItem> items,
                std::vector<UndecodableEntry> undecodable);

    QString path_;
    int winMajorVersion_;
    std::vector<ShellItem> items_;
    std::vector<UndecodableEntry> undecodable_;
};

} // namespace platform::shell
