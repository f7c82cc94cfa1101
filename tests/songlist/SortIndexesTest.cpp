// The indexes that cover the grid's sorts on text fields: each such sort reads its order from
// its index instead of sorting every row, the order is the one the catalogue gives without them,
// and a catalogue made before them opens (read-only too) and gets them at its next compaction.
// A category view starts from the category's own songs. Songs that tie on every key of a sort come in one order in every view, with or without them.
#include "platform/db/SampleCatalogue.h"

#include "common/TestRng.h"
#include "core/CatalogueSchema.h"
#include "core/DuplicateQueries.h"
#include "songlist/SortOrders.h"

#include <QFile>

using namespace platform::db;
using songlist::SortOrders;

namespace {

struct TextSort {
    const char *sort;
    const char *index;
};
const TextSort kTextSorts[] = {
    {"Album Name", "tblContacts_SortAlbum"},   {"Artist", "tblContacts_SortArtist"},
    {"Composer", "tblContacts_SortComposer"}, {"Genre", "tblContacts_SortGenre"},
    {"Rating", "tblContacts_SortRating"},     {"Song Name", "tblContacts_SortSong"},
    {"Year", "tblContacts_SortYear"},
};

class SortIndexesTest : public SampleDbTest {
protected:
    // The sort indexes the catalogue holds, by name.
    QStringList sortIndexes() {
        QStringList out;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db->handle(),
                           "SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE 'tblContacts\\_Sort%' "
                           "ESCAPE '\\' ORDER BY name",
                           -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }

    // The catalogue as an older program made it: the same, without the sort indexes.
    void dropSortIndexes() {
        for (const TextSort &t : kTextSorts)
            sample::run(db->handle(), (std::string("DROP INDEX ") + t.index).c_str());
    }

    // The songs' RecordIDs in the grid's order of one sort, as the grid's dynaset reads them.
    QList<qint64> order(const QString &sort, const QString &where = {}) {
        auto rs = open(QStringLiteral("Select * from  tblContacts") + where + SortOrders::lookup(sort).orderBy);
        QList<qint64> ids;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            ids << rs->value("RecordID").toLongLong();
        return ids;
    }

    std::map<QString, QList<qint64>> everyOrder() {
        std::map<QString, QList<qint64>> out;
        for (const auto &s : SortOrders::all()) {
            out[s.name] = order(s.name);
            out[s.name + QStringLiteral(" (marked)")] = order(s.name, QStringLiteral(" Where Selected = 'x' "));
        }
        return out;
    }

    QString plan(const QString &jetSql) {
        sqlite3_stmt *s = nullptr;
        const QByteArray sql = ("EXPLAIN QUERY PLAN " + db->translate(jetSql)).toUtf8();
        sqlite3_prepare_v2(db->handle(), sql.constData(), -1, &s, nullptr);
        QString out;
        while (s && sqlite3_step(s) == SQLITE_ROW)
            out += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 3))) + u'\n';
        sqlite3_finalize(s);
        return out;
    }
};

TEST_F(SortIndexesTest, EachTextSortReadsItsOrderFromItsIndexWithoutATemporarySort) {
    for (const TextSort &t : kTextSorts) {
        const QString orderBy = SortOrders::lookup(QString::fromLatin1(t.sort)).orderBy;
        // The grid's rows, the key list a dynaset reads, and the marked songs' view.
        for (const QString &select : {QStringLiteral("Select * from  tblContacts"),
                                      QStringLiteral("Select RecordID from tblContacts"),
                                      QStringLiteral("Select * from  tblContacts Where Selected = 'x' ")}) {
            const QString p = plan(select + orderBy);
            EXPECT_TRUE(p.contains(QString::fromLatin1(t.index))) << t.sort << ": " << p.toStdString();
            EXPECT_FALSE(p.contains(QLatin1String("TEMP B-TREE"))) << t.sort << ": " << p.toStdString();
        }
    }
}

// The grid's view of a find or a filter that no index answers reads its songs' keys in one pass
// and sorts the ones that pass, instead of walking a sort index and looking up every song on the
// way to test it.
TEST_F(SortIndexesTest, AFilteredViewReadsItsKeysInOnePassRatherThanWalkingASortIndexSongBySong) {
    std::vector<std::string> ran;
    const auto keep = [](unsigned, void *list, void *stmt, void *) {
        static_cast<std::vector<std::string> *>(list)->push_back(sqlite3_sql(static_cast<sqlite3_stmt *>(stmt)));
        return 0;
    };
    for (const TextSort &t : kTextSorts) {
        ran.clear();
        sqlite3_trace_v2(db->handle(), SQLITE_TRACE_STMT, keep, &ran);
        auto rs = open(QStringLiteral("Select DISTINCTROW * from  tblContacts Where  (SongName Like \"*e*\" Or Notes Like \"*e*\") ") +
                       SortOrders::lookup(QString::fromLatin1(t.sort)).orderBy);
        rs->moveLast();
        sqlite3_trace_v2(db->handle(), 0, nullptr, nullptr);
        int keyLists = 0;
        for (const std::string &sql : ran) {
            if (sql.rfind("SELECT", 0) != 0 || sql.find(" ORDER BY ") == std::string::npos) continue;
            ++keyLists;
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(db->handle(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr);
            while (s && sqlite3_step(s) == SQLITE_ROW) {
                const std::string detail = reinterpret_cast<const char *>(sqlite3_column_text(s, 3));
                EXPECT_EQ(detail.find(" USING INDEX "), std::string::npos) << t.sort << ": " << detail << "\n" << sql;
            }
            sqlite3_finalize(s);
        }
        EXPECT_GT(keyLists, 0) << t.sort;
    }
}

// A category view of a few songs reads them from the category's links and sorts those, instead of
// walking a sort index over every song and looking each one up among the links.
TEST_F(SortIndexesTest, ACategoryViewStartsFromTheCategorysSongsInEverySort) {
    for (const auto &sort : SortOrders::all()) {
        const QString p = plan(QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 2 ") + sort.orderBy);
        EXPECT_TRUE(p.contains(QLatin1String("tblCategoryID_Category"))) << sort.name.toStdString() << ": " << p.toStdString();
        EXPECT_FALSE(p.contains(QLatin1String("SCAN tblContacts"))) << sort.name.toStdString() << ": " << p.toStdString();
    }
}

TEST_F(SortIndexesTest, EverySortGivesTheSameRowsInTheSameOrderAsWithoutTheSortIndexes) {
    const auto withIndexes = everyOrder();
    dropSortIndexes();
    db->close();
    db = Database::open(path);
    ASSERT_TRUE(sortIndexes().isEmpty());
    const auto without = everyOrder();
    for (const auto &[sort, ids] : withIndexes) {
        EXPECT_EQ(ids.size(), sort.endsWith(QLatin1String("(marked)")) ? 3 : sample::kSongCount) << sort.toStdString();
        EXPECT_EQ(ids, without.at(sort)) << sort.toStdString();
    }
}

TEST_F(SortIndexesTest, ACatalogueMadeWithoutThemOpensReadOnlyAndGetsThemAtCompaction) {
    const auto before = everyOrder();
    dropSortIndexes();
    sample::run(db->handle(), "DROP INDEX tblCategoryID_Category");
    db->close();
    db.reset();

    // Read-only, it opens and sorts as before, and opening adds nothing to it (run as root, the
    // file stays writable to the test, so this checks that opening never builds the indexes).
    QFile::setPermissions(path, QFile::ReadOwner);
    db = Database::open(path);
    EXPECT_EQ(everyOrder(), before);
    EXPECT_TRUE(sortIndexes().isEmpty());
    db->close();
    db.reset();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    Database::compactDatabase(path, QString(), core::CatalogueSchema::sql());
    db = Database::open(path);
    QStringList all;
    for (const TextSort &t : kTextSorts)
        all << QString::fromLatin1(t.index);
    all.sort();
    EXPECT_EQ(sortIndexes(), all);
    EXPECT_EQ(everyOrder(), before);
    // The category's links get their index too.
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'tblCategoryID_Category'")), QStringLiteral("1"));
    // The table's own indexes, as the layer shows them, are the ones the schema names.
    auto table = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    for (const TextSort &t : kTextSorts)
        EXPECT_DB_ERROR(3800, table->setIndex(QString::fromLatin1(t.index).mid(12)));
    table->setIndex(QStringLiteral("Artist"));
}

// A catalogue where most songs tie on every key of most sorts: each field takes one of two or
// three values (or Null), drawn by a fixed seed, and every song has its own file name.
void fillTies(Database &database, int count) {
    sqlite3 *h = database.handle();
    testenv::Rng rng(48);
    const auto pick = [&rng](std::initializer_list<const char *> values) { return *(values.begin() + rng.below(quint32(values.size()))); };
    sample::run(h, "BEGIN");
    for (int n = 0; n < count; ++n) {
        const char *v[] = {
            pick({"Angel", "Blue", nullptr}), pick({"Abba", "Queen", "Cher"}), pick({"One", "Two"}),
            pick({"Bach", nullptr}), pick({"Rock", "Pop", nullptr}), pick({"1975", "1980", nullptr}),
            pick({"00:03:00", "00:04:00"}), pick({"120", "90"}), pick({"128 kbps", "320 kbps"}), pick({"MP3", "FLAC"}),
            pick({"3.0 MB", "4.0 MB"}), pick({"/m/a/", "/m/b/"}), pick({"*", "**", nullptr}), pick({"S1", "S2", nullptr}),
            pick({"c1", "c2"}), pick({"2020-01-05 00:00:00", "2021-03-01 00:00:00", nullptr}),
            pick({"2019-05-05 00:00:00", nullptr}), pick({"m1", "m2"}), pick({"n1", "n2"}), pick({"o1", nullptr}),
            pick({"x", " "}), pick({"2024-01-01 10:00:00", "2024-02-02 11:00:00", "2023-12-31 09:00:00"})};
        QString sql = QStringLiteral(
            "INSERT INTO tblContacts (SongName, Artist, AlbumName, Composer, Genre, Year, Duration, BPM, bitRate, FileType, "
            "FileSize, PathName, Rating, ID, Code, PurchaseDate, Date2, MiscField1, MiscField2, MiscField3, Selected, "
            "DateUpdated, TrackNum, FileSizeNum, FileName) VALUES (");
        for (const char *x : v)
            sql += x ? QStringLiteral("'%1', ").arg(QLatin1String(x)) : QStringLiteral("NULL, ");
        const quint32 track = rng.below(3);
        sql += (track ? QString::number(track) : QStringLiteral("NULL")) + QStringLiteral(", %1, 'tie%2.mp3')")
                                                                              .arg(rng.below(2) ? 3.5 : 4.25)
                                                                              .arg(n);
        sample::run(h, sql.toUtf8().constData());
    }
    sample::run(h, "INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 1 FROM tblContacts WHERE RecordID % 3 = 0 "
                   "AND RecordID > 100");
    sample::run(h, "COMMIT");
}

// The sort's keys as plain SQLite names them, ended by RecordID in the direction of the last.
QString oracleKeys(const songlist::SortOrder &sort) {
    QStringList keys;
    for (const QString &k : sort.orderBy.mid(QStringLiteral(" Order By ").size()).split(QStringLiteral(", ")))
        keys << QStringLiteral("tblContacts.") + QString(k).remove(QLatin1String("tblContacts!"));
    keys << QStringLiteral("tblContacts.RecordID") + (keys.last().endsWith(QLatin1String(" DESC")) ? QStringLiteral(" DESC") : QString());
    return keys.join(QStringLiteral(", "));
}

// Every view the layer sorts the songs for: the grid under a few filters and in a category, the
// player's snapshot of the grid, a list report, and the duplicate views, each beside the order
// plain SQLite gives it with RecordID as the last key.
struct View {
    QString jet;
    QString oracle;
    QString label;
};

std::vector<View> everyView() {
    struct Filter {
        const char *jet, *sql;
    };
    const Filter filters[] = {
        {"", ""},
        {" Where  (Genre = \"Rock\") ", " WHERE Genre = 'Rock'"},
        {" Where  (Artist Like \"q*\" Or Year = \"1980\") ", " WHERE (Artist LIKE 'q%' OR Year = '1980')"},
        {" Where Selected = 'x' ", " WHERE Selected = 'x'"},
    };
    std::vector<View> out;
    for (const auto &sort : SortOrders::all()) {
        const QString keys = oracleKeys(sort);
        for (const Filter &f : filters) {
            const QString jet = (QString::fromLatin1(f.jet).isEmpty() ? QStringLiteral("Select * from  tblContacts")
                                                                      : QStringLiteral("Select distinctrow * from  tblContacts")) +
                                QString::fromLatin1(f.jet) + sort.orderBy;
            const QString oracle = QStringLiteral("SELECT FileName FROM tblContacts") + QString::fromLatin1(f.sql) +
                                   QStringLiteral(" ORDER BY ") + keys;
            out.push_back({jet, oracle, sort.name});
            // The player's and the copy's snapshot of the grid's rows.
            out.push_back({jet.toLower().replace(QLatin1String(" * from "), QLatin1String(" FileName, PathName, SongName, Artist from ")),
                           oracle, sort.name + QStringLiteral(" (player)")});
        }
        out.push_back({QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 1 ") + sort.orderBy,
                       QStringLiteral("SELECT tblContacts.FileName FROM tblContacts JOIN tblCategoryID ON tblContacts.RecordID = tblCategoryID.ID WHERE "
                                      "CategoryNumber = 1 ORDER BY ") + keys,
                       sort.name + QStringLiteral(" (category)")});
    }
    for (const char *tail : {" Order By Artist, SongName ", " Order By SongName, Artist ", " Order By PathName, FileName "}) {
        const QString keys = QString::fromLatin1(tail).mid(10).trimmed();
        out.push_back({QStringLiteral("Select Artist, SongName, PathName, FileName, Duration from qryContacts  Where Selected = 'x' ") +
                           QString::fromLatin1(tail),
                       QStringLiteral("SELECT tblContacts.FileName FROM tblContacts JOIN tblCategoryID ON tblContacts.RecordID = tblCategoryID.ID WHERE Selected = 'x' "
                                      "ORDER BY ") + keys + QStringLiteral(", RecordID"),
                       QStringLiteral("report") + QString::fromLatin1(tail)});
    }
    const QString groups = QStringLiteral(
        "SELECT FileName FROM tblContacts JOIN (SELECT Artist AS a, SongName AS s, %1 AS k, min(RecordID) AS first FROM tblContacts "
        "GROUP BY Artist, SongName, %1 HAVING count(SongName) > 1) ON Artist = a AND SongName = s AND %1 = k %2"
        "ORDER BY Artist, SongName, %1, RecordID");
    for (const char *field : {"FileSize", "AlbumName"}) {
        const QString album = QLatin1String(field) == QLatin1String("AlbumName") ? QStringLiteral("Album") : QString();
        out.push_back({QStringLiteral("qryDuplicateSongs") + album, groups.arg(QLatin1String(field), QString()),
                       QStringLiteral("duplicates ") + QLatin1String(field)});
        out.push_back({QStringLiteral("qryShowDuplicatesToBeDeleted") + album,
                       groups.arg(QLatin1String(field), QStringLiteral("WHERE RecordID <> first ")),
                       QStringLiteral("duplicates to delete ") + QLatin1String(field)});
    }
    return out;
}

TEST_F(SortIndexesTest, SongsThatTieOnEveryKeyComeInRecordIdOrderInEveryViewAndRecordsetWithOrWithoutTheIndexes) {
    sample::run(db->handle(), "DELETE FROM tblContacts; DELETE FROM tblCategoryID");
    fillTies(*db, 400);
    core::createDuplicateQueries(*db);
    const auto oracle = [this](const QString &sql) {
        QStringList out;
        sqlite3_stmt *s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db->handle(), sql.toUtf8().constData(), -1, &s, nullptr), SQLITE_OK) << sql.toStdString();
        while (s && sqlite3_step(s) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    };
    const std::vector<View> views = everyView();
    for (const bool withIndexes : {true, false}) {
        if (!withIndexes) {
            dropSortIndexes();
            db->close();
            db = Database::open(path);
        }
        for (const View &v : views) {
            const QStringList expected = oracle(v.oracle);
            ASSERT_GT(expected.size(), 3) << v.label.toStdString();
            for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
                auto rs = open(v.jet, type);
                EXPECT_EQ(column(*rs, QStringLiteral("FileName")), expected)
                    << v.label.toStdString() << (type == RecordsetType::Dynaset ? " dynaset" : " snapshot")
                    << (withIndexes ? "" : ", without the sort indexes") << "\n" << v.jet.toStdString();
            }
        }
    }
}

} // namespace
