// Recordset behaviour the program relies on: positions and bookmarks, writes through selects
// and joins, value conversion, counters and the schema's names.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/RecordsetImpl.h"

#include <QDateTime>
#include <cmath>
#include <functional>
#include <limits>

using namespace platform::db;

namespace {

TEST_F(SampleDbTest, NavigationFollowsDaoRules) {
    auto empty = open(QStringLiteral("Select * from tblContacts Where RecordID = 0"));
    EXPECT_TRUE(empty->bof());
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);
    EXPECT_DB_ERROR(err::NoCurrentRecord, empty->moveFirst());
    EXPECT_DB_ERROR(err::NoCurrentRecord, empty->moveNext());
    EXPECT_DB_ERROR(err::NoCurrentRecord, empty->value("SongName"));

    auto rs = open(QStringLiteral("Select * from tblContacts Where Artist = 'Queen' Order By SongName"));
    EXPECT_EQ(rs->recordCount(), 3); // exact without MoveLast
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Bohemian Rhapsody"));
    rs->move(2);
    EXPECT_EQ(rs->absolutePosition(), 2);
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_DB_ERROR(err::NoCurrentRecord, rs->moveNext());
    rs->moveLast();
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Somebody to Love"));
    rs->move(-5);
    EXPECT_TRUE(rs->bof());
    EXPECT_DB_ERROR(err::NoCurrentRecord, rs->movePrevious());
    rs->setAbsolutePosition(1);
    EXPECT_EQ(rs->value("songname").toString(), QStringLiteral("Love of My Life"));
    EXPECT_DB_ERROR(err::ItemNotFound, rs->value("NoSuchField"));
}

// A forward-only recordset reads its rows once: every way back is refused alike and leaves it
// where it stands; the ways on still work.
TEST_F(SampleDbTest, AForwardOnlyRecordsetRefusesEveryWayBack) {
    const std::pair<const char *, std::function<void(Recordset &, const Bookmark &)>> back[] = {
        {"MovePrevious", [](Recordset &rs, const Bookmark &) { rs.movePrevious(); }},
        {"Move -1", [](Recordset &rs, const Bookmark &) { rs.move(-1); }},
        {"MoveFirst", [](Recordset &rs, const Bookmark &) { rs.moveFirst(); }},
        {"AbsolutePosition", [](Recordset &rs, const Bookmark &) { rs.setAbsolutePosition(0); }},
        {"Bookmark", [](Recordset &rs, const Bookmark &first) { rs.setBookmark(first); }},
        {"FindFirst", [](Recordset &rs, const Bookmark &) { rs.findFirst(QStringLiteral("RecordID > 0")); }},
        {"FindPrevious", [](Recordset &rs, const Bookmark &) { rs.findPrevious(QStringLiteral("RecordID > 0")); }},
        {"FindLast", [](Recordset &rs, const Bookmark &) { rs.findLast(QStringLiteral("RecordID > 0")); }},
    };
    for (const auto &[name, call] : back) {
        auto rs = open(QStringLiteral("Select RecordID, SongName from tblContacts Order By RecordID"), RecordsetType::ForwardOnly);
        const Bookmark first = rs->bookmark();
        rs->moveNext();
        rs->moveNext();
        EXPECT_DB_ERROR(err::OperationNotSupported, call(*rs, first));
        EXPECT_EQ(rs->value("RecordID").toLongLong(), 3) << name;
    }
    auto rs = open(QStringLiteral("Select RecordID, SongName from tblContacts Order By RecordID"), RecordsetType::ForwardOnly);
    rs->moveFirst(); // already there
    rs->move(2);
    rs->findNext(QStringLiteral("RecordID > 4"));
    EXPECT_EQ(rs->value("RecordID").toLongLong(), 5);
    rs->setAbsolutePosition(6);
    rs->moveLast();
    EXPECT_EQ(rs->value("RecordID").toLongLong(), sample::kSongCount);
}

TEST_F(SampleDbTest, BookmarksSurviveDeletesOfOtherRows) {
    auto rs = open(QStringLiteral("Select * from  tblContacts Order By SongName"));
    rs->findFirst(QStringLiteral("SongName = 'Jóga'"));
    const Bookmark jog = rs->bookmark();
    rs->findFirst(QStringLiteral("SongName = 'Hey Jude'"));
    const Bookmark jude = rs->bookmark();
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 7"));
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 2"));
    rs->moveFirst();
    rs->setBookmark(jude);
    EXPECT_EQ(rs->value("RecordID").toLongLong(), 1);
    EXPECT_EQ(rs->positionOf(jude), rs->absolutePosition());
    rs->setBookmark(jog); // the row went away under the recordset
    EXPECT_DB_ERROR(3167, rs->value("SongName"));
    EXPECT_FALSE(rs->valueAt(rs->positionOf(jog), 0).isValid());
    for (long p = 0; p < rs->recordCount(); ++p) EXPECT_EQ(rs->positionOf(rs->bookmarkAt(p)), p);
}

// A list read anew numbers its rows anew: a bookmark from before is refused, never taken to the
// row that now stands where its row stood.
TEST_F(SampleDbTest, ABookmarkFromBeforeARequeryIsRefusedNotLedToAnotherSong) {
    for (const RecordsetType type : {RecordsetType::Snapshot, RecordsetType::Dynaset}) {
        for (const char *source : {"Select * from tblContacts Order By RecordID", "SELECT Genre FROM tblContacts GROUP BY Genre"}) {
            auto rs = open(QString::fromLatin1(source), type);
            SCOPED_TRACE(source);
            rs->setAbsolutePosition(3);
            const Bookmark old = rs->bookmark();
            rs->setAbsolutePosition(1);
            const Bookmark alsoOld = rs->bookmark();
            db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 1"));
            rs->requery();
            EXPECT_DB_ERROR(3159, rs->setBookmark(old));
            EXPECT_DB_ERROR(3159, rs->setBookmark(alsoOld));
            EXPECT_EQ(rs->positionOf(old), -1);
            EXPECT_EQ(rs->absolutePosition(), 0); // where the requery left it
            db->execute(QStringLiteral("Insert Into tblContacts (RecordID, SongName, Genre) Values (1, 'Hey Jude', 'Rock')"));
        }
    }
}

// A row another writer deleted is gone for Delete as for Edit, on every kind of list.
TEST_F(SampleDbTest, DeletingARowAnotherWriterDeletedIsRefusedAsEditIs) {
    struct Case {
        const char *source;
        RecordsetType type;
        bool seek; // placed by Seek rather than by moving
    };
    const Case cases[] = {
        {"Select * from tblContacts Order By RecordID", RecordsetType::Dynaset, false},
        {"Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName", RecordsetType::Dynaset, false},
        {"tblContacts", RecordsetType::Table, true},
        {"tblContacts", RecordsetType::Table, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        auto rs = open(QString::fromLatin1(c.source), c.type);
        if (c.type == RecordsetType::Table) rs->setIndex(QStringLiteral("PrimaryKey"));
        if (c.seek) rs->seek(QStringLiteral("="), {7});
        else rs->findFirst(QStringLiteral("RecordID = 7"));
        ASSERT_FALSE(rs->noMatch());
        db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 7"));
        if (c.type != RecordsetType::Table) {
            EXPECT_DB_ERROR(err::RecordDeleted, rs->edit());
        }
        try {
            rs->deleteRecord();
            ADD_FAILURE() << "a delete of a deleted row reported success";
        } catch (const DbError &e) {
            // A table-type recordset knows the row is gone, as after its own Delete.
            EXPECT_TRUE(e.number() == err::RecordDeleted || (c.type == RecordsetType::Table && e.number() == err::NoCurrentRecord))
                << e.number();
        }
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount - 1));
        db->execute(QStringLiteral("Insert Into tblContacts (RecordID, SongName) Values (7, 'Jóga')"));
    }
}

TEST_F(SampleDbTest, DeleteLeavesNoCurrentRecordAndMoveNextGoesOn) {
    auto rs = open(QStringLiteral("Select * from tblContacts Where Artist = 'Queen' Order By SongName"));
    rs->moveNext();
    rs->deleteRecord();
    EXPECT_DB_ERROR(err::NoCurrentRecord, rs->value("SongName"));
    EXPECT_EQ(rs->recordCount(), 2);
    rs->moveNext();
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Somebody to Love"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID = 17")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 17")), QStringLiteral("1"));
}

// A grid edit, the category rename and the play-list renumbering each update a row they listed
// before; another program may have deleted it meanwhile. Nothing may then be stored as if saved.
TEST_F(SampleDbTest, UpdateOfARowAnotherWriterDeletedGives3167AndStoresNothing) {
    struct Case {
        const char *source, *table, *key, *field, *value;
        RecordsetType type;
    };
    const Case cases[] = {
        {"Select * from tblContacts Order By SongName", "tblContacts", "RecordID = 7", "Rating", "*", RecordsetType::Dynaset},
        {"tblCategoryDesc", "tblCategoryDesc", "CategoryNumber = 2", "CategoryDesc", "Renamed", RecordsetType::Table},
        {"Select SongTitle, ListTrackID From tblPlayListDetail Where ListID=1 order by ListTrackID", "tblPlayListDetail",
         "ListID = 1 And ListTrackID = 2", "ListTrackID", "99", RecordsetType::Dynaset},
    };
    auto other = Database::open(path);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        const QString table = QString::fromUtf8(c.table), key = QString::fromUtf8(c.key);
        auto rs = open(QString::fromUtf8(c.source), c.type);
        if (c.type == RecordsetType::Table) {
            rs->setIndex(QStringLiteral("PrimaryKey"));
            rs->seek(QStringLiteral("="), {2});
        } else {
            rs->findFirst(key.section(QStringLiteral(" And "), -1));
        }
        ASSERT_FALSE(rs->noMatch());
        rs->edit();
        rs->setValue(c.field, QString::fromUtf8(c.value));
        other->execute(QStringLiteral("Delete from %1 Where %2").arg(table, key));
        const QString rows = raw(QStringLiteral("SELECT count(*) FROM %1").arg(table));
        EXPECT_DB_ERROR(err::RecordDeleted, rs->update());
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM %1").arg(table)), rows);
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = '%3'").arg(table, c.field, c.value)),
                  QStringLiteral("0"));
    }
}

TEST_F(SampleDbTest, AddNewKeepsPositionAndShowsItsCounter) {
    auto rs = open(QStringLiteral("Select * from tblContacts Order By SongName"));
    rs->moveLast();
    const Bookmark before = rs->bookmark();
    rs->addNew();
    const qint64 shown = rs->value("RecordID").toLongLong();
    EXPECT_EQ(shown, sample::kSongCount + 1);
    EXPECT_EQ(rs->value("Selected").toString(), QStringLiteral(" ")); // a new song is unmarked
    rs->setValue("SongName", QStringLiteral("New"));
    rs->update();
    EXPECT_EQ(rs->bookmark(), before);
    rs->setBookmark(rs->lastModified());
    EXPECT_EQ(rs->value("RecordID").toLongLong(), shown);
    EXPECT_EQ(rs->value("Selected").toString(), QStringLiteral(" "));
    EXPECT_EQ(rs->recordCount(), sample::kSongCount + 1);
}

TEST_F(SampleDbTest, CountersNeverReuseADeletedKey) {
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = %1").arg(sample::kSongCount));
    db->execute(QStringLiteral("Delete from tblCategoryDesc Where CategoryNumber = 3"));
    db->execute(QStringLiteral("Delete from tblPlayListHeader Where ListID = 2"));
    for (const char *tableField : {"tblContacts|SongName", "tblCategoryDesc|CategoryDesc", "tblPlayListHeader|ListName"}) {
        const QStringList tf = QString::fromLatin1(tableField).split(u'|');
        auto rs = open(tf[0], RecordsetType::Table);
        rs->addNew();
        rs->setValue(tf[1], QStringLiteral("again"));
        rs->update();
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT max(RecordID) FROM tblContacts")), QString::number(sample::kSongCount + 1));
    EXPECT_EQ(raw(QStringLiteral("SELECT max(CategoryNumber) FROM tblCategoryDesc")), QStringLiteral("4"));
    EXPECT_EQ(raw(QStringLiteral("SELECT max(ListID) FROM tblPlayListHeader")), QStringLiteral("3"));
}

// Writes through the grid's views go to the table that owns the field.
TEST_F(SampleDbTest, WritesThroughJoinsActOnTheOwningTable) {
    auto cat = open(QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName"));
    cat->findFirst(QStringLiteral("SongName = 'Jóga'"));
    cat->edit();
    cat->setValue("Selected", QStringLiteral("x"));
    cat->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT Selected FROM tblContacts WHERE RecordID = 7")), QStringLiteral("x"));
    EXPECT_EQ(cat->value("Selected").toString(), QStringLiteral("x"));
    cat->deleteRecord();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID = 7")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 7")), QStringLiteral("1"));

    auto list = open(QStringLiteral("SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON "
                                    "tblContacts.RecordID = tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1 "
                                    " order by tblContacts!SongName"));
    list->edit();
    list->setValue("Rating", QStringLiteral("***"));
    list->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT Rating FROM tblContacts WHERE RecordID = 16")), QStringLiteral("***"));
    list->deleteRecord();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID = 16")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail WHERE ContactRecordID = 16")), QStringLiteral("2"));

    auto missing = open(QStringLiteral("Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = "
                                       "tblOrphanFileNames.RecordIdOrphan  Order By tblContacts!FileName"));
    missing->edit();
    missing->setValue("SongName", QStringLiteral("Gone"));
    missing->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT SongName FROM tblContacts WHERE RecordID = 12")), QStringLiteral("Gone"));
    missing->deleteRecord();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID = 12")), QStringLiteral("0"));
}

// The category view without a category lists a song once per category it is in; each of its
// rows shows the song as it is now, whichever row or statement changed or deleted it.
TEST_F(SampleDbTest, EveryRowOfASongInTheJoinedViewShowsItAsItIsNow) {
    for (const char *source : {"Select * from  qryContacts Order By tblContacts!Year, Artist, SongName", "qryContacts"}) {
        SCOPED_TRACE(source);
        auto rs = open(QString::fromLatin1(source));
        rs->findFirst(QStringLiteral("RecordID = 16 And CategoryNumber = 1"));
        const Bookmark one = rs->bookmark();
        rs->findFirst(QStringLiteral("RecordID = 16 And CategoryNumber = 2"));
        ASSERT_FALSE(rs->noMatch());
        const long two = rs->absolutePosition();
        const Bookmark second = rs->bookmark();
        const int rating = rs->fieldOrdinal(QStringLiteral("Rating")), song = rs->fieldOrdinal(QStringLiteral("SongName"));
        rs->setBookmark(one);
        rs->edit();
        rs->setValue(QStringLiteral("Rating"), QStringLiteral("*"));
        rs->update();
        EXPECT_EQ(rs->valueAt(two, rating).toString(), QStringLiteral("*"));
        db->execute(QStringLiteral("Update tblContacts Set SongName = 'Bohemian' Where RecordID = 16"));
        EXPECT_EQ(rs->valueAt(two, song).toString(), QStringLiteral("Bohemian"));
        EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Bohemian"));
        rs->deleteRecord();
        rs->setBookmark(second);
        EXPECT_DB_ERROR(err::RecordDeleted, rs->value(QStringLiteral("SongName")));
        EXPECT_FALSE(rs->valueAt(rs->positionOf(second), song).isValid());
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 16")), QStringLiteral("2"));
        db->execute(QStringLiteral("Insert Into tblContacts (RecordID, SongName, Artist) Values (16, 'Bohemian Rhapsody', 'Queen')"));
    }
}

// A song in two categories is listed twice by the category view, here far apart in its order.
// Where the fields name the song only, its key cannot tell the two rows apart: each row still
// shows its own link's category, as where the fields name the link too.
TEST_F(SampleDbTest, ASongListedTwiceApartInTheJoinedViewShowsEachRowsOwnLink) {
    for (const char *source :
         {"Select SongName, CategoryNumber + 0 As Cat from qryContacts Order By CategoryNumber, SongName",
          "Select SongName, CategoryNumber As Cat from qryContacts Order By CategoryNumber, SongName"}) {
        SCOPED_TRACE(source);
        auto rs = open(QString::fromLatin1(source));
        QStringList seen;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            seen << rs->value(0).toString() + u'/' + rs->value(1).toString();
        EXPECT_EQ(seen.join(u','), QStringLiteral("Bohemian Rhapsody/1,Hey Jude/1,Jóga/1,Bohemian Rhapsody/2,"
                                                  "Dancing Queen/2,Love of My Life/3"));
    }
}

// An addition in the category view that gives only the category still adds a song, with its
// defaults, and links it by its new RecordID; a table recordset open meanwhile counts it.
TEST_F(SampleDbTest, ASongAddedInTheJoinedViewWithOnlyItsCategoryIsAddedAndLinked) {
    auto songs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    songs->setIndex(QStringLiteral("Rating"));
    songs->moveFirst();
    long expected = songs->recordCount();
    for (const char *source : {"qryContacts", "Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName"}) {
        SCOPED_TRACE(source);
        auto view = open(QString::fromLatin1(source));
        view->moveFirst();
        view->addNew();
        const qint64 id = view->value(QStringLiteral("RecordID")).toLongLong();
        view->setValue(QStringLiteral("CategoryNumber"), 1);
        view->update();
        EXPECT_EQ(songs->recordCount(), ++expected);
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID = %1").arg(id)), QStringLiteral("1"));
        EXPECT_EQ(raw(QStringLiteral("SELECT group_concat(CategoryNumber) FROM tblCategoryID WHERE ID = %1").arg(id)), QStringLiteral("1"));
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID IS NULL")), QStringLiteral("0"));
        view->setBookmark(view->lastModified());
        EXPECT_EQ(view->value(QStringLiteral("RecordID")).toLongLong(), id);
        EXPECT_EQ(view->value(QStringLiteral("Selected")).toString(), QStringLiteral(" "));
    }
}

// A category view reads a few songs from their links and sorts them, but a category of most of
// the catalogue by walking the sort index, which costs less than reading that many songs to sort
// them; either way the rows and their order are plain SQLite's.
TEST_F(SampleDbTest, ACategoryOfMostSongsIsReadByTheSortIndexAndAFewSongsByTheirLinks) {
    sample::run(db->handle(), "INSERT OR IGNORE INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 3 FROM tblContacts "
                              "WHERE RecordID % 4 <> 0");
    const struct {
        int category;
        const char *keyListReads;
    } cases[] = {{2, "tblCategoryID_Category"}, {3, "USING COVERING INDEX tblContacts_SortSong"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.category);
        const QString source =
            QStringLiteral("Select * from  qryContacts Where  CategoryNumber = %1 Order By SongName, Artist").arg(c.category);
        std::vector<std::string> ran;
        sqlite3_trace_v2(db->handle(), SQLITE_TRACE_STMT, [](unsigned, void *list, void *stmt, void *) {
            static_cast<std::vector<std::string> *>(list)->push_back(sqlite3_sql(static_cast<sqlite3_stmt *>(stmt)));
            return 0;
        }, &ran);
        auto rs = open(source);
        sqlite3_trace_v2(db->handle(), 0, nullptr, nullptr);
        QString keyListPlan;
        for (const std::string &sql : ran) {
            if (sql.find("orv_rowid0\", qryContacts.\"orv_rowid1\" FROM") == std::string::npos) continue;
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(db->handle(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr);
            while (s && sqlite3_step(s) == SQLITE_ROW)
                keyListPlan += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 3))) + u'\n';
            sqlite3_finalize(s);
        }
        EXPECT_TRUE(keyListPlan.contains(QLatin1String(c.keyListReads))) << keyListPlan.toStdString();
        QStringList plain;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db->handle(), db->translate(source).toUtf8().constData(), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) plain << QString::number(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        EXPECT_EQ(column(*rs, QStringLiteral("RecordID")), plain);
    }
}

TEST_F(SampleDbTest, CategoryAssignmentJoinAddsAndRemovesLinksOnly) {
    const QString sql = QStringLiteral(
        "SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON "
        "tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE tblCategoryID.ID=16 Order By CategoryDesc");
    auto rs = open(sql);
    rs->addNew();
    rs->setValue("ID", 16);
    rs->setValue("CategoryNumber", 3);
    rs->update();
    rs->setBookmark(rs->lastModified());
    EXPECT_EQ(rs->value("CategoryDesc").toString(), QStringLiteral("Ballads"));
    rs->addNew();
    rs->setValue("ID", 16);
    rs->setValue("CategoryNumber", 3);
    EXPECT_DB_ERROR(err::DuplicateKey, rs->update()); // assigning a category twice
    rs->cancelUpdate();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 16")), QStringLiteral("3"));

    rs->requery(); // the added link takes its place in the order
    EXPECT_EQ(rs->value("CategoryDesc").toString(), QStringLiteral("Ballads"));
    rs->deleteRecord();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 16 AND CategoryNumber = 3")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryDesc")), QStringLiteral("3"));
}

TEST_F(SampleDbTest, AssignedValuesAreConvertedByTheFieldType) {
    auto rs = open(QStringLiteral("Select * from tblContacts Where RecordID = 2"));
    rs->edit();
    rs->setValue("PurchaseDate", QStringLiteral("2023-07-04"));
    rs->setValue("DateUpdated", QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    rs->setValue("TrackNum", QStringLiteral(" 12 "));
    rs->setValue("FileSizeNum", QStringLiteral("6.5"));
    rs->setValue("Year", 1999);
    rs->setValue("BPM", true);
    rs->setValue("Genre", QVariant());
    EXPECT_DB_ERROR(3421, rs->setValue("TrackNum", QStringLiteral("twelve")));
    EXPECT_DB_ERROR(3421, rs->setValue("Date2", QStringLiteral("not a date")));
    EXPECT_DB_ERROR(3164, rs->setValue("RecordID", 99));
    rs->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT PurchaseDate FROM tblContacts WHERE RecordID = 2")), QStringLiteral("2023-07-04 00:00:00"));
    EXPECT_EQ(raw(QStringLiteral("SELECT DateUpdated FROM tblContacts WHERE RecordID = 2")), QStringLiteral("2024-05-06 07:08:09"));
    EXPECT_EQ(raw(QStringLiteral("SELECT typeof(TrackNum) || TrackNum FROM tblContacts WHERE RecordID = 2")), QStringLiteral("integer12"));
    EXPECT_EQ(raw(QStringLiteral("SELECT typeof(FileSizeNum) || FileSizeNum FROM tblContacts WHERE RecordID = 2")), QStringLiteral("real6.5"));
    EXPECT_EQ(raw(QStringLiteral("SELECT typeof(Year) || Year FROM tblContacts WHERE RecordID = 2")), QStringLiteral("text1999"));
    EXPECT_EQ(raw(QStringLiteral("SELECT BPM FROM tblContacts WHERE RecordID = 2")), QStringLiteral("-1"));
    rs->requery();
    EXPECT_FALSE(rs->value("Genre").isValid()); // Null reads back as Null
    EXPECT_EQ(rs->value("PurchaseDate").toDateTime(), QDateTime(QDate(2023, 7, 4), QTime(0, 0)));
    EXPECT_EQ(rs->value("TrackNum").toLongLong(), 12);
    EXPECT_DOUBLE_EQ(rs->value("FileSizeNum").toDouble(), 6.5);
}

// During an Edit a field not yet assigned reads as the row stands when Edit was called (also
// after another writer changed it since it was last read), an assigned one as assigned; the
// fields are the same however the recordset reached the row, and CancelUpdate gives the row back.
TEST_F(SampleDbTest, AFieldReadDuringAnEditGivesTheRowAsItStandsOrWhatWasAssigned) {
    const auto walkTo16 = [](Recordset &rs) {
        for (rs.moveFirst(); rs.value(QStringLiteral("RecordID")).toLongLong() != 16;) rs.moveNext();
    };
    const auto findAndBookmark = [](Recordset &rs) {
        rs.findFirst(QStringLiteral("RecordID = 16"));
        const Bookmark b = rs.bookmark();
        rs.moveFirst();
        rs.setBookmark(b);
    };
    const struct {
        const char *name;
        const char *source;
        RecordsetType type;
        std::function<void(Recordset &)> place;
    } cases[] = {
        {"walked dynaset", "Select * from tblContacts Order By SongName", RecordsetType::Dynaset, walkTo16},
        {"dynaset placed by bookmark", "Select * from tblContacts Order By SongName", RecordsetType::Dynaset,
         findAndBookmark},
        {"dynaset of a few fields", "Select RecordID, SongName, Artist, DateUpdated from tblContacts",
         RecordsetType::Dynaset, findAndBookmark},
        {"category view", "Select * from qryContacts Where CategoryNumber = 1 Order By SongName",
         RecordsetType::Dynaset, walkTo16},
        {"joined view read whole", "qryContacts", RecordsetType::Dynaset, findAndBookmark},
        {"table placed by Seek", "tblContacts", RecordsetType::Table,
         [](Recordset &rs) {
             rs.setIndex(QStringLiteral("PrimaryKey"));
             rs.seek(QStringLiteral("="), {16});
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db->execute(QStringLiteral("Update tblContacts Set SongName = 'Bohemian Rhapsody', Artist = 'Queen' Where RecordID = 16"));
        auto rs = open(QString::fromLatin1(c.source), c.type);
        c.place(*rs);
        ASSERT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Bohemian Rhapsody"));
        db->execute(QStringLiteral("Update tblContacts Set SongName = 'Bohemian' Where RecordID = 16"));
        rs->edit();
        rs->setValue(QStringLiteral("Artist"), QStringLiteral("Freddie"));
        EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Bohemian"));
        EXPECT_EQ(rs->value(QStringLiteral("Artist")).toString(), QStringLiteral("Freddie"));
        EXPECT_EQ(rs->value(QStringLiteral("DateUpdated")).toDateTime(), QDateTime(QDate(2024, 1, 16), QTime(10, 0)));
        rs->cancelUpdate();
        EXPECT_EQ(rs->value(QStringLiteral("Artist")).toString(), QStringLiteral("Queen"));
        rs->edit();
        rs->setValue(QStringLiteral("Artist"), QStringLiteral("Freddie"));
        rs->update();
        EXPECT_EQ(rs->value(QStringLiteral("Artist")).toString(), QStringLiteral("Freddie"));
        EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Bohemian"));
        EXPECT_EQ(raw(QStringLiteral("SELECT SongName || '/' || Artist || '/' || DateUpdated FROM tblContacts WHERE RecordID = 16")),
                  QStringLiteral("Bohemian/Freddie/2024-01-16 10:00:00"));
        rs->close();
    }
}

// A number no field holds, or a date the stored text cannot give back, is refused as a text that
// is no number or date is; no date at all is Null.
TEST_F(SampleDbTest, ValuesNoFieldHoldsAreRefusedAndNoDateIsStoredAsNull) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const std::pair<const char *, QVariant> refused[] = {
        {"FileSizeNum", nan},
        {"FileSizeNum", inf},
        {"FileSizeNum", -inf},
        {"PurchaseDate", QDateTime(QDate(10000, 1, 1), QTime(0, 0))},
        {"PurchaseDate", QDate(-5, 3, 1)},
        {"PurchaseDate", 1e9},
        {"PurchaseDate", nan},
        {"PurchaseDate", inf},
    };
    auto rs = open(QStringLiteral("Select * from tblContacts Where RecordID = 1"));
    for (const auto &[field, value] : refused) {
        rs->edit();
        EXPECT_DB_ERROR(3421, rs->setValue(QLatin1String(field), value));
        rs->cancelUpdate();
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT FileSizeNum || '|' || PurchaseDate FROM tblContacts WHERE RecordID = 1")),
              QStringLiteral("7.1|2020-01-05 00:00:00"));
    for (const QVariant &none : {QVariant(QDateTime()), QVariant(QDate())}) {
        rs->edit();
        rs->setValue("PurchaseDate", none);
        rs->update();
        EXPECT_EQ(raw(QStringLiteral("SELECT ifnull(PurchaseDate, 'null') FROM tblContacts WHERE RecordID = 1")), QStringLiteral("null"));
        db->execute(QStringLiteral("Update tblContacts Set PurchaseDate = ? Where RecordID = 1"), {none});
        EXPECT_EQ(raw(QStringLiteral("SELECT typeof(PurchaseDate) FROM tblContacts WHERE RecordID = 1")), QStringLiteral("null"));
    }
    // A number stored in a date field by other means reads as that number.
    sample::run(db->handle(), "UPDATE tblContacts SET PurchaseDate = 1e9, Date2 = 43831 WHERE RecordID = 1");
    rs->requery();
    EXPECT_EQ(rs->value("PurchaseDate"), QVariant(1e9));
    EXPECT_EQ(rs->value("Date2").toDateTime(), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
}

TEST_F(SampleDbTest, FieldNamesAreCaseBlind) {
    auto rs = open(QStringLiteral("Select * from tblContacts Where RecordID = 1"));
    rs->edit();
    rs->setValue("bitRate", QStringLiteral("999 kbps"));
    rs->setValue("code", QStringLiteral("K9"));
    rs->update();
    EXPECT_EQ(rs->value("Bitrate").toString(), QStringLiteral("999 kbps"));
    EXPECT_EQ(rs->value("CODE").toString(), QStringLiteral("K9"));
    EXPECT_EQ(column(QStringLiteral("Select * from  tblContacts Where bitrate = '999 KBPS' Order By Bitrate"), QStringLiteral("Code")),
              QStringList{QStringLiteral("K9")});
    auto lists = open(QStringLiteral("select * from tblPlayListHeader where ListID = 1"));
    EXPECT_EQ(lists->value("ListId").toLongLong(), 1);
}

TEST_F(SampleDbTest, SchemaKeepsTheFieldOrderAndDefaults) {
    auto rs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    const QStringList expected = QStringLiteral(
        "RecordID SongName Artist AlbumName Composer Genre Year TrackText TrackNum Duration BPM bitRate FileType FileSize "
        "FileSizeNum PathName FileName Rating ID Code Notes PurchaseDate Date2 Date2_Desc MiscField1 MiscField2 MiscField3 "
        "MiscField1_Desc MiscField2_Desc MiscField3_Desc PicturePath1 PicturePath2 PicturePath3 PicturePath4 PicturePath5 "
        "PicturePath6 PicturePath7 PicturePath8 Selected DateUpdated Lyrics Credits").split(u' ');
    QStringList names;
    for (int i = 0; i < rs->fieldCount(); ++i) names << rs->fieldName(i);
    EXPECT_EQ(names, expected);
    auto q = open(QStringLiteral("qryContacts"));
    EXPECT_EQ(q->fieldName(0), QStringLiteral("RecordID"));
    EXPECT_EQ(q->fieldName(q->fieldCount() - 1), QStringLiteral("CategoryNumber"));
    EXPECT_EQ(q->recordCount(), 6);
}

TEST_F(SampleDbTest, FindMovesInTheRecordsetOrderAndKeepsPlaceOnNoMatch) {
    auto rs = open(QStringLiteral("Select * from  tblContacts Order By SongName, Artist"));
    rs->findLast(QStringLiteral("Artist = 'Queen'"));
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Somebody to Love"));
    rs->findPrevious(QStringLiteral("Artist = 'Queen'"));
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Love of My Life"));
    rs->findPrevious(QStringLiteral("Artist = 'Queen'"));
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Bohemian Rhapsody"));
    const long here = rs->absolutePosition();
    rs->findPrevious(QStringLiteral("Artist = 'Queen'"));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->absolutePosition(), here);
    rs->findNext(QStringLiteral("Artist = 'Queen'"));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Love of My Life"));

    // A totals query is read whole; its Find works on the rows' own values.
    auto genres = open(QStringLiteral("SELECT Genre FROM tblContacts GROUP BY Genre"));
    genres->findFirst(QStringLiteral("Genre like 'ELEC*'"));
    EXPECT_EQ(genres->value("Genre").toString(), QStringLiteral("Electronic"));
}

TEST_F(SampleDbTest, SnapshotsAndTotalsAreReadOnly) {
    auto snap = open(QStringLiteral("Select * from tblContacts"), RecordsetType::Snapshot);
    EXPECT_FALSE(snap->updatable());
    EXPECT_DB_ERROR(3027, snap->edit());
    auto totals = open(QStringLiteral("Select count(*) as CountRecs from tblCategoryID Where CategoryNumber=1"));
    EXPECT_DB_ERROR(3027, totals->addNew());
    auto rs = open(QStringLiteral("Select * from tblContacts"));
    EXPECT_DB_ERROR(err::UpdateWithoutEdit, rs->update());
    EXPECT_DB_ERROR(err::UpdateWithoutEdit, rs->setValue("SongName", QStringLiteral("x")));
}

TEST_F(SampleDbTest, GridReadsRowsOnDemandAndSeesLaterWrites) {
    auto grid = open(QStringLiteral("Select * from  tblContacts Order By SongName"));
    const int song = grid->fieldOrdinal(QStringLiteral("SongName"));
    EXPECT_EQ(grid->valueAt(5, song).toString(), QStringLiteral("Hunter"));
    db->execute(QStringLiteral("Update tblContacts Set SongName='Hunted' Where RecordID = 8 or RecordID = 9"));
    EXPECT_EQ(grid->valueAt(5, song).toString(), QStringLiteral("Hunted"));
    EXPECT_FALSE(grid->valueAt(500, song).isValid());
}

TEST_F(SampleDbTest, TableRecordsetFollowsItsIndexAndStaysLive) {
    auto t = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    t->setIndex(QStringLiteral("SongName"));
    t->moveFirst();
    EXPECT_FALSE(t->value("SongName").isValid()); // Nulls come first
    db->execute(QStringLiteral("Delete * from tblContacts where SongName Is Null"));
    t->moveFirst();
    EXPECT_EQ(t->value("SongName").toString(), QStringLiteral("Bohemian Rhapsody"));
    EXPECT_EQ(t->recordCount(), sample::kSongCount - 2);
    t->seek(QStringLiteral("="), {QStringLiteral("yesterday")});
    long n = 0;
    while (!t->eof() && t->value("SongName").toString().compare(QStringLiteral("yesterday"), Qt::CaseInsensitive) == 0) {
        t->edit();
        t->setValue("Selected", QStringLiteral("x"));
        t->update();
        t->moveNext();
        ++n;
    }
    EXPECT_EQ(n, 4);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE Selected = 'x'")), QStringLiteral("6"));
}

TEST_F(SampleDbTest, TransactionsDoNotNestAndRollBack) {
    db->beginTrans();
    EXPECT_DB_ERROR(err::OperationNotSupported, db->beginTrans());
    db->execute(QStringLiteral("Delete * from tblContacts"));
    db->rollback();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    EXPECT_DB_ERROR(3034, db->commitTrans());
    try {
        Transaction t(*db);
        db->execute(QStringLiteral("Delete * from tblContacts"));
        throw std::runtime_error("import failed");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

// After a rollback every open list is what it was before BeginTrans: no row added inside shows,
// no row deleted inside is missing, and no counter given out inside is given out again, so no
// bookmark or LastModified of a rolled-back row leads to the next song added.
TEST_F(SampleDbTest, ARollbackGivesEveryOpenListBackAndNoCounterIsGivenOutAgain) {
    auto grid = open(QStringLiteral("Select * from tblContacts Order By RecordID"));
    auto view = open(QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName"));
    auto snap = open(QStringLiteral("Select RecordID from tblContacts Order By RecordID"), RecordsetType::Snapshot);
    auto songs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    const QStringList before = column(*grid, QStringLiteral("RecordID")), viewBefore = column(*view, QStringLiteral("RecordID"));
    db->beginTrans();
    grid->addNew();
    grid->setValue("SongName", QStringLiteral("Phantom"));
    grid->update();
    const Bookmark phantom = grid->lastModified();
    songs->addNew();
    songs->setValue("SongName", QStringLiteral("Phantom too"));
    songs->update();
    const Bookmark phantomToo = songs->lastModified();
    grid->findFirst(QStringLiteral("RecordID = 3"));
    grid->deleteRecord();
    view->moveFirst();
    view->deleteRecord(); // the song of the view's first row
    snap->requery();
    db->rollback();
    EXPECT_EQ(column(*grid, QStringLiteral("RecordID")), before);
    EXPECT_EQ(column(*view, QStringLiteral("RecordID")), viewBefore);
    EXPECT_EQ(column(*snap, QStringLiteral("RecordID")), before);
    EXPECT_DB_ERROR(err::NoCurrentRecord, grid->lastModified());
    EXPECT_DB_ERROR(err::NoCurrentRecord, songs->lastModified());
    db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('Next')"));
    EXPECT_EQ(raw(QStringLiteral("SELECT max(RecordID) FROM tblContacts")), QString::number(sample::kSongCount + 3));
    EXPECT_DB_ERROR(err::RecordDeleted, grid->setBookmark(phantom));
    EXPECT_DB_ERROR(err::RecordDeleted, songs->setBookmark(phantomToo));
    grid->requery();
    EXPECT_EQ(grid->recordCount(), sample::kSongCount + 1);
}

// What a user types in the filter window reaches the database only as one expression.
TEST_F(SampleDbTest, BadQueriesGiveJetErrorsAndChangeNothing) {
    const QString base = QStringLiteral("Select distinctrow * from  tblContacts Where  (%1)  Order By SongName");
    EXPECT_DB_ERROR(err::SyntaxError, open(base.arg(QStringLiteral("SongName like"))));
    EXPECT_DB_ERROR(err::SyntaxError, open(base.arg(QStringLiteral("1=1); DELETE FROM tblContacts; --"))));
    EXPECT_DB_ERROR(err::TooFewParameters, open(base.arg(QStringLiteral("Singer = 'x'"))));
    EXPECT_DB_ERROR(err::SyntaxError,
                    db->execute(QStringLiteral("Delete * from tblContacts Where (1=0); DELETE FROM tblCategoryID")));
    auto rs = open(QStringLiteral("Select * from tblContacts"));
    EXPECT_DB_ERROR(err::SyntaxError, rs->findFirst(QStringLiteral("SongName = 'a'; DROP TABLE tblContacts")));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID")), QStringLiteral("6"));
    EXPECT_DB_ERROR(err::DuplicateKey, db->execute(QStringLiteral("INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (16, 2)")));
    EXPECT_DB_ERROR(err::ItemNotFound, db->queryDefSql(QStringLiteral("qryNoSuchQuery")));
    EXPECT_DB_ERROR(err::ItemNotFound, db->execute(QStringLiteral("qdelNoSuchQuery")));
    EXPECT_DB_ERROR(3078, open(QStringLiteral("qryNoSuchQuery")));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID")), QStringLiteral("6"));
}

// Only a unique index or key refused a write as a duplicate; a trigger or a check that refuses
// one says so in its own words.
TEST_F(SampleDbTest, RulesOtherThanUniqueIndexesAreNotReportedAsDuplicates) {
    const auto runRaw = [&](const char *sql) {
        char *msg = nullptr;
        ASSERT_EQ(sqlite3_exec(db->handle(), sql, nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
    };
    runRaw("CREATE TRIGGER tblCategoryDesc_forbidden BEFORE INSERT ON tblCategoryDesc "
           "WHEN NEW.CategoryDesc = 'Forbidden' BEGIN SELECT RAISE(ABORT, 'forbidden category name'); END;"
           "CREATE TABLE tblRule (RuleID INTEGER PRIMARY KEY, Amount INTEGER CHECK (Amount >= 0));");
    db.reset();
    db = platform::db::Database::open(path);
    const auto expectRefused = [](int number, const char *text, const auto &write) {
        try {
            write();
            ADD_FAILURE() << "expected DbError " << number;
        } catch (const platform::db::DbError &e) {
            EXPECT_EQ(e.number(), number) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QLatin1String(text))) << e.description().toStdString();
        }
    };
    expectRefused(3317, "forbidden category name",
                  [&] { db->execute(QStringLiteral("INSERT INTO tblCategoryDesc (CategoryDesc) VALUES ('Forbidden')")); });
    auto cats = open(QStringLiteral("tblCategoryDesc"), RecordsetType::Table);
    cats->addNew();
    cats->setValue("CategoryDesc", QStringLiteral("Forbidden"));
    expectRefused(3317, "forbidden category name", [&] { cats->update(); });
    cats->cancelUpdate();
    expectRefused(3317, "CHECK constraint failed", [&] { db->execute(QStringLiteral("INSERT INTO tblRule (Amount) VALUES (-1)")); });
    db->execute(QStringLiteral("INSERT INTO tblRule (RuleID, Amount) VALUES (1, 1)"));
    EXPECT_DB_ERROR(err::DuplicateKey, db->execute(QStringLiteral("INSERT INTO tblRule (RuleID, Amount) VALUES (1, 2)")));
    EXPECT_DB_ERROR(err::DuplicateKey, db->execute(QStringLiteral("INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (16, 2)")));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryDesc WHERE CategoryDesc = 'Forbidden'")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblRule")), QStringLiteral("1"));
}

TEST_F(SampleDbTest, SavedQueriesMayNameOnesSavedAfterThem) {
    db->createQueryDef(QStringLiteral("qryOuter"), QStringLiteral("SELECT * FROM qryInner ORDER BY SongName"));
    db->createQueryDef(QStringLiteral("qryInner"), QStringLiteral("SELECT * FROM tblContacts WHERE Artist = \"queen\""));
    EXPECT_DB_ERROR(3012, db->createQueryDef(QStringLiteral("QRYINNER"), QStringLiteral("SELECT 1")));
    EXPECT_EQ(column(QStringLiteral("qryOuter"), QStringLiteral("SongName")).join(u'|'),
              QStringLiteral("Bohemian Rhapsody|Love of My Life|Somebody to Love"));
    EXPECT_TRUE(db->hasQueryDef(QStringLiteral("QRYOUTER")));
    EXPECT_TRUE(db->queryDefNames().contains(QStringLiteral("qryContacts")));
    db->createQueryDef(QStringLiteral("qdelQueen"), QStringLiteral("Delete * from qryInner"));
    EXPECT_DB_ERROR(err::SyntaxError, db->execute(QStringLiteral("qdelQueen")));
    db->createQueryDef(QStringLiteral("qdelQueen2"), QStringLiteral("DELETE DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN qryInner ON tblContacts.RecordID = qryInner.RecordID"));
    EXPECT_EQ(db->execute(QStringLiteral("qdelQueen2")), 3);
}

} // namespace

namespace {

// The import seeks each file on a live table recordset while other statements change the table.
TEST_F(SampleDbTest, TableRecordsetDeleteAfterOtherWritesRemovesTheRightRow) {
    auto t = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    t->setIndex(QStringLiteral("SongName"));
    t->moveFirst();
    t->moveNext(); // the key list is read
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 20"));
    t->seek(QStringLiteral("="), {QStringLiteral("Hey Jude")});
    t->deleteRecord();
    t->moveNext();
    EXPECT_EQ(t->value("SongName").toString(), QStringLiteral("Hunter"));
    EXPECT_EQ(t->recordCount(), sample::kSongCount - 2);
    // The current row removed by another statement: MoveNext goes on after it.
    t->seek(QStringLiteral("="), {QStringLiteral("Love Me Do")});
    t->moveNext();
    db->execute(QStringLiteral("Delete * from tblContacts where SongName = 'Love of My Life'"));
    t->moveNext();
    EXPECT_EQ(t->value("SongName").toString(), QStringLiteral("Non, je ne regrette rien"));
}

// A row found by Seek, or by a bookmark, and then deleted by another statement keeps its place in
// the index: MoveNext goes to the row after it and MovePrevious to the row before it, even when
// rows were added and deleted around it meanwhile.
TEST_F(SampleDbTest, ARowFoundBySeekAndDeletedElsewhereKeepsItsPlaceInTheIndex) {
    const QStringList names = column(QStringLiteral("Select SongName from tblContacts Order By SongName, RecordID"), QStringLiteral("SongName"));
    const qsizetype at = names.indexOf(QStringLiteral("Hey Jude"));
    struct Case {
        bool byBookmark, forward, neighbours; // found by a bookmark; MoveNext; rows added and deleted next to it
    };
    for (const Case c : {Case{false, true, false}, Case{false, false, false}, Case{true, true, true}, Case{false, false, true}}) {
        auto t = open(QStringLiteral("tblContacts"), RecordsetType::Table);
        t->setIndex(QStringLiteral("SongName"));
        if (c.byBookmark) {
            t->seek(QStringLiteral("="), {QStringLiteral("Hey Jude")});
            const Bookmark b = t->bookmark();
            t->moveLast();
            t->setBookmark(b);
        } else {
            t->seek(QStringLiteral("="), {QStringLiteral("Hey Jude")});
        }
        ASSERT_FALSE(t->noMatch());
        db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 1"));
        QString expected = names[c.forward ? at + 1 : at - 1];
        if (c.neighbours) {
            db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('Hey Judes')"));
            db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('Hey Jud')"));
            db->execute(QStringLiteral("Delete * from tblContacts where SongName = ?"), {expected});
            expected = c.forward ? QStringLiteral("Hey Judes") : QStringLiteral("Hey Jud");
        }
        if (c.forward) t->moveNext();
        else t->movePrevious();
        EXPECT_EQ(t->value("SongName").toString(), expected) << c.byBookmark << c.forward << c.neighbours;
        db->execute(QStringLiteral("Delete * from tblContacts where RecordID > 22"));
        sample::run(db->handle(), "DELETE FROM tblContacts; DELETE FROM tblCategoryID; DELETE FROM tblPlayListHeader; "
                                  "DELETE FROM tblPlayListDetail; DELETE FROM tblOrphanFileNames; DELETE FROM tblSettings; "
                                  "DELETE FROM tblCategoryDesc; DELETE FROM sqlite_sequence");
        sample::fill(*db);
    }
}

// A row deleted after a Seek has no place in another index: after the index changes the
// recordset stands before the first row, and moves and finds go on from there.
TEST_F(SampleDbTest, AfterASeekDeleteAndAnotherIndexMovesStartAtTheFirstRow) {
    auto t = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    t->setIndex(QStringLiteral("SongName"));
    t->moveFirst();
    t->moveNext(); // the key list is read
    t->seek(QStringLiteral("="), {QStringLiteral("Hey Jude")});
    t->deleteRecord();
    t->setIndex(QStringLiteral("PrimaryKey"));
    EXPECT_TRUE(t->bof());
    db->execute(QStringLiteral("Update tblContacts Set Selected = 'x' Where RecordID = 5"));
    t->moveNext();
    EXPECT_EQ(t->value("RecordID").toLongLong(), 2);
    t->seek(QStringLiteral("="), {3});
    t->deleteRecord();
    t->setIndex(QStringLiteral("SongName"));
    db->execute(QStringLiteral("Update tblContacts Set Selected = ' ' Where RecordID = 5"));
    t->findFirst(QStringLiteral("RecordID = 5"));
    EXPECT_EQ(t->value("RecordID").toLongLong(), 5);
}

// The category window and the import delete row after row found by Seek: each delete leaves a
// hole, MoveNext and MovePrevious go on around the last row deleted, and the list shows the rest.
TEST_F(SampleDbTest, SeekAndDeleteInALoopLeavesHolesAndMovesOnFromTheLastDeleted) {
    const QStringList names = column(QStringLiteral("Select SongName from tblContacts Order By SongName"), QStringLiteral("SongName"));
    auto t = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    t->setIndex(QStringLiteral("SongName"));
    t->moveFirst();
    t->moveNext(); // the key list is read
    const QStringList gone{QStringLiteral("Hey Jude"), QStringLiteral("Hunter"), QStringLiteral("Love Me Do")};
    Bookmark deleted;
    for (const QString &name : gone) {
        t->seek(QStringLiteral("="), {name});
        ASSERT_FALSE(t->noMatch());
        deleted = t->bookmark();
        t->deleteRecord();
        EXPECT_DB_ERROR(err::NoCurrentRecord, t->value("SongName"));
    }
    EXPECT_EQ(t->recordCount(), names.size() - gone.size());
    EXPECT_DB_ERROR(3167, t->setBookmark(deleted));
    t->seek(QStringLiteral("="), {QStringLiteral("Love Me Do")});
    EXPECT_TRUE(t->noMatch());

    t->seek(QStringLiteral("="), {QStringLiteral("Hey Jude")}); // missed: deleted
    EXPECT_TRUE(t->noMatch());
    t->seek(QStringLiteral("="), {QStringLiteral("Love Me Do")});
    const qsizetype first = names.lastIndexOf(QStringLiteral("<null>")) + 1; // Nulls sort first
    t->seek(QStringLiteral("="), {names[first]});
    t->deleteRecord();
    t->moveNext();
    EXPECT_EQ(t->value("SongName").toString(), names[first + 1]);

    t->seek(QStringLiteral("="), {gone.last()});
    EXPECT_TRUE(t->noMatch());
    t->seek(QStringLiteral("="), {names[names.indexOf(gone.last()) + 1]});
    t->deleteRecord();
    t->movePrevious();
    qsizetype before = names.indexOf(gone.last()) - 1;
    while (gone.contains(names[before])) --before;
    ASSERT_GT(before, first);
    EXPECT_EQ(t->value("SongName").toString(), names[before]);

    QStringList rest = names;
    rest.removeAt(first);
    rest.removeOne(names[names.indexOf(gone.last()) + 1]);
    for (const QString &name : gone) rest.removeOne(name);
    QStringList walked;
    for (t->moveFirst(); !t->eof(); t->moveNext()) {
        const QVariant v = t->value("SongName");
        walked << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    }
    EXPECT_EQ(walked, rest);
    EXPECT_EQ(t->recordCount(), rest.size());
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(rest.size()));
}

} // namespace

namespace {

// Matches far from the start are found by one query over the source, in the recordset's order.
TEST_F(SampleDbTest, FindReachesRowsFarFromTheStart) {
    sample::run(db->handle(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                              "INSERT INTO tblContacts (SongName, Artist, TrackNum) SELECT printf('Zed %03d', i), 'Filler', i FROM n");
    for (const char *source : {"Select * from  tblContacts Order By SongName, Artist", "tblContacts"}) {
        const bool table = QLatin1String(source) == QLatin1String("tblContacts");
        auto rs = table ? open(QString::fromLatin1(source), RecordsetType::Table) : open(QString::fromLatin1(source));
        if (table) rs->setIndex(QStringLiteral("SongName"));
        rs->findFirst(QStringLiteral("TrackNum > 150 And Artist = 'filler'"));
        ASSERT_FALSE(rs->noMatch());
        EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Zed 151"));
        rs->findNext(QStringLiteral("TrackNum > 150 And Artist = 'filler'"));
        EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Zed 152"));
        rs->findLast(QStringLiteral("TrackNum < 3 And Artist = 'filler'"));
        EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Zed 002"));
        rs->moveLast();
        rs->findPrevious(QStringLiteral("SongName = 'Dancing Queen'"));
        EXPECT_EQ(rs->value("RecordID").toLongLong(), 20);
        rs->findNext(QStringLiteral("SongName = 'Dancing Queen'"));
        EXPECT_TRUE(rs->noMatch());
        EXPECT_EQ(rs->value("RecordID").toLongLong(), 20);
    }
}

} // namespace

namespace {

// Find in a filtered view tries only the view's own rows, on both of its roads: a small view is
// tried row by row, a large one by a pass over the source matched against the view's keys. A
// row outside the view that matches, and sorts first, is never the one found.
TEST_F(SampleDbTest, FindInAFilteredViewLandsOnlyOnItsOwnRows) {
    for (int rows : {300, 5000}) {
        SCOPED_TRACE(rows);
        sample::run(db->handle(), "DELETE FROM tblContacts WHERE Artist IN ('In', 'Out')");
        const QByteArray fill = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                               "INSERT INTO tblContacts (SongName, Artist, TrackNum) "
                                               "SELECT printf('Aa %05d', i), CASE WHEN i % 3 = 0 THEN 'In' ELSE 'Out' END, i FROM n")
                                    .arg(rows)
                                    .toUtf8();
        sample::run(db->handle(), fill.constData());
        auto rs = open(QStringLiteral("Select DISTINCTROW * from  tblContacts Where Artist = 'In' Order By SongName"));
        rs->findFirst(QStringLiteral("SongName like \"Aa*\""));
        ASSERT_FALSE(rs->noMatch());
        EXPECT_EQ(rs->value("SongName").toString(), QStringLiteral("Aa 00003"));
        rs->findNext(QStringLiteral("TrackNum > 100"));
        EXPECT_EQ(rs->value("TrackNum").toLongLong(), 102);
        rs->findFirst(QStringLiteral("TrackNum = 1"));
        EXPECT_TRUE(rs->noMatch()) << "row 1 matches but lies outside the view";
        EXPECT_EQ(rs->value("TrackNum").toLongLong(), 102);
    }
}


// The search box finds a name's beginning by halves over the sorted list and keeps what it read
// of the names for the next keystroke. Songs without a name sort first and lie below every
// text; what was kept goes when the list is read again, so after another program deleted songs
// and the view was requeried, the same search lands on the same song in its new place.
TEST_F(SampleDbTest, APrefixFoundByHalvesPassesUnnamedSongsAndFollowsARequery) {
    sample::run(db->handle(), "DELETE FROM tblContacts;"
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                              "INSERT INTO tblContacts (SongName, TrackNum) "
                              "SELECT CASE WHEN i % 10 = 0 THEN NULL ELSE printf('Bb %05d', i) END, i FROM n");
    auto rs = open(QStringLiteral("Select * from tblContacts Order By SongName"));
    const auto found = [&](const char *prefix) {
        rs->findFirst(QStringLiteral("SongName like \"%1*\"").arg(QLatin1String(prefix)));
        return rs->noMatch() ? QStringLiteral("no match")
                             : rs->value("SongName").toString() + u'@' + QString::number(rs->absolutePosition());
    };
    EXPECT_EQ(found("Bb 0"), QStringLiteral("Bb 00001@300"));
    EXPECT_EQ(found("bb 0150"), QStringLiteral("Bb 01501@1650"));
    EXPECT_EQ(found("Bb 02999"), QStringLiteral("Bb 02999@2999"));
    EXPECT_EQ(found("Bb 0300"), QStringLiteral("no match"));
    auto other = Database::open(path);
    other->execute(QStringLiteral("Delete from tblContacts Where TrackNum <= 1000"));
    rs->requery();
    EXPECT_EQ(found("bb 0150"), QStringLiteral("Bb 01501@650"));
    EXPECT_EQ(found("Bb 01"), QStringLiteral("Bb 01001@200"));
    EXPECT_EQ(found("Bb 00"), QStringLiteral("no match"));
}

#ifdef ORVALIS_CHECK_INVARIANTS
// Where the recordsets check their invariants (Debug and sanitizer builds), a fault in a
// recordset's state stops the operation after which it shows, naming what broke, instead of
// giving wrong rows further on.
TEST_F(SampleDbTest, ABrokenRecordsetInvariantStopsTheOperationItShowsAfter) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<const char *, std::function<void(Recordset::Impl &)>> faults[] = {
        {"position 9 outside the 4 rows", [](Recordset::Impl &d) { d.pos = 9; }},
        {"an edit buffer outside an edit", [](Recordset::Impl &d) { d.buf << QVariant(1); }},
        {"is cached as 'Planted', the catalogue holds 'Bohemian Rhapsody'",
         [](Recordset::Impl &d) {
             d.cache.at(d.serials[size_t(d.pos)])->set(d.ordinals.value(QStringLiteral("songname")), QStringLiteral("Planted"));
         }},
    };
    for (const auto &[broken, plant] : faults) {
        auto rs = open(QStringLiteral("Select * from tblContacts Where Artist = 'Queen' Or Artist = 'ABBA' Order By SongName"));
        ASSERT_EQ(rs->recordCount(), 4);
        ASSERT_EQ(rs->value("SongName").toString(), QStringLiteral("Bohemian Rhapsody"));
        plant(rs->impl());
        EXPECT_DEATH(rs->bof(), broken) << broken;
        rs->impl().pos = 0;
        rs->impl().buf.clear();
        rs->impl().cache.clear();
    }
}
#endif

} // namespace
