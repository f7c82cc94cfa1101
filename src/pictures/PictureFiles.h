#pragma once
// What the picture window reads and writes on disk and in the catalogue: the two picture
// folders, reading a picture file, storing a picture as a JPEG file without ever leaving a
// half-written or missing file behind, moving a deleted picture away, and the songs that name
// a picture.
#include <QImage>
#include <QList>
#include <QString>

namespace pictures {

// DataFolder + "Pictures/" and DataFolder + "Deleted Pictures/".
QString picturesFolder();
QString deletedPicturesFolder();

// Renames `from` to `to` in one step, replacing an existing `to` as the file system allows.
// Throws core::FileError: 70 "Permission denied" on a refusal, 75 "Path/File access error"
// otherwise.
void renameOver(const QString &from, const QString &to);

// Reads a picture file (JPEG, BMP, GIF and whatever else Qt reads). Throws core::FileError:
// 53 "File not found" for a missing file (76 "Path not found" when its folder is missing too),
// 481 "Invalid picture" for data that is no readable picture, or one too large to hold.
QImage readPicture(const QString &path);

// Stores `image` as the JPEG file `target` (sampling 2, 2, 1, 1, 1, 1, quality 75, no comment).
// The file is encoded under a temporary name in the target's folder and then renamed over the
// target, so a failure leaves the folder as it was. Creates the folder when it is missing.
// Throws core::FileError or pictures::PictureError.
void storeJpeg(const QImage &image, const QString &target);

// Moves the file `name` from the pictures folder into the deleted-pictures folder (created when
// missing); when that folder already holds a file of the name, the older copy stays and the
// picture is only deleted. Throws core::FileError.
void moveToDeletedPictures(const QString &name);

struct SongRef {
    long recordId = 0;
    QString songName;
};
// The songs whose PicturePath1 to PicturePath8 name `name` (case-blind), by SongName.
QList<SongRef> songsNaming(const QString &name);

} // namespace pictures
