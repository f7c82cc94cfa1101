// Speed of the database layer against plain SQLite on a generated catalogue of 100,000 songs.
//
//   bench_db [songs [copy.mdb]]     (default 100000 songs; a copy of the generated catalogue)
//
// For each figure the same statement runs through the layer and through the plain sqlite3 C
// API on the same file; each timing is the best of a few runs. Printed as a table with ratios.
//   - opening the grid's dynaset ("Select * from  tblContacts" & sort tail) for each of the 23
//     sorts, and showing its first screen (50 rows); plain: stepping through every row of the
//     translated statement;
//   - FindFirst of Artist like "ab*" in the grid's order;
//   - adding 10,000 songs in transactions of 100 rows (AddNew on a table recordset; plain:
//     a prepared INSERT);
//   - renumbering 10,000 songs with Edit/Update through a dynaset in one transaction (plain: the
//     same UPDATEs by rowid, walking the same SELECT);
//   - a walk of every song reading 5 fields (plain: stepping the same SELECT, reading the same
//     fields as texts);
//   - the missing-files walk: every song's path read, an AddNew to tblOrphanFileNames for one in
//     ten, in one transaction (plain: the SELECT stepped in the dynaset's order and a prepared
//     INSERT);
//   - a filter of five criteria with date arithmetic, opened and every row read (plain: the same
//     conditions in SQLite's own SQL, stepped).
#include "core/ProcessMemory.h"
#include "platform/db/Database.h"
#include "platform/db/JetSql.h"

#include "BenchCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

using namespace platform::db;

namespace {

const char *const kTails[] = {
    " Order By tblContacts!AlbumName, tblContacts!TrackNum", " Order By Artist, SongName", " Order By Bitrate",
    " Order By BPM", " Order By Code", " Order By Composer, SongName", " Order By Date2", " Order By DateUpdated DESC",
    " Order By tblContacts!Duration", " Order By tblContacts!FileName", " Order By FileSizeNum",
    " Order By Genre, Artist, SongName", " Order By ID", " Order By MiscField1", " Order By MiscField2",
    " Order By MiscField3", " Order By PathName, tblContacts!FileName", " Order By PurchaseDate",
    " Order By tblContacts!Rating, SongName", " Order By SongName, Artist", " Order By TrackNum", " Order By FileType",
    " Order By tblContacts!Year, Artist, SongName"};

double bestMs(int runs, const std::function<void()> &f) {
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

QString word(QRandomGenerator &r, int syllables) {
    static const char *const s[] = {"ab", "ka", "lo", "mi", "ra", "to", "ve", "su", "né", "dö", "ri", "an", "el", "or",
                                    "ba", "ch", "ul", "ze", "pa", "qu", "Bé", "yo", "ta", "is"};
    QString w;
    for (int i = 0; i < syllables; ++i) w += QString::fromUtf8(s[r.bounded(int(sizeof(s) / sizeof(s[0])))]);
    w[0] = w[0].toUpper();
    return w;
}

struct SongGen {
    QRandomGenerator r{42};
    QStringList artists, albums, genres{"Rock", "Pop", "Jazz", "Classical", "Electronic", "Chanson", "Folk", "Blues"};
    SongGen() {
        for (int i = 0; i < 5000; ++i) artists << word(r, 2) + u' ' + word(r, 3);
        for (int i = 0; i < 8000; ++i) albums << word(r, 3) + u' ' + word(r, 2);
    }
    // The fields of one song in insert order (see kInsertFields).
    QVariantList next(int n) {
        const QString artist = artists[r.bounded(int(artists.size()))];
        const QString song = word(r, 2) + u' ' + word(r, 2 + r.bounded(2));
        const int track = 1 + r.bounded(20);
        const double mb = 1.0 + r.bounded(12000) / 1000.0;
        const QString path = QStringLiteral("/music/%1/%2/").arg(artist, albums[r.bounded(int(albums.size()))]);
        auto maybe = [&](const QVariant &v) { return r.bounded(4) == 0 ? QVariant() : v; };
        return {song, artist, albums[r.bounded(int(albums.size()))], word(r, 2), maybe(genres[r.bounded(int(genres.size()))]),
                QString::number(1950 + r.bounded(75)), QString::number(track), track,
                QStringLiteral("00:%1:%2").arg(2 + r.bounded(6), 2, 10, QLatin1Char('0')).arg(r.bounded(60), 2, 10, QLatin1Char('0')),
                QString::number(60 + r.bounded(120)), QStringLiteral("%1 kbps").arg(128 + 32 * r.bounded(7)),
                QStringLiteral("MP3"), QStringLiteral("%1 MB").arg(mb, 0, 'f', 1), mb, path,
                QStringLiteral("%1 - %2.mp3").arg(track, 2, 10, QLatin1Char('0')).arg(song),
                maybe(QString(1 + r.bounded(5), u'*')), QStringLiteral("S%1").arg(n), maybe(word(r, 1)),
                maybe(QStringLiteral("%1-%2-%3 00:00:00").arg(2000 + r.bounded(24)).arg(1 + r.bounded(12), 2, 10, QLatin1Char('0')).arg(1 + r.bounded(28), 2, 10, QLatin1Char('0'))),
                maybe(QStringLiteral("2019-0%1-1%2 00:00:00").arg(1 + r.bounded(9)).arg(r.bounded(10))), maybe(word(r, 2)),
                maybe(word(r, 2)), maybe(word(r, 2)),
                QStringLiteral("2024-%1-%2 %3:00:00").arg(1 + r.bounded(12), 2, 10, QLatin1Char('0')).arg(1 + r.bounded(28), 2, 10, QLatin1Char('0')).arg(r.bounded(24), 2, 10, QLatin1Char('0'))};
    }
};

const char *const kInsertFields[] = {"SongName", "Artist", "AlbumName", "Composer", "Genre", "Year", "TrackText",
                                     "TrackNum", "Duration", "BPM", "bitRate", "FileType", "FileSize", "FileSizeNum",
                                     "PathName", "FileName", "Rating", "ID", "Code", "PurchaseDate", "Date2",
                                     "MiscField1", "MiscField2", "MiscField3", "DateUpdated"};
constexpr int kFieldCount = int(sizeof(kInsertFields) / sizeof(kInsertFields[0]));

QString insertSql() {
    QStringList names, marks;
    for (int i = 0; i < kFieldCount; ++i) {
        names << QString::fromLatin1(kInsertFields[i]);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    return QStringLiteral("INSERT INTO tblContacts (%1) VALUES (%2)").arg(names.join(u','), marks.join(u','));
}

void bindAll(sqlite3_stmt *s, const QVariantList &v) {
    for (int i = 0; i < int(v.size()); ++i) {
        const QVariant &x = v[i];
        if (x.isNull()) sqlite3_bind_null(s, i + 1);
        else if (x.typeId() == QMetaType::Int) sqlite3_bind_int(s, i + 1, x.toInt());
        else if (x.typeId() == QMetaType::Double) sqlite3_bind_double(s, i + 1, x.toDouble());
        else {
            const QByteArray u = x.toString().toUtf8();
            sqlite3_bind_text(s, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
    }
}

void plainExec(sqlite3 *db, const char *sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

sqlite3 *plainOpen(const QString &path) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    jet::registerFunctions(db); // the schema's collations
    plainExec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
    return db;
}

} // namespace

int main(int argc, char **argv) {
    core::keepFreedMemory();
    QCoreApplication app(argc, argv);
    const int songs = argc > 1 ? std::max(1000, atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("OVdata.mdb"));
    bench::copyEmptyCatalogue(path);

    std::printf("Generating %d songs...\n", songs);
    SongGen gen;
    {
        sqlite3 *db = plainOpen(path);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, insertSql().toUtf8().constData(), -1, &s, nullptr);
        plainExec(db, "BEGIN");
        for (int i = 0; i < songs; ++i) {
            bindAll(s, gen.next(i));
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        plainExec(db, "COMMIT");
        sqlite3_finalize(s);
        plainExec(db, "ANALYZE");
        sqlite3_close(db);
    }

    if (argc > 2) QFile::copy(path, QString::fromLocal8Bit(argv[2])); // keep the generated catalogue
    auto layer = Database::open(path);
    sqlite3 *plain = plainOpen(path);

    std::printf("\nGrid dynaset: open + first 50 rows (layer) vs stepping every row (plain sqlite3), ms\n");
    std::printf("%-52s %9s %9s %7s\n", "sort", "layer", "plain", "ratio");
    double worst = 0, worstRatio = 0;
    for (const char *tail : kTails) {
        const QString jet = QStringLiteral("Select * from  tblContacts") + QLatin1String(tail);
        const QByteArray translated = layer->translate(jet).toUtf8();
        const double l = bestMs(3, [&] {
            auto rs = layer->openRecordset(jet);
            for (long p = 0; p < 50; ++p)
                for (int c = 0; c < rs->fieldCount(); ++c) (void)rs->valueAt(p, c);
        });
        const double p = bestMs(3, [&] {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(plain, translated.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW) {
            }
            sqlite3_finalize(s);
        });
        worst = std::max(worst, l);
        worstRatio = std::max(worstRatio, l / p);
        std::printf("%-52s %9.1f %9.1f %7.2f\n", tail, l, p, l / p);
    }
    std::printf("slowest sort: %.1f ms; highest ratio: %.2f\n", worst, worstRatio);

    {
        // "ab*" matches at the top of this order; "su*" in the middle; "xx*" nowhere (a full pass).
        auto rs = layer->openRecordset(QStringLiteral("Select * from  tblContacts Order By Artist, SongName"));
        std::printf("\nFindFirst in Artist, SongName order (layer; plain: the same criteria as one sorted query, first row), ms\n");
        for (const char *pattern : {"ab*", "su*", "xx*"}) {
            const QString criteria = QStringLiteral("Artist like \"%1\"").arg(QLatin1String(pattern));
            const double f = bestMs(5, [&] {
                rs->moveFirst();
                rs->findFirst(criteria);
            });
            const long at = rs->noMatch() ? -1 : rs->absolutePosition();
            const QByteArray q = layer->translate(QStringLiteral("Select RecordID from tblContacts Where ") + criteria +
                                                  QStringLiteral(" Order By Artist, SongName")).toUtf8();
            const double p = bestMs(5, [&] {
                sqlite3_stmt *s = nullptr;
                sqlite3_prepare_v2(plain, q.constData(), -1, &s, nullptr);
                sqlite3_step(s);
                sqlite3_finalize(s);
            });
            std::printf("  %-24s %8.2f %8.2f   (match at position %ld)\n", qPrintable(criteria), f, p, at);
        }
    }

    constexpr int kAdds = 10000, kBatch = 100;
    std::vector<QVariantList> rows;
    for (int i = 0; i < 2 * kAdds; ++i) rows.push_back(gen.next(songs + i));
    // Batches of the layer and of plain SQLite alternate, so both meet the same file size and
    // share the log's checkpoints.
    double la = 0, pa = 0;
    {
        auto t = layer->openRecordset(QStringLiteral("tblContacts"), RecordsetType::Table);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(plain, insertSql().toUtf8().constData(), -1, &s, nullptr);
        for (int b = 0; b < kAdds; b += kBatch) {
            la += bestMs(1, [&] {
                layer->beginTrans();
                for (int i = b; i < b + kBatch; ++i) {
                    t->addNew();
                    for (int f = 0; f < kFieldCount; ++f) t->setValue(QString::fromLatin1(kInsertFields[f]), rows[size_t(i)][f]);
                    t->update();
                }
                layer->commitTrans();
            });
            pa += bestMs(1, [&] {
                plainExec(plain, "BEGIN IMMEDIATE");
                for (int i = kAdds + b; i < kAdds + b + kBatch; ++i) {
                    bindAll(s, rows[size_t(i)]);
                    sqlite3_step(s);
                    sqlite3_reset(s);
                }
                plainExec(plain, "COMMIT");
            });
        }
        sqlite3_finalize(s);
    }
    std::printf("\nAdding %d songs in transactions of %d: layer %.0f ms, plain %.0f ms, ratio %.2f\n", kAdds, kBatch, la,
                pa, la / pa);

    const auto report = [](const char *what, double l, double p) {
        std::printf("%-58s %9.1f %9.1f %7.2f\n", what, l, p, l / p);
    };
    std::printf("\nWalks and writes (layer vs plain sqlite3), ms\n%-58s %9s %9s %7s\n", "work", "layer", "plain", "ratio");
    {
        constexpr int kEdits = 10000;
        const double l = bestMs(3, [&] {
            Transaction t(*layer);
            auto rs = layer->openRecordset(QStringLiteral("Select RecordID, TrackNum From tblContacts Order By RecordID"));
            rs->moveFirst();
            for (int i = 0; i < kEdits && !rs->eof(); ++i, rs->moveNext()) {
                rs->edit();
                rs->setValue(QStringLiteral("TrackNum"), i + 1);
                rs->update();
            }
            t.commit();
        });
        const double p = bestMs(3, [&] {
            plainExec(plain, "BEGIN IMMEDIATE");
            sqlite3_stmt *sel = nullptr, *upd = nullptr;
            sqlite3_prepare_v2(plain, "SELECT rowid FROM tblContacts ORDER BY RecordID", -1, &sel, nullptr);
            sqlite3_prepare_v2(plain, "UPDATE tblContacts SET TrackNum = ?1 WHERE rowid = ?2", -1, &upd, nullptr);
            for (int i = 0; i < kEdits && sqlite3_step(sel) == SQLITE_ROW; ++i) {
                sqlite3_bind_int(upd, 1, i + 1);
                sqlite3_bind_int64(upd, 2, sqlite3_column_int64(sel, 0));
                sqlite3_step(upd);
                sqlite3_reset(upd);
            }
            sqlite3_finalize(sel);
            sqlite3_finalize(upd);
            plainExec(plain, "COMMIT");
        });
        report("10,000 renumbering Edit/Update in one transaction", l, p);
    }
    {
        const char *const fields[] = {"SongName", "Artist", "PathName", "FileName", "DateUpdated"};
        const QString jet = QStringLiteral("Select * from tblContacts");
        const QByteArray translated = layer->translate(jet).toUtf8();
        long seen = 0;
        const double l = bestMs(3, [&] {
            auto rs = layer->openRecordset(jet);
            int ord[5];
            for (int f = 0; f < 5; ++f) ord[f] = rs->fieldOrdinal(QString::fromLatin1(fields[f]));
            seen = 0;
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                for (int f : ord) seen += rs->value(f).isNull() ? 0 : 1;
            }
        });
        const double p = bestMs(3, [&] {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(plain, translated.constData(), -1, &s, nullptr);
            int ord[5] = {};
            for (int f = 0; f < 5; ++f)
                for (int c = 0; c < sqlite3_column_count(s); ++c)
                    if (qstricmp(sqlite3_column_name(s, c), fields[f]) == 0) ord[f] = c;
            long n = 0;
            while (sqlite3_step(s) == SQLITE_ROW)
                for (int c : ord) {
                    const QString v = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                                        sqlite3_column_bytes(s, c));
                    n += v.isNull() ? 0 : 1;
                }
            sqlite3_finalize(s);
        });
        report("walk of every song, 5 fields", l, p);
        (void)seen;
    }
    {
        const double l = bestMs(3, [&] {
            Transaction t(*layer);
            layer->execute(QStringLiteral("Delete * from tblOrphanFileNames"));
            auto songsRs = layer->openRecordset(QStringLiteral("Select RecordID, PathName, FileName from tblContacts"));
            auto orphans = layer->openRecordset(QStringLiteral("tblOrphanFileNames"));
            long n = 0;
            for (songsRs->moveFirst(); !songsRs->eof(); songsRs->moveNext(), ++n) {
                const QString file = songsRs->value(1).toString() + songsRs->value(2).toString();
                if (n % 10 == 0 && !file.isEmpty()) {
                    orphans->addNew();
                    orphans->setValue(QStringLiteral("RecordIdOrphan"), songsRs->value(0));
                    orphans->update();
                }
            }
            // rolled back by the guard: every run starts from the same catalogue
        });
        const double p = bestMs(3, [&] {
            plainExec(plain, "BEGIN IMMEDIATE");
            plainExec(plain, "DELETE FROM tblOrphanFileNames");
            sqlite3_stmt *sel = nullptr, *ins = nullptr;
            // In the dynaset's order (row id order): left to choose, SQLite reads the PathFile
            // index, and every tenth row of that order is another tenth of the songs.
            sqlite3_prepare_v2(plain, "SELECT RecordID, PathName, FileName FROM tblContacts ORDER BY RecordID", -1, &sel,
                               nullptr);
            sqlite3_prepare_v2(plain, "INSERT INTO tblOrphanFileNames (RecordIdOrphan) VALUES (?1)", -1, &ins, nullptr);
            for (long n = 0; sqlite3_step(sel) == SQLITE_ROW; ++n) {
                const QString file =
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(sel, 1))) +
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(sel, 2)));
                if (n % 10 == 0 && !file.isEmpty()) {
                    sqlite3_bind_int64(ins, 1, sqlite3_column_int64(sel, 0));
                    sqlite3_step(ins);
                    sqlite3_reset(ins);
                }
            }
            sqlite3_finalize(sel);
            sqlite3_finalize(ins);
            plainExec(plain, "ROLLBACK");
        });
        report("missing-files walk, AddNew for 1 in 10, one transaction", l, p);
    }
    {
        const QString jet = QStringLiteral(
            "Select distinctrow * from  tblContacts Where  (Genre = \"Rock\" And Rating Like \"***\" And "
            "DateUpdated > #12/31/2024# - 180 And Year > \"1970\" And TrackNum < 10) Order By Artist, SongName");
        const char *plainSql =
            "SELECT * FROM tblContacts WHERE Genre = 'Rock' AND Rating = '***' AND "
            "DateUpdated > datetime('2024-12-31', '-180 days') AND Year > '1970' AND TrackNum < 10 "
            "ORDER BY Artist, SongName";
        long rows = 0;
        const double l = bestMs(3, [&] {
            auto rs = layer->openRecordset(jet);
            rows = 0;
            for (long p = 0; p < rs->recordCount(); ++p, ++rows)
                for (int c = 0; c < rs->fieldCount(); ++c) (void)rs->valueAt(p, c);
        });
        const double p = bestMs(3, [&] {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(plain, plainSql, -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(s); ++c) (void)sqlite3_column_text(s, c);
            sqlite3_finalize(s);
        });
        report(qPrintable(QStringLiteral("filter of five criteria with date arithmetic (%1 rows)").arg(rows)), l, p);
    }
    sqlite3_close(plain);
    return 0;
}
