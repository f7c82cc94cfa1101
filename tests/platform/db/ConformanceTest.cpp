// The statements the program sends, run against the sample catalogue; the rows that come back
// are checked, not only that nothing failed.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/Collations.h"
#include "platform/db/SqlFunctions.h"

#include <QDateTime>

using namespace platform::db;

namespace {

struct Case {
    const char *sql;
    const char *field;
    const char *expected; // values joined by "|"
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.sql; }

class ReadStatements : public SampleDbTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ReadStatements, ReturnTheExpectedRows) {
    const Case &c = GetParam();
    EXPECT_EQ(column(QString::fromUtf8(c.sql), QString::fromUtf8(c.field)).join(u'|'), QString::fromUtf8(c.expected));
}

// Grid record sources of the main window.
INSTANTIATE_TEST_SUITE_P(
    GridSources, ReadStatements,
    ::testing::Values(
        Case{"Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName", "SongName",
             "Bohemian Rhapsody|Hey Jude|Jóga"},
        Case{"Select DISTINCTROW * from  tblContacts Where  (SongName Like \"*love*\" OR Artist Like \"*love*\" ) "
             "Order By SongName",
             "SongName", "Love Me Do|Love of My Life|Somebody to Love"},
        Case{"Select DISTINCTROW * from  tblContacts Where  (SongName Like \"*JÓGA*\" OR Artist Like \"*JÓGA*\" ) "
             "Order By SongName",
             "RecordID", "7"},
        Case{"Select DISTINCTROW * from  tblContacts Where  (PurchaseDate=#01/05/2020# ) Order By SongName", "RecordID", "1"},
        Case{"Select distinctrow * from  tblContacts Where  (Rating = \"****\" or Rating = \"*****\") Order By SongName",
             "SongName", "Bohemian Rhapsody|Hey Jude|Jóga|La Vie en rose|Let It Be|Love of My Life"},
        Case{"Select distinctrow * from  qryContacts Where  (Artist like \"queen\")  And  CategoryNumber = 1 Order By SongName",
             "RecordID", "16"},
        // The four shapes the filter window builds: with and without a category, with the grid's
        // sort or the user's own order.
        Case{"Select distinctrow * from  tblContacts Where  (Artist = \"Queen\")  Order By SongName, Artist", "SongName",
             "Bohemian Rhapsody|Love of My Life|Somebody to Love"},
        Case{"Select distinctrow * from  tblContacts Where  (Artist = \"Queen\")  ORDER BY Year DESC", "Year",
             "1976|1975|1975"},
        Case{"Select distinctrow * from  qryContacts Where  (Year > \"1900\")  And  CategoryNumber = 1  Order By "
             "SongName, Artist",
             "SongName", "Bohemian Rhapsody|Hey Jude|Jóga"},
        Case{"Select distinctrow * from  qryContacts Where  (Year > \"1900\")  And  CategoryNumber = 1  ORDER BY Year",
             "SongName", "Hey Jude|Bohemian Rhapsody|Jóga"},
        Case{"Select * from  tblContacts Where Selected = 'x'  Order By SongName", "RecordID", "1|11|3"},
        Case{"Select * from  tblContacts Where Selected < 'x'  Order By tblContacts!Year, Artist, SongName", "Year",
             "<null>|<null>|<null>|<null>|1947|1963|1965|1965|1965|1970|1975|1975|1976|1976|1997|1997|1997|2001|2001"},
        Case{"SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = "
             "tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1  order by tblContacts!SongName",
             "SongName", "Bohemian Rhapsody|Hey Jude"},
        Case{"Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = "
             "tblOrphanFileNames.RecordIdOrphan  Order By tblContacts!FileName",
             "FileName", "track01.mp3|track02.mp3"},
        Case{"Select * from  tblContacts Order By tblContacts!FileName", "FileName",
             "a.mp3|b.mp3|Bohemian Rhapsody.mp3|Dancing Queen.mp3|Hey Jude.mp3|Hunter.flac|hunter.flac|Jóga.flac|"
             "La Vie en rose.mp3|Let It Be.mp3|Love Me Do.mp3|Love of My Life.mp3|Non.mp3|Somebody to Love.mp3|"
             "Song.mp3|song.mp3|track01.mp3|track02.mp3|Yesterday.flac|Yesterday.mp3|Yesterday.mp3|yesterday.mp3"},
        Case{"Select Artist, SongName, PathName, FileName, Duration from qryContacts  Where CategoryNumber = 2 "
             "Order By Artist, SongName ",
             "Artist", "ABBA|Queen"},
        Case{"select  filename, pathname, songname, artist from  qrycontacts where  categorynumber = 3 order by songname",
             "FileName", "Love of My Life.mp3"}));

// Settings, categories, play lists and lookups of songs.
INSTANTIATE_TEST_SUITE_P(
    Lookups, ReadStatements,
    ::testing::Values(
        Case{"Select * from tblSettings Where Type='GRIDSORTORDER'", "Name", "Artist"},
        Case{"Select * from tblSettings Where Type='FILTER' and Name='loved'", "Setting8", "Rating = \"*****\""},
        Case{"Select Type, Name, Setting8 from tblSettings Where Type='NOTE' Order by Name", "Name", "My Note"},
        Case{"Select Name, Type from tblSettings Where Type='LASTNOTE'", "Name", "My Note"},
        Case{"Select * from tblCategoryDesc Order By CategoryDesc", "CategoryDesc", "Ballads|Favourites|Party"},
        Case{"Select CategoryDesc, CategoryNumber from tblCategoryDesc Order By CategoryDesc", "CategoryNumber", "3|1|2"},
        Case{"Select count(*) as CountRecs from tblCategoryID Where CategoryNumber=1", "CountRecs", "3"},
        Case{"SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc ON "
             "tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE tblCategoryID.ID=16 Order By CategoryDesc",
             "CategoryDesc", "Favourites|Party"},
        Case{"select ListName, ListID from tblPlayListHeader Order by ListName", "ListId", "2|1"},
        Case{"select ListID from tblPlayListHeader where ListName=\"road trip\"", "ListID", "1"},
        Case{"Select * From tblPlayListHeader where ListID=2", "Notes", "<null>"},
        Case{"select * from tblPlayListDetail where ListID=1 Order By ListTrackID DESC ", "ListTrackID", "4|3|2|1"},
        Case{"Select SongTitle, ArtistName, ListTrackID From tblPlayListDetail Where ListID=1 Order by ListTrackID",
             "ArtistName", "Queen|The Beatles|Queen|<null>"},
        Case{"Select FileName From tblPlayListDetail Where ListID=2 AND FileName > ' ' Order by ListTrackID", "FileName",
             "/music/Björk/Jóga.flac"},
        Case{"Select FileName, ListTrackID From tblPlayListDetail Where ListID=1 And len(FileName) > 0  Order by ListTrackID",
             "ListTrackID", "1|2|3|4"},
        Case{"Select * From tblPlayListDetail where ListID=1 and ListTrackID = 4", "Notes",
             "  *added manually, when song was not cataloged in database*"},
        Case{"SELECT tblPlayListHeader.*, tblPlayListDetail.* FROM tblPlayListHeader INNER JOIN tblPlayListDetail ON "
             "tblPlayListHeader.ListID = tblPlayListDetail.ListID Where ListName = \"Chill\"",
             "SongTitle", "Jóga"},
        Case{"SELECT ID, SongName from tblContacts Where ID=\"s016\"", "SongName", "Bohemian Rhapsody"},
        Case{"select RecordID from tblContacts Where PathName=\"/music/Björk/\" and FileName=\"hunter.flac\"", "RecordID", "9"},
        Case{"select * from tblContacts where SongName=\"HUNTER\" And Artist=\"björk\"", "RecordID", "8|9"},
        Case{"SELECT Genre FROM tblContacts GROUP BY Genre", "Genre", "<null>|Chanson|Electronic|Pop|Rock"},
        Case{"Select count(*) as NumRecs from tblContacts Where PathName like \"*björk*\"", "NumRecs", "3"},
        Case{"Select FileName from tblPlayListDetail Where FileName like \"*queen*\"", "FileName",
             "/music/Queen/Bohemian Rhapsody.mp3|/music/Queen/Bohemian Rhapsody.mp3"},
        Case{"Select count(*) as NumRecs from tblContacts Where  tblContacts.Genre  is null or  tblContacts.Genre =''",
             "NumRecs", "5"},
        Case{"SELECT Sum(FileSizeNum) AS SumOfFileSizeNum from  tblContacts Where RecordID = 14 or RecordID = 15 ",
             "SumOfFileSizeNum", "3"},
        Case{"Select Count(*) as RowCount from  qryContacts Where  CategoryNumber = 2", "RowCount", "2"}));

// Every sort of the grid orders the whole catalogue by its first field (case-blind, Nulls first).
class SortTails : public SampleDbTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(SortTails, OrderTheGridByTheirField) {
    const QString tail = QString::fromLatin1(GetParam());
    // The songs, one category, and the songs whose files are missing (two).
    const QString missing = QStringLiteral(
        "tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = tblOrphanFileNames.RecordIdOrphan ");
    for (const QString &source : {QStringLiteral("tblContacts"), QStringLiteral("qryContacts"), missing}) {
        auto rs = open(QStringLiteral("Select * from  ") + source + tail);
        ASSERT_EQ(rs->recordCount(),
                  source == QLatin1String("tblContacts") ? sample::kSongCount : (source == missing ? 2 : 6));
        QString field = tail.section(QStringLiteral("By "), 1).section(u',', 0, 0).trimmed();
        const bool desc = field.endsWith(QLatin1String(" DESC"));
        field = field.remove(QStringLiteral(" DESC")).remove(QStringLiteral("tblContacts!"));
        QVariant prev;
        for (long p = 0; p < rs->recordCount(); ++p) {
            const QVariant v = rs->valueAt(p, rs->fieldOrdinal(field));
            if (p > 0 && !prev.isNull()) {
                ASSERT_FALSE(v.isNull() && !desc) << qPrintable(field) << " Null after a value";
                if (!v.isNull()) {
                    int cmp = 0;
                    if (v.typeId() == QMetaType::QString)
                        cmp = jet::compareText(prev.toString(), v.toString());
                    else if (v.typeId() == QMetaType::QDateTime)
                        cmp = prev.toDateTime() < v.toDateTime() ? -1 : prev.toDateTime() > v.toDateTime();
                    else
                        cmp = prev.toDouble() < v.toDouble() ? -1 : prev.toDouble() > v.toDouble();
                    EXPECT_LE(desc ? -cmp : cmp, 0) << qPrintable(field) << " at " << p;
                }
            }
            prev = v;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, SortTails,
    ::testing::Values(" Order By tblContacts!AlbumName, tblContacts!TrackNum", " Order By Artist, SongName",
                      " Order By Bitrate", " Order By BPM", " Order By Code", " Order By Composer, SongName",
                      " Order By Date2", " Order By DateUpdated DESC", " Order By tblContacts!Duration",
                      " Order By tblContacts!FileName", " Order By FileSizeNum", " Order By Genre, Artist, SongName",
                      " Order By ID", " Order By MiscField1", " Order By MiscField2", " Order By MiscField3",
                      " Order By PathName, tblContacts!FileName", " Order By PurchaseDate",
                      " Order By tblContacts!Rating, SongName", " Order By SongName, Artist", " Order By TrackNum",
                      " Order By FileType", " Order By tblContacts!Year, Artist, SongName"));

// Action SQL: rows affected, and what is left afterwards.
struct Action {
    const char *sql;
    long affected;
    const char *check;    // plain SQLite query run afterwards
    const char *expected; // its first value
};

void PrintTo(const Action &a, std::ostream *os) { *os << a.sql; }

class ActionStatements : public SampleDbTest, public ::testing::WithParamInterface<Action> {};

TEST_P(ActionStatements, ChangeExactlyTheirRows) {
    const Action &a = GetParam();
    EXPECT_EQ(db->execute(QString::fromUtf8(a.sql)), a.affected);
    EXPECT_EQ(raw(QString::fromUtf8(a.check)), QString::fromUtf8(a.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, ActionStatements,
    ::testing::Values(
        Action{"Update tblContacts Set Selected=' ' Where Selected='x'", 3,
               "SELECT count(*) FROM tblContacts WHERE Selected = ' '", "22"},
        Action{"Delete * from tblContacts where RecordID = 2", 1, "SELECT count(*) FROM tblContacts", "21"},
        Action{"DELETE FROM tblContacts WHERE RecordID = 2", 1, "SELECT count(*) FROM tblCategoryID", "6"},
        Action{"Delete * from tblContacts", 22, "SELECT count(*) FROM tblPlayListDetail", "5"},
        Action{"Delete  DISTINCTROW tblContacts.* from tblContacts INNER JOIN tblCategoryID on tblContacts.RecordID = "
               "tblCategoryID.ID  Where  ( CategoryNumber = 1)",
               3, "SELECT group_concat(RecordID) FROM tblContacts WHERE RecordID IN (1, 7, 16, 20)", "20"},
        Action{"Delete * from tblContacts  Where  (Artist like \"*björk*\") ", 3, "SELECT count(*) FROM tblContacts", "19"},
        Action{"Delete from tblCategoryID Where CategoryNumber=1", 3, "SELECT count(*) FROM tblCategoryID", "3"},
        Action{"Delete * from tblOrphanFileNames", 2, "SELECT count(*) FROM tblOrphanFileNames", "0"},
        Action{"Delete From tblPlayListDetail Where ListID=1 And FileName =\"/music/Queen/Bohemian Rhapsody.mp3\"", 2,
               "SELECT count(*) FROM tblPlayListDetail", "3"},
        Action{"Delete from tblPlayListDetail Where ListID=1 and ListTrackID = 4", 1,
               "SELECT max(ListTrackID) FROM tblPlayListDetail WHERE ListID = 1", "3"},
        Action{"Update tblPlayListDetail Set FileName=\"/new/Bohemian.mp3\" Where FileName=\"/music/Queen/Bohemian Rhapsody.mp3\"",
               2, "SELECT count(*) FROM tblPlayListDetail WHERE FileName = '/new/Bohemian.mp3'", "2"},
        Action{"Update tblPlayListDetail Set FileName=\"x\" Where FileName=\"/MUSIC/QUEEN/Bohemian Rhapsody.mp3\"", 0,
               "SELECT count(*) FROM tblPlayListDetail WHERE FileName = 'x'", "0"},
        Action{"Update tblContacts Set  tblContacts.Genre =\"Misc\" Where  tblContacts.Genre  is null or  tblContacts.Genre = ''",
               5, "SELECT count(*) FROM tblContacts WHERE Genre = 'Misc'", "5"},
        Action{"Update tblContacts Set  tblContacts.PathName =\"\" Where  tblContacts.PathName  like \"*beatles*\" ", 5,
               "SELECT count(*) FROM tblContacts WHERE PathName = ''", "5"}));

TEST_F(SampleDbTest, DeletingPlayListHeaderAndTracksInOneTransaction) {
    {
        Transaction t(*db);
        db->execute(QStringLiteral("Delete from tblPlayListDetail Where ListID=1"));
        db->execute(QStringLiteral("Delete from tblPlayListHeader Where ListID=1"));
        // not committed: rolled back by the guard
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail")), QStringLiteral("5"));
    Transaction t(*db);
    db->execute(QStringLiteral("Delete from tblPlayListDetail Where ListID=1"));
    db->execute(QStringLiteral("Delete from tblPlayListHeader Where ListID=1"));
    t.commit();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail")), QStringLiteral("1"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListHeader")), QStringLiteral("1"));
}

// FindFirst with the criteria the program builds.
TEST_F(SampleDbTest, FindCriteriaOfTheProgramFindTheRightRow) {
    auto grid = open(QStringLiteral("Select * from  tblContacts Order By Artist, SongName"));
    grid->findFirst(QStringLiteral("Artist like \"b*\""));
    ASSERT_FALSE(grid->noMatch());
    EXPECT_EQ(grid->value("SongName").toString(), QStringLiteral("Hunter")); // Björk's Hunter comes before Jóga
    grid->findFirst(QStringLiteral("RecordID = 20"));
    EXPECT_EQ(grid->value("SongName").toString(), QStringLiteral("Dancing Queen"));
    grid->findFirst(QStringLiteral("RecordID=7"));
    EXPECT_EQ(grid->value("SongName").toString(), QStringLiteral("Jóga"));
    grid->findFirst(QStringLiteral("PathName=\"/music/Björk/\" And FileName=\"hunter.flac\""));
    EXPECT_EQ(grid->value("RecordID").toLongLong(), 9);
    grid->findFirst(QStringLiteral("TrackNum like \"1*\""));
    EXPECT_EQ(grid->value("SongName").toString(), QStringLiteral("Hunter"));
    grid->findFirst(QStringLiteral("FileSizeNum like \"13*\""));
    EXPECT_EQ(grid->value("RecordID").toLongLong(), 16);
    const QString shown = jet::localeDateText(QDateTime(QDate(2021, 6, 15), QTime(0, 0)));
    grid->findFirst(QStringLiteral("PurchaseDate like \"%1*\"").arg(shown));
    EXPECT_FALSE(grid->noMatch()) << qPrintable(shown);

    auto notes = open(QStringLiteral("Select Type, Name, Setting8 from tblSettings Where Type='NOTE' Order by Name"));
    notes->findFirst(QStringLiteral("Type='Note' And Name='MY NOTE'"));
    EXPECT_FALSE(notes->noMatch());

    auto cats = open(QStringLiteral("Select * from tblCategoryDesc Order By CategoryDesc"));
    cats->findFirst(QStringLiteral("CategoryDesc=\"party\""));
    EXPECT_EQ(cats->value("CategoryNumber").toLongLong(), 2);
    cats->findFirst(QStringLiteral("CategoryDesc like \"fav*\""));
    EXPECT_EQ(cats->value("CategoryNumber").toLongLong(), 1);

    auto links = open(QStringLiteral("Select * from tblCategoryID"));
    links->findFirst(QStringLiteral("ID=16 AND CategoryNumber=2"));
    EXPECT_FALSE(links->noMatch());
    EXPECT_EQ(links->absolutePosition(), 3);

    auto tracks = open(QStringLiteral("Select SongTitle, ListTrackID, LastUpdated From tblPlayListDetail Where ListID=1 Order by ListTrackID"));
    tracks->findFirst(QStringLiteral("ListTrackID =3"));
    EXPECT_EQ(tracks->absolutePosition(), 2);
}

// The play list keeps its tracks numbered without gaps: the program edits ListTrackID of a table
// without a key, through a select of a few columns, finding each track first.
TEST_F(SampleDbTest, RenumberingTracksThroughASelectOfATableWithoutKey) {
    db->execute(QStringLiteral("Delete from tblPlayListDetail Where ListID=1 and ListTrackID = 2"));
    auto rs = open(QStringLiteral("Select SongTitle, ArtistName, ListTrackID, LastUpdated From tblPlayListDetail Where ListID=1 order by ListTrackID"));
    for (int from : {3, 4}) {
        rs->findFirst(QStringLiteral("ListTrackID =%1").arg(from));
        ASSERT_FALSE(rs->noMatch());
        rs->edit();
        (*rs)["ListTrackID"] = from - 1;
        rs->setValue("LastUpdated", QDateTime(QDate(2024, 3, 1), QTime(12, 0)));
        rs->update();
    }
    EXPECT_EQ(column(QStringLiteral("Select ListTrackID From tblPlayListDetail Where ListID=1 Order by ListTrackID"), QStringLiteral("ListTrackID"))
                  .join(u','),
              QStringLiteral("1,2,3"));
    EXPECT_EQ(raw(QStringLiteral("SELECT LastUpdated FROM tblPlayListDetail WHERE ListID=1 AND ListTrackID=3")),
              QStringLiteral("2024-03-01 12:00:00"));
}

TEST_F(SampleDbTest, TableRecordsetsSeekOnTheirNamedIndexes) {
    auto contacts = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    contacts->setIndex(QStringLiteral("PrimaryKey"));
    contacts->seek(QStringLiteral("="), {7});
    ASSERT_FALSE(contacts->noMatch());
    EXPECT_EQ(contacts->value("SongName").toString(), QStringLiteral("Jóga"));

    contacts->setIndex(QStringLiteral("PathFile"));
    contacts->seek(QStringLiteral("="), {QStringLiteral("/music/Björk/"), QStringLiteral("hunter.flac")});
    EXPECT_EQ(contacts->value("RecordID").toLongLong(), 9);
    contacts->seek(QStringLiteral("="), {QStringLiteral("/music/Björk/"), QStringLiteral("Hunter.flac")});
    EXPECT_EQ(contacts->value("RecordID").toLongLong(), 8);
    contacts->seek(QStringLiteral("="), {QStringLiteral("/MUSIC/björk/"), QStringLiteral("Hunter.flac")});
    EXPECT_TRUE(contacts->noMatch()) << "paths compare exactly";

    // The sort command sets each sort field's index; the incremental search reads the name back.
    for (const char *name : {"SongName", "AlbumName", "Artist", "Bitrate", "BPM", "Composer", "Date2", "DateUpdated",
                             "Duration", "FileName", "FileSizeNum", "Genre", "ID", "MiscField1", "MiscField2",
                             "MiscField3", "PathName", "PurchaseDate", "Rating", "TrackNum", "FileType", "Code", "Year"}) {
        contacts->setIndex(QString::fromLatin1(name).toLower());
        EXPECT_EQ(contacts->index(), QString::fromLatin1(name));
        contacts->moveFirst();
        EXPECT_EQ(contacts->recordCount(), sample::kSongCount);
    }
    contacts->setIndex(QStringLiteral("Artist"));
    contacts->seek(QStringLiteral(">="), {QStringLiteral("b")});
    EXPECT_EQ(contacts->value("Artist").toString(), QStringLiteral("Björk"));
    contacts->moveNext();
    EXPECT_EQ(contacts->value("Artist").toString().toLower(), QStringLiteral("björk"));
    contacts->seek(QStringLiteral("<"), {QStringLiteral("b")});
    EXPECT_EQ(contacts->value("Artist").toString(), QStringLiteral("ABBA"));
    contacts->seek(QStringLiteral("<"), {QStringLiteral("c")}); // the nearest key below, not the lowest
    EXPECT_EQ(contacts->value("Artist").toString().toLower(), QStringLiteral("björk"));
    // Accented names sort with their letter: after "Édith Piaf" comes "Queen", not the end.
    contacts->seek(QStringLiteral(">"), {QStringLiteral("édith piaf")});
    EXPECT_EQ(contacts->value("Artist").toString(), QStringLiteral("Queen"));
    contacts->seek(QStringLiteral(">"), {QStringLiteral("zzz")});
    EXPECT_TRUE(contacts->noMatch());
    EXPECT_DB_ERROR(3800, contacts->setIndex(QStringLiteral("ListID")));

    auto links = open(QStringLiteral("tblCategoryID"), RecordsetType::Table);
    links->setIndex(QStringLiteral("PrimaryKey"));
    links->seek(QStringLiteral("="), {16, 2});
    EXPECT_FALSE(links->noMatch());
    links->addNew();
    links->setValue("ID", 3);
    links->setValue("CategoryNumber", 2);
    links->update();
    links->seek(QStringLiteral("="), {3, 2});
    EXPECT_FALSE(links->noMatch());
}

} // namespace

// The player's next and random songs: the grid's source with its "*" replaced by the four
// columns it needs gives the same rows in the same order, and a song is found again by its folder
// and file name even when the folder holds a double quote.
TEST_F(SampleDbTest, PlayerSourcesKeepTheGridsRowsAndFindASongByAQuotedPath) {
    const struct {
        const char *grid, *player;
    } rows[] = {
        {"Select * from  tblContacts Where Selected < 'x'  Order By tblContacts!Year, Artist, SongName",
         "Select distinctrow FileName, PathName, SongName, Artist from  tblContacts Where Selected < 'x'  Order By "
         "tblContacts!Year, Artist, SongName"},
        {"Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName",
         "Select distinctrow FileName, PathName, SongName, Artist from  qryContacts Where  CategoryNumber = 1 Order "
         "By SongName"},
    };
    for (const auto &row : rows) {
        auto grid = open(QString::fromUtf8(row.grid), RecordsetType::Snapshot);
        auto player = open(QString::fromUtf8(row.player), RecordsetType::Snapshot);
        EXPECT_FALSE(column(*grid, QStringLiteral("SongName")).isEmpty());
        EXPECT_EQ(column(*player, QStringLiteral("SongName")), column(*grid, QStringLiteral("SongName"))) << row.player;
        EXPECT_EQ(column(*player, QStringLiteral("FileName")), column(*grid, QStringLiteral("FileName")));
        EXPECT_EQ(player->fieldCount(), 4);
    }

    db->execute(QStringLiteral("Insert Into tblContacts (SongName, PathName, FileName) Values "
                               "('Quoted', '/m/Say \"Hi\"/', 'x.mp3')"));
    auto rs = open(QStringLiteral("Select distinctrow FileName, PathName, SongName, Artist from  tblContacts Order By "
                                  "SongName"),
                   RecordsetType::Snapshot);
    rs->findFirst(QStringLiteral("PathName=\"/m/Say \"\"Hi\"\"/\" And FileName=\"x.mp3\""));
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Quoted"));
    rs->moveFirst();
    rs->findFirst(QStringLiteral("PathName=? And FileName=?"), {QStringLiteral("/m/Say \"Hi\"/"), QStringLiteral("x.mp3")});
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("SongName")).toString(), QStringLiteral("Quoted"));
    rs->findFirst(QStringLiteral("PathName=? And FileName=?"), {QStringLiteral("/M/Say \"Hi\"/"), QStringLiteral("x.mp3")});
    EXPECT_TRUE(rs->noMatch()) << "paths compare exactly";
}
