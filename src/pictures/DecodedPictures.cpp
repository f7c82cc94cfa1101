#include "pictures/DecodedPictures.h"

#include "pictures/PictureFiles.h"

#include <QFile>
#include <ctime>
#include <sys/stat.h>

namespace pictures {

QImage DecodedPictures::picture(const QString &path, QSize box) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return readPictureFitted(path, box); // it reports the missing file
    const Key key{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size),
                  std::int64_t(st.st_mtim.tv_sec), std::int64_t(st.st_mtim.tv_nsec), box.width(), box.height()};
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->key == key) {
            Entry hit = std::move(*it);
            entries_.erase(it);
            entries_.insert(entries_.begin(), hit);
            return hit.image;
        }
    QImage image = readPictureFitted(path, box);
    // A file modified within the last moments may be modified again within the same tick of
    // the file system's clock, keeping its time and size: such a picture is not kept.
    if (std::time(nullptr) - st.st_mtim.tv_sec < RecentSeconds)
        return image;
    // An older decoding of the same file for the box is stale now.
    std::erase_if(entries_, [&key](const Entry &e) {
        return e.key.device == key.device && e.key.inode == key.inode && e.key.boxWidth == key.boxWidth &&
               e.key.boxHeight == key.boxHeight;
    });
    entries_.insert(entries_.begin(), Entry{key, image});
    if (entries_.size() > capacity_)
        entries_.resize(capacity_);
    return image;
}

} // namespace pictures
