// The indexes that cover the grid's sorts on text fields: each such sort reads its order from
// its index instead of sorting every row, the order is the one the catalogue gives without them,
// and a catalogue made before them opens (read-only too) and gets them at its next compaction.
#include "platform/db/SampleCatalogue.h"

#include "core/CatalogueSchema.h"
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
    // The table's own indexes, as the layer shows them, are the ones the schema names.
    auto table = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    for (const TextSort &t : kTextSorts)
        EXPECT_DB_ERROR(3800, table->setIndex(QString::fromLatin1(t.index).mid(12)));
    table->setIndex(QStringLiteral("Artist"));
}

} // namespace
