#include "pictures/PictureFiles.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/mCommon.h"
#include "pictures/PictureError.h"
#include "pictures/PictureRules.h"
#include "pictures/cImage.h"
#include "pictures/cJpeg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictures {

namespace {

core::FileError invalidPicture() { return core::FileError(481, QStringLiteral("Invalid picture")); }

// Makes a folder (and its parents). A file in the way is 75; a refusal names its reason.
void makeFolder(const QString &folder) {
    if (mCommon::FolderExists(folder))
        return;
    if (QDir().mkpath(folder))
        return;
    // Qt does not pass the reason on: the last step tried again tells it.
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    const int err = ::mkdir(path.constData(), 0777) == 0 ? 0 : errno;
    if (err == 0)
        return;
    throw fileFailure(err == EEXIST || err == ENOENT || err == ENOTDIR ? 0 : err);
}

} // namespace

core::FileError fileFailure(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return core::FileError(61, QStringLiteral("Disk full: there is no space left for the file"));
    case EFBIG:
        return core::FileError(61, QStringLiteral("Disk full: the file is larger than the space allowed for one file"));
    case EACCES:
    case EPERM:
        return core::FileError(70, QStringLiteral("Permission denied"));
    case EROFS:
        return core::FileError(75, QStringLiteral("Path/File access error: the folder is read-only"));
    case ENAMETOOLONG:
        return core::FileError(75, QStringLiteral("Path/File access error: the name is too long"));
    case ENOENT:
        return core::FileError(76, QStringLiteral("Path not found"));
    default:
        return core::FileError(75, QStringLiteral("Path/File access error"));
    }
}

void writeNewFile(const QString &path, const QByteArray &bytes) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw fileFailure(errno);
    int err = 0;
    for (qsizetype done = 0; done < bytes.size() && err == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            err = errno;
    }
    // A full disk may show only when the data reaches it.
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (::close(fd) != 0 && err == 0 && errno != EINTR)
        err = errno;
    if (err != 0) {
        ::unlink(name.constData());
        throw fileFailure(err);
    }
}

void renameOver(const QString &from, const QString &to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return;
    throw fileFailure(errno);
}

QString nameInPicturesFolder(const QString &path) {
    const QString folder = picturesFolder();
    const QFileInfo file(path);
    // The entry of the path's own name (the folder reached another way), then that of the file
    // a link ends at.
    for (const QString &name : {file.fileName(), QFileInfo(file.canonicalFilePath()).fileName()})
        if (isBareFileName(name) && mCommon::SameFile(path, folder + name))
            return name;
    return {};
}

QString picturesFolder() { return core::g().DataFolder + QStringLiteral("Pictures/"); }
QString deletedPicturesFolder() { return core::g().DataFolder + QStringLiteral("Deleted Pictures/"); }

QImage readPicture(const QString &path) { return readPictureFitted(path, QSize()); }

QImage readPictureFitted(const QString &path, QSize box) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        if (!path.isEmpty() && !info.dir().exists())
            throw core::FileError(76, QStringLiteral("Path not found"));
        throw core::FileError(53, QStringLiteral("File not found"));
    }
    // The reader's allocation limit turns a picture too large to hold into a failed read.
    QImageReader reader(path);
    reader.setAutoTransform(false);
    if (box.isValid() && !box.isEmpty()) {
        // The JPEG reader decodes straight at a half, a quarter or an eighth of the size, then
        // resamples to the size asked for; other readers scale what they read. A reduced size
        // little larger than the fitted one is taken as it is, sparing the resampling.
        const QSize size = reader.size();
        if (size.width() > box.width() || size.height() > box.height()) {
            const QSize fitted = size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            QSize wanted = fitted;
            for (int k = 8; k >= 2; k /= 2) {
                const QSize reduced((size.width() + k - 1) / k, (size.height() + k - 1) / k);
                if (reduced.width() >= fitted.width() && reduced.height() >= fitted.height()) {
                    if (reduced.width() * 8 <= fitted.width() * 9 && reduced.height() * 8 <= fitted.height() * 9)
                        wanted = reduced;
                    break;
                }
            }
            reader.setScaledSize(wanted);
        }
    }
    QImage image = reader.read();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        throw invalidPicture();
    return image;
}

void storeJpeg(const QImage &image, const QString &target) {
    const QFileInfo info(target);
    const QString folder = info.absolutePath() + QLatin1Char('/');
    makeFolder(folder);

    // The encoder reads 24-bit bitmaps.
    cImage bitmap;
    if (!bitmap.CopyStdPicture(image.convertToFormat(QImage::Format_RGB888)))
        throw invalidPicture();
    cJpeg jpeg;
    jpeg.SetSamplingFrequencies(2, 2, 1, 1, 1, 1);
    jpeg.setQuality(75);
    if (jpeg.SampleHDC(bitmap.hDC(), bitmap.Width(), bitmap.Height()) != 0)
        throw invalidPicture();

    QString temp;
    for (int n = 1;; ++n) {
        temp = folder + QStringLiteral("DELETE THIS TEMP FILE %1.jpg").arg(n);
        if (!QFileInfo::exists(temp))
            break;
    }
    try {
        if (jpeg.SaveFile(temp) != 0)
            throw core::FileError(75, QStringLiteral("Path/File access error"));
        renameOver(temp, target);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

void moveToDeletedPictures(const QString &name) {
    const QString deleted = deletedPicturesFolder();
    makeFolder(deleted);
    const QString from = picturesFolder() + name;
    if (mCommon::FileExists(deleted + name))
        mCommon::KillFile(from); // the older copy stays
    else
        renameOver(from, deleted + name);
}

QList<SongRef> songsNaming(const QString &name) {
    QString sql = QStringLiteral("Select RecordID, SongName, PicturePath1, PicturePath2, PicturePath3, PicturePath4, "
                                 "PicturePath5, PicturePath6, PicturePath7, PicturePath8 from tblContacts Where "
                                 "PicturePath1 = ?");
    for (int i = 2; i <= 8; ++i)
        sql += QStringLiteral(" Or PicturePath%1 = ?").arg(i);
    sql += QStringLiteral(" Order By SongName");
    QVariantList values;
    for (int i = 0; i < 8; ++i)
        values << name;
    QList<SongRef> songs;
    auto rs = core::g().Db->openRecordset(sql, values);
    while (!rs->eof()) {
        SongRef song{long(rs->value(QStringLiteral("RecordID")).toLongLong()),
                     rs->value(QStringLiteral("SongName")).toString(), {}};
        for (int i = 1; i <= 8; ++i)
            if (rs->value(QStringLiteral("PicturePath%1").arg(i)).toString().compare(name, Qt::CaseInsensitive) == 0)
                song.pictureSlots << i;
        songs.append(song);
        rs->moveNext();
    }
    rs->close();
    return songs;
}

} // namespace pictures
