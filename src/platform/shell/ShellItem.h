#pragma once
// One entry of a folder with its detail texts (see DetailColumns.h for the column numbers).
//
// Name, size, type and attributes come from the directory entry alone. The tag details (title,
// artist, ..., duration, bit rate, BPM) open the file the first time one of them is asked for,
// read its tags and audio properties once (TagLib, average read style: headers only) and keep
// the texts, so checking a file that is already catalogued costs no tag read.
#include "platform/shell/DetailColumns.h"

#include <QFileInfo>
#include <QString>
#include <memory>

namespace platform::shell {

// The tag texts of one file, as the detail columns show them. Empty where the file has none.
struct TagTexts {
    QString title, artist, composer, album, genre, year, comment, track;
    QString duration; // "hh:mm:ss"
    QString bitRate;  // "128kbps"
    QString bpm;
};

// Reads the tag texts of a music file. A file that cannot be read gives empty texts.
TagTexts readTagTexts(const QString &path);

class ShellItem {
public:
    explicit ShellItem(QFileInfo info);
    ShellItem(ShellItem &&) noexcept;
    ShellItem &operator=(ShellItem &&) noexcept;
    ~ShellItem();

    // The display name: the entry's name with its extension (extensions are never hidden).
    QString name() const { return info_.fileName(); }
    QString path() const { return info_.absoluteFilePath(); }
    bool isFolder() const { return info_.isDir(); }

    // The text of one detail. Detail::None gives the empty text.
    QString detail(Detail d) const;
    // Whether the file's tags have been read (by asking for a tag detail).
    bool tagsRead() const { return tags_ != nullptr; }

private:
    const TagTexts &tags() const;

    QFileInfo info_;
    mutable std::unique_ptr<TagTexts> tags_;
};

} // namespace platform::shell
