// Where a recordset stands after Seek and Find, and which column a name in find criteria means.
#include "platform/db/SampleCatalogue.h"

using namespace platform::db;

namespace {

class SeekAndFind : public SampleDbTest {
protected:
    std::unique_ptr<Recordset> songsByKey() {
        auto rs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
        rs->setIndex(QStringLiteral("PrimaryKey"));
        return rs;
    }
};

// The song editor seeks its song by RecordID and writes every field: a song deleted meanwhile
// must not have its fields written over whatever row was current.
TEST_F(SeekAndFind, MissedSeekLeavesNoCurrentRecordSoNothingIsOverwritten) {
    for (const bool seekedBefore : {false, true}) {
        auto rs = songsByKey();
        if (seekedBefore) {
            rs->seek(QStringLiteral("="), {7});
            ASSERT_FALSE(rs->noMatch());
        }
        rs->seek(QStringLiteral("="), {999});
        EXPECT_TRUE(rs->noMatch());
        EXPECT_DB_ERROR(err::NoCurrentRecord, rs->edit());
        EXPECT_DB_ERROR(err::NoCurrentRecord, rs->value(QStringLiteral("SongName")));
        EXPECT_DB_ERROR(err::NoCurrentRecord, rs->bookmark());
        EXPECT_DB_ERROR(err::NoCurrentRecord, rs->deleteRecord());
        EXPECT_EQ(rs->editMode(), EditMode::None);
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("SELECT SongName FROM tblContacts WHERE RecordID = 1")), QStringLiteral("Hey Jude"));
    EXPECT_EQ(raw(QStringLiteral("SELECT SongName FROM tblContacts WHERE RecordID = 7")), QStringLiteral("Jóga"));
}

// Seek compares as the index orders, Nulls lowest: a Null key value lies below every value of
// its field and equal to a Null, on a single field and within a key of two.
TEST_F(SeekAndFind, SeekWithAComparisonOrdersNullsLowestAsTheIndexDoes) {
    struct Case {
        const char *index, *op;
        QVariantList key;
        qint64 found; // the RecordID, 0 for no match
    };
    const Case cases[] = {
        {"PathFile", ">=", {QStringLiteral("/flac/"), QVariant()}, 6},
        {"PathFile", ">", {QStringLiteral("/flac/"), QVariant()}, 6},
        {"PathFile", "<", {QStringLiteral("/flac/"), QStringLiteral("a")}, 4},
        {"PathFile", "<=", {QStringLiteral("/flac/"), QVariant()}, 4},
        {"PathFile", ">", {QStringLiteral("/flac/")}, 20},
        {"SongName", ">=", {QVariant()}, 12},
        {"SongName", "<=", {QVariant()}, 13},
        {"SongName", "<", {QVariant()}, 0},
        {"SongName", ">", {QVariant()}, 16},
        {"SongName", "<", {QStringLiteral("Bohemian Rhapsody")}, 13},
        {"TrackNum", "<", {1}, 15},
        {"TrackNum", "=", {QVariant()}, 12},
    };
    for (const Case &c : cases) {
        auto rs = songsByKey();
        rs->setIndex(QLatin1String(c.index));
        rs->seek(QLatin1String(c.op), c.key);
        EXPECT_EQ(rs->noMatch(), c.found == 0) << c.index << " " << c.op;
        if (c.found && !rs->noMatch()) {
            EXPECT_EQ(rs->value(QStringLiteral("RecordID")).toLongLong(), c.found) << c.index << " " << c.op;
        }
    }
}

TEST_F(SeekAndFind, AfterAMissedSeekAddNewStillWorksAndTheNextSeekOrMoveFindsARowAgain) {
    auto rs = songsByKey();
    rs->seek(QStringLiteral("="), {999});
    ASSERT_TRUE(rs->noMatch());
    rs->addNew();
    rs->setValue(QStringLiteral("SongName"), QStringLiteral("Added after a miss"));
    rs->setValue(QStringLiteral("PathName"), QStringLiteral("/new/"));
    rs->setValue(QStringLiteral("FileName"), QStringLiteral("new.mp3"));
    rs->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE SongName = 'Added after a miss'")),
              QStringLiteral("1"));

    rs->seek(QStringLiteral("="), {999});
    rs->seek(QStringLiteral("="), {16});
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Bohemian Rhapsody"));

    rs->seek(QStringLiteral("="), {999});
    const Bookmark b = [&] {
        auto other = songsByKey();
        other->seek(QStringLiteral("="), {20});
        return other->bookmark();
    }();
    rs->setBookmark(b);
    EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Dancing Queen"));

    rs->seek(QStringLiteral("="), {999});
    rs->moveFirst();
    EXPECT_EQ(rs->value(QStringLiteral("RecordID")).toLongLong(), 1);
}

// The letter jump of the category list relies on a missed find leaving the row where it was.
TEST_F(SeekAndFind, MissedFindKeepsTheCurrentRow) {
    auto rs = open(QStringLiteral("Select * from tblCategoryDesc Order By CategoryDesc"));
    rs->findFirst(QStringLiteral("CategoryDesc like \"p*\""));
    ASSERT_FALSE(rs->noMatch());
    rs->findFirst(QStringLiteral("CategoryDesc like \"z*\""));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("CategoryDesc")).toString(), QStringLiteral("Party"));
}

// A name in find criteria is the recordset's own output column first, then a column of the
// tables it reads.
TEST_F(SeekAndFind, FindCriteriaNameTheRecordsetsOwnColumnsOverAJoin) {
    auto rs = open(QStringLiteral(
        "SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON "
        "tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE tblCategoryID.ID=16 Order By CategoryDesc"));
    rs->findFirst(QStringLiteral("ID=16 AND CategoryNumber=2"));
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("CategoryDesc")).toString(), QStringLiteral("Party"));
    rs->findFirst(QStringLiteral("categorynumber = 1 and categorydesc = 'favourites'"));
    ASSERT_FALSE(rs->noMatch());
    rs->deleteRecord(); // the category window's remove command
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 16")), QStringLiteral("1"));
    EXPECT_EQ(raw(QStringLiteral("SELECT CategoryNumber FROM tblCategoryID WHERE ID = 16")), QStringLiteral("2"));

    // A qualified name still reaches a table column the recordset does not show.
    rs->findFirst(QStringLiteral("tblCategoryDesc.CategoryDesc = 'Party'"));
    EXPECT_FALSE(rs->noMatch());

    // Renamed and computed output columns are found by the name the recordset gives them.
    auto named = open(QStringLiteral(
        "SELECT RecordID, Artist AS Performer, Year & \"!\" AS Shout FROM tblContacts Order By RecordID"));
    named->findFirst(QStringLiteral("Performer = 'queen'"));
    ASSERT_FALSE(named->noMatch());
    EXPECT_EQ(named->value(QStringLiteral("RecordID")).toLongLong(), 16);
    named->findFirst(QStringLiteral("Shout = '1947!'"));
    ASSERT_FALSE(named->noMatch());
    EXPECT_EQ(named->value(QStringLiteral("RecordID")).toLongLong(), 10);
    named->findNext(QStringLiteral("Performer = 'nobody'"));
    EXPECT_TRUE(named->noMatch());
    EXPECT_EQ(named->value(QStringLiteral("RecordID")).toLongLong(), 10);
}

// Text compares case-blind in a find as in a SELECT, whether the value is bound or written in the
// criteria, on every kind of recordset; path columns still compare exactly.
TEST_F(SeekAndFind, FindComparesTextCaseBlindForBoundAndLiteralValues) {
    struct Source {
        const char *sql;
        RecordsetType type;
    };
    const Source sources[] = {
        {"Select * from tblCategoryDesc Order By CategoryDesc", RecordsetType::Dynaset},
        {"Select * from tblCategoryDesc Order By CategoryDesc", RecordsetType::Snapshot},
        {"tblCategoryDesc", RecordsetType::Table},
        {"tblCategoryDesc", RecordsetType::Dynaset},
        {"SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON "
         "tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber Order By ID",
         RecordsetType::Dynaset},
        {"SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON "
         "tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber Order By ID",
         RecordsetType::Snapshot},
    };
    for (const Source &src : sources) {
        SCOPED_TRACE(src.sql);
        auto rs = open(QString::fromUtf8(src.sql), src.type);
        rs->findFirst(QStringLiteral("CategoryDesc = ?"), {QStringLiteral("PARTY")});
        ASSERT_FALSE(rs->noMatch());
        EXPECT_EQ(rs->value(QStringLiteral("CategoryDesc")).toString(), QStringLiteral("Party"));
        rs->moveFirst();
        rs->findNext(QStringLiteral("? = CategoryDesc"), {QStringLiteral("pArTy")});
        EXPECT_FALSE(rs->noMatch());
        rs->findFirst(QStringLiteral("CategoryDesc = 'BALLADS'"));
        ASSERT_FALSE(rs->noMatch());
        EXPECT_EQ(rs->value(QStringLiteral("CategoryDesc")).toString(), QStringLiteral("Ballads"));
        rs->findFirst(QStringLiteral("CategoryDesc = ?"), {QStringLiteral("Part")});
        EXPECT_TRUE(rs->noMatch());
    }
    for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot, RecordsetType::Table}) {
        auto rs = open(type == RecordsetType::Table ? QStringLiteral("tblContacts")
                                                    : QStringLiteral("Select * from tblContacts Order By RecordID"),
                       type);
        const QString stored = rs->value(QStringLiteral("PathName")).toString();
        ASSERT_NE(stored.toUpper(), stored);
        rs->findFirst(QStringLiteral("PathName = ?"), {stored.toUpper()});
        EXPECT_TRUE(rs->noMatch());
        rs->findFirst(QStringLiteral("PathName = ?"), {stored});
        EXPECT_FALSE(rs->noMatch());
    }
}

// A quoted number, date or Yes/No in find criteria is read as the value of the field it is
// compared with, as Jet reads it: the same row is found on every kind of recordset, whether
// its rows were read before the find or not, as with the bare value.
TEST_F(SeekAndFind, AQuotedNumberDateOrYesNoFindsTheSameRowAsTheBareValueOnEveryRecordset) {
    sample::run(db->handle(), "CREATE TABLE tblFlags (FlagID INTEGER PRIMARY KEY AUTOINCREMENT, Done YESNO);"
                              "INSERT INTO tblFlags (Done) VALUES (0), (0), (-1), (0), (-1);");
    db.reset();
    db = Database::open(path);
    struct Case {
        const char *table, *criteria;
        qint64 found; // the key of the first row found, 0 for none
    };
    const Case cases[] = {
        {"tblContacts", "TrackNum = 13", 3},
        {"tblContacts", "TrackNum = \"13\"", 3},
        {"tblContacts", "\"13\" = TrackNum", 3},
        {"tblContacts", "TrackNum > \"12\" And TrackNum < \"14\"", 3},
        {"tblContacts", "TrackNum Between \"12\" And \"14\"", 3},
        {"tblContacts", "TrackNum In (\"99\", \"13\")", 3},
        {"tblContacts", "TrackNum = \"13.5\"", 0},
        {"tblContacts", "TrackNum = \"thirteen\"", 0},
        {"tblContacts", "FileSizeNum = 13.1", 16},
        {"tblContacts", "FileSizeNum = \"13.1\"", 16},
        {"tblContacts", "PurchaseDate = #11/30/2019#", 7},
        {"tblContacts", "PurchaseDate = \"2019-11-30\"", 7},
        {"tblContacts", "PurchaseDate > \"2021-01-01\"", 16},
        {"tblFlags", "Done = True", 3},
        {"tblFlags", "Done = \"Yes\"", 3},
        {"tblFlags", "Done = \"True\"", 3},
        {"tblFlags", "Done = \"-1\"", 3},
        {"tblFlags", "Done = \"No\" And FlagID > 3", 4},
    };
    for (const Case &c : cases) {
        const QString table = QString::fromLatin1(c.table);
        const QString key = table == QLatin1String("tblFlags") ? QStringLiteral("FlagID") : QStringLiteral("RecordID");
        for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot, RecordsetType::Table}) {
            for (const bool readFirst : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.criteria << (type == RecordsetType::Table ? " table" : type == RecordsetType::Snapshot ? " snapshot" : " dynaset")
                                                << (readFirst ? ", rows read" : ", rows not read"));
                auto rs = open(type == RecordsetType::Table ? table
                                                            : QStringLiteral("Select * from %1 Order By %2").arg(table, key),
                               type);
                if (readFirst) {
                    rs->moveLast();
                    rs->moveFirst();
                }
                rs->findFirst(QString::fromLatin1(c.criteria));
                EXPECT_EQ(rs->noMatch(), c.found == 0);
                if (c.found) {
                    EXPECT_EQ(rs->value(key).toLongLong(), c.found);
                }
                if (c.found && type != RecordsetType::Table) {
                    rs->moveLast();
                    rs->findPrevious(QString::fromLatin1(c.criteria));
                    EXPECT_FALSE(rs->noMatch());
                }
            }
        }
    }
}

} // namespace
