#pragma once
// Texts and small rules the play commands share: a song's text in the player's list, the
// message for a music file that is not there, the query the next and random songs come from,
// and the temporary play list.
#include <QString>
#include <QStringList>
#include <QVariant>

namespace player {

// A field's text, empty for Null.
inline QString textOf(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }

// Title " <> " artist, or the title alone when the artist is empty.
QString songText(const QString &title, const QString &artist);

// The four lines of "File not found to play", naming `path` and the main window's command that
// changes music file locations.
QString fileNotFoundText(const QString &path);
// Shows that message (exclamation, OK).
void showFileNotFound(const QString &path);

// The grid's record source made to return FileName, PathName, SongName and Artist: every
// " * from " outside quoted literals, in any case, becomes " FileName, PathName, SongName, Artist
// from "; the rest of the text stays as it is (path criteria compare exactly).
QString playerQuery(const QString &recordSource);

// The temporary play list's full path (the data folder's "OVPlayList.m3u").
QString tempListPath();

} // namespace player
