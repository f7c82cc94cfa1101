#pragma once
// A small catalogue for the database tests: songs with accents, case variants, Nulls and
// duplicates, three categories, two play lists, settings rows and missing-file rows. Rows are
// written with plain SQLite so the fixture does not depend on the layer it tests.
#include "common/TestEnv.h"
#include "platform/db/Database.h"

#include <QStringList>
#include <memory>
#include <sqlite3.h>

namespace sample {

struct Song {
    const char *song, *artist, *album, *size, *path, *file, *genre, *year;
    int track; // 0: Null
    const char *rating, *selected, *purchase;
    double sizeNum;
};

// RecordID is the 1-based position in this list.
inline const Song kSongs[] = {
    {"Hey Jude", "The Beatles", "Hey Jude", "7.1 MB", "/music/Beatles/", "Hey Jude.mp3", "Rock", "1968", 1, "*****", "x", "2020-01-05 00:00:00", 7.1},
    {"Let It Be", "The Beatles", "Let It Be", "5.0 MB", "/music/Beatles/", "Let It Be.mp3", "Rock", "1970", 6, "****", " ", nullptr, 5.0},
    {"Yesterday", "The Beatles", "Help!", "2.1 MB", "/music/Beatles/", "Yesterday.mp3", "Rock", "1965", 13, "***", "x", nullptr, 2.1},
    {"Yesterday", "The Beatles", "Help!", "2.1 MB", "/backup/Beatles/", "Yesterday.mp3", "Rock", "1965", 13, nullptr, " ", nullptr, 2.1},
    {"yesterday", "the beatles", "Help!", "2.1 MB", "/old/", "yesterday.mp3", nullptr, "1965", 13, nullptr, " ", nullptr, 2.1},
    {"Yesterday", "The Beatles", "Help!", "2.5 MB", "/flac/", "Yesterday.flac", "Rock", "1965", 13, nullptr, " ", nullptr, 2.5},
    {"Jóga", "Björk", "Homogenic", "4.4 MB", "/music/Björk/", "Jóga.flac", "Electronic", "1997", 3, "****", " ", "2019-11-30 00:00:00", 4.4},
    {"Hunter", "Björk", "Homogenic", "4.0 MB", "/music/Björk/", "Hunter.flac", "Electronic", "1997", 1, nullptr, " ", nullptr, 4.0},
    {"Hunter", "BJÖRK", "Homogenic", "4.0 MB", "/music/Björk/", "hunter.flac", "Electronic", "1997", 1, nullptr, " ", nullptr, 4.0},
    {"La Vie en rose", "Édith Piaf", "La Vie en rose", "3.0 MB", "/music/Piaf/", "La Vie en rose.mp3", "Chanson", "1947", 1, "*****", " ", nullptr, 3.0},
    {"Non, je ne regrette rien", "édith piaf", "Best of", "2.4 MB", "/music/Piaf/", "Non.mp3", "Chanson", "1960", 2, nullptr, "x", nullptr, 2.4},
    {nullptr, "Unknown", nullptr, "1.0 MB", "/music/misc/", "track01.mp3", nullptr, nullptr, 0, nullptr, " ", nullptr, 1.0},
    {nullptr, "Unknown", nullptr, "1.0 MB", "/music/misc/", "track02.mp3", nullptr, nullptr, 0, nullptr, " ", nullptr, 1.0},
    {"Song With Null Artist", nullptr, nullptr, "1.5 MB", "/music/misc/", "a.mp3", nullptr, nullptr, 0, nullptr, " ", nullptr, 1.5},
    {"Song With Null Artist", nullptr, nullptr, "1.5 MB", "/music/misc/", "b.mp3", nullptr, nullptr, 0, nullptr, " ", nullptr, 1.5},
    {"Bohemian Rhapsody", "Queen", "A Night at the Opera", "13.1 MB", "/music/Queen/", "Bohemian Rhapsody.mp3", "Rock", "1975", 11, "*****", " ", "2021-06-15 00:00:00", 13.1},
    {"Love of My Life", "Queen", "A Night at the Opera", "5.2 MB", "/music/Queen/", "Love of My Life.mp3", "Rock", "1975", 9, "****", " ", nullptr, 5.2},
    {"Somebody to Love", "Queen", "A Day at the Races", "7.0 MB", "/music/Queen/", "Somebody to Love.mp3", "Rock", "1976", 6, nullptr, " ", nullptr, 7.0},
    {"Love Me Do", "The Beatles", "Please Please Me", "3.3 MB", "/music/Beatles/", "Love Me Do.mp3", "Rock", "1963", 8, nullptr, " ", nullptr, 3.3},
    {"Dancing Queen", "ABBA", "Arrival", "3.8 MB", "/music/ABBA/", "Dancing Queen.mp3", "Pop", "1976", 2, "***", " ", nullptr, 3.8},
    {"Song", "Test", "Case", "1.1 MB", "/music/case/", "Song.mp3", "Pop", "2001", 1, nullptr, " ", nullptr, 1.1},
    {"song", "Test", "Case", "1.1 MB", "/music/case/", "song.mp3", "Pop", "2001", 2, nullptr, " ", nullptr, 1.1},
};
inline constexpr int kSongCount = int(sizeof(kSongs) / sizeof(kSongs[0]));

inline void run(sqlite3 *db, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "?";
        sqlite3_free(err);
        throw std::runtime_error(msg + " in " + sql);
    }
}

inline void fill(platform::db::Database &database) {
    sqlite3 *db = database.handle();
    run(db, "BEGIN");
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblContacts (SongName, Artist, AlbumName, FileSize, PathName, FileName, Genre, Year, "
                       "TrackNum, Rating, Selected, PurchaseDate, FileSizeNum, bitRate, Code, ID, DateUpdated, Duration) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &s, nullptr);
    int n = 0;
    for (const Song &x : kSongs) {
        ++n;
        const char *texts[] = {x.song, x.artist, x.album, x.size, x.path, x.file, x.genre, x.year};
        for (int i = 0; i < 8; ++i) {
            if (texts[i]) sqlite3_bind_text(s, i + 1, texts[i], -1, SQLITE_TRANSIENT);
            else sqlite3_bind_null(s, i + 1);
        }
        if (x.track) sqlite3_bind_int(s, 9, x.track);
        else sqlite3_bind_null(s, 9);
        if (x.rating) sqlite3_bind_text(s, 10, x.rating, -1, SQLITE_TRANSIENT);
        else sqlite3_bind_null(s, 10);
        sqlite3_bind_text(s, 11, x.selected, -1, SQLITE_TRANSIENT);
        if (x.purchase) sqlite3_bind_text(s, 12, x.purchase, -1, SQLITE_TRANSIENT);
        else sqlite3_bind_null(s, 12);
        sqlite3_bind_double(s, 13, x.sizeNum);
        sqlite3_bind_text(s, 14, QStringLiteral("%1 kbps").arg(128 + n * 8).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 15, QStringLiteral("c%1").arg(n).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 16, QStringLiteral("S%1").arg(n, 3, 10, QLatin1Char('0')).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 17, QStringLiteral("2024-01-%1 10:00:00").arg(n, 2, 10, QLatin1Char('0')).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 18, QStringLiteral("00:0%1:%2").arg(n % 10).arg(n + 10).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    run(db, "INSERT INTO tblCategoryDesc (CategoryDesc) VALUES ('Favourites'), ('Party'), ('Ballads');"
            "INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (1,1), (7,1), (16,1), (16,2), (20,2), (17,3);"
            "INSERT INTO tblPlayListHeader (ListName, Notes, LastUpdated) VALUES ('Road Trip', 'loud', '2024-02-01 09:00:00'),"
            " ('Chill', NULL, '2024-02-02 09:00:00');"
            "INSERT INTO tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, FileName, ContactRecordID, Notes) VALUES"
            " (1, 1, 'Bohemian Rhapsody', 'Queen', '/music/Queen/Bohemian Rhapsody.mp3', 16, NULL),"
            " (1, 2, 'Hey Jude', 'The Beatles', '/music/Beatles/Hey Jude.mp3', 1, NULL),"
            " (1, 3, 'Bohemian Rhapsody', 'Queen', '/music/Queen/Bohemian Rhapsody.mp3', 16, 'Added from Player'),"
            " (1, 4, 'Manual', NULL, '/elsewhere/manual.mp3', 0, '  *added manually, when song was not cataloged in database*'),"
            " (2, 1, 'Jóga', 'Björk', '/music/Björk/Jóga.flac', 7, NULL);"
            "INSERT INTO tblOrphanFileNames (RecordIdOrphan) VALUES (12), (13);"
            "INSERT INTO tblSettings (Type, Name, Setting1, Setting8) VALUES ('GRIDSORTORDER', 'Artist', NULL, NULL),"
            " ('NOTE', 'My Note', NULL, '{\\rtf1 hello}'), ('FILTER', 'Loved', NULL, 'Rating = \"*****\"'),"
            " ('LASTNOTE', 'My Note', NULL, NULL), ('CATEGORY', '2', ' CategoryNumber = 2', NULL);");
    run(db, "COMMIT");
}

} // namespace sample

// A fresh copy of the empty catalogue, filled with the sample rows, open as `db`.
class SampleDbTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        path = tmp.file(QStringLiteral("OVdata.mdb"));
        testenv::copyEmptyCatalogue(path);
        db = platform::db::Database::open(path);
        sample::fill(*db);
    }
    void TearDown() override {
        db.reset();
        OrvalisTest::TearDown();
    }

    std::unique_ptr<platform::db::Recordset> open(const QString &source,
                                                 platform::db::RecordsetType type = platform::db::RecordsetType::Dynaset) {
        return db->openRecordset(source, type);
    }

    // Every value of one field, from the first row to the last (Null as "<null>").
    static QStringList column(platform::db::Recordset &rs, const QString &field) {
        QStringList out;
        if (rs.recordCount() == 0) return out;
        rs.moveFirst();
        while (!rs.eof()) {
            const QVariant v = rs.value(field);
            out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            rs.moveNext();
        }
        return out;
    }
    QStringList column(const QString &source, const QString &field) { return column(*open(source), field); }

    // Reads one value with plain SQLite (to see what the layer really wrote).
    QString raw(const QString &sql) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db->handle(), sql.toUtf8().constData(), -1, &s, nullptr);
        QString out = QStringLiteral("<none>");
        if (s && sqlite3_step(s) == SQLITE_ROW)
            out = sqlite3_column_type(s, 0) == SQLITE_NULL
                      ? QStringLiteral("<null>")
                      : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }

    QString path;
    std::unique_ptr<platform::db::Database> db;
};

// Expects a DbError with the given number from the statement.
#define EXPECT_DB_ERROR(errNo, statement)                                                   \
    do {                                                                                     \
        try {                                                                                \
            statement;                                                                       \
            ADD_FAILURE() << "expected DbError " << (errNo) << " from " #statement;         \
        } catch (const platform::db::DbError &e_) {                                          \
            EXPECT_EQ(e_.number(), (errNo)) << e_.description().toStdString();              \
        }                                                                                    \
    } while (0)
