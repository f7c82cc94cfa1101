#pragma once
// The Vorbis comment reader for FLAC and Ogg files.
//
// A FLAC file's metadata blocks are walked up to its VORBIS_COMMENT block (behind STREAMINFO,
// pictures, seek tables or padding alike; an ID3v2 tag in front of "fLaC" is skipped). In an Ogg
// file the comment packet (the second packet of the first logical stream, Vorbis or Opus) is
// put together from its pages. At most 1 MiB of the file is read; a comment list cut off by that
// limit or by the end of the file gives the comments that are complete. Every length is checked
// against the bytes that are left, so a damaged file gives fewer comments or none, never more.
// Values are UTF-8.
#include "import/SongFields.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <utility>
#include <vector>

namespace import::Module1 {

inline constexpr qint64 MaxVorbisBytes = 1024 * 1024;

// The comments of a file, in file order: the name as written (any case) and the value.
using VorbisComments = std::vector<std::pair<QString, QString>>;

// Reads the comments of a FLAC or Ogg file (told apart by their first bytes). A file that
// cannot be opened or is neither gives no comments.
VorbisComments readVorbisComments(const QString &path);
VorbisComments readVorbisComments(QIODevice &device);
// Parses a Vorbis comment structure (vendor string, count, then length-prefixed NAME=value
// entries) as FLAC's VORBIS_COMMENT block holds it; `offset` is where it starts in `data`.
VorbisComments parseCommentList(QByteArrayView data, qsizetype offset = 0);

// The value of the first comment named `name` (compared case-blind, whole name: "ARTIST" does
// not match "ALBUMARTIST"); the empty text when there is none. A trailing "=" on `name` is
// allowed ("ARTIST=").
QString GetVorbisComment(const VorbisComments &comments, const QString &name);

// The signed 32-bit integer of four bytes, low byte first. Fewer than four bytes give 0.
qint32 LittleEndianToLong(QByteArrayView bytes);

// The field step for a new FLAC or OGG record: Artist (255; "Unknown" when at or below a
// blank), SongName (255; `fileName` when at or below a blank), AlbumName (255), Year (10),
// Genre (255), Composer (255), TrackText (10; TrackNum when it is numeric) and Notes (whole)
// from ARTIST, TITLE, ALBUM, DATE, GENRE, COMPOSER, TRACKNUMBER and COMMENT. An absent comment
// is stored as the empty text.
SongFields vorbisCommentFields(const QString &filePath, const QString &fileName);
SongFields vorbisCommentFields(const VorbisComments &comments, const QString &fileName);

} // namespace import::Module1
