// A play list outside its window: its catalogue songs alone in the main grid (in the grid's
// sort, each once, the grid put back when none shows), and the "Detail" and
// "DetailWithFileNames" reports handed to the report window as RTF.
#include "PlayListFixture.h"

#include "core/AppState.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/DataControl.h"
#include "player/PlayListReports.h"
#include "songlist/OtherWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace ui = platform::ui;
using player::PlayListReports;

class PlayListReportsTest : public PlayListTest {
protected:
    void SetUp() override {
        PlayListTest::SetUp();
        songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::RichTextForm),
                                    [this](const QString &rtf) {
                                        ++shown;
                                        box.setTextRTF(rtf);
                                    });
    }
    void TearDown() override {
        songlist::OtherWindows::clear();
        PlayListTest::TearDown();
    }
    long listOf(int n) {
        const long id = addList(QStringLiteral("Road Trip"));
        QStringList songs;
        for (int i = 1; i <= n; ++i)
            songs << QStringLiteral("Song %1|Band").arg(i);
        addTracks(id, songs);
        return id;
    }
    QList<int> feeds() const {
        QList<int> out;
        const QString t = box.Text();
        for (int i = 0; i < t.size(); ++i)
            if (t.at(i) == QChar(12))
                out << i;
        return out;
    }
    struct Attr {
        double size;
        bool bold;
        long color;
        QString font;
        bool operator==(const Attr &) const = default;
    };
    Attr at(const QString &piece) {
        const int pos = int(box.Text().indexOf(piece));
        EXPECT_GE(pos, 0) << piece.toStdString();
        box.setSelStart(pos);
        box.setSelLength(int(piece.size()));
        const Attr a{box.SelFontSize().value_or(-1), box.SelBold().value_or(true), box.SelColor().value_or(-1),
                     box.SelFontName().value_or(QString())};
        box.setSelLength(0);
        return a;
    }

    platform::richtext::RichTextBox box;
    int shown = 0;
};

// ---------------------------------------------------------------- the grid view

TEST_F(PlayListReportsTest, SortPartNamesTheCatalogueTable) {
    const struct {
        const char *source, *sort;
    } cases[] = {
        {"Select * from  tblContacts Order By Artist, SongName", " order by tblContacts!Artist, SongName"},
        {"Select * from  tblContacts Order By tblContacts!Year, Artist", " Order By tblContacts!Year, Artist"},
        {"Select * from  tblContacts", ""},
        {"Select * from  tblContacts Where Artist = 'x order by y' Order By SongName", " order by tblContacts!SongName"},
        {"qryDuplicateSongs", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlayListReports::sortPart(QString::fromLatin1(c.source)), QString::fromLatin1(c.sort)) << c.source;
}

TEST_F(PlayListReportsTest, GridShowsEachCatalogueSongOnceInTheGridsSort) {
    addSong({{"SongName", "Bravo"}, {"Artist", "Zed"}});
    addSong({{"SongName", "Alpha"}, {"Artist", "Amy"}});
    addSong({{"SongName", "Other"}, {"Artist", "Amy"}});
    const long id = addList(QStringLiteral("Mix"));
    open();
    w->cmdSortArtist_Click();
    db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ContactRecordID) "
                                "Select ?, RecordID, SongName, RecordID From tblContacts Where SongName <> 'Other'"),
                 QVariantList{qlonglong(id)});
    addTracks(id, {QStringLiteral("By hand")}, {10});
    db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ContactRecordID) "
                                "Select ?, 11, SongName, RecordID From tblContacts Where SongName = 'Bravo'"),
                 QVariantList{qlonglong(id)});
    openPlayLists();
    pl->show();
    chooseList(QStringLiteral("Mix"));
    pl->mnuFileDisplayOnly_Click();

    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(currentSong(), QStringLiteral("Alpha"));
    EXPECT_TRUE(source().startsWith(QStringLiteral("SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN")));
    EXPECT_TRUE(source().endsWith(QStringLiteral(" order by tblContacts!Artist, SongName"))) << source().toStdString();
    EXPECT_EQ(core::g().WhereClause, QStringLiteral(" WHERE tblPlayListDetail.ListID=%1 ").arg(id));
    EXPECT_TRUE(w->lblFilterMsg->isVisibleTo(w));
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("PlayList:Mix"));
    EXPECT_TRUE(w->cmdShowArtistSongs->text().isEmpty());
    EXPECT_FALSE(pl->isVisible());
}

TEST_F(PlayListReportsTest, ListWithoutCatalogueSongsLeavesTheGridAsItWas) {
    addSongs(3);
    const long id = addList(QStringLiteral("Hand"));
    addTracks(id, {QStringLiteral("By hand")});
    addList(QStringLiteral("Empty"));
    open();
    const QString before = source();
    const QString where = core::g().WhereClause;
    for (const QString &name : {QStringLiteral("Hand"), QStringLiteral("Empty")}) {
        openPlayLists();
        pl->show();
        chooseList(name);
        pl->mnuFileDisplayOnly_Click();
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("No records found")) << name.toStdString();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No records found in database for this PlayList."));
        EXPECT_EQ(source(), before);
        EXPECT_EQ(core::g().WhereClause, where);
        EXPECT_EQ(w->Data1->recordCount(), 3);
        EXPECT_TRUE(pl->isVisible());
    }
}

// ---------------------------------------------------------------- reports

TEST_F(PlayListReportsTest, PageBreakGroupsFollowEveryFortyOrTwentyTracks) {
    listOf(45);
    openPlayLists();
    chooseList(QStringLiteral("Road Trip"));
    pl->mnuReportsDetail_Click();
    EXPECT_EQ(feeds().size(), 1);
    EXPECT_LT(box.Text().indexOf(QStringLiteral("Song 40 [by]")), feeds().value(0));
    EXPECT_GT(box.Text().indexOf(QStringLiteral("Song 41 [by]")), feeds().value(0));
    EXPECT_FALSE(box.Text().contains(QStringLiteral("File name:")));

    pl->mnuReportsDetailWithFilenames_Click();
    EXPECT_EQ(feeds().size(), 2);
    EXPECT_GT(box.Text().indexOf(QStringLiteral("Song 21 [by]")), feeds().value(0));
    EXPECT_LT(box.Text().indexOf(QStringLiteral("Song 40 [by]")), feeds().value(1));
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(box.Text().startsWith(QStringLiteral("Road Trip\n\n Song 1 [by] Band\n      File name: /m/Song 1.mp3\n")));

    EXPECT_EQ(at(QStringLiteral("Road Trip")), (Attr{12, true, 0xFF0000, QStringLiteral("Arial")}));
    EXPECT_EQ(at(QStringLiteral(" Song 1 [by] Band")), (Attr{10, false, 0, QStringLiteral("Arial")}));
    EXPECT_EQ(at(QStringLiteral("      File name: /m/Song 1.mp3")), (Attr{8, false, 0, QStringLiteral("Arial")}));
    const int feed = feeds().value(0);
    box.setSelStart(feed);
    box.setSelLength(1);
    EXPECT_EQ(box.SelColor().value_or(-1), 0xFFFFFF);
}

TEST_F(PlayListReportsTest, FortyTracksEndWithAGroupAndEmptyOrNoListGiveNoHeading) {
    listOf(40);
    addList(QStringLiteral("Empty"));
    openPlayLists();
    chooseList(QStringLiteral("Road Trip"));
    pl->mnuReportsDetail_Click();
    EXPECT_TRUE(box.Text().endsWith(QStringLiteral("\n\n\n") + QChar(12))) << box.Text().right(20).toStdString();
    EXPECT_EQ(feeds().size(), 1);

    chooseList(QStringLiteral("Empty"));
    pl->mnuReportsDetail_Click();
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(box.Text().isEmpty()) << box.Text().toStdString();

    core::g().CurrentPlayList = QStringLiteral(" ");
    pl->mnuReportsDetailWithFilenames_Click();
    EXPECT_EQ(shown, 2);
}

// The list is found without regard to case, but its heading is the name as stored; lists that
// share one name report their tracks together, in track order.
TEST_F(PlayListReportsTest, HeadingIsTheStoredNameAndListsSharingANameReportTogether) {
    const long road = listOf(2);
    openPlayLists();
    chooseList(QStringLiteral("Road Trip"));
    core::g().CurrentPlayList = QStringLiteral("ROAD TRIP");
    pl->mnuReportsDetail_Click();
    EXPECT_EQ(box.Text(), QStringLiteral("Road Trip\n\n Song 1 [by] Band\n Song 2 [by] Band\n"));

    const long other = addList(QStringLiteral("road trip"));
    addTracks(other, {QStringLiteral("Other 3|Crew"), QStringLiteral("Other 5|Crew")}, {3, 5});
    addTracks(road, {QStringLiteral("Song 4|Band")}, {4});
    pl->mnuReportsDetail_Click();
    EXPECT_EQ(box.Text(), QStringLiteral("Road Trip\n\n Song 1 [by] Band\n Song 2 [by] Band\n Other 3 [by] Crew\n"
                                         " Song 4 [by] Band\n Other 5 [by] Crew\n"));
    EXPECT_EQ(shown, 2);
}

TEST_F(PlayListReportsTest, NullTitlesAndArtistsPrintEmpty) {
    const long id = addList(QStringLiteral("Bare"));
    db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID) Values (?, 1)"), QVariantList{qlonglong(id)});
    openPlayLists();
    chooseList(QStringLiteral("Bare"));
    pl->mnuReportsDetailWithFilenames_Click();
    EXPECT_EQ(box.Text(), QStringLiteral("Bare\n\n  [by] \n      File name: \n"));
}
