#pragma once
// The last few pictures decoded for a display, kept so that moving back and forth over songs
// that share their pictures (an album's songs share its cover) reads no file again. A picture
// is known by its file (device and inode), the file's size and modification time, and the box
// it was read for: a file rewritten or replaced on disk is read again, never served stale.
// A file modified in the last two seconds is not kept, since a second change within the file
// system clock's tick would leave its time and size as they were.
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace pictures {

class DecodedPictures {
public:
    explicit DecodedPictures(std::size_t capacity) : capacity_(capacity) {}

    // The picture of the file `path` read for `box` (readPictureFitted), from memory when
    // the same file, unchanged, was decoded for the same box lately. Throws what
    // readPictureFitted throws; a failed read is not kept.
    QImage picture(const QString &path, QSize box);

    // A file modified less than this many seconds ago is read again each time.
    static constexpr int RecentSeconds = 2;

private:
    struct Key {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
        int boxWidth = 0, boxHeight = 0;
        bool operator==(const Key &) const = default;
    };
    struct Entry {
        Key key;
        QImage image;
    };

    std::size_t capacity_;
    std::vector<Entry> entries_; // the most recently used first
};

} // namespace pictures
