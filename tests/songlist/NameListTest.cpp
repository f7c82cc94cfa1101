// The main window on a small catalogue: load and first activation, the record source after each
// command, the sorts, Show all, the column layout across a restart, the resize rule, the modes,
// the options, the scroll-bar width stand-in, unloading, and a rendered grid.
#include "SongListFixture.h"
#include "common/OtherWriter.h"
#include "core/CatalogueInUse.h"

#include "core/HelpViewer.h"
#include "core/RegistryOptions.h"
#include "core/SettingsRows.h"
#include "platform/db/Collations.h"
#include "platform/settings/SystemMetrics.h"
#include "platform/ui/DataControl.h"
#include "songlist/SortOrders.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QStyle>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTest>

using songlist::NameList;
using songlist::SortOrders;
using songlist::TwRect;

namespace {

QDateTime dt(int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(0, 0)); }

// Eight songs whose fields differ in order, letter case and accents.
class CatalogueTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        struct S {
            const char *song, *artist, *album;
            int track;
            const char *composer, *genre, *year, *rating;
            double size;
            const char *type, *path, *file, *bitrate, *bpm, *code, *id, *duration;
            QDateTime updated, purchase, date2;
            const char *misc;
        };
        const S songs[] = {
            {"Yesterday", "The Beatles", "Help!", 13, "McCartney", "Rock", "1965", "***", 2.1, "MP3", "/m/b/",
             "Yesterday.mp3", "192", "97", "K1", "007", "00:02:05", dt(2021, 3, 1), dt(2019, 5, 1), dt(2018, 1, 1), "m"},
            {"yesterday", "the beatles", "help!", 12, "mccartney", "rock", "1966", "**", 2.2, "mp3", "/M/B/",
             "yesterday.mp3", "128", "98", "k2", "008", "00:02:06", dt(2020, 3, 1), dt(2019, 5, 2), dt(2018, 1, 2), "M"},
            {"Édith", "Édith Piaf", "Best", 2, "Asso", "Chanson", "1947", "*****", 3.0, "FLAC", "/m/p/", "Édith.flac",
             "900", "60", "E1", "003", "00:03:00", dt(2019, 1, 1), dt(2017, 1, 1), QDateTime(), "é"},
            {"édith", "édith piaf", "best", 1, "asso", "chanson", "1948", "*", 3.1, "flac", "/m/p/", "édith.flac",
             "901", "61", "e2", "004", "00:03:01", dt(2019, 1, 2), QDateTime(), dt(2016, 1, 1), "É"},
            {"apple", "ABBA", "Arrival", 3, "Andersson", "Pop", "1976", "****", 4.0, "OGG", "/m/a/", "apple.ogg",
             "320", "120", "A1", "001", "00:04:00", dt(2022, 6, 1), dt(2020, 1, 1), dt(2015, 1, 1), "a"},
            {"Banana", "abba", "arrival", 4, "andersson", "pop", "1977", "***", 4.5, "ogg", "/m/a/", "Banana.ogg",
             "256", "121", "b1", "002", "00:04:01", dt(2018, 1, 1), dt(2020, 1, 2), dt(2015, 1, 2), "B"},
            {"Zoo", "Zed", "Zenith", 7, "Zappa", "Jazz", "2001", "*", 9.9, "WAV", "/z/", "Zoo.wav", "1411", "80",
             "Z1", "009", "00:09:00", dt(2017, 1, 1), dt(2021, 1, 1), dt(2014, 1, 1), "z"},
            {"Simple & Clean", "Simon & Garfunkel", "Bookends", 5, "Simon", "Folk", "1968", "**", 1.0, "M4A", "/s/",
             "Simple.m4a", "96", "70", "S1", "005", "00:01:00", dt(2016, 1, 1), dt(2018, 1, 1), dt(2013, 1, 1), "s"},
        };
        for (const S &s : songs) {
            QVariantMap f{{"SongName", QString::fromUtf8(s.song)}, {"Artist", QString::fromUtf8(s.artist)},
                          {"AlbumName", QString::fromUtf8(s.album)}, {"TrackNum", s.track},
                          {"Composer", QString::fromUtf8(s.composer)}, {"Genre", QString::fromUtf8(s.genre)},
                          {"Year", QString::fromUtf8(s.year)}, {"Rating", QString::fromUtf8(s.rating)},
                          {"FileSizeNum", s.size}, {"FileType", QString::fromUtf8(s.type)},
                          {"PathName", QString::fromUtf8(s.path)}, {"FileName", QString::fromUtf8(s.file)},
                          {"bitRate", QString::fromUtf8(s.bitrate)}, {"BPM", QString::fromUtf8(s.bpm)},
                          {"Code", QString::fromUtf8(s.code)}, {"ID", QString::fromUtf8(s.id)},
                          {"Duration", QString::fromUtf8(s.duration)}, {"DateUpdated", s.updated},
                          {"MiscField1", QString::fromUtf8(s.misc)}, {"MiscField2", QString::fromUtf8(s.misc)},
                          {"MiscField3", QString::fromUtf8(s.misc)}, {"Selected", QStringLiteral(" ")}};
            if (s.purchase.isValid())
                f.insert("PurchaseDate", s.purchase);
            if (s.date2.isValid())
                f.insert("Date2", s.date2);
            addSong(f);
        }
    }

    // The first key field of a sort tail: " Order By tblContacts!Year, Artist" -> "Year".
    static QString firstKey(const QString &tail, bool *descending) {
        QString k = tail.mid(QStringLiteral(" Order By ").size()).section(QLatin1Char(','), 0, 0).trimmed();
        *descending = k.endsWith(QLatin1String(" DESC"));
        k.remove(QStringLiteral(" DESC"));
        k.remove(QStringLiteral("tblContacts!"));
        return k;
    }
    QList<QVariant> column(const QString &field) {
        QList<QVariant> out;
        auto *rs = w->Data1->recordset();
        const int ord = rs->fieldOrdinal(field);
        for (long i = 0; i < rs->recordCount(); ++i)
            out << rs->valueAt(i, ord);
        return out;
    }
    static int compare(const QVariant &a, const QVariant &b) {
        if (a.isNull() || b.isNull())
            return int(!a.isNull()) - int(!b.isNull());
        if (a.typeId() == QMetaType::QString)
            return platform::db::jet::compareText(a.toString(), b.toString());
        if (a.typeId() == QMetaType::QDateTime)
            return a.toDateTime() < b.toDateTime() ? -1 : a.toDateTime() > b.toDateTime();
        return a.toDouble() < b.toDouble() ? -1 : a.toDouble() > b.toDouble();
    }
    // Closes the main window as another catalogue's opening does, without ending the program,
    // and forgets the view's parts for the next start in the same test.
    void closeForNextStart() {
        core::g().ReopeningDatabase = true;
        platform::ui::unloadForm(w);
        platform::ui::flushUnloadedForms();
        core::g().ReopeningDatabase = false;
        core::g().WhereClause.clear();
        core::g().CategoryClause.clear();
    }
};

// ---------------------------------------------------------------- load and first activation

TEST_F(CatalogueTest, FirstActivationFillsTheSortListAndShowsAllInSongNameOrder) {
    open();
    EXPECT_EQ(w->cmbSort->count(), 23);
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Song Name"));
    // Show all's text, cut at its tail by the sort it re-applies (the tail's blank stays).
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts  Order By SongName, Artist"));
    EXPECT_EQ(w->recordCount(), 8);
    EXPECT_EQ(currentSong(), QStringLiteral("apple")) << "case-blind: apple before Banana";
    EXPECT_EQ(rowName(QStringLiteral("GRIDSORTORDER")), QStringLiteral("Song Name"));
    EXPECT_EQ(core::g().ContactsTable->index(), QStringLiteral("SongName"));
    EXPECT_TRUE(w->cmdPlay->isEnabled());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Orvalis Database  ") + core::g().DatabasePath);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_FALSE(w->FirstActivation);
}

TEST_F(CatalogueTest, StoredSortIsAppliedAtTheFirstActivation) {
    setRow(QStringLiteral("GRIDSORTORDER"), QStringLiteral("Year"));
    open();
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Year"));
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts  Order By tblContacts!Year, Artist, SongName"));
    EXPECT_EQ(currentSong(), QStringLiteral("Édith"));
}

// Another program holding the catalogue's write lock at the start: the first view's writes that
// only remember the sort and the category failed with 3218 and left the grid without songs.
TEST_F(CatalogueTest, AnotherProgramsLockShowsTheSongsOfTheFirstViewAndIsToldOnce) {
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values ('Favourites')"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (7, 1)"));
    setRow(QStringLiteral("GRIDSORTORDER"), QStringLiteral("Year"));
    setRow(QStringLiteral("CATEGORY"), QStringLiteral("Favourites"), QStringLiteral(" CategoryNumber = 1 "));
    for (const bool startupCategory : {false, true}) {
        SCOPED_TRACE(startupCategory ? "remembered category" : "all songs");
        db.execute(QStringLiteral("Delete * from tblSettings Where Type='CATEGORYSTARTUP'"));
        setRow(QStringLiteral("CATEGORYSTARTUP"), startupCategory ? QStringLiteral("1") : QStringLiteral("0"));
        prompts.clear();
        {
            OtherWriter other(core::g().DatabasePath);
            ASSERT_TRUE(core::CatalogueInUse::checkAtOpening(db));  // as the start-up does
            open();
            EXPECT_EQ(w->recordCount(), startupCategory ? 1 : 8);
            EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Year"));
            EXPECT_TRUE(source().endsWith(QStringLiteral("Order By tblContacts!Year, Artist, SongName")))
                << source().toStdString();
            EXPECT_TRUE(w->cmdAdd->isEnabled());
            ASSERT_EQ(prompts.asked().size(), 1);
            EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Catalogue in use"));
            EXPECT_EQ(prompts.asked()[0].text, core::CatalogueInUse::noticeText(core::g().DatabasePath));
            EXPECT_FALSE(w->FirstActivation);
        }
        // The category row Show all could not delete is still there.
        EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 1);
        closeForNextStart();
    }
}

TEST_F(SongListTest, EmptyCatalogueSaysSoOnceAndDisablesPlay) {
    open();
    EXPECT_EQ(prompts.messageTexts(),
              QStringList{QStringLiteral("Add songs automatically by choosing one of the options on the File menu.")});
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Empty Database"));
    EXPECT_FALSE(w->cmdPlay->isEnabled());
    EXPECT_FALSE(w->cmdPlayAll->isEnabled());
    EXPECT_TRUE(w->cmdShowArtistSongs->isHidden());
    EXPECT_EQ(rowCount(QStringLiteral("GRIDSORTORDER")), 0) << "a sort on an empty grid stores nothing";
    w->Form_Activate();
    EXPECT_EQ(prompts.messageTexts().size(), 1) << "only the first activation tells";
}

TEST_F(CatalogueTest, StartUpCategoryStaysOnScreenInTheStoredSort) {
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values ('Favourites')"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (7, 1)"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (5, 1)"));
    setRow(QStringLiteral("GRIDSORTORDER"), QStringLiteral("Artist"));
    struct Case { const char *stored; bool on; } cases[] = {{"1", true}, {"-1", true}, {"True", true}, {"0", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        db.execute(QStringLiteral("Delete * from tblSettings Where Type='CATEGORYSTARTUP' Or Type='CATEGORY'"));
        setRow(QStringLiteral("CATEGORYSTARTUP"), QString::fromLatin1(c.stored));
        setRow(QStringLiteral("CATEGORY"), QStringLiteral("Favourites"), QStringLiteral(" CategoryNumber = 1 "));
        open();
        if (c.on) {
            EXPECT_EQ(source(), QStringLiteral("Select * from qryContacts Where CategoryNumber = 1   Order By Artist, SongName"));
            EXPECT_EQ(w->recordCount(), 2);
            EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Favourites"));
            EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 1) << "the remembered category survives the start";
            EXPECT_EQ(core::g().RecordSourceName, QStringLiteral("qryContacts"));
        } else {
            EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts  Order By Artist, SongName"));
            EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 0);
        }
        EXPECT_TRUE(w->cmdAdd->isEnabled());
        EXPECT_TRUE(w->cmbSort->isEnabled());
        closeForNextStart();
    }
}

TEST_F(CatalogueTest, RememberedCategoryThatCannotOpenShowsAllSongsAndIsForgotten) {
    setRow(QStringLiteral("GRIDSORTORDER"), QStringLiteral("Artist"));
    setRow(QStringLiteral("CATEGORYSTARTUP"), QStringLiteral("1"));
    setRow(QStringLiteral("CATEGORY"), QStringLiteral("Favourites"), QString());  // no condition
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        open();
        EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts  Order By Artist, SongName"));
        EXPECT_EQ(w->recordCount(), 8);
        EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 0);
        EXPECT_TRUE(w->lblCategory->text().isEmpty());
        EXPECT_EQ(core::g().RecordSourceName, QStringLiteral("tblContacts"));
        EXPECT_TRUE(w->cmdAdd->isEnabled());
        EXPECT_TRUE(prompts.asked().isEmpty());
        closeForNextStart();
    }
}

TEST_F(CatalogueTest, StartRunsTheGridsQueryOnceInTheStoredSort) {
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values ('Favourites')"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (7, 1)"));
    setRow(QStringLiteral("GRIDSORTORDER"), QStringLiteral("Year"));
    for (bool category : {false, true}) {
        SCOPED_TRACE(category);
        if (category) {
            setRow(QStringLiteral("CATEGORYSTARTUP"), QStringLiteral("1"));
            setRow(QStringLiteral("CATEGORY"), QStringLiteral("Favourites"), QStringLiteral(" CategoryNumber = 1 "));
        }
        core::g().ContactsTable =
            db.openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
        w = platform::ui::form<NameList>();
        QStringList run;
        QObject::connect(w->Data1, &platform::ui::DataControl::recordsetReplaced, w,
                         [&] { run << w->Data1->recordSource(); });
        w->Form_Load();
        EXPECT_TRUE(run.isEmpty()) << "the load runs no query for the grid";
        EXPECT_EQ(source(), category ? QStringLiteral("Select * from qryContacts Where CategoryNumber = 1  Order By SongName")
                                     : QStringLiteral("Select * from tblContacts Order By SongName"));
        w->Form_Activate();
        ASSERT_EQ(run.size(), 1) << run.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(run[0].endsWith(QStringLiteral(" Order By tblContacts!Year, Artist, SongName")));
        EXPECT_EQ(w->Table1->model()->index(0, 1).data().toString(),
                  category ? QStringLiteral("Zoo") : QStringLiteral("Édith"));
        closeForNextStart();
    }
}

TEST_F(CatalogueTest, F1IsDiscardedByTheWindowAndOtherKeysPass) {
    open(false);
    int k = 112;
    w->Form_KeyDown(k, 0);
    EXPECT_EQ(k, 0);
    k = 65;
    w->Form_KeyDown(k, 0);
    EXPECT_EQ(k, 65);
}

// ---------------------------------------------------------------- sorts

TEST_F(CatalogueTest, EverySortReplacesTheTailStoresItsNameAndOrdersTheRowsCaseBlind) {
    open();
    for (const auto &sort : SortOrders::all()) {
        SCOPED_TRACE(sort.name.toStdString());
        // Everything before the old tail is kept, its leading blank included.
        const QString before = source();
        w->setSortText(sort.name);
        EXPECT_EQ(source(), SortOrders::replaceOrderBy(before, sort.orderBy));
        EXPECT_TRUE(source().endsWith(sort.orderBy));
        EXPECT_EQ(source().left(source().size() - sort.orderBy.size()).trimmed(), QStringLiteral("Select * from  tblContacts"));
        EXPECT_EQ(core::g().OrderByClause, sort.orderBy);
        EXPECT_EQ(rowName(QStringLiteral("GRIDSORTORDER")), sort.name);
        EXPECT_EQ(rowCount(QStringLiteral("GRIDSORTORDER")), 1);
        EXPECT_EQ(core::g().ContactsTable->index().toLower(), sort.index.toLower());
        EXPECT_EQ(core::g().SortIsDate, sort.name.toUpper().contains(QLatin1String("DATE")));
        EXPECT_EQ(w->recordCount(), 8);
        EXPECT_EQ(w->Data1->recordset()->absolutePosition(), 0) << "the grid is back on its first row";
        bool desc = false;
        const QList<QVariant> keys = column(firstKey(sort.orderBy, &desc));
        for (int i = 1; i < keys.size(); ++i) {
            const int c = compare(keys[i - 1], keys[i]);
            EXPECT_TRUE(desc ? c >= 0 : c <= 0) << "rows " << i - 1 << " and " << i << ": "
                                                << keys[i - 1].toString().toStdString() << " / "
                                                << keys[i].toString().toStdString();
        }
    }
    EXPECT_TRUE(prompts.messageTexts().isEmpty()) << prompts.lastMessage().toStdString();
}

TEST_F(CatalogueTest, SortFirstRowsFollowTheirKeys) {
    open();
    struct Case { const char *sort, *first, *second; } cases[] = {
        {"Artist", "apple", "Banana"},        // ABBA and abba are one artist, then by song
        {"Song Name", "apple", "Banana"},
        {"Date Updated", "apple", "Yesterday"}, // newest first
        {"Track", "édith", "Édith"},
        {"File Size", "Simple & Clean", "Yesterday"},
        {"Album Name", "apple", "Banana"},
    };
    for (const auto &c : cases) {
        w->setSortText(QString::fromLatin1(c.sort));
        EXPECT_EQ(currentSong(), QString::fromUtf8(c.first)) << c.sort;
        w->Data1->moveNext();
        EXPECT_EQ(currentSong(), QString::fromUtf8(c.second)) << c.sort;
    }
    // The accented case variants of one artist stand together.
    w->setSortText(QStringLiteral("Artist"));
    const QList<QVariant> artists = column(QStringLiteral("Artist"));
    const qsizetype at = artists.indexOf(QVariant(QStringLiteral("Édith Piaf")));
    ASSERT_GE(at, 0);
    EXPECT_TRUE(artists.value(at + 1).toString() == QStringLiteral("édith piaf") ||
                artists.value(at - 1).toString() == QStringLiteral("édith piaf"));
}

TEST_F(CatalogueTest, SortKeepsTheWherePartOfAFilteredView) {
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from  tblContacts Where Artist = \"Order By Me\" Or Artist = 'Zed'  Order By SongName "));
    w->Data1->refresh();
    w->setSortText(QStringLiteral("Year"));
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts Where Artist = \"Order By Me\" Or Artist = 'Zed'   Order By tblContacts!Year, Artist, SongName"));
    EXPECT_EQ(w->recordCount(), 1);
}

TEST_F(CatalogueTest, SortOnAnEmptyViewChangesNothingButTheList) {
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from  tblContacts Where Artist = 'Nobody' Order By SongName"));
    w->Data1->refresh();
    w->setSortText(QStringLiteral("Genre"));
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Genre"));
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts Where Artist = 'Nobody' Order By SongName"));
    EXPECT_EQ(rowName(QStringLiteral("GRIDSORTORDER")), QStringLiteral("Song Name"));
}

TEST_F(CatalogueTest, SortButtonsSwapTheFirstTwoColumnsOnlyWhenNeeded) {
    open();
    w->cmdSortArtist_Click();
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("Artist"));
    EXPECT_EQ(w->Table1->columnCaption(1), QStringLiteral("Artist/Performer"));
    EXPECT_EQ(w->Table1->columnWidth(1), 3570);
    EXPECT_EQ(w->Table1->columnWidth(2), 4800);
    EXPECT_EQ(w->Table1->columnDividerStyle(1), platform::ui::DividerInset);
    EXPECT_TRUE(w->ColumnsChanged);
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Artist"));
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts   Order By Artist, SongName"));
    w->cmdSortArtist_Click();
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("Artist")) << "a second press only sorts";
    EXPECT_EQ(w->Table1->columnDataField(2), QStringLiteral("SongName"));
    w->cmdSortSong_Click();
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("SongName"));
    EXPECT_EQ(w->Table1->columnWidth(1), 4800);
    EXPECT_TRUE(source().endsWith(QStringLiteral("tblContacts     Order By SongName, Artist")));
}

// ---------------------------------------------------------------- Show all

TEST_F(CatalogueTest, ShowAllResetsEveryPartAndForgetsTheCategory) {
    open();
    w->setSortText(QStringLiteral("Year"));
    auto &s = core::g();
    s.RecordSourceName = QStringLiteral("qryContacts");
    s.WhereClause = QStringLiteral(" Where CategoryNumber = 1 ");
    s.CategoryClause = QStringLiteral(" CategoryNumber = 1 ");
    s.CriteriaClause = QStringLiteral("Year > 1960");
    s.SelectedClause = QStringLiteral(" And Selected < 'x' ");
    s.SelectedCount = 2;
    setRow(QStringLiteral("CATEGORY"), QStringLiteral("Favourites"), QStringLiteral(" CategoryNumber = 1 "));
    w->lblFilterMsg->setText(QStringLiteral("Showing selected records only."));
    w->lblFilterMsg->show();
    w->setCategoryCaption(QStringLiteral("Records containing x"));
    w->cmbSort->setEnabled(false);
    w->File->setEnabled(false);

    w->ShowAllMenu_Click();

    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts  Order By tblContacts!Year, Artist, SongName"));
    EXPECT_EQ(s.RecordSourceName, QStringLiteral("tblContacts"));
    EXPECT_TRUE(s.WhereClause.isEmpty());
    EXPECT_TRUE(s.CategoryClause.isEmpty());
    EXPECT_TRUE(s.CriteriaClause.isEmpty());
    EXPECT_TRUE(s.SelectedClause.isEmpty());
    EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 0);
    EXPECT_TRUE(w->lblCategory->text().isEmpty());
    EXPECT_TRUE(w->lblFilterMsg->isHidden());
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Filter is limiting records displayed."));
    EXPECT_FALSE(w->cmdShowSelected->isHidden());
    EXPECT_TRUE(w->cmdAdd->isEnabled());
    EXPECT_TRUE(w->cmbSort->isEnabled());
    EXPECT_TRUE(w->File->isEnabled());
    EXPECT_EQ(w->recordCount(), 8);
}

TEST_F(CatalogueTest, ArtistButtonDoublesTheAmpersandOfTheFirstArtist) {
    open();
    core::g().Db->execute(QStringLiteral("Update tblContacts Set SongName = '0 First' Where Artist = 'Simon & Garfunkel'"));
    w->ShowAllMenu_Click();
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QStringLiteral("Show all songs by Simon && Garfunkel"));
    EXPECT_FALSE(w->cmdShowArtistSongs->isHidden());
    const TwRect r = w->controlRect(w->cmdShowArtistSongs);
    EXPECT_NEAR(r.Left + r.Width / 2, w->formWidth() / 2, 1) << "centred on the window";
}

// ---------------------------------------------------------------- column layout across restarts

TEST_F(CatalogueTest, SwappedColumnsComeBackAtTheNextStart) {
    open();
    w->cmdSortArtist_Click();
    core::g().ReopeningDatabase = true;
    platform::ui::unloadForm(w);
    platform::ui::flushUnloadedForms();
    ASSERT_TRUE(QFile::exists(core::g().DataFolder + QStringLiteral("tkcolumn.dat")));
    open();
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("Artist"));
    EXPECT_EQ(w->Table1->columnWidth(1), 3570);
    EXPECT_EQ(w->Table1->columnDividerStyle(2), platform::ui::DividerInset);
    EXPECT_EQ(w->Table1->columnDataField(0), QStringLiteral("Selected"));
    EXPECT_EQ(w->Table1->columnCount(), 28);
}

TEST_F(CatalogueTest, UnloadWithoutAChangeWritesNoLayout) {
    open();
    platform::ui::unloadForm(w);
    EXPECT_FALSE(QFile::exists(core::g().DataFolder + QStringLiteral("tkcolumn.dat")));
}

// ---------------------------------------------------------------- unload

TEST_F(CatalogueTest, UnloadClearsEveryMarkClosesContactsTableAndEndsTheProgram) {
    open();
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Selected = 'x' Where Artist = 'Zed' Or Artist = 'ABBA'"));
    platform::ui::unloadForm(w);
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts Where Selected = 'x'"));
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(core::g().ContactsTable, nullptr);
    EXPECT_EQ(programEnded, 1);
}

TEST_F(CatalogueTest, CompactOrReopenKeepsTheProgramRunning) {
    open();
    w->CompactInProgress = true;
    platform::ui::unloadForm(w);
    platform::ui::flushUnloadedForms();
    open();
    w->CompactingDatabase = true;  // the same flag under the maintenance commands' name
    EXPECT_TRUE(w->CompactInProgress);
    platform::ui::unloadForm(w);
    platform::ui::flushUnloadedForms();
    open();
    core::g().ReopeningDatabase = true;
    platform::ui::unloadForm(w);
    EXPECT_EQ(programEnded, 0);
}

TEST_F(CatalogueTest, FailedLayoutWriteIsReportedAndTheUnloadGoesOn) {
    open();
    w->cmdSortArtist_Click();
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Selected = 'x'"));
    testenv::writeFile(tmp.path() + QStringLiteral("/plain file"), "x");
    core::g().DataFolder = tmp.path() + QStringLiteral("/plain file/");  // cannot be made a folder
    platform::ui::unloadForm(w);
    ASSERT_NE(prompts.lastAsked(), nullptr);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Column layout not saved"));
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts Where Selected = 'x'"));
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(programEnded, 1);
}

TEST_F(CatalogueTest, RememberedWindowRectangleIsSavedUnlessTheOptionIsOff) {
    core::RegistryOptions::setRememberWindowSize(true);
    open();
    w->move(30, 45);
    w->resize(900, 600);
    platform::ui::unloadForm(w);
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("GridScreenLeft")), QStringLiteral("450"));
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("GridScreenTop")), QStringLiteral("675"));
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("GridScreenWidth")), QStringLiteral("13500"));
    platform::ui::flushUnloadedForms();
    open();
    EXPECT_EQ(w->mnuOptionWindowSize->text(), QStringLiteral("Do not remember window size between sessions"));
    EXPECT_EQ(w->width(), 900);
    EXPECT_EQ(w->pos(), QPoint(30, 45));
}

TEST_F(CatalogueTest, ARememberedSizeTooSmallForTheControlsOpensTheDesignedSize) {
    platform::ui::setAvailableScreenOverride(QRect(0, 0, 1920, 1080));
    using songlist::NameList;
    struct Case {
        int width, height;  // twips, as a damaged settings file holds them
    };
    const Case cases[] = {{0, -5}, {0, 9000}, {12000, -5}, {15, 285}, {int(NameList::MinimumWidth), 5000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        core::RegistryOptions::setRememberWindowSize(true);
        core::RegistryOptions::setGridScreenPlacement({600, 600, c.width, c.height});
        open();
        const double width = c.width < NameList::MinimumWidth ? NameList::DesignWidth : c.width;
        const double height = c.height < NameList::MinimumHeight ? NameList::DesignHeight : c.height;
        EXPECT_EQ(w->width(), platform::ui::twipsToPixelsX(width));
        EXPECT_EQ(w->height(), platform::ui::twipsToPixelsY(height));
        closeForNextStart();
    }
}

TEST_F(CatalogueTest, WindowOpensInsideTheUsableScreenAtLargeScaling) {
    // 1920 x 1080 at 200 %: 960 x 540 logical pixels, less a panel of 30 at the top.
    const QRect area(0, 30, 960, 510);
    platform::ui::setAvailableScreenOverride(area);
    const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    for (bool remember : {false, true}) {
        SCOPED_TRACE(remember);
        core::RegistryOptions::setRememberWindowSize(remember);
        if (remember)  // a rectangle remembered above and left of the screen, larger than it
            core::RegistryOptions::setGridScreenPlacement({-3000, -1500, 20000, 14000});
        open();
        EXPECT_LE(w->width(), area.width());
        EXPECT_LE(w->height() + titleBar, area.height());
        EXPECT_GE(w->x(), area.left());
        EXPECT_GE(w->y(), area.top()) << "the title bar stays on the screen";
        EXPECT_LE(w->y() + titleBar + w->height(), area.bottom() + 1);
        closeForNextStart();
    }
}

// ---------------------------------------------------------------- resize rule

TEST_F(CatalogueTest, ResizeRulePlacesTheGridAndTheBottomRow) {
    open(false);
    w->layoutForSize(15360, 15360, 10000);
    EXPECT_EQ(w->controlRect(w->Table1), (TwRect{120, 1230, 15120, 6870}));
    EXPECT_EQ(w->controlRect(w->txtName).Top, 8180);
    EXPECT_EQ(w->controlRect(w->txtName).Width, 14920);
    EXPECT_EQ(w->controlRect(w->TextBackground).Top, 8125);
    EXPECT_EQ(w->controlRect(w->cmdShowArtistSongs).Top, 9140);
    const double row = 1230 + 6870 + 1370;
    for (auto [b, left] : {std::pair{w->cmdDelete, 4880.0}, {w->cmdAdd, 6280.0}, {w->cmdEdit, 7780.0}, {w->cmdExit, 9180.0}}) {
        EXPECT_EQ(w->controlRect(b).Top, row) << b->objectName().toStdString();
        EXPECT_EQ(w->controlRect(b).Left, left) << b->objectName().toStdString();
    }
    EXPECT_EQ(w->controlRect(w->cmdPlay).Left, 14060);
    EXPECT_EQ(w->controlRect(w->cmdPlayAll).Left, 13160);
    EXPECT_EQ(w->controlRect(w->cmbSort).Left, 13040);
    EXPECT_EQ(w->controlRect(w->lblSort).Left, 12590);
    EXPECT_EQ(w->controlRect(w->lblCategory).Left, 3340);
    EXPECT_EQ(w->controlRect(w->lblCategory).Width, 9650);
    EXPECT_EQ(w->controlRect(w->cmdShowSelected).Top, row - 75);
    EXPECT_EQ(w->controlRect(w->lblSelectedCount).Top, row + 190);
    EXPECT_EQ(w->controlRect(w->lblFilterMsg).Left, 15360 - 3900 - 300);
}

TEST_F(CatalogueTest, ResizeRuleWidensANarrowWindowAndKeepsALowGrid) {
    open(false);
    w->layoutForSize(9000, 9000, 10000);
    EXPECT_NEAR(w->formWidth(), 10100, 15) << "the minimum width is set on the window";
    EXPECT_EQ(w->controlRect(w->Table1).Width, 10100 - 240);
    EXPECT_EQ(w->controlRect(w->cmdDelete).Left, 5050 - 2600 - 200);
    const TwRect alpha = w->controlRect(w->FrameAlpha);
    EXPECT_EQ(w->controlRect(w->lblFilterMsg).Left, alpha.Left + alpha.Width + 100)
        << "the filter message stays clear of the alphabet bar";

    w->layoutForSize(15360, 15360, 10000);
    w->layoutForSize(15360, 15360, 3100);  // the grid would be 23 or less
    EXPECT_EQ(w->controlRect(w->Table1).Height, 6870) << "a grid too low keeps its height";
    EXPECT_EQ(w->controlRect(w->txtName).Top, 8180) << "the bottom controls still follow the grid";

    const TwRect before = w->controlRect(w->cmdExit);
    w->layoutForSize(12000, 12000, 3050);  // no room below the header: nothing is laid out
    EXPECT_EQ(w->controlRect(w->cmdExit), before);
}

// ---------------------------------------------------------------- modes

TEST_F(CatalogueTest, ModeSwitchSetsTheModeValuesAndTheTabletRow) {
    open();
    w->TabletMode_Click();
    EXPECT_TRUE(core::g().TabletModeOn);
    EXPECT_DOUBLE_EQ(w->Table1->rowHeightTwips(), 400);
    EXPECT_EQ(w->Table1->font().pointSize(), 14);
    EXPECT_FALSE(w->Table1->font().bold());
    EXPECT_EQ(w->Table1->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(w->cmbSort->font().pointSize(), 14);
    EXPECT_EQ(w->controlRect(w->txtLocate).Height, 400);
    EXPECT_FALSE(w->TabletMode->isEnabled());
    EXPECT_TRUE(w->DesktopMode->isEnabled());
    EXPECT_EQ(rowName(QStringLiteral("TABLET")), QStringLiteral("True"));
    w->TabletMode_Click();
    EXPECT_DOUBLE_EQ(w->Table1->rowHeightTwips(), 400);
    EXPECT_EQ(rowCount(QStringLiteral("TABLET")), 1);

    w->DesktopMode_Click();
    EXPECT_FALSE(core::g().TabletModeOn);
    EXPECT_DOUBLE_EQ(w->Table1->rowHeightTwips(), 225.0709);
    EXPECT_TRUE(w->txtLocate->font().bold());
    EXPECT_EQ(w->txtLocate->font().pointSize(), 8);
    EXPECT_EQ(w->controlRect(w->txtLocate).Height, 285);
    EXPECT_TRUE(w->TabletMode->isEnabled());
    EXPECT_FALSE(w->DesktopMode->isEnabled());
    EXPECT_EQ(rowName(QStringLiteral("TABLET")), QStringLiteral("False"));
}

TEST_F(CatalogueTest, TabletRowSwitchesTheModeAtLoadInTheScreenFont) {
    setRow(QStringLiteral("TABLET"), QStringLiteral("True"));
    core::g().ScreenFontName = QStringLiteral("DejaVu Sans");
    open(false);
    EXPECT_TRUE(core::g().TabletModeOn);
    EXPECT_DOUBLE_EQ(w->Table1->rowHeightTwips(), 400);
    EXPECT_EQ(w->Table1->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(w->Table1->headFont().family(), QStringLiteral("DejaVu Sans"));
}

// ---------------------------------------------------------------- options

TEST_F(CatalogueTest, BackgroundColourIsStoredOnlyWhenItChanges) {
    open();
    prompts.answerColor(QColor(0x40, 0x80, 0x80));  // the colour already shown
    w->SelectColor_Click();
    EXPECT_EQ(rowCount(QStringLiteral("BACKCOLOR")), 0);
    prompts.answerColor(std::nullopt);
    w->SelectColor_Click();
    EXPECT_EQ(rowCount(QStringLiteral("BACKCOLOR")), 0);
    prompts.answerColor(QColor(0x11, 0x22, 0x33));
    w->SelectColor_Click();
    EXPECT_EQ(rowName(QStringLiteral("BACKCOLOR")), QString::number(0x332211));
    w->RestoreColor_Click();
    EXPECT_EQ(rowName(QStringLiteral("BACKCOLOR")), QStringLiteral("8421440"));
    w->RestoreColor_Click();
    EXPECT_EQ(rowCount(QStringLiteral("BACKCOLOR")), 1);

    core::g().Db->execute(QStringLiteral("Update tblSettings Set Name = '1122867' Where Type = 'BACKCOLOR'"));
    core::g().ReopeningDatabase = true;
    platform::ui::unloadForm(w);
    platform::ui::flushUnloadedForms();
    open(false);
    EXPECT_EQ(w->backColor(), 1122867);
}

TEST_F(CatalogueTest, ToggleOptionsKeepTheirStateInCaptionAndStore) {
    open();
    w->GridEditMenu_Click();
    EXPECT_EQ(w->GridEditMenu->text(), QStringLiteral("Disable &Grid Editing"));
    EXPECT_TRUE(w->Table1->allowUpdate());
    w->GridEditMenu_Click();
    EXPECT_FALSE(w->Table1->allowUpdate());

    w->mnuOptionWindowSize_Click();
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("Remember Window Size")), QStringLiteral("-1"));
    EXPECT_TRUE(core::g().RememberWindowSize);
    w->mnuOptionWindowSize_Click();
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("Remember Window Size")), QStringLiteral("0"));

    prompts.answer(platform::ui::Answer::No);
    w->mnuOptionFileRename_Click();
    EXPECT_EQ(w->mnuOptionFileRename->text(), QStringLiteral("Do not allow files to be renamed or moved ..."));
    EXPECT_TRUE(core::RegistryOptions::get(QStringLiteral("File Rename Disabled")).isEmpty());
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Do not allow files to be renamed or moved.  Are you sure?"));
    EXPECT_TRUE(prompts.lastMessage().startsWith(
        QStringLiteral("By choosing this option, you are preventing Orvalis from renaming a music file")));
    EXPECT_TRUE(prompts.lastMessage().endsWith(QStringLiteral("\r\n\r\nAre you sure you want to do this?")));
    prompts.answer(platform::ui::Answer::Yes);
    w->mnuOptionFileRename_Click();
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("File Rename Disabled")), QStringLiteral("-1"));
    EXPECT_EQ(w->mnuOptionFileRename->text(), QStringLiteral("Allow files to be renamed or moved"));
    EXPECT_TRUE(core::g().FileRenameDisabled);
    const auto asked = prompts.asked().size();
    w->mnuOptionFileRename_Click();
    EXPECT_EQ(prompts.asked().size(), asked) << "allowing again asks nothing";
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("File Rename Disabled")), QStringLiteral("0"));
    EXPECT_FALSE(core::g().FileRenameDisabled);

    core::RegistryOptions::save(QStringLiteral("Checkbox FileName Change Warning"), QStringLiteral("1"));
    w->mnuOptionsWarningMessagesReset_Click();
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("Checkbox FileName Change Warning")), QStringLiteral("0"));
    EXPECT_EQ(core::RegistryOptions::get(QStringLiteral("Checkbox PathName Change Warning")), QStringLiteral("0"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("All warning messages will now appear."));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Done"));
}

TEST_F(CatalogueTest, ScrollBarWidthIsImportedIntoTheMetricsStoreAndTheFileRemoved) {
    open();
    const QString file = core::g().DataFolder + QStringLiteral("ScrollbarWidthChange.txt");
    struct Case { std::optional<QString> answer; const char *metric; const char *title; } cases[] = {
        {QStringLiteral("300.6"), "-301", "Orvalis"},
        {QStringLiteral("120"), "-120", "Orvalis"},
        {QStringLiteral("1500"), "-1500", "Orvalis"},
        {QStringLiteral("1500.4"), nullptr, "Invalid value"},
        {QStringLiteral("119"), nullptr, "Invalid value"},
        {QStringLiteral("wide"), nullptr, "Invalid value"},
        {std::nullopt, nullptr, nullptr},
        {QString(), nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.value_or(QStringLiteral("<cancel>")).toStdString());
        platform::settings::setMetric(QStringLiteral("ScrollWidth"), QStringLiteral("unset"));
        testenv::writeFile(file, "left over");
        prompts.clear();
        prompts.answerInput(c.answer);
        w->ScrollBarWidth_Click();
        EXPECT_FALSE(QFile::exists(file));
        ASSERT_FALSE(prompts.asked().isEmpty());
        EXPECT_EQ(prompts.asked().first().title, QStringLiteral("Enter new scroll bar width"));
        EXPECT_EQ(prompts.asked().first().inputRequest.defaultText, QStringLiteral("252"));
        if (c.metric) {
            EXPECT_EQ(platform::settings::metric(QStringLiteral("ScrollWidth")), QString::fromLatin1(c.metric));
            EXPECT_EQ(platform::settings::metric(QStringLiteral("ScrollHeight")), QString::fromLatin1(c.metric));
            EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Scroll Bar Width changed to %1.\rThe change will take effect when Orvalis is next started.")
                                                 .arg(QString::fromLatin1(c.metric + 1)));
        } else {
            EXPECT_EQ(platform::settings::metric(QStringLiteral("ScrollWidth")), QStringLiteral("unset"));
        }
        if (c.title) {
            EXPECT_EQ(prompts.lastAsked()->title, QString::fromLatin1(c.title));
        } else {
            EXPECT_EQ(prompts.asked().size(), 1) << "cancel says nothing more";
        }
    }
    EXPECT_EQ(platform::settings::scrollBarWidth(), std::nullopt);
}

TEST_F(CatalogueTest, HelpOpensTheShippedHelpPageAndTheWebSite) {
    open();
    core::g().ProgramFolderOverride = QCoreApplication::applicationDirPath(); // where the page is shipped
    w->cmdHelp_Click();
    w->HelpSystem->trigger();
    w->HelpGotoWebsite_Click();
    ASSERT_EQ(prompts.openedUrls.size(), 3);
    EXPECT_TRUE(prompts.openedUrls[0].isLocalFile());
    EXPECT_TRUE(prompts.openedUrls[0].toLocalFile().endsWith(QStringLiteral("share/orvalis/help.html")));
    EXPECT_EQ(prompts.openedUrls[1], prompts.openedUrls[0]);
    EXPECT_EQ(prompts.openedUrls[2], QUrl(QStringLiteral("https://orvalis.example/")));
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
}

TEST_F(CatalogueTest, WithoutABrowserHelpShowsInTheProgramsOwnWindow) {
    open();
    core::g().ProgramFolderOverride = QCoreApplication::applicationDirPath(); // where the page is shipped
    prompts.urlsOpen = false;
    w->cmdHelp_Click();
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    auto *help = platform::ui::findForm<core::HelpViewer>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->txtHelp->source(), prompts.openedUrls.value(0));
    const QString page = help->txtHelp->toPlainText();
    for (const char *section : {"What Orvalis does", "The main window", "Adding music", "The song editor",
                                "Playing and play lists", "Categories and filters", "Pictures", "Reports",
                                "Keeping the catalogue in order", "The keyboard"})
        EXPECT_TRUE(page.contains(QString::fromLatin1(section))) << section;
    help->close();
}

TEST_F(CatalogueTest, AddRuleFollowsEveryCaptionOfTheViewLabel) {
    open();
    struct Case { const char *caption; bool before, after; } cases[] = {
        {"Records containing abba", true, false},  // a find result: no adding
        {"Showing duplicates", false, false},      // a duplicate view leaves the button alone
        {"Showing duplicates", true, true},
        {"", false, true},                         // anything else enables it
        {"Favourites", false, true},
    };
    for (const Case &c : cases) {
        w->cmdAdd->setEnabled(c.before);
        w->lblCategory->setText(QString::fromLatin1(c.caption));  // as other windows write it
        EXPECT_EQ(w->cmdAdd->isEnabled(), c.after) << c.caption;
    }
    w->lblCategory->setText(QStringLiteral("Records containing x"));
    w->lblCategory->clear();
    EXPECT_TRUE(w->cmdAdd->isEnabled());
}

TEST_F(CatalogueTest, ControlsAndMenuEntriesCarryTheirNames) {
    open(false);
    for (const char *name : {"Data1", "Table1", "CMDialog1", "cmbSort", "txtLocate", "FrameAlpha", "lblFilterMsg",
                             "lblCategory", "lblSelectedCount", "txtName", "TextBackground", "txtSongAddedToPlaylist",
                             "cmdAdd", "cmdEdit", "cmdDelete", "cmdExit", "cmdExitSign", "cmdShowAll",
                             "cmdShowSelected", "cmdShowArtistSongs", "cmdFind", "cmdFilter", "cmdCategory",
                             "cmdAssignCatg", "cmdCount", "cmdNotes", "cmdPictures", "cmdHelp", "cmdPlay",
                             "cmdPlayAll", "cmdPlayList", "cmdSortArtist", "cmdSortSong"})
        EXPECT_NE(w->findChild<QObject *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w->findChildren<QLabel *>(QStringLiteral("lblAlphabet")).size(), 38);
    for (const char *name : {"ShowAllMenu", "GridEditMenu", "TabletMode", "DesktopMode", "ScrollBarWidth",
                             "mnuOptionFileRename", "HelpGotoWebsite", "mnuPopupDelete", "FileExit"})
        EXPECT_NE(w->findChild<QAction *>(QString::fromLatin1(name)), nullptr) << name;
    // An entry whose window is not built yet does nothing, without a message.
    w->findChild<QAction *>(QStringLiteral("mnuCompactDatabase"))->trigger();
    EXPECT_TRUE(prompts.asked().isEmpty());
}

// ---------------------------------------------------------------- drawing

TEST_F(SongListTest, TenSongsAreDrawnInTheGrid) {
    addSongs(10);
    open();
    w->resize(1024, 740);
    w->show();
    QTest::qWait(50);
    ASSERT_EQ(w->Table1->model()->rowCount(), 10);
    const QImage img = w->Table1->viewport()->grab().toImage();
    ASSERT_FALSE(img.isNull());
    // Text is drawn: many dark pixels in the rows of the cells.
    int dark = 0;
    const int rowsHeight = std::min(img.height(), 10 * w->Table1->rowHeight(0));
    for (int y = 0; y < rowsHeight; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 100)
                ++dark;
    EXPECT_GT(dark, 300);
    EXPECT_EQ(w->Table1->model()->index(0, 1).data().toString(), QStringLiteral("Song 0"));
    w->hide();
}

} // namespace
