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
//     a prepared INSERT).
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
    sqlite3_close(plain);
    return 0;
}
