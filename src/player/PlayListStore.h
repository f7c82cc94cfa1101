#pragma once
// The play-list tables' writes that the play-list window and its dialogs share: appends at the
// end of a list, renumbering, the order saved after a drag, and the delete of a whole list.
// A track's ListTrackID is its 1-based position; a list holds at most MaxTracks tracks.
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

namespace player {

// The play-list windows' test for a typed or stored text that holds something: more than a
// single blank, and not blanks only (a name of blanks would be stored empty).
inline bool aboveBlank(const QString &s) { return s > QStringLiteral(" ") && !s.trimmed().isEmpty(); }
// The text without its trailing blanks (leading blanks stay), as names are stored.
inline QString trimRight(const QString &s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

struct TrackFields {
    QString SongTitle;
    QVariant ArtistName, AlbumName, Track, FileName, Duration, Year, Rating, ContactRecordID, Notes;
};

// One line of the track list as the drag left it: the track number it had when the pass
// begins, and its text (for the message when no row has that number).
struct TrackLine {
    long ListTrackID = 0;
    QString text;
};

class PlayListStore {
public:
    static constexpr long MaxTracks = 32000;

    // Highest ListTrackID of the list, 0 for an empty list.
    static long highestTrack(platform::db::Database &db, long listId);
    // Appends the tracks at the end of the list in one transaction, numbered highest + 1,
    // highest + 2, ... Returns the number of the first. Nothing is written when one fails.
    static long appendTracks(platform::db::Database &db, long listId, const QList<TrackFields> &tracks);
    // Adds one track row numbered `number` through `rs`, a recordset on tblPlayListDetail (for
    // callers that add many rows one at a time and keep the recordset open between them).
    static void addTrack(platform::db::Recordset &rs, long listId, long number, const TrackFields &f,
                         const QDateTime &now);
    // Numbers the list's tracks 1..n in their stored order. False when the list has no track.
    static bool renumber(platform::db::Database &db, long listId);

    enum class ReorderResult { Saved, NoRows, NotFound };
    // Gives line i the number i + 1. Each line's row is found by the number it had when the pass
    // began (the rows are read first, so a row renumbered earlier in the pass is never taken
    // again). On a missing row nothing is written and `missing` names the line; a DbError
    // undoes the pass too and is passed on.
    static ReorderResult reorder(platform::db::Database &db, long listId, const QList<TrackLine> &lines,
                                 QString *missing = nullptr);
    // Removes the list and its tracks together (one transaction; a failure undoes both).
    static void deleteList(platform::db::Database &db, long listId);
    // The list whose name matches (the database compares without letter case), 0 when none.
    // `exceptId` leaves that list out of the search.
    static long findList(platform::db::Database &db, const QString &name, long exceptId = 0);

    // The fields an append takes from a catalogue row (SongTitle with every double quote turned
    // into an apostrophe, FileName = PathName + FileName, ContactRecordID = RecordID), read by
    // the fields' names.
    static TrackFields catalogueTrack(const platform::db::Recordset &rs);
    // The same from a row of a recordset whose fields are CatalogueColumns' selectList, read by
    // position: a caller that reads many rows then looks no name up.
    static TrackFields catalogueTrackInOrder(const platform::db::Recordset &rs);
};

// The catalogue fields an append reads, in the order of selectList.
struct CatalogueColumns {
    enum Column { RecordID, SongName, Artist, AlbumName, TrackText, PathName, FileName, Duration, Year, Rating, Count };
    // The field of tblContacts a column reads.
    static QString name(Column c);
    // "RecordID, SongName, ...", every column in order, for a SELECT's field list.
    static const QString &selectList();
};

} // namespace player
