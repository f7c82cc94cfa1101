#pragma once
// What the picture window reads and writes on disk and in the catalogue: the two picture
// folders, reading a picture file, storing a picture as a JPEG file without ever leaving a
// half-written or missing file behind, moving a deleted picture away, and the songs that name
// a picture.
#include "core/FileError.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace pictures {

// DataFolder + "Pictures/" and DataFolder + "Deleted Pictures/".
QString picturesFolder();
QString deletedPicturesFolder();

// The failure a file-system call reported through `err` (an errno value), with the reason in
// words, so that the user can tell a full disk from a refusal: 61 "Disk full: ..." (no space,
// a used-up quota or the file-size limit), 70 "Permission denied", 75 "Path/File access
// error: ..." (a read-only folder, a name too long), 76 "Path not found", else plain 75.
core::FileError fileFailure(int err);

// Writes `bytes` as the new file `path` (which must not exist). A failure removes what was
// written and throws fileFailure.
void writeNewFile(const QString &path, const QByteArray &bytes);

// Renames `from` to `to` in one step, replacing an existing `to` as the file system allows.
// Throws fileFailure.
void renameOver(const QString &from, const QString &to);

// The name under which the file `path` lies in the pictures folder, found by the file's
// identity (device and inode, following links) and not by the path's text: the folder reached
// through "./", through a linked data folder, or a file link to a stored picture all give that
// picture's name. Empty when the file is none of the folder's.
QString nameInPicturesFolder(const QString &path);

// Reads a picture file (JPEG, BMP, GIF and whatever else Qt reads). Throws core::FileError:
// 53 "File not found" for a missing file (76 "Path not found" when its folder is missing too),
// 481 "Invalid picture" for data that is no readable picture, or one too large to hold.
QImage readPicture(const QString &path);
// The same read with the picture fitted into `box` (aspect kept, never enlarged); a JPEG is
// decoded at the smaller size directly, a fraction of the work of a whole decode. Where a
// half, a quarter or an eighth of the picture is at most an eighth larger than the fitted size,
// the picture comes at that size instead, needing no resampling. An invalid or empty box reads
// the picture at its own size.
QImage readPictureFitted(const QString &path, QSize box);

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
    QList<int> pictureSlots; // the song's slots (1 to 8) that name the picture
};
// The songs whose PicturePath1 to PicturePath8 name `name` (case-blind), by SongName.
QList<SongRef> songsNaming(const QString &name);

} // namespace pictures
