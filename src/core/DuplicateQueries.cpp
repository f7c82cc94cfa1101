#include "core/DuplicateQueries.h"

#include "platform/db/Database.h"

#include <array>
#include <utility>

namespace core {

namespace {

using Query = std::pair<const char *, const char *>;

// Stored in this order: a query may name one saved after it.
const std::array<Query, 4> kSizeSet = {{
    {"qryDuplicateSongs",
     "SELECT * FROM tblContacts INNER JOIN qtotDupSongNames ON (tblContacts.FileSize = qtotDupSongNames.AFileSize) "
     "AND (tblContacts.SongName = qtotDupSongNames.ASongName) AND (tblContacts.Artist = qtotDupSongNames.AArtist) "
     "ORDER BY tblContacts.Artist, tblContacts.SongName, tblContacts.FileSize"},
    {"qryShowDuplicatesToBeDeleted",
     "SELECT qryDuplicateSongs.* FROM qryDuplicateSongs INNER JOIN qtotDupSongNames ON (qryDuplicateSongs.SongName = "
     "qtotDupSongNames.ASongName) AND (qryDuplicateSongs.Artist = qtotDupSongNames.AArtist) AND "
     "(qryDuplicateSongs.FileSize = qtotDupSongNames.AFileSize)WHERE (((qryDuplicateSongs.RecordID)<>[FirstRecordID])) "
     "ORDER BY qryDuplicateSongs.Artist, qryDuplicateSongs.SongName, qryDuplicateSongs.FileSize"},
    {"qtotDupSongNames",
     "SELECT tblContacts.Artist AS AArtist, tblContacts.SongName AS ASongName, tblContacts.FileSize AS AFileSize, "
     "First(tblContacts.RecordID) AS FirstRecordID From tblContacts GROUP BY tblContacts.Artist, tblContacts.SongName, "
     "tblContacts.FileSize HAVING (((Count(tblContacts.SongName))>1))"},
    {"qdelDuplicates",
     "DELETE DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN qryShowDuplicatesToBeDeleted ON "
     "tblContacts.RecordID = qryShowDuplicatesToBeDeleted.RecordID"},
}};

const std::array<Query, 4> kAlbumSet = {{
    {"qryDuplicateSongsAlbum",
     "SELECT * FROM tblContacts INNER JOIN qtotDupSongNamesAlbum ON (tblContacts.AlbumName = qtotDupSongNamesAlbum.AAlbum) "
     "AND (tblContacts.SongName = qtotDupSongNamesAlbum.ASongName) AND (tblContacts.Artist = qtotDupSongNamesAlbum.AArtist) "
     "ORDER BY tblContacts.Artist, tblContacts.SongName, tblContacts.AlbumName"},
    {"qryShowDuplicatesToBeDeletedAlbum",
     "SELECT qryDuplicateSongsAlbum.* FROM qryDuplicateSongsAlbum INNER JOIN qtotDupSongNamesAlbum ON "
     "(qryDuplicateSongsAlbum.SongName = qtotDupSongNamesAlbum.ASongName) AND (qryDuplicateSongsAlbum.Artist = "
     "qtotDupSongNamesAlbum.AArtist) AND (qryDuplicateSongsAlbum.AlbumName = qtotDupSongNamesAlbum.AAlbum)WHERE "
     "(((qryDuplicateSongsAlbum.RecordID)<>[FirstRecordID])) ORDER BY qryDuplicateSongsAlbum.Artist, "
     "qryDuplicateSongsAlbum.SongName, qryDuplicateSongsAlbum.AlbumName"},
    {"qtotDupSongNamesAlbum",
     "SELECT tblContacts.Artist AS AArtist, tblContacts.SongName AS ASongName, tblContacts.AlbumName AS AAlbum, "
     "First(tblContacts.RecordID) AS FirstRecordID From tblContacts GROUP BY tblContacts.Artist, tblContacts.SongName, "
     "tblContacts.AlbumName HAVING (((Count(tblContacts.SongName))>1))"},
    {"qdelDuplicatesAlbum",
     "DELETE DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN qryShowDuplicatesToBeDeletedAlbum ON "
     "tblContacts.RecordID = qryShowDuplicatesToBeDeletedAlbum.RecordID"},
}};

void createSet(platform::db::Database &db, const std::array<Query, 4> &set) {
    QString name;
    try {
        name = db.hasQueryDef(QString::fromLatin1(set[0].first)) ? QString::fromLatin1(set[0].first) : QString();
        if (name.isEmpty()) (void)db.queryDefSql(QString::fromLatin1(set[0].first)); // raises "item not found"
    } catch (const platform::db::DbError &e) {
        if (e.number() != platform::db::err::ItemNotFound) return;
        name.clear();
    } catch (...) {
        return;
    }
    if (!name.isEmpty()) return;
    for (const auto &[queryName, sql] : set) {
        try {
            db.createQueryDef(QString::fromLatin1(queryName), QString::fromLatin1(sql));
        } catch (...) {
            // A query that cannot be created stays missing; its users report the error.
        }
    }
}

} // namespace

void createDuplicateQueries(platform::db::Database &db) {
    createSet(db, kSizeSet);
    createSet(db, kAlbumSet);
}

} // namespace core
