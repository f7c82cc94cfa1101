// The Jet SQL translation, run on a small in-memory catalogue: every statement shape the program
// sends must translate, prepare, and return the rows Jet would.
#include "common/TestEnv.h"

#include "platform/db/Collations.h"
#include "platform/db/DbError.h"
#include "platform/db/JetSql.h"
#include "platform/db/SqlFunctions.h"

#include <QLocale>
#include <QMap>
#include <sqlite3.h>

using namespace platform::db;

namespace {

const char *kSchema = R"(
CREATE TABLE tblContacts (
    RecordID INTEGER PRIMARY KEY AUTOINCREMENT, SongName TEXT COLLATE JETTEXT, Artist TEXT COLLATE JETTEXT,
    AlbumName TEXT COLLATE JETTEXT, Genre TEXT COLLATE JETTEXT, Year TEXT COLLATE JETTEXT, TrackNum INTEGER,
    Duration TEXT COLLATE JETTEXT, bitRate TEXT COLLATE JETTEXT, FileSize TEXT COLLATE JETTEXT,
    FileSizeNum DOUBLE, PathName TEXT COLLATE JETPATH, FileName TEXT COLLATE JETPATH,
    Rating TEXT COLLATE JETTEXT, ID TEXT COLLATE JETTEXT, PurchaseDate DATETIME, Composer TEXT COLLATE JETTEXT,
    BPM TEXT COLLATE JETTEXT, Code TEXT COLLATE JETTEXT, Date2 DATETIME, MiscField1 TEXT COLLATE JETTEXT,
    MiscField2 TEXT COLLATE JETTEXT, MiscField3 TEXT COLLATE JETTEXT, FileType TEXT COLLATE JETTEXT,
    PicturePath1 TEXT COLLATE JETTEXT, Selected TEXT COLLATE JETTEXT DEFAULT ' ', DateUpdated DATETIME);
CREATE TABLE tblSettings (Type TEXT COLLATE JETTEXT, Name TEXT COLLATE JETTEXT, Setting8 TEXT COLLATE JETTEXT);
CREATE TABLE tblCategoryDesc (CategoryNumber INTEGER PRIMARY KEY AUTOINCREMENT, CategoryDesc TEXT COLLATE JETTEXT);
CREATE TABLE tblCategoryID (ID INTEGER, CategoryNumber INTEGER);
CREATE TABLE tblPlayListHeader (ListID INTEGER PRIMARY KEY AUTOINCREMENT, ListName TEXT COLLATE JETTEXT);
CREATE TABLE tblPlayListDetail (ListID INTEGER, ListTrackID INTEGER, SongTitle TEXT COLLATE JETTEXT,
    FileName TEXT COLLATE JETPATH, Year TEXT COLLATE JETTEXT, ContactRecordID INTEGER DEFAULT 0);
CREATE TABLE tblOrphanFileNames (RecordIdOrphan INTEGER);

INSERT INTO tblContacts (SongName, Artist, AlbumName, Genre, Year, TrackNum, FileSize, FileSizeNum, PathName,
                         FileName, Rating, ID, PurchaseDate, Selected) VALUES
 ('Love Me Do', 'The Beatles', 'Please', 'Pop', '1963', 1, '2.1 MB', 2.5, '/m/a/', 'love.mp3', '****', 'B1', '2020-01-02 00:00:00', 'x'),
 ('love me do', 'the BEATLES', 'Please', 'Pop', '1963', 2, '2.1 MB', 2.5, '/m/b/', 'love.mp3', '*****', 'B2', NULL, ' '),
 ('LOVE ME DO', 'The Beatles', 'Hits',   NULL,  '1963', 3, '2.1 MB', 2.5, '/m/c/', 'love.mp3', NULL, NULL, '2021-03-04 15:30:00', 'x'),
 ('Élan', 'Émilie', 'Été', 'Chanson', '2001', 10, '3 MB', 3.0, '/m/É/', 'élan.flac', '***', 'E1', NULL, ' '),
 ('élan', 'émilie', 'Été', 'Chanson', '2001', 11, '4 MB', 4.25, '/m/a/', 'LOVE.MP3', NULL, 'E2', NULL, ' '),
 (NULL, 'Nobody', 'X', NULL, NULL, NULL, '1 MB', 1.0, '/m/n/', 'n1.mp3', NULL, NULL, NULL, ' '),
 (NULL, 'Nobody', 'X', NULL, NULL, NULL, '1 MB', 1.0, '/m/n/', 'n2.mp3', NULL, NULL, NULL, ' '),
 ('Yesterday', 'The Beatles', 'Help', 'Pop', '1965', 13, '5 MB', 5.0, '/m/a/', 'yesterday.ogg', '*', 'B3', NULL, ' ');
INSERT INTO tblSettings VALUES ('NOTE', 'Shopping', 'rtf'), ('FILTER', 'Pop only', 'Genre = "Pop"'),
                               ('LASTNOTE', 'Shopping', NULL), ('GRIDSORTORDER', 'Artist', NULL);
INSERT INTO tblCategoryDesc (CategoryDesc) VALUES ('Favourites'), ('Party');
INSERT INTO tblCategoryID VALUES (1, 1), (4, 1), (4, 2), (8, 2);
INSERT INTO tblPlayListHeader (ListName) VALUES ('Road "trip"'), ('Quiet');
INSERT INTO tblPlayListDetail VALUES (1, 1, 'Love Me Do', '/m/a/love.mp3', '1963', 1),
    (1, 2, 'Élan', '/m/É/élan.flac', '2001', 4), (1, 3, 'Love Me Do', '/m/a/love.mp3', '1963', 1),
    (2, 1, 'Hand added', '', NULL, 0);
INSERT INTO tblOrphanFileNames VALUES (5), (7);
)";

// The saved queries: the shipped one and the duplicate sets, stored in the order the program
// creates them (a query names one saved after it).
QMap<QString, QString> savedQueries()
{
    QMap<QString, QString> q;
    q["qryContacts"] = "SELECT tblContacts.*, tblCategoryID.CategoryNumber FROM tblContacts INNER JOIN tblCategoryID ON tblContacts.RecordID = tblCategoryID.ID";
    q["qryDuplicateSongs"] = "SELECT * FROM tblContacts INNER JOIN qtotDupSongNames ON (tblContacts.FileSize = qtotDupSongNames.AFileSize) AND (tblContacts.SongName = qtotDupSongNames.ASongName) AND (tblContacts.Artist = qtotDupSongNames.AArtist) ORDER BY tblContacts.Artist, tblContacts.SongName, tblContacts.FileSize";
    q["qryShowDuplicatesToBeDeleted"] = "SELECT qryDuplicateSongs.* FROM qryDuplicateSongs INNER JOIN qtotDupSongNames ON (qryDuplicateSongs.SongName = qtotDupSongNames.ASongName) AND (qryDuplicateSongs.Artist = qtotDupSongNames.AArtist) AND (qryDuplicateSongs.FileSize = qtotDupSongNames.AFileSize)WHERE (((qryDuplicateSongs.RecordID)<>[FirstRecordID])) ORDER BY qryDuplicateSongs.Artist, qryDuplicateSongs.SongName, qryDuplicateSongs.FileSize";
    q["qtotDupSongNames"] = "SELECT tblContacts.Artist AS AArtist, tblContacts.SongName AS ASongName, tblContacts.FileSize AS AFileSize, First(tblContacts.RecordID) AS FirstRecordID From tblContacts GROUP BY tblContacts.Artist, tblContacts.SongName, tblContacts.FileSize HAVING (((Count(tblContacts.SongName))>1))";
    q["qdelDuplicates"] = "DELETE DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN qryShowDuplicatesToBeDeleted ON tblContacts.RecordID = qryShowDuplicatesToBeDeleted.RecordID";
    q["qryDuplicateSongsAlbum"] = "SELECT * FROM tblContacts INNER JOIN qtotDupSongNamesAlbum ON (tblContacts.AlbumName = qtotDupSongNamesAlbum.AAlbum) AND (tblContacts.SongName = qtotDupSongNamesAlbum.ASongName) AND (tblContacts.Artist = qtotDupSongNamesAlbum.AArtist) ORDER BY tblContacts.Artist, tblContacts.SongName, tblContacts.AlbumName";
    q["qryShowDuplicatesToBeDeletedAlbum"] = "SELECT qryDuplicateSongsAlbum.* FROM qryDuplicateSongsAlbum INNER JOIN qtotDupSongNamesAlbum ON (qryDuplicateSongsAlbum.SongName = qtotDupSongNamesAlbum.ASongName) AND (qryDuplicateSongsAlbum.Artist = qtotDupSongNamesAlbum.AArtist) AND (qryDuplicateSongsAlbum.AlbumName = qtotDupSongNamesAlbum.AAlbum)WHERE (((qryDuplicateSongsAlbum.RecordID)<>[FirstRecordID])) ORDER BY qryDuplicateSongsAlbum.Artist, qryDuplicateSongsAlbum.SongName, qryDuplicateSongsAlbum.AlbumName";
    q["qtotDupSongNamesAlbum"] = "SELECT tblContacts.Artist AS AArtist, tblContacts.SongName AS ASongName, tblContacts.AlbumName AS AAlbum, First(tblContacts.RecordID) AS FirstRecordID From tblContacts GROUP BY tblContacts.Artist, tblContacts.SongName, tblContacts.AlbumName HAVING (((Count(tblContacts.SongName))>1))";
    q["qdelDuplicatesAlbum"] = "DELETE DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN qryShowDuplicatesToBeDeletedAlbum ON tblContacts.RecordID = qryShowDuplicatesToBeDeletedAlbum.RecordID";
    return q;
}

class JetSqlTest : public OrvalisTest {
protected:
    void SetUp() override
    {
        OrvalisTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        jet::registerFunctions(db);
        char *msg = nullptr;
        ASSERT_EQ(sqlite3_exec(db, kSchema, nullptr, nullptr, &msg), SQLITE_OK) << msg;
        queries = savedQueries();
    }
    void TearDown() override
    {
        sqlite3_close(db);
        QLocale::setDefault(QLocale::system());
        OrvalisTest::TearDown();
    }

    QString translate(const QString &jet)
    {
        return jet::translateStatement(jet, [this](const QString &name) -> std::optional<QString> {
            for (auto it = queries.cbegin(); it != queries.cend(); ++it)
                if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                    return it.value();
            return std::nullopt;
        });
    }

    // Runs SQLite text; the first column of every row as text ("NULL" for Null).
    QStringList runSql(const QString &sql)
    {
        sqlite3_stmt *st = nullptr;
        const QByteArray u = sql.toUtf8();
        if (sqlite3_prepare_v2(db, u.constData(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << "prepare failed: " << sqlite3_errmsg(db) << "\n  " << u.constData();
            return {};
        }
        QStringList out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out << (sqlite3_column_type(st, 0) == SQLITE_NULL
                        ? QStringLiteral("NULL")
                        : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
        if (rc != SQLITE_DONE)
            ADD_FAILURE() << "step failed: " << sqlite3_errmsg(db) << "\n  " << u.constData();
        sqlite3_finalize(st);
        return out;
    }

    QStringList rows(const QString &jet) { return runSql(translate(jet)); }
    QString one(const QString &jetExpr) { return runSql("SELECT " + jet::translateExpression(jetExpr)).value(0); }
    int changes(const QString &jet)
    {
        runSql(translate(jet));
        return sqlite3_changes(db);
    }

    sqlite3 *db = nullptr;
    QMap<QString, QString> queries;
};

struct Case {
    const char *jet;
    const char *expected; // first column of the rows, joined by "|"
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.jet; }

class InventorySelect : public JetSqlTest, public ::testing::WithParamInterface<Case> {};

TEST_P(InventorySelect, ReturnsTheRowsJetReturns)
{
    const Case c = GetParam();
    EXPECT_EQ(rows(c.jet).join('|'), QString::fromUtf8(c.expected)) << translate(c.jet).toStdString();
}

INSTANTIATE_TEST_SUITE_P(GridSources, InventorySelect, ::testing::Values(
    Case{"Select RecordID from tblContacts Where Artist = 'the beatles' Order By SongName, RecordID", "1|2|3|8"},
    Case{"Select RecordID from  tblContacts Where Genre = \"pop\" Order By tblContacts!AlbumName, tblContacts!TrackNum", "8|1|2"},
    Case{"Select DISTINCTROW RecordID from  tblContacts Where  (SongName Like \"*LOVE*\" OR Artist Like \"*love*\" ) Order By RecordID", "1|2|3"},
    Case{"Select RecordID from  tblContacts Where  (PurchaseDate=#1/2/2020# OR SongName Like \"*1/2/2020*\" ) ", "1"},
    Case{"Select distinctrow RecordID from  qryContacts Where  (Genre = \"Chanson\")  And  CategoryNumber = 2 order by SongName", "4"},
    Case{"Select RecordID from  qryContacts Where  CategoryNumber = 1 Order By tblContacts!Year, Artist, SongName", "1|4"},
    Case{"Select RecordID from  tblContacts Where Selected = 'x'  Order By RecordID", "1|3"},
    Case{"Select RecordID from  tblContacts Where Selected < 'x'  Order By RecordID", "2|4|5|6|7|8"},
    Case{"Select RecordID from qryDuplicateSongs Order By RecordID", "1|2|3"},
    Case{"Select RecordID from qryShowDuplicatesToBeDeleted Order By RecordID", "2|3"},
    Case{"Select RecordID from qryDuplicateSongsAlbum Order By RecordID", "1|2|4|5"},
    Case{"Select RecordID from qryShowDuplicatesToBeDeletedAlbum Order By RecordID", "2|5"},
    Case{"SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1  order by tblContacts!FileName", "4|1"},
    Case{"Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = tblOrphanFileNames.RecordIdOrphan  Order By tblContacts!FileName", "5|7"},
    Case{"Select RecordID from  tblContacts Order By PathName, tblContacts!FileName", "5|1|8|2|3|4|6|7"},
    Case{"Select RecordID from tblContacts Where TrackNum > 2 Order By FileSizeNum DESC, RecordID", "8|5|4|3"},
    Case{"SELECT Sum(FileSizeNum) AS SumOfFileSizeNum from  tblContacts Where Genre = 'Chanson'", "7.25"},
    Case{"Select Count(*) as RowCount from  qryContacts Where  CategoryNumber = 2", "2"}));

INSTANTIATE_TEST_SUITE_P(SettingsCategoriesPlayLists, InventorySelect, ::testing::Values(
    Case{"Select * from tblSettings Where Type='note'", "NOTE"},
    Case{"Select Name from tblSettings Where Type='FILTER' and Name='POP ONLY'", "Pop only"},
    Case{"Select Type, Name, Setting8 from tblSettings Where Type='NOTE' Order by Name", "NOTE"},
    Case{"Select CategoryDesc, CategoryNumber from tblCategoryDesc Order By CategoryDesc", "Favourites|Party"},
    Case{"Select count(*) as CountRecs from tblCategoryID Where CategoryNumber=2", "2"},
    Case{"SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE tblCategoryID.ID=4 Order By CategoryDesc", "4|4"},
    Case{"select ListID from tblPlayListHeader where ListName=\"road \"\"TRIP\"\"\"", "1"},
    Case{"select * from tblPlayListDetail where ListID=1 Order By ListTrackID DESC ", "1|1|1"},
    Case{"Select FileName, ListTrackID From tblPlayListDetail Where ListID=2 And len(FileName) > 0  Order by ListTrackID", ""},
    Case{"Select ListTrackID From tblPlayListDetail Where ListID=1 AND FileName > ' ' Order by ListTrackID", "1|2|3"},
    Case{"SELECT tblPlayListHeader.*, tblPlayListDetail.* FROM tblPlayListHeader INNER JOIN tblPlayListDetail ON tblPlayListHeader.ListID = tblPlayListDetail.ListID Where ListName = \"Quiet\"", "2"},
    Case{"SELECT ID, SongName from tblContacts Where ID=\"e2\"", "E2"},
    Case{"select RecordID from tblContacts Where PathName=\"/m/a/\" and FileName=\"love.mp3\"", "1"},
    Case{"select RecordID from tblContacts Where PathName=\"/M/A/\" and FileName=\"love.mp3\"", ""},
    Case{"SELECT Genre FROM tblContacts GROUP BY Genre", "NULL|Chanson|Pop"},
    Case{"Select count(*) as NumRecs from tblContacts Where PathName like \"*/É/*\"", "1"},
    Case{"Select count(*) as NumRecs from tblContacts Where  tblContacts.PathName  is null or  tblContacts.PathName =''", "0"},
    Case{"Select FileName from tblPlayListDetail Where FileName like \"*/é/*\"", "/m/É/élan.flac"},
    Case{"Select RecordId, PathName, FileName from tblContacts where RecordID = 4", "4"}));

TEST_F(JetSqlTest, EverySortTailRunsOverEveryGridSource)
{
    const char *tails[] = {
        " Order By tblContacts!AlbumName, tblContacts!TrackNum", " Order By Artist, SongName", " Order By Bitrate",
        " Order By BPM", " Order By Code", " Order By Composer, SongName", " Order By Date2",
        " Order By DateUpdated DESC", " Order By tblContacts!Duration", " Order By tblContacts!FileName",
        " Order By FileSizeNum", " Order By Genre, Artist, SongName", " Order By ID", " Order By MiscField1",
        " Order By MiscField2", " Order By MiscField3", " Order By PathName, tblContacts!FileName",
        " Order By PurchaseDate", " Order By tblContacts!Rating, SongName", " Order By SongName, Artist",
        " Order By TrackNum", " Order By FileType", " Order By tblContacts!Year, Artist, SongName"};
    const char *sources[] = {
        "Select * from  tblContacts", "Select * from  qryContacts Where  CategoryNumber = 2",
        "select * from  qrycontacts where  categorynumber = 2", // the player lower-cases the source
        "Select distinctrow * from  tblContacts Where  (Genre = \"Chanson\") ",
        "SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = "
        "tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1 ",
        "Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = tblOrphanFileNames.RecordIdOrphan "};
    const int expected[] = {8, 2, 2, 2, 2, 2};
    for (size_t i = 0; i < std::size(sources); ++i)
        for (const char *tail : tails)
            EXPECT_EQ(rows(QString(sources[i]) + tail).size(), expected[i]) << sources[i] << tail;
    EXPECT_EQ(rows("Select Artist, SongName, PathName, FileName, Duration from qryDuplicateSongs Order By PathName, FileName ").join('|'),
              "The Beatles|the BEATLES|The Beatles");
}

TEST_F(JetSqlTest, DuplicateQueriesKeepOneSongPerGroupAndIgnoreNullNames)
{
    EXPECT_EQ(rows("Select FirstRecordID from qtotDupSongNames").join('|'), "1");
    QStringList toDelete = rows("qryShowDuplicatesToBeDeleted"); // a saved query named alone
    toDelete.sort();
    EXPECT_EQ(toDelete.join('|'), "2|3");
    EXPECT_EQ(changes("qdelDuplicates"), 2);
    EXPECT_EQ(rows("Select RecordID from tblContacts Order By RecordID").join('|'), "1|4|5|6|7|8");
    EXPECT_TRUE(rows("qryDuplicateSongs").isEmpty());
}

TEST_F(JetSqlTest, ActionStatementsChangeTheRightRows)
{
    EXPECT_EQ(changes("Update tblContacts Set Selected=' ' Where Selected='X'"), 2);
    EXPECT_EQ(changes("Update tblContacts Set  tblContacts.PathName =\"/n/\" Where  tblContacts.PathName  like \"*/a/*\" "), 3);
    EXPECT_EQ(changes("Update tblPlayListDetail Set FileName=\"/n/love.mp3\" Where FileName=\"/m/a/love.mp3\""), 2);
    EXPECT_EQ(changes("Delete  DISTINCTROW tblContacts.* from tblContacts INNER JOIN tblCategoryID on tblContacts.RecordID = tblCategoryID.ID   Where  ( Genre = 'chanson' )  And  CategoryNumber = 2"), 1);
    EXPECT_EQ(rows("Select count(*) from tblContacts where RecordID = 4").join(""), "0");
    EXPECT_EQ(rows("Select count(*) from tblCategoryID").join(""), "4"); // links stay
    EXPECT_EQ(changes("Delete * from tblContacts where RecordID = 8"), 1);
    EXPECT_EQ(changes("DELETE FROM tblContacts WHERE RecordID = 7"), 1);
    EXPECT_EQ(changes("Delete from tblPlayListDetail Where ListID=1 and ListTrackID = 2"), 1);
    EXPECT_EQ(changes("Delete * from tblOrphanFileNames"), 2);
    EXPECT_EQ(changes("Delete * from tblContacts Where  (SongName like \"*love*\") "), 3);
    EXPECT_EQ(changes("INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (9, 2)"), 1);
    EXPECT_EQ(changes("Delete * from tblContacts"), 2);
}

TEST_F(JetSqlTest, FilterExpressionsTheUserMayType)
{
    const auto ids = [&](const QString &criteria) {
        return rows("Select distinctrow RecordID from  tblContacts Where  (" + criteria + ")  Order By RecordID").join('|');
    };
    EXPECT_EQ(ids("Rating = \"****\" or Rating = \"*****\""), "1|2");
    EXPECT_EQ(ids("SongName like \"*LOVE*\" and Artist like \"the*\""), "1|2|3");
    EXPECT_EQ(ids("Not SongName Like \"L*\" And SongName Is Not Null"), "4|5|8");
    // Not between the operand and its operator leaves out what the positive form keeps.
    EXPECT_EQ(ids("Artist Not Like \"The*\""), "4|5|6|7");
    EXPECT_EQ(ids("Year Not Between 1963 And 1965"), "4|5");
    EXPECT_EQ(ids("Genre Not In ('Pop', 'Rock')"), "4|5");
    EXPECT_EQ(ids("PurchaseDate Between #2020-01-01# And #12/31/2020#"), "1");
    EXPECT_EQ(ids("TrackNum In (1, 3, 13) And Genre <> 'Pop'"), "");
    EXPECT_EQ(ids("[Genre] Is Null And [SongName] & \"\" <> \"\""), "3");
    EXPECT_EQ(ids("UCase(Left(Artist, 3)) = 'THE' And Year(PurchaseDate) = 2021"), "3");
    EXPECT_EQ(ids("Mid(FileName, 2, 3) = 'OVE' And Len(Trim(\"  x \")) = 1 And InStr(PathName, \"A\") = 4"), "1|5");
    EXPECT_EQ(ids("IIf(Nz(Rating, 'none') = 'none', True, False) And Val(Year & \"abc\") > 2000"), "5");
    EXPECT_EQ(ids("TrackNum Mod 5 = 0 Or TrackNum \\ 4 = 3"), "4|8");
    EXPECT_EQ(ids("Format(PurchaseDate, \"yyyy-mm\") = '2021-03' Or Format(PurchaseDate, \"Short Date\") = '1/2/20'"), "1|3");
    EXPECT_EQ(ids("CInt(FileSizeNum) = 4 Or CStr(TrackNum) = '13' Or CDbl(\"2.5\") * 2 = FileSizeNum + 1"), "5|8");
    EXPECT_EQ(ids("Abs(-TrackNum) = 10 Or Int(FileSizeNum) = 4 Or LCase(ID) = 'b2'"), "2|4|5");
}

TEST_F(JetSqlTest, ArithmeticKeepsJetPrecedence)
{
    EXPECT_EQ(one("1 & 2 + 3"), "15");       // & binds looser than +
    EXPECT_EQ(one("2 ^ 3 * 2"), "16");
    EXPECT_EQ(one("7 / 2"), "3.5");          // / divides as floating point
    EXPECT_EQ(one("- 2 - -3"), "1");
    EXPECT_EQ(one("Null & 'a' & Null"), "a");
    EXPECT_EQ(one("'abc' = 'ABC'"), "1");    // literal text compares case-blind
    EXPECT_EQ(one("'É' < 'f'"), "1");        // an accented letter sorts with its letter
}

struct ValueCase {
    const char *expression;
    const char *expected; // the value as text, "NULL" for Null
};

void PrintTo(const ValueCase &c, std::ostream *os) { *os << c.expression; }

class JetFunction : public JetSqlTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(JetFunction, GivesJetsResult)
{
    const ValueCase c = GetParam();
    EXPECT_EQ(one(c.expression), QString::fromUtf8(c.expected)) << jet::translateExpression(c.expression).toStdString();
}

INSTANTIATE_TEST_SUITE_P(TextFunctions, JetFunction, ::testing::Values(
    ValueCase{"UCase(\"élan\") & LCase('ÉTÉ')", "ÉLANété"},   ValueCase{"Left('abc', 5) & Right('abc', 2)", "abcbc"},
    ValueCase{"Mid('abcdef', 3)", "cdef"},                     ValueCase{"Mid('abc', 5, 2)", ""},
    ValueCase{"Len('Été') + Len(12.5)", "7"},                 ValueCase{"'[' & LTrim('  a  ') & '|' & RTrim('  a  ') & ']'", "[a  |  a]"},
    ValueCase{"InStr(3, 'abcabc', 'B')", "5"},                 ValueCase{"InStr(1, 'abcabc', 'B', 0)", "0"},
    ValueCase{"InStr('abc', Null)", "NULL"},                   ValueCase{"Nz(Null) & Nz(Null, 'x') & Nz('y', 'x')", "xy"},
    ValueCase{"Val(' 1 2.5abc') + Val('x')", "12.5"},          ValueCase{"Val('-3e2')", "-300"},
    ValueCase{"CStr(2.5) & CStr(#1/2/2020 13:05#)", "2.51/2/2020 1:05:00 PM"},
    ValueCase{"CInt(2.5) & CInt(3.5) & CLng('-7')", "24-7"},  ValueCase{"Abs(-2.5) + Int(-2.5)", "-0.5"},
    ValueCase{"'a' + 'b'", "ab"},                              ValueCase{"IIf(1 > 2, 'yes', IIf(Null, 'x', 'no'))", "no"}));

INSTANTIATE_TEST_SUITE_P(DateFunctions, JetFunction, ::testing::Values(
    ValueCase{"Year(#2/29/2024#) & '-' & Month(#2/29/2024#) & '-' & Day(#2/29/2024#)", "2024-2-29"},
    ValueCase{"Year('3/4/21')", "2021"},                      ValueCase{"Year(Null)", "NULL"},
    ValueCase{"Format(#1/2/2020 13:05:09#, 'yyyy-mm-dd hh:nn:ss')", "2020-01-02 13:05:09"},
    ValueCase{"Format(#1/2/2020 13:05#, 'd mmm yy h:mm AM/PM')", "2 Jan 20 1:05 PM"},
    ValueCase{"Format(#1/2/2020#, 'dddd, mmmm d')", "Thursday, January 2"},
    ValueCase{"Format(#1/2/2020 13:05#, 'Short Date') & ' ' & Format(#1/2/2020 13:05#, 'Short Time')", "1/2/20 13:05"},
    ValueCase{"Format(1234.5, '#,##0.00') & ' ' & Format(0.256, '0.0%') & ' ' & Format(3, 'Fixed')", "1,234.50 25.6% 3.00"},
    ValueCase{"Format(Now(), 'yyyy') = Format(Date(), 'yyyy')", "1"},
    ValueCase{"Date() < Now() Or Format(Now(), 'hh:nn:ss') = '00:00:00'", "1"}));

TEST_F(JetSqlTest, DistinctRowShowsEachRowOfTheShownTableOnce)
{
    // Song 1 is twice in play list 1: Jet's DISTINCTROW shows it once; a plain join twice.
    const QString join = " tblContacts.RecordID FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = "
                         "tblPlayListDetail.ContactRecordID WHERE tblPlayListDetail.ListID = 1 ORDER BY tblContacts.RecordID";
    EXPECT_EQ(rows("SELECT DISTINCTROW" + join).join('|'), "1|4");
    EXPECT_EQ(rows("SELECT" + join).join('|'), "1|1|4");
    // On one table it changes nothing: equal rows stay.
    EXPECT_EQ(rows("Select DISTINCTROW Artist from  tblContacts Where Artist Like 'nobody'").size(), 2);
    EXPECT_FALSE(jet::splitSelect(translate("Select DISTINCTROW * from  tblContacts"))->distinct);
}

TEST_F(JetSqlTest, SavedQueriesExpandWhereverTheyAreNamed)
{
    // An action query run by name, a query named after the one that uses it, and a table
    // qualifier that points into a saved query.
    EXPECT_TRUE(translate("qdelDuplicatesAlbum").startsWith("DELETE FROM tblContacts WHERE rowid IN (SELECT"));
    EXPECT_EQ(rows("SELECT count(*) FROM qryShowDuplicatesToBeDeleted").join(""), "2");
    const auto parts = jet::splitSelect(translate("Select * from  qryContacts Where  CategoryNumber = 1 Order By tblContacts!Year"));
    ASSERT_TRUE(parts);
    EXPECT_TRUE(parts->from.startsWith("(SELECT tblContacts.*"));
    EXPECT_TRUE(parts->from.endsWith(") AS qryContacts"));
    EXPECT_EQ(parts->where, "CategoryNumber = 1");
    EXPECT_EQ(parts->orderBy, "qryContacts.Year");
    // A name that is no saved query is a table.
    EXPECT_EQ(translate("tblSettings"), "SELECT * FROM tblSettings");
    try {
        translate("Select * from qdelDuplicates");
        ADD_FAILURE() << "an action query used as a source";
    } catch (const DbError &e) {
        EXPECT_EQ(e.number(), err::SyntaxError);
    }
}

struct LikeCase {
    const char *value;
    const char *pattern;
    bool matches;
};

class JetLike : public ::testing::TestWithParam<LikeCase> {};

TEST_P(JetLike, MatchesJetPatternsCaseBlind)
{
    const LikeCase c = GetParam();
    EXPECT_EQ(jet::jetLike(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)), c.matches)
        << c.value << " Like " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(Patterns, JetLike, ::testing::Values(
    LikeCase{"Love Me Do", "love*", true},         LikeCase{"Love Me Do", "*ME*", true},
    LikeCase{"Love Me Do", "*me", false},          LikeCase{"Élan vital", "élan*", true},
    LikeCase{"ÉLAN", "*lan", true},                LikeCase{"Elan", "élan", false},
    LikeCase{"straße", "STRASSE", false},          LikeCase{"ÀÖÜ", "àöü", true},
    LikeCase{"a1c", "a#c", true},                  LikeCase{"abc", "a#c", false},
    LikeCase{"abc", "a?c", true},                  LikeCase{"ac", "a?c", false},
    LikeCase{"Bob", "[a-c]*", true},               LikeCase{"bob", "[!a-c]*", false},
    LikeCase{"x*y", "x[*]y", true},                LikeCase{"xzy", "x[*]y", false},
    LikeCase{"[live", "[live", true},              LikeCase{"", "*", true},
    LikeCase{"abcabd", "*ab?", true},              LikeCase{"aXbXc", "a*b*c", true},
    LikeCase{"****", "[*][*][*][*]", true},        LikeCase{"****", "*****", true}));

TEST_F(JetSqlTest, LikeComparesNumbersAndDatesAsTheLocaleShowsThem)
{
    EXPECT_EQ(rows("Select RecordID from tblContacts Where PurchaseDate like \"1/2/*\"").join('|'), "1");
    EXPECT_EQ(rows("Select RecordID from tblContacts Where PurchaseDate like \"3/4/2021 3:30*\"").join('|'), "3");
    EXPECT_EQ(rows("Select RecordID from tblContacts Where FileSizeNum like \"4.2*\"").join('|'), "5");
    EXPECT_EQ(rows("Select RecordID from tblContacts Where FileSizeNum like \"3\"").join('|'), "4");
    EXPECT_EQ(rows("Select RecordID from tblContacts Where TrackNum like \"1#\" Order By RecordID").join('|'), "4|5|8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(rows("Select RecordID from tblContacts Where FileSizeNum like \"4,25\"").join('|'), "5");
    EXPECT_EQ(rows("Select RecordID from tblContacts Where PurchaseDate like \"02.01.*\"").join('|'), "1");
}

TEST(JetDateLiteral, ReadsUsOrderIsoAndTimes)
{
    EXPECT_EQ(jet::parseDateLiteral("1/2/2020").value_or("?"), "2020-01-02 00:00:00");
    EXPECT_EQ(jet::parseDateLiteral("2020-01-02").value_or("?"), "2020-01-02 00:00:00");
    EXPECT_EQ(jet::parseDateLiteral("13/1/2020").value_or("?"), "2020-01-13 00:00:00");
    EXPECT_EQ(jet::parseDateLiteral("1/2/99 3:04 PM").value_or("?"), "1999-01-02 15:04:00");
    EXPECT_EQ(jet::parseDateLiteral("1/1/29").value_or("?"), "2029-01-01 00:00:00"); // the window's last year
    EXPECT_EQ(jet::parseDateLiteral("1/1/30").value_or("?"), "1930-01-01 00:00:00"); // and its first
    EXPECT_EQ(jet::parseDateLiteral("2.1.2020").value_or("?"), "2020-01-02 00:00:00");
    EXPECT_EQ(jet::parseDateLiteral("2 Jan 2020").value_or("?"), "2020-01-02 00:00:00");
    EXPECT_EQ(jet::parseDateLiteral("January 2, 2020 1:30 PM").value_or("?"), "2020-01-02 13:30:00");
    EXPECT_FALSE(jet::parseDateLiteral("2/30/2020"));
    EXPECT_FALSE(jet::parseDateLiteral("soon"));
}

TEST(JetCollation, TextIsCaseBlindForEveryLetterAndPathsEqualOnlyWhenIdentical)
{
    EXPECT_EQ(jet::compareText("Émilie", "émilie"), 0);
    EXPECT_EQ(jet::compareText("ÀB", "àb"), 0);
    EXPECT_LT(jet::compareText("abc", "ABD"), 0);
    EXPECT_LT(jet::compareText("a", "B"), 0);
    EXPECT_NE(jet::comparePath("/m/A/", "/m/a/"), 0);
    EXPECT_LT(jet::comparePath("/m/A/x", "/m/a/y"), 0); // case-blind order first
    EXPECT_LT(jet::comparePath("/m/B", "/m/b"), 0);     // then code points
    EXPECT_EQ(jet::comparePath("/m/É/", "/m/É/"), 0);
}

TEST(JetCollation, AccentedLettersSortWithTheirLetterNotAfterZ)
{
    EXPECT_LT(jet::compareText("Émotion", "Zombie"), 0);
    EXPECT_LT(jet::compareText("Ënd", "Fall"), 0);
    EXPECT_GT(jet::compareText("Émotion", "Dance"), 0);
    // Same letters: the accent orders them, case still does not, and they stay two texts.
    EXPECT_LT(jet::compareText("emotion", "Émotion"), 0);
    EXPECT_NE(jet::compareText("Emotion", "Émotion"), 0);
    EXPECT_EQ(jet::compareText("ÉMOTION", "émotion"), 0);
    // Text stored decomposed (e + combining acute) sorts like the composed letter.
    EXPECT_LT(jet::compareText(QString::fromUtf8("E\xcc\x81motion"), "Zombie"), 0);
    EXPECT_LT(jet::comparePath("/m/Émotion.mp3", "/m/Zombie.mp3"), 0);
}

TEST_F(JetSqlTest, ExpressionWithMoreThanOneStatementIsRefused)
{
    for (const char *bad : {"1=1; DROP TABLE tblContacts", "SongName = 'a' -- and the rest", "SongName = 'a' /* x */",
                            "1) OR (1=1", "1=1; ", "(SELECT 1); DELETE FROM tblContacts"}) {
        try {
            jet::translateExpression(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const DbError &e) {
            EXPECT_EQ(e.number(), err::SyntaxError) << bad;
        }
    }
    for (const char *bad : {"Delete * from tblContacts Where (1=1); DROP TABLE tblSettings",
                            "Select * from tblContacts Where (x = 'a') -- ')",
                            "Update tblContacts Set Selected=' '; Delete from tblSettings"}) {
        try {
            translate(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const DbError &e) {
            EXPECT_EQ(e.number(), err::SyntaxError) << bad;
        }
    }
    // Quotes inside a literal stay inside it.
    EXPECT_EQ(rows("Select RecordID from tblContacts Where SongName = \"x'); DROP TABLE tblSettings; --\"").size(), 0);
    EXPECT_EQ(rows("Select count(*) from tblSettings").join(""), "4");
}

TEST_F(JetSqlTest, TextThatDoesNotParseGives3075NamingTheProblem)
{
    const struct { const char *text; const char *problem; } cases[] = {
        {"SongName = ", "missing operand"},       {"SongName Like", "missing operand"},
        {"(SongName = 'a'", "missing )"},        {"SongName = 'abc", "missing closing quote"},
        {"Left(SongName) = 'a'", "Wrong number of arguments"},
        {"PurchaseDate = #2/30/2020#", "invalid date"},   {"SongName 'a'", "missing operator"},
        {"SongName = 'a')", "extra )"},          {"Artist @ 1", "invalid character"},
    };
    for (const auto &c : cases) {
        try {
            jet::translateExpression(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const DbError &e) {
            EXPECT_EQ(e.number(), err::SyntaxError) << c.text;
            EXPECT_TRUE(e.description().contains(c.problem)) << e.description().toStdString();
        }
    }
    // An unknown function has its own number, which the filter window reports as such.
    try {
        jet::translateExpression("Foo(SongName) = 1");
        ADD_FAILURE() << "accepted an unknown function";
    } catch (const DbError &e) {
        EXPECT_EQ(e.number(), 3085);
        EXPECT_EQ(e.description(), QStringLiteral("Undefined function 'Foo' in expression."));
    }
    try {
        translate("Select * tblContacts");
        ADD_FAILURE() << "accepted a SELECT without FROM";
    } catch (const DbError &e) {
        EXPECT_EQ(e.number(), err::SyntaxError);
    }
}

TEST_F(JetSqlTest, UnknownFieldFailsAtPrepareInsteadOfBecomingText)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = translate("Select * from tblContacts Where [No Such Field] = 'x'").toUtf8();
    EXPECT_NE(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
    EXPECT_TRUE(QString(sqlite3_errmsg(db)).contains("no such column"));
    sqlite3_finalize(st);
}

TEST_F(JetSqlTest, SavedQueriesThatNameEachOtherInACycleAreRefused)
{
    queries["qA"] = "SELECT * FROM qB";
    queries["qB"] = "SELECT * FROM qA";
    try {
        translate("Select * from qA");
        ADD_FAILURE() << "cycle accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(e.number(), err::SyntaxError);
        EXPECT_TRUE(e.description().contains("Circular"));
    }
}

TEST(JetSplitSelect, FindsTopLevelClausesOnly)
{
    const auto p = jet::splitSelect(
        "SELECT DISTINCT a, (SELECT b FROM t WHERE c) AS x FROM (SELECT * FROM u ORDER BY y) AS q "
        "WHERE a = 'from where' AND \"order\" > 1 GROUP BY a HAVING count(*) > 1 ORDER BY a DESC");
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->distinct);
    EXPECT_EQ(p->columns, "a, (SELECT b FROM t WHERE c) AS x");
    EXPECT_EQ(p->from, "(SELECT * FROM u ORDER BY y) AS q");
    EXPECT_EQ(p->where, "a = 'from where' AND \"order\" > 1");
    EXPECT_EQ(p->groupBy, "a");
    EXPECT_EQ(p->having, "count(*) > 1");
    EXPECT_EQ(p->orderBy, "a DESC");
    EXPECT_FALSE(jet::splitSelect("DELETE FROM t"));
    EXPECT_FALSE(jet::splitSelect("SELECT a FROM t UNION SELECT b FROM u"));
}

} // namespace
