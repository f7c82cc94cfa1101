#pragma once
// Reads the tags of a folder's new music files on worker threads while the import stores the
// files before them. Reading the tags is the larger half of a first import and each file's read
// stands alone; storing stays on the import's thread, one file after the other, so the records,
// their order and every count are those of reading each file just before it is stored.
//
//     TagReadAhead ahead(pool);
//     ahead.start({{3, source3}, {4, source4}, ...});   // item index and what to read, in order
//     SongValues values = ahead.take(3, source3);      // waits for that file's read
//
// The object waits for the reads under way when it goes; those not begun are dropped.
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QThreadPool;

namespace import {

using SongValues = QVector<QPair<QString, QVariant>>;

// Where a new file is and what it is, for reading its tag fields.
struct TagSource {
    QString itemPath;  // the folder item's path, whose detail columns give the tags
    QString filePath;  // folder + FileName, which the Vorbis and MP4 readers open
    QString fileName;  // the record's FileName
    QString extension; // lower case, with its dot
    int winMajorVersion = 6;
};

// The tag fields of a new record in the order they are set; none when the tags cannot be read
// (damaged tags leave the record with the values of the file alone). Safe to call from several
// threads at once for different files.
SongValues readTagValues(const TagSource &source);

class TagReadAhead {
public:
    using Read = std::function<SongValues(const TagSource &)>;
    // `read` reads one file's tags; a test may watch the reads through it.
    explicit TagReadAhead(QThreadPool &pool, Read read = readTagValues);
    ~TagReadAhead();
    TagReadAhead(const TagReadAhead &) = delete;
    TagReadAhead &operator=(const TagReadAhead &) = delete;

    // Begins reading the files, in the order given, each under the index of its folder item.
    void start(std::vector<std::pair<int, TagSource>> files);
    bool started() const { return shared_ != nullptr; }
    // The tag fields of the item at `index`: its read-ahead result, waited for, when it was
    // given to start(); otherwise read here from `source`.
    SongValues take(int index, const TagSource &source);

private:
    struct Shared;
    QThreadPool &pool_;
    const Read read_;
    std::shared_ptr<Shared> shared_;
};

} // namespace import
