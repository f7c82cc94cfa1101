// Playing a play list from the play-list window: whole in the player through the temporary
// list (which tracks go in, the captions, the window closing itself, the messages), and one
// track at a time in the small player (how far a run goes, the user's stop, gaps in the
// numbers).
#include "PlayListFixture.h"

#include "common/FakeMediaPlayer.h"
#include "core/StartupHooks.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/frmPlay.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

using core::g;
using player::PlayForm;
using player::frmPlay;
namespace ui = platform::ui;

namespace {

class PlayAPlayListTest : public PlayListTest {
protected:
    void SetUp() override {
        PlayListTest::SetUp();
        music = tmp.path() + QStringLiteral("/music/");
        QDir().mkpath(music);
        saved = core::hooks();
        core::hooks().endProgram = [](int) {};
    }
    void TearDown() override {
        unloadForms();
        core::hooks() = saved;
        PlayListTest::TearDown();
    }
    // A track row; `file` relative to the music folder, created when `present`.
    void track(long list, long number, const QString &title, const QString &artist, const QString &file,
               bool present = true) {
        const QString path = file.isEmpty() ? QString() : music + file;
        if (present && !file.isEmpty() && !file.endsWith(QLatin1Char('/')))
            testenv::writeFile(path, "x");
        db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, "
                                    "FileName) Values (?, ?, ?, ?, ?)"),
                     {qlonglong(list), qlonglong(number), title, artist.isEmpty() ? QVariant() : QVariant(artist),
                      path.isEmpty() ? QVariant() : QVariant(path)});
    }
    QByteArray tempList() const {
        QFile f(g().DataFolder + QStringLiteral("OVPlayList.m3u"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    PlayForm *playerWindow() const { return ui::findForm<PlayForm>(); }
    const ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }

    // Plays one at a time; each frmPlay shown records its file and its track ends, except the
    // one numbered `closeAt` (from 1), which the user closes.
    QStringList playOneByOne(int closeAt = 0) {
        QStringList played;
        ui::ScopedModalHook hook([&](QDialog *d) {
            auto *p = qobject_cast<frmPlay *>(d);
            if (!p)
                return;
            auto *f = qobject_cast<testenv::FakeMediaPlayer *>(p->WMPlayer);
            played << f->URL().mid(music.size());
            EXPECT_EQ(p->windowTitle(), QStringLiteral("Play"));
            if (played.size() == closeAt) {
                p->close();
                return;
            }
            f->open();
            f->endMedia();
            f->deliver();
        });
        pl->cmdPlay1->click();
        return played;
    }

    QString music;
    core::StartupHooks saved;
    testenv::FakeMediaPlayers fakes;
};

} // namespace

// ---------------------------------------------------------------- the whole list

TEST_F(PlayAPlayListTest, PlayAllHandsThePlayableTracksToThePlayerAndClosesTheWindow) {
    const long mix = addList(QStringLiteral("Mix"));
    track(mix, 1, QStringLiteral("Alpha"), QStringLiteral("Ann"), QStringLiteral("a.mp3"));
    track(mix, 2, QStringLiteral("Beta"), QStringLiteral("Bob"), QStringLiteral("b.mp3"), false);
    track(mix, 3, QStringLiteral("Gamma"), {}, QStringLiteral("c.mp3"));
    track(mix, 4, QStringLiteral("NoFile"), {}, {});
    track(mix, 5, QStringLiteral("Folder"), {}, QStringLiteral("./"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    pl->cmdPlay->click();

    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(tempList(), (music + QStringLiteral("a.mp3\r\n") + music + QStringLiteral("c.mp3\r\n")).toUtf8());
    PlayForm *p = playerWindow();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->windowTitle(), QStringLiteral("PlayList: Mix"));
    EXPECT_EQ(g().PlayCaption, QStringLiteral("PlayList Mix"));
    EXPECT_EQ(g().PlayPath, g().DataFolder + QStringLiteral("OVPlayList.m3u"));
    ASSERT_EQ(p->lbSongs->count(), 2);
    EXPECT_EQ(p->lbSongs->item(0)->text(), QStringLiteral("Alpha <> Ann"));
    EXPECT_EQ(p->lbSongs->item(1)->text(), QStringLiteral("Gamma"));
    EXPECT_EQ(p->lbSongURL->item(1)->text(), music + QStringLiteral("c.mp3"));
    EXPECT_EQ(p->lbSongs->currentRow(), 0);
    EXPECT_EQ(p->lbSongURL->currentRow(), 0);
    EXPECT_EQ(p->lblNumSongs->text(), QStringLiteral("Number of songs: 2"));
    EXPECT_FALSE(ui::isLoaded(pl)) << "the play-list window closed itself";
    EXPECT_FALSE(g().PlayFromMain || g().PlayFromFolder);
    EXPECT_FALSE(p->cmdDelete->isHidden()) << "left as the load set it";
}

TEST_F(PlayAPlayListTest, PlayAllKeepsAPatternThatMatchesAFileAndDropsAFolderNamedWithoutASlash) {
    // Neither path names a regular file: a pattern matching one plays, a folder does not.
    const long mix = addList(QStringLiteral("Mix"));
    track(mix, 1, QStringLiteral("Alpha"), {}, QStringLiteral("a.mp3"));
    track(mix, 2, QStringLiteral("Pattern"), {}, QStringLiteral("a*.mp3"), false);
    QDir().mkpath(music + QStringLiteral("sub"));
    track(mix, 3, QStringLiteral("Folder"), {}, QStringLiteral("sub"), false);
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    pl->cmdPlay->click();

    EXPECT_EQ(tempList(), (music + QStringLiteral("a.mp3\r\n") + music + QStringLiteral("a*.mp3\r\n")).toUtf8());
    PlayForm *p = playerWindow();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->lbSongs->count(), 2);
    EXPECT_EQ(p->lbSongs->item(1)->text(), QStringLiteral("Pattern"));
}

TEST_F(PlayAPlayListTest, PlayAllWithNothingToPlaySaysWhyAndOpensNoPlayer) {
    const long names = addList(QStringLiteral("NoNames"));
    track(names, 1, QStringLiteral("A"), {}, {});
    const long gone = addList(QStringLiteral("Gone"));
    track(gone, 1, QStringLiteral("A"), {}, QStringLiteral("missing.mp3"), false);
    const struct {
        const char *list, *text;
    } cases[] = {
        {"NoNames", "No music files were associated with any of the songs in this Play List, so there is nothing to play."},
        {"Gone", "No music files found for the songs in this Play List.  They may have changed folder locations or "
                 "been deleted from this machine."},
    };
    for (const auto &c : cases) {
        openPlayLists();
        chooseList(QString::fromLatin1(c.list));
        prompts.clear();
        pl->cmdPlay->click();
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(lastBox().text, QString::fromLatin1(c.text));
        EXPECT_EQ(lastBox().title, QStringLiteral("No music files found for these songs"));
        EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
        EXPECT_FALSE(playerWindow());
        EXPECT_EQ(tempList(), QByteArray("<none>"));
        EXPECT_TRUE(ui::isLoaded(pl));
    }
}

TEST_F(PlayAPlayListTest, ATemporaryListThatVanishesBeforeThePlayerShowsIsReported) {
    const long mix = addList(QStringLiteral("Mix"));
    track(mix, 1, QStringLiteral("Alpha"), {}, QStringLiteral("a.mp3"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    const QString listPath = g().DataFolder + QStringLiteral("OVPlayList.m3u");
    // The list is removed while the player loads.
    platform::media::ScopedMediaPlayerFactory vanish([&](QWidget *parent) {
        QFile::remove(listPath);
        return new testenv::FakeMediaPlayer(parent);
    });
    pl->cmdPlay->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("File ") + listPath + QStringLiteral(" cannot be found to play."));
    EXPECT_EQ(lastBox().title, QStringLiteral("File not found"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);
    EXPECT_FALSE(playerWindow());
    EXPECT_FALSE(g().PlayerOpen);
}

// ---------------------------------------------------------------- one at a time

TEST_F(PlayAPlayListTest, OneAtATimePlaysFromTheSelectedTrackToTheLast) {
    const long mix = addList(QStringLiteral("Mix"));
    // Numbers with a gap, as a removal from the player leaves them.
    track(mix, 1, QStringLiteral("A"), {}, QStringLiteral("1.mp3"));
    track(mix, 3, QStringLiteral("C"), {}, QStringLiteral("3.mp3"));
    track(mix, 4, QStringLiteral("D"), {}, QStringLiteral("4.mp3"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    EXPECT_EQ(playOneByOne(), (QStringList{"1.mp3", "3.mp3", "4.mp3"})) << "none selected: from the first";
    EXPECT_EQ(pl->lbDetail->currentRow(), 2) << "the selection ends on the last track";
    EXPECT_FALSE(g().StopPlayOneByOne);

    EXPECT_EQ(playOneByOne(), QStringList{"4.mp3"}) << "from the last: it alone";

    pl->lbDetail->setCurrentRow(0);
    EXPECT_EQ(playOneByOne(2), (QStringList{"1.mp3", "3.mp3"})) << "closed during the second";
    EXPECT_EQ(pl->lbDetail->currentRow(), 1);
    EXPECT_FALSE(g().StopPlayOneByOne);
    EXPECT_EQ(playOneByOne(), (QStringList{"3.mp3", "4.mp3"})) << "the next run starts normally";
}

TEST_F(PlayAPlayListTest, OneAtATimeOnAnEmptyListOrAVanishedRowPlaysNothing) {
    const long empty = addList(QStringLiteral("Empty"));
    const long mix = addList(QStringLiteral("Mix"));
    track(mix, 1, QStringLiteral("A"), {}, QStringLiteral("1.mp3"));
    track(mix, 2, QStringLiteral("B"), {}, QStringLiteral("2.mp3"));
    openPlayLists();
    chooseList(QStringLiteral("Empty"));
    EXPECT_TRUE(playOneByOne().isEmpty());
    chooseList(QStringLiteral("Mix"));
    db().execute(QStringLiteral("Delete From tblPlayListDetail Where ListTrackID = 2"));
    EXPECT_EQ(playOneByOne(), QStringList{"1.mp3"}) << "the line without its row ends the run";
    EXPECT_EQ(stored(empty).size(), 0);
}
