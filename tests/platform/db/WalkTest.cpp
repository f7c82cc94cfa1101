// Walks of every row (reports, exports, the missing-files scan, bulk changes) read rows ahead;
// what is written meanwhile must show in the rows still to come.
#include "platform/db/SampleCatalogue.h"

#include <QHash>
#include <algorithm>

using namespace platform::db;

namespace {

using Walks = SampleDbTest;

TEST_F(Walks, RowsChangedOrDeletedDuringAWalkShowAsTheyAreNow) {
    for (const char *source : {"Select * from tblContacts Order By RecordID", "tblContacts"}) {
        const bool table = QLatin1String(source) == QLatin1String("tblContacts");
        auto walk = open(QString::fromLatin1(source), table ? RecordsetType::Table : RecordsetType::Dynaset);
        if (table) walk->setIndex(QStringLiteral("PrimaryKey"));
        walk->moveFirst();
        for (int i = 0; i < 6; ++i, walk->moveNext()) // far enough to read ahead
            EXPECT_EQ(walk->value(QStringLiteral("RecordID")).toLongLong(), i + 1);
        const QString tag = QString::fromLatin1(table ? "table" : "dynaset");
        db->execute(QStringLiteral("Update tblContacts Set SongName = ? Where RecordID = 10"), {tag});
        // A row ahead edited through another recordset of the same table.
        auto editor = db->openRecordset(QStringLiteral("Select RecordID, SongName from tblContacts Where RecordID = 11"));
        editor->edit();
        editor->setValue(QStringLiteral("SongName"), tag + QStringLiteral(" 11"));
        editor->update();
        auto other = db->openRecordset(QStringLiteral("Select * from tblContacts Where RecordID = ?"), QVariantList{table ? 13 : 12});
        other->deleteRecord();
        QStringList seen;
        for (; !walk->eof(); walk->moveNext()) {
            try {
                seen << walk->value(QStringLiteral("SongName")).toString();
            } catch (const DbError &e) {
                seen << QString::number(e.number());
            }
        }
        EXPECT_EQ(seen.value(3), tag) << source;
        EXPECT_EQ(seen.value(4), tag + QStringLiteral(" 11")) << source;
        // A dynaset keeps the deleted row's place and says so; a table-type recordset moves on.
        if (!table) {
            EXPECT_EQ(seen.value(5), QStringLiteral("3167")) << source;
        }
        EXPECT_EQ(seen.size(), table ? 14 : 16) << source;
    }
}

// The missing-files scan walks every song and adds a row elsewhere for some; an edit walk
// changes each row it passes. Both see every row once, with its own values.
TEST_F(Walks, EditAndAddWalksVisitEveryRowOnceWithItsOwnValues) {
    Transaction t(*db);
    auto walk = open(QStringLiteral("Select RecordID, TrackNum, PathName From tblContacts Order By PathName, RecordID"));
    auto orphans = open(QStringLiteral("tblOrphanFileNames"));
    QList<qint64> ids;
    long n = 0;
    for (walk->moveFirst(); !walk->eof(); walk->moveNext(), ++n) {
        const qint64 id = walk->value(0).toLongLong();
        ids << id;
        walk->edit();
        walk->setValue(QStringLiteral("TrackNum"), 100 + id);
        walk->update();
        EXPECT_EQ(walk->value(QStringLiteral("TrackNum")).toLongLong(), 100 + id);
        if (n % 3 == 0) {
            orphans->addNew();
            orphans->setValue(QStringLiteral("RecordIdOrphan"), id);
            orphans->update();
        }
    }
    t.commit();
    QList<qint64> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted.size(), sample::kSongCount);
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE TrackNum = 100 + RecordID")),
              QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblOrphanFileNames")), QStringLiteral("10"));
}

// A list without a sort, or sorted by RecordID, gives its rows in RecordID order, also where
// SQLite reads the row ids from an index in that index's order (the one answering the condition,
// or the narrowest), with RecordIDs close together and with one far above the rest. A sort names
// the table's fields: one the SELECT gives another field's name still sorts by RecordID.
TEST_F(Walks, AListWithoutASortKeepsRecordIdOrderWhereAnIndexOrdersOtherwise) {
    const auto plainIds = [&](const char *sql) {
        QStringList ids;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db->handle(), sql, -1, &s, nullptr);
        while (s && sqlite3_step(s) == SQLITE_ROW) ids << QString::number(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        return ids;
    };
    const QStringList inIndexOrder = plainIds("SELECT rowid FROM tblContacts WHERE SongName > ' '");
    QStringList ascending = inIndexOrder;
    std::sort(ascending.begin(), ascending.end(), [](const QString &a, const QString &b) { return a.toLongLong() < b.toLongLong(); });
    ASSERT_NE(inIndexOrder, ascending); // SQLite answers the condition from the SongName index
    for (const bool farApart : {false, true}) {
        if (farApart)
            db->execute(QStringLiteral("Insert Into tblContacts (RecordID, SongName, Artist) Values (50000000, 'Aardvark', 'Aa')"));
        const struct {
            const char *source, *plain, *field = "RecordID";
        } cases[] = {
            {"Select RecordID, SongName from tblContacts Where SongName > ' '",
             "SELECT RecordID FROM tblContacts WHERE SongName > ' ' ORDER BY RecordID"},
            {"Select RecordID from tblContacts", "SELECT RecordID FROM tblContacts ORDER BY RecordID"},
            {"Select * from tblContacts Where Artist = 'Queen' Or SongName = 'Aardvark'",
             "SELECT RecordID FROM tblContacts WHERE Artist = 'Queen' OR SongName = 'Aardvark' ORDER BY RecordID"},
            {"Select RecordID, SongName from tblContacts Where SongName > ' ' Order By RecordID",
             "SELECT RecordID FROM tblContacts WHERE SongName > ' ' ORDER BY RecordID"},
            {"Select * from tblContacts Order By tblContacts.RecordID Asc", "SELECT RecordID FROM tblContacts ORDER BY RecordID"},
            {"Select RecordID from tblContacts Order By RecordID Desc", "SELECT RecordID FROM tblContacts ORDER BY RecordID DESC"},
            {"Select SongName, RecordID from tblContacts Order By [RecordID]", "SELECT RecordID FROM tblContacts ORDER BY RecordID"},
            {"Select SongName As RecordID, RecordID As Num from tblContacts Order By RecordID",
             "SELECT RecordID FROM tblContacts ORDER BY RecordID", "Num"},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.source);
            EXPECT_EQ(column(QString::fromLatin1(c.source), QString::fromLatin1(c.field)), plainIds(c.plain)) << farApart;
        }
    }
}

// Enough songs with few artists that a walk in Artist order meets long runs of ties, and steps
// one statement through them rather than reading rows by key.
void addSongs(Database &db, int count) {
    QList<QVariantList> rows;
    for (int i = 0; i < count; ++i)
        rows << QVariantList{QStringLiteral("Song %1").arg(i), QStringLiteral("Artist %1").arg(i % 7), i % 20};
    db.executeEach(QStringLiteral("Insert Into tblContacts (SongName, Artist, TrackNum) Values (?, ?, ?)"), rows);
}

// A walk over a few of the fields, in a sort with ties, that edits every row it passes, adds
// rows to its own recordset and to another table: every row is met once, in the recordset's
// order, with the values as they are now (its own edits included), and the rows it added at the end.
TEST_F(Walks, ColumnSubsetWalkSeesItsOwnEditsAndAddNewsInItsOrder) {
    addSongs(*db, 600);
    for (const char *source : {"Select RecordID, Artist, TrackNum From tblContacts Order By Artist",
                               "Select RecordID, TrackNum From tblContacts Order By RecordID", "tblContacts"}) {
        const bool table = QLatin1String(source) == QLatin1String("tblContacts");
        Transaction t(*db);
        auto walk = open(QString::fromLatin1(source), table ? RecordsetType::Table : RecordsetType::Dynaset);
        if (table) walk->setIndex(QStringLiteral("Artist"));
        QList<qint64> order;
        for (long p = 0; p < walk->recordCount(); ++p) order << walk->valueAt(p, walk->fieldOrdinal(QStringLiteral("RecordID"))).toLongLong();
        auto orphans = open(QStringLiteral("tblOrphanFileNames"));
        QList<qint64> seen, added;
        long n = 0;
        for (walk->moveFirst(); !walk->eof(); walk->moveNext(), ++n) {
            const qint64 id = walk->value(QStringLiteral("RecordID")).toLongLong();
            seen << id;
            // A row further on changed by another statement shows changed when the walk gets there.
            if (n == 100 && order.size() > 200)
                db->execute(QStringLiteral("Update tblContacts Set TrackNum = 7000 Where RecordID = ?"), QVariantList{order[200]});
            if (n == 200 && !table) {
                EXPECT_EQ(walk->value(QStringLiteral("TrackNum")).toLongLong(), 7000) << source;
            }
            walk->edit();
            walk->setValue(QStringLiteral("TrackNum"), 1000 + id);
            walk->update();
            EXPECT_EQ(walk->value(QStringLiteral("TrackNum")).toLongLong(), 1000 + id) << source;
            if (n % 50 == 0) {
                orphans->addNew();
                orphans->setValue(QStringLiteral("RecordIdOrphan"), id);
                orphans->update();
            }
            if (!table && n % 97 == 0 && added.size() < 3) {
                const Bookmark here = walk->bookmark();
                walk->addNew();
                walk->setValue(QStringLiteral("TrackNum"), 5);
                walk->update();
                walk->setBookmark(walk->lastModified());
                added << walk->value(QStringLiteral("RecordID")).toLongLong();
                walk->setBookmark(here);
            }
        }
        t.commit();
        // Rows added through the walk come after the rows it had; the rest keep the list's order.
        if (table) {
            QList<qint64> a = seen, b = order;
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            EXPECT_EQ(a, b) << source;
        } else {
            EXPECT_EQ(seen, order + added) << source;
        }
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE TrackNum = 1000 + RecordID")),
                  QString::number(seen.size()))
            << source;
    }
}

// A walk left part-way must not hold the catalogue as it was: a write from another program in
// between, then a write through the walk's own connection, must not fail for a stale snapshot.
TEST_F(Walks, AWalkLeftPartWayLetsLaterWritesTakeAFreshSnapshot) {
    addSongs(*db, 300);
    auto walk = open(QStringLiteral("Select RecordID, SongName, TrackNum From tblContacts Order By RecordID"));
    walk->moveFirst();
    for (int i = 0; i < 10; ++i, walk->moveNext()) (void)walk->value(QStringLiteral("SongName"));
    auto other = Database::open(path);
    other->execute(QStringLiteral("Update tblContacts Set SongName = 'changed elsewhere' Where RecordID = 1"));
    walk->edit();
    walk->setValue(QStringLiteral("TrackNum"), 77);
    EXPECT_NO_THROW(walk->update());
    EXPECT_NO_THROW(db->beginTrans());
    EXPECT_NO_THROW(db->execute(QStringLiteral("Update tblContacts Set TrackNum = 78 Where RecordID = 2")));
    EXPECT_NO_THROW(db->commitTrans());
    EXPECT_EQ(raw(QStringLiteral("SELECT SongName || '/' || (SELECT TrackNum FROM tblContacts WHERE RecordID = 11) FROM tblContacts WHERE RecordID = 1")),
              QStringLiteral("changed elsewhere/77"));
}

// The player finds the playing song on its snapshot by path and file name with bound values;
// the match is by each field's own collation (paths exactly, other texts case-blind but not
// accent-blind), and the same again once the snapshot has indexed the field.
TEST_F(Walks, SnapshotFindWithBoundValuesMatchesByTheFieldsCollation) {
    struct Case {
        const char *criteria;
        QVariantList values;
        QList<qint64> ids; // every match, in order
    };
    const Case cases[] = {
        {"PathName = ? And FileName = ?", {QStringLiteral("/music/Beatles/"), QStringLiteral("Yesterday.mp3")}, {3}},
        {"PathName = ? And FileName = ?", {QStringLiteral("/music/Björk/"), QStringLiteral("hunter.flac")}, {9}},
        {"PathName = ? And FileName = ?", {QStringLiteral("/MUSIC/Björk/"), QStringLiteral("hunter.flac")}, {}},
        {"Artist = ? And [SongName] = ?", {QStringLiteral("the BEATLES"), QStringLiteral("YESTERDAY")}, {3, 4, 5, 6}},
        {"Artist = ?", {QStringLiteral("ÉDITH PIAF")}, {10, 11}},
        {"Artist = ?", {QStringLiteral("Edith Piaf")}, {}},
        {"Artist = ?", {QStringLiteral("björk")}, {7, 8, 9}},
        {"TrackNum = ? And Artist = ?", {13, QStringLiteral("The Beatles")}, {3, 4, 5, 6}},
    };
    auto snap = open(QStringLiteral("Select * from tblContacts Order By RecordID"), RecordsetType::Snapshot);
    for (int round = 0; round < 2; ++round) {
        for (const Case &c : cases) {
            const QString criteria = QString::fromLatin1(c.criteria);
            QList<qint64> forward, backward;
            for (snap->findFirst(criteria, c.values); !snap->noMatch(); snap->findNext(criteria, c.values))
                forward << snap->value(QStringLiteral("RecordID")).toLongLong();
            for (snap->findLast(criteria, c.values); !snap->noMatch(); snap->findPrevious(criteria, c.values))
                backward.prepend(snap->value(QStringLiteral("RecordID")).toLongLong());
            EXPECT_EQ(forward, c.ids) << c.criteria << " round " << round;
            EXPECT_EQ(backward, c.ids) << c.criteria << " round " << round;
        }
    }
}

// A report or export reads rows one after the other from one statement that walks the view; a
// view only looked at (the grid's current row after a filter) must not pay for preparing it.
TEST_F(Walks, ARowReadAloneCostsNoWalkAndARunOfRowsReadsFromOne) {
    addSongs(*db, 300);
    // The walk's statements on the connection: prepared at all, and standing on a row.
    const auto walks = [this](bool standing) {
        int n = 0;
        for (sqlite3_stmt *s = sqlite3_next_stmt(db->handle(), nullptr); s; s = sqlite3_next_stmt(db->handle(), s))
            if (QByteArray(sqlite3_sql(s)).contains("LIMIT -1 OFFSET") && (!standing || sqlite3_stmt_busy(s))) ++n;
        return n;
    };
    for (const char *source : {"Select RecordID, SongName From tblContacts Order By SongName",
                               "Select * from tblContacts Order By tblContacts!SongName"}) {
        auto rs = open(QString::fromLatin1(source));
        rs->moveFirst();
        (void)rs->value(QStringLiteral("SongName"));
        EXPECT_EQ(walks(false), 0) << source;
        for (int i = 0; i < 10; ++i) {
            rs->moveNext();
            (void)rs->value(QStringLiteral("SongName"));
        }
        EXPECT_EQ(walks(true), 1) << source;
    }
}

// A kept view (what reports, the export and the player read) holds the grid's rows in the
// grid's order as they were when it was taken, reads only its fields, leaves the grid where it
// is, and is read-only; a row deleted since reads as Null, as the grid read by position does.
TEST_F(Walks, AKeptViewHoldsTheGridsRowsInItsOrderAndReadsOnlyItsFields) {
    addSongs(*db, 300);
    struct Case {
        const char *source;
        QVariantList values;
    };
    const Case cases[] = {{"Select * from tblContacts Order By Artist, SongName", {}},
                          {"Select * from tblContacts Where TrackNum < ? Order By tblContacts!Year, Artist, SongName", {5}},
                          {"Select * from tblContacts", {}}};
    for (const Case &c : cases) {
        auto grid = db->openRecordset(QString::fromLatin1(c.source), c.values);
        grid->setAbsolutePosition(3);
        auto view = grid->keptView(QStringList{QStringLiteral("SongName"), QStringLiteral("artist")});
        ASSERT_TRUE(view) << c.source;
        auto select = grid->keptView(QStringLiteral("Select RecordID, SongName from tblContacts") +
                                     QString::fromLatin1(c.source).mid(int(qstrlen("Select * from tblContacts"))));
        ASSERT_TRUE(select) << c.source;
        const qint64 gone = grid->valueAt(7, grid->fieldOrdinal(QStringLiteral("RecordID"))).toLongLong();
        db->execute(QStringLiteral("Delete From tblContacts Where RecordID = ?"), QVariantList{gone});
        db->execute(QStringLiteral("Insert Into tblContacts (SongName, Artist, TrackNum) Values ('A', 'A', 1)"));
        ASSERT_EQ(view->recordCount(), grid->recordCount()) << c.source;
        EXPECT_EQ(view->fieldCount(), 2);
        EXPECT_EQ(view->fieldName(1), QStringLiteral("Artist"));
        for (long p = 0; p < view->recordCount(); ++p) {
            const QVariant song = view->valueAt(p, 0);
            EXPECT_EQ(song, grid->valueAt(p, grid->fieldOrdinal(QStringLiteral("SongName")))) << c.source << " at " << p;
            EXPECT_EQ(view->valueAt(p, 1), grid->valueAt(p, grid->fieldOrdinal(QStringLiteral("Artist")))) << c.source;
            EXPECT_EQ(select->valueAt(p, 1), song) << c.source;
            if (p == 7) {
                EXPECT_TRUE(song.isNull()) << c.source;
            }
        }
        long walked = 0;
        for (select->moveFirst(); !select->eof(); select->moveNext(), ++walked) {
            if (walked != 7) {
                EXPECT_EQ(select->value(1), grid->valueAt(walked, grid->fieldOrdinal(QStringLiteral("SongName")))) << c.source;
            }
        }
        EXPECT_EQ(walked, grid->recordCount()) << c.source;
        EXPECT_EQ(grid->absolutePosition(), 3) << c.source;
        EXPECT_FALSE(view->updatable());
        EXPECT_DB_ERROR(3027, view->edit());
    }
    // Fields that are not the grid's, or a select over other rows, give no view.
    auto grid = db->openRecordset(QStringLiteral("Select RecordID, SongName from tblContacts Order By SongName"));
    EXPECT_FALSE(grid->keptView(QStringList{QStringLiteral("Artist")}));
    EXPECT_FALSE(grid->keptView(QStringLiteral("Select CategoryNumber from tblCategoryID")));
}

} // namespace
