#include "pictures/PictureFiles.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/mCommon.h"
#include "pictures/PictureError.h"
#include "pictures/cImage.h"
#include "pictures/cJpeg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstdio>

namespace pictures {

namespace {

core::FileError invalidPicture() { return core::FileError(481, QStringLiteral("Invalid picture")); }

// Makes a folder (and its parents); a file in the way or a refusal is 75.
void makeFolder(const QString &folder) {
    if (mCommon::FolderExists(folder))
        return;
    if (!QDir().mkpath(folder))
        throw core::FileError(75, QStringLiteral("Path/File access error"));
}

} // namespace

void renameOver(const QString &from, const QString &to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return;
    const int err = errno;
    if (err == EACCES || err == EPERM || err == EROFS)
        throw core::FileError(70, QStringLiteral("Permission denied"));
    throw core::FileError(75, QStringLiteral("Path/File access error"));
}

QString picturesFolder() { return core::g().DataFolder + QStringLiteral("Pictures/"); }
QString deletedPicturesFolder() { return core::g().DataFolder + QStringLiteral("Deleted Pictures/"); }

QImage readPicture(const QString &path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        if (!path.isEmpty() && !info.dir().exists())
            throw core::FileError(76, QStringLiteral("Path not found"));
        throw core::FileError(53, QStringLiteral("File not found"));
    }
    // The reader's allocation limit turns a picture too large to hold into a failed read.
    QImageReader reader(path);
    reader.setAutoTransform(false);
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
    QString sql = QStringLiteral("Select RecordID, SongName from tblContacts Where PicturePath1 = ?");
    for (int i = 2; i <= 8; ++i)
        sql += QStringLiteral(" Or PicturePath%1 = ?").arg(i);
    sql += QStringLiteral(" Order By SongName");
    QVariantList values;
    for (int i = 0; i < 8; ++i)
        values << name;
    QList<SongRef> songs;
    auto rs = core::g().Db->openRecordset(sql, values);
    while (!rs->eof()) {
        songs.append({long(rs->value(QStringLiteral("RecordID")).toLongLong()),
                      rs->value(QStringLiteral("SongName")).toString()});
        rs->moveNext();
    }
    rs->close();
    return songs;
}

} // namespace pictures
