// What the player does when a song ends or its current song changes: the single song's loop and
// end, the next and random songs of the grid's view, the temporary list followed entry by entry
// with repeated texts skipped, and the shuffle and loop modes.
#include "player/PlayerFixture.h"

#include "core/Rnd.h"
#include "platform/db/Database.h"
#include "platform/db/JetSql.h"
#include "player/PlayerTexts.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>

using core::g;
using player::PlayForm;
namespace media = platform::media;

namespace {

class EndOfSongTest : public PlayerTest {
protected:
    // A catalogue song whose music file exists (unless `present` is false) in `folder`.
    QString addSong(const QString &folder, const QString &file, const QString &song, const QString &artist,
                    int year, bool present = true) {
        const QString dir = tmp.path() + folder;
        QDir().mkpath(dir);
        if (present)
            testenv::writeFile(dir + file, "x");
        auto rs = g().Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
        rs->addNew();
        rs->setValue(QStringLiteral("PathName"), dir);
        rs->setValue(QStringLiteral("FileName"), file);
        rs->setValue(QStringLiteral("SongName"), song);
        rs->setValue(QStringLiteral("Artist"), artist);
        rs->setValue(QStringLiteral("Year"), year);
        rs->update();
        rs->close();
        return dir + file;
    }
    // Three songs a, b, c (years 1, 2, 3) in /Music/.
    void addThree() {
        a = addSong(QStringLiteral("/Music/"), QStringLiteral("a.mp3"), QStringLiteral("Alpha"), QStringLiteral("Ann"), 1);
        b = addSong(QStringLiteral("/Music/"), QStringLiteral("b.mp3"), QStringLiteral("Beta"), QString(), 2);
        c = addSong(QStringLiteral("/Music/"), QStringLiteral("c.mp3"), QStringLiteral("Gamma"), QStringLiteral("Cy"), 3);
    }
    // The player on one song of the view `source`, with a mode box ticked, opened and playing.
    PlayForm *playSingle(const QString &path, QCheckBox *PlayForm::*mode = nullptr,
                         const QString &source = QStringLiteral("Select * from tblContacts Order By Year")) {
        g().PlayFromMain = true;
        PlayForm *w = load({QStringLiteral("Song|") + path});
        w->PlayerRecordSource = source;
        if (mode) {
            (w->*mode)->setVisible(true);
            (w->*mode)->setChecked(true);
        }
        fake()->open();
        fake()->deliver();
        fake()->calls.clear();
        return w;
    }
    // A song ends and the window reacts, the player then reporting Ready for what it was given.
    void endAndReady() {
        fake()->endMedia();
        fake()->deliver();
        if (platform::ui::findForm<PlayForm>() && fake()->calls.contains(QStringLiteral("URL=") + g().PlayPath)) {
            fake()->open();
            fake()->deliver();
        }
    }
    QStringList texts(const PlayForm *w) const {
        QStringList out;
        for (int i = 0; i < w->lbSongs->count(); ++i)
            out << w->lbSongs->item(i)->text();
        return out;
    }

    QString a, b, c;
};

} // namespace

// ---------------------------------------------------------------- a single song

TEST_F(EndOfSongTest, ASingleSongWithLoopPlaysAgainAfterItsEndAndAfterAStop) {
    PlayForm *w = playSingle(QStringLiteral("/m/one.mp3"), &PlayForm::cbLoop);
    fake()->calls.clear();
    fake()->endMedia();
    fake()->deliver();
    EXPECT_EQ(fake()->calls, QStringList{QStringLiteral("play")});
    fake()->calls.clear();
    fake()->userStop();
    fake()->deliver();
    EXPECT_EQ(fake()->calls, QStringList{QStringLiteral("play")});
    EXPECT_TRUE(platform::ui::isLoaded(w));
}

TEST_F(EndOfSongTest, ASingleSongsEndClosesThePlayerFromTheGridAndEndsTheProgramFromThePlayerOnlyStart) {
    PlayForm *w = playSingle(QStringLiteral("/m/one.mp3"));
    fake()->endMedia();
    fake()->deliver();
    EXPECT_FALSE(platform::ui::isLoaded(w));
    EXPECT_TRUE(endCodes.isEmpty());
    EXPECT_FALSE(g().PlayerOpen);

    g().PlayFromMain = false;
    g().PlayOnlyMode = true;
    g().PlayPath = QStringLiteral("/m/one.mp3");
    w = platform::ui::form<PlayForm>();
    w->lbSongs->addItem(g().PlayPath);
    w->lbSongURL->addItem(g().PlayPath);
    fake()->open();
    fake()->deliver();
    fake()->endMedia();
    fake()->deliver();
    EXPECT_EQ(endCodes, QList<int>{0});
}

// ---------------------------------------------------------------- next and random

TEST_F(EndOfSongTest, PlayNextTakesTheFollowingRowOfTheViewAndStopsAtItsEnd) {
    addThree();
    PlayForm *w = playSingle(a, &PlayForm::cbPlayNext);
    endAndReady();
    EXPECT_EQ(g().PlayPath, b);
    EXPECT_EQ(g().PlayCaption, QStringLiteral("b.mp3"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("b.mp3"));
    EXPECT_EQ(texts(w), QStringList{QStringLiteral("Beta")}) << "no artist: the title alone";
    EXPECT_EQ(fake()->calls, (QStringList{QStringLiteral("URL=") + b, QStringLiteral("play")}));

    fake()->calls.clear();
    endAndReady();
    EXPECT_EQ(g().PlayPath, c);
    EXPECT_EQ(texts(w), QStringList{QStringLiteral("Gamma <> Cy")});

    // The last row of the view: nothing more plays, the player stays.
    fake()->calls.clear();
    endAndReady();
    EXPECT_TRUE(fake()->calls.isEmpty());
    EXPECT_TRUE(platform::ui::isLoaded(w));
    EXPECT_EQ(g().PlayPath, c);
}

// The grid's view kept when the window loaded: Play next follows its rows (read one at a time),
// goes on from the first row of a file the view holds twice, knows nothing of a song added
// after the window loaded, and passes over one deleted since.
TEST_F(EndOfSongTest, PlayNextOverTheKeptViewGoesOnFromTheFirstRowOfAFileHeldTwice) {
    addThree();
    addSong(QStringLiteral("/Music/"), QStringLiteral("b.mp3"), QStringLiteral("Beta again"), QString(), 4);
    const QString source = QStringLiteral("Select * from tblContacts Order By Year");
    auto grid = g().Db->openRecordset(source);
    PlayForm *w = playSingle(a, &PlayForm::cbPlayNext, source);
    w->keepPlayerView(grid.get());
    ASSERT_TRUE(w->PlayerView);
    grid.reset();
    const QString later = addSong(QStringLiteral("/Music/"), QStringLiteral("z.mp3"), QStringLiteral("Zeta"), QString(), 0);
    QStringList played;
    for (int i = 0; i < 4; ++i) {
        endAndReady();
        played << g().PlayPath;
    }
    EXPECT_EQ(played, (QStringList{b, c, b, c}));

    g().PlayPath = later;
    fake()->calls.clear();
    endAndReady();
    EXPECT_TRUE(fake()->calls.isEmpty()) << "a song added after the window loaded is not in its view";

    // A song of the view deleted since is passed over.
    g().Db->execute(QStringLiteral("Delete From tblContacts Where FileName = 'c.mp3'"));
    g().PlayPath = b;
    endAndReady();
    EXPECT_EQ(g().PlayPath, b);
    EXPECT_EQ(texts(w), QStringList{QStringLiteral("Beta again")});
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(EndOfSongTest, PlayNextOnASongTheViewDoesNotHoldPlaysNothing) {
    addThree();
    PlayForm *w = playSingle(tmp.path() + QStringLiteral("/Other/x.mp3"), &PlayForm::cbPlayNext);
    endAndReady();
    EXPECT_TRUE(fake()->calls.isEmpty());
    EXPECT_TRUE(platform::ui::isLoaded(w));
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(EndOfSongTest, PlayNextFindsASongWhosePathHoldsQuotes) {
    const QString first = addSong(QStringLiteral("/Say \"Hi\" & #1/"), QStringLiteral("it's \"x\".mp3"),
                                  QStringLiteral("One"), QString(), 1);
    const QString second = addSong(QStringLiteral("/Say \"Hi\" & #1/"), QStringLiteral("y.mp3"),
                                   QStringLiteral("Two"), QString(), 2);
    playSingle(first, &PlayForm::cbPlayNext);
    endAndReady();
    EXPECT_EQ(g().PlayPath, second);
}

TEST_F(EndOfSongTest, PlayNextFollowsAViewFilteredOnAFolderWrittenInCapitals) {
    addThree();
    addSong(QStringLiteral("/music/"), QStringLiteral("d.mp3"), QStringLiteral("Delta"), QString(), 4);
    const QString source = QStringLiteral("SELECT * FROM tblContacts Where PathName=") +
                           platform::db::jet::quoted(tmp.path() + QStringLiteral("/Music/")) +
                           QStringLiteral(" Order By tblContacts!Year, Artist, SongName");
    PlayForm *w = playSingle(b, &PlayForm::cbPlayNext, source);
    endAndReady();
    EXPECT_EQ(g().PlayPath, c);
    EXPECT_EQ(w->PlayerRecordSource,
              QStringLiteral("SELECT FileName, PathName, SongName, Artist from tblContacts Where PathName=") +
                  platform::db::jet::quoted(tmp.path() + QStringLiteral("/Music/")) +
                  QStringLiteral(" Order By tblContacts!Year, Artist, SongName"));
    fake()->calls.clear();
    endAndReady();
    EXPECT_TRUE(fake()->calls.isEmpty()) << "the song in /music/ is not in the view";
}

TEST_F(EndOfSongTest, PlayRandomMovesByTheRoundedDrawFromTheFirstRow) {
    addThree();
    addSong(QStringLiteral("/Music/"), QStringLiteral("d.mp3"), QStringLiteral("Delta"), QString(), 4);
    // Four rows: the draw times 3, rounded half to even.
    const struct {
        double draw;
        const char *file;
    } rows[] = {{0.0, "a.mp3"}, {0.16, "a.mp3"}, {0.17, "b.mp3"}, {0.5, "c.mp3"}, {0.8333333333333334, "c.mp3"},
                {0.84, "d.mp3"}, {0.999, "d.mp3"}};
    for (const auto &row : rows) {
        core::ScopedRandomSource draw([&] { return row.draw; });
        playSingle(a, &PlayForm::cbPlayRandom);
        endAndReady();
        EXPECT_EQ(g().PlayCaption, QString::fromLatin1(row.file)) << row.draw;
        unloadForms();
    }
}

TEST_F(EndOfSongTest, PlayRandomOverAViewOfOneSongReplaysIt) {
    addThree();
    const QString source = QStringLiteral("Select * from tblContacts Where SongName='Beta'");
    core::ScopedRandomSource draw([] { return 0.99; });
    PlayForm *w = playSingle(b, &PlayForm::cbPlayRandom, source);
    for (int i = 0; i < 3; ++i) {
        fake()->calls.clear();
        endAndReady();
        EXPECT_EQ(fake()->calls, (QStringList{QStringLiteral("URL=") + b, QStringLiteral("play")}));
    }
    EXPECT_TRUE(platform::ui::isLoaded(w));
}

TEST_F(EndOfSongTest, AMissingNextFileIsNamedAndThePlayerCloses) {
    addThree();
    const QString gone = addSong(QStringLiteral("/Music/"), QStringLiteral("gone.mp3"), QStringLiteral("Gone"),
                                 QString(), 4, false);
    PlayForm *w = playSingle(c, &PlayForm::cbPlayNext);
    endAndReady();
    EXPECT_FALSE(platform::ui::isLoaded(w));
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("File not found to play"));
    EXPECT_EQ(prompts.asked()[0].text,
              QStringLiteral("\"") + gone +
                  QStringLiteral("\"\r\nnot found.\r\nIt may have been deleted or moved to a new location.  You can "
                                 "globally change music file locations by choosing:\r\n\"Change Music File "
                                 "Locations\" from the Edit menu."));
    EXPECT_EQ(prompts.asked()[0].icon, platform::ui::Icon::Exclamation);
}

TEST_F(EndOfSongTest, ABadViewIsReportedAndThePlayerStays) {
    PlayForm *w = playSingle(QStringLiteral("/m/one.mp3"), &PlayForm::cbPlayNext,
                             QStringLiteral("Select * from tblNoSuchTable"));
    endAndReady();
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Error in PlayNextRandom routine"));
    EXPECT_EQ(prompts.asked()[0].icon, platform::ui::Icon::Critical);
    EXPECT_TRUE(platform::ui::isLoaded(w));
}

// ---------------------------------------------------------------- the temporary list

TEST_F(EndOfSongTest, SkippingRepeatedTextsLeavesTheSelectionOnWhatPlays) {
    const struct {
        QStringList texts;
        int nexts;
        int selected;  // after the first song ended
        int selectedAfterSecond;  // after the song then selected ended (-1: not run)
    } rows[] = {
        {{"A", "a", "B", "C"}, 1, 2, -1},
        {{"A", "A", "B"}, 1, 2, -1},          // the last entry repeats nothing: it plays
        {{"A", "A", "A", "B"}, 2, 3, -1},
        {{"A", "B", "B", "B"}, 0, 1, 0},      // B ends: the next two repeat it, back to entry 0
        {{"A", "B", "C"}, 0, 1, -1},
    };
    for (const auto &row : rows) {
        QStringList songs;
        for (int i = 0; i < row.texts.size(); ++i)
            songs << row.texts[i] + QStringLiteral("|/m/%1.mp3").arg(i);
        PlayForm *w = load(songs, true);
        w->cbSkipDups->setChecked(true);
        fake()->open();
        fake()->deliver();
        ASSERT_EQ(w->lbSongs->currentRow(), 0);
        fake()->calls.clear();
        fake()->endMedia();
        fake()->deliver();
        const QString label = row.texts.join(QLatin1Char(','));
        EXPECT_EQ(fake()->calls.count(QStringLiteral("next")), row.nexts) << label.toStdString();
        EXPECT_EQ(w->lbSongs->currentRow(), row.selected) << label.toStdString();
        EXPECT_EQ(w->lbSongURL->currentRow(), row.selected) << label.toStdString();
        EXPECT_EQ(fake()->currentItem().index, row.selected) << "the selection shows what plays";
        if (row.selectedAfterSecond >= 0) {
            fake()->endMedia();
            fake()->deliver();
            EXPECT_EQ(w->lbSongs->currentRow(), row.selectedAfterSecond) << label.toStdString();
            EXPECT_EQ(fake()->currentItem().index, row.selectedAfterSecond);
        }
        unloadForms();
    }
}

TEST_F(EndOfSongTest, TheSelectionFollowsTheListThroughItsEndAndTheLoop) {
    const QStringList songs{QStringLiteral("A|/m/a.mp3"), QStringLiteral("B|/m/b.mp3"), QStringLiteral("C|/m/c.mp3")};
    PlayForm *w = load(songs, true);
    fake()->open();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 0);
    fake()->endMedia();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 1);
    fake()->userNext();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 2) << "the transport's Next";
    fake()->userPrevious();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 1) << "the transport's Previous";
    fake()->userPrevious();
    fake()->deliver();
    fake()->userPrevious();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 2) << "Previous on the first goes to the last";

    // Without loop the list ends at entry 0, stopped, the window open.
    fake()->endMedia();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 0);
    EXPECT_EQ(fake()->playState(), media::Stopped);
    EXPECT_TRUE(platform::ui::isLoaded(w));

    // With loop the last entry's end wraps to the first and plays on.
    w->cbLoop->setChecked(true);
    fake()->userNext();
    fake()->deliver();
    fake()->userNext();
    fake()->deliver();
    ASSERT_EQ(w->lbSongs->currentRow(), 2);
    fake()->endMedia();
    fake()->deliver();
    EXPECT_EQ(w->lbSongs->currentRow(), 0);
    EXPECT_EQ(fake()->playState(), media::Playing);
}

TEST_F(EndOfSongTest, SkipDuplicatesStartsAStoppedListAgain) {
    PlayForm *w = load({QStringLiteral("A|/m/a.mp3"), QStringLiteral("B|/m/b.mp3")}, true);
    w->cbSkipDups->setChecked(true);
    fake()->open();
    fake()->deliver();
    fake()->calls.clear();
    fake()->userStop();
    fake()->deliver();
    EXPECT_EQ(fake()->calls, QStringList{QStringLiteral("play")});
}

TEST_F(EndOfSongTest, InShuffleTheSelectionShowsTheSongThePlayerPlays) {
    QStringList songs;
    for (int i = 0; i < 6; ++i)
        songs << QStringLiteral("S%1|/m/%1.mp3").arg(i);
    PlayForm *w = load(songs, true);
    fake()->open();
    fake()->deliver();
    w->cbShuffle->setChecked(true);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w->lbSongs->currentRow(), fake()->currentItem().index) << i;
        EXPECT_EQ(w->lbSongURL->currentRow(), fake()->currentItem().index) << i;
        fake()->endMedia();
        fake()->deliver();
    }
}

// ---------------------------------------------------------------- the view's query

TEST(PlayerQuery, ReplacesTheStarInAnyCaseOutsideQuotedTexts) {
    const struct {
        const char *in, *out;
    } rows[] = {
        {"Select * from tblContacts", "Select FileName, PathName, SongName, Artist from tblContacts"},
        {"SELECT * FROM tblContacts Where PathName=\"/Music/A * from B/\"",
         "SELECT FileName, PathName, SongName, Artist from tblContacts Where PathName=\"/Music/A * from B/\""},
        {"Select distinctrow * from qryContacts Where Artist='It''s * from me' Order By SongName",
         "Select distinctrow FileName, PathName, SongName, Artist from qryContacts Where Artist='It''s * from me' "
         "Order By SongName"},
        {"qryContacts", "qryContacts"},
        {"Select FileName, PathName, SongName, Artist from tblContacts",
         "Select FileName, PathName, SongName, Artist from tblContacts"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(player::playerQuery(QString::fromUtf8(row.in)), QString::fromUtf8(row.out)) << row.in;
        EXPECT_EQ(player::playerQuery(player::playerQuery(QString::fromUtf8(row.in))), QString::fromUtf8(row.out))
            << "done again, nothing changes";
    }
}
