#pragma once
// The record of music file moves that the editor's save has begun but not yet committed, kept in
// the catalogue so that a save killed between the move on disk and its commit can be finished
// at the next start. One FILEMOVE row of tblSettings per song: Name = the song's RecordID,
// Setting1 = the old full path, Setting8 = the new one. No table is added, so older catalogues
// open unchanged and simply hold no such rows.
//
// The save writes the rows and commits them before it touches the disk, then clears them in the
// transaction that writes the song's row and its play-list tracks: a row left behind means the
// process ended somewhere in between. Errors are platform::db::DbError.
#include <QList>
#include <QString>

namespace core {

struct PendingFileMove {
    qint64 recordId = 0;
    QString from, to;
};

class PendingFileMoves {
public:
    // Writes one row per move and commits them at once. Throws when the catalogue cannot be
    // written: the caller then leaves the disk alone.
    static void record(const QList<PendingFileMove> &moves);
    // Deletes the rows of these moves; run inside the caller's transaction.
    static void clear(const QList<PendingFileMove> &moves);
    // The rows still recorded, in the order the database gives them.
    static QList<PendingFileMove> recorded();

    // At start-up, for every recorded move: when the file is at its new path, the song's row and
    // every play-list track naming the old path are pointed at it (a file still at the old path,
    // left by a copy across disks, stays where it is); when only the old file is there, nothing
    // changes; when neither is, nothing changes and the user is told once. Each row is then
    // deleted, in the same transaction as its changes. A move that cannot be finished (the
    // catalogue cannot be written) stays recorded for the next start.
    static void recover();

    // Points the play-list tracks of the old path (second value) at the new one (first).
    static QString playListUpdateSql();
    // Gives a song (third value) a new folder (first) and file name (second).
    static QString songUpdateSql();
    // Stores a full path into a song's PathName (up to and including the last "/") and FileName.
    static void pointSongAt(qint64 recordId, const QString &path);
    // "The music file of <song> was not found at <old> or <new>."
    static QString notFoundText(const QString &song, const QString &from, const QString &to);
};

} // namespace core
