#pragma once
// The MP4 atom reader for M4A files, used when the Windows major version is below 6 (on newer
// versions M4A files take their fields from the detail columns like any other file).
//
// The walk follows one fixed path from the start of the file: ftyp, into moov, mvhd, trak,
// into udta, into meta (with its version and flags), hdlr, and then expects the ilst header.
// A file laid out otherwise (metadata behind the media data, a second track, no udta) reaches
// no ilst and gives no values. Inside the ilst it takes ©nam and ©ART (the first non-blank
// value of each), ©alb (the last), gnre and ©gen (the later of the two), ©day (first 10
// characters) and ©wrt, and stops at a "free" or "mdat" atom, after six counted items, or at
// the end of the ilst. Every read is bounded by the enclosing atom and the end of the file: an
// atom size below 8, or one that runs past its parent, ends the walk. Texts are UTF-8.
#include "import/SongFields.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

namespace import::ModM4ATags {

// Fills GenreTable::instance() with the 148 genre names under the keys "0" to "147", once:
// safe to call from several threads at the same time.
void LoadGenreTable();

// The bytes read big-endian as one signed 32-bit integer (at most four bytes; more give 0,
// as do none).
qint32 HexBytesToLong(QByteArrayView bytes);

// Reads the atom at the device's position, which must end at or before `end`. Size receives
// the atom's size, Data the bytes after the size field (so it starts with the type; at most
// `maxData` of them), Type its first four bytes. The position ends just after the atom.
// Returns false, with the arguments unchanged, when the size is below 8 or the atom runs past
// `end` or the end of the device.
bool ReadAtom(QIODevice &file, qint64 end, QByteArray &Data, qint64 &Size, QByteArray &Type,
              qint64 maxData = 1024 * 1024);

// The six texts of the walk.
struct Mp4Tags {
    QString songName, artist, album, genre, year, composer;
    bool ilstFound = false;
};

Mp4Tags readMp4Tags(const QString &path);
Mp4Tags readMp4Tags(QIODevice &device);

// The field step for a new M4A record: loads the genre table, walks the file, and gives
// SongName, Artist, AlbumName, Genre and Composer (255 characters each) and Year (10), with
// "Unknown" for an artist and `fileName` for a song name at or below a blank. Duration, bit
// rate, notes and track are not set.
SongFields mp4AtomFields(const QString &filePath, const QString &fileName);
SongFields mp4AtomFields(const Mp4Tags &tags, const QString &fileName);

} // namespace import::ModM4ATags
