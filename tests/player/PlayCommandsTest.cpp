// The main window's Play and Play All: which songs reach the player, in which order and with
// which texts, the temporary play list they write, the flags and boxes they set, and their
// messages.
#include "common/FakeMediaPlayer.h"
#include "core/StartupHooks.h"
#include "platform/db/Database.h"
#include "core/MsgForm.h"
#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include "platform/ui/DataControl.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/PlayListFile.h"
#include "songlist/OtherWindows.h"
#include "songlist/SongListFixture.h"
#include "core/StartFolders.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using core::g;
using player::PlayForm;
using songlist::OtherWindows;

namespace {

class PlayCommandsTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        player::registerPlayCommands();
        music = tmp.path() + QStringLiteral("/music/");
        QDir().mkpath(music);
        saved = core::hooks();
        core::hooks().endProgram = [this](int code) { ended << code; };
    }
    void TearDown() override {
        unloadForms();
        OtherWindows::clear();
        core::hooks() = saved;
        SongListTest::TearDown();
    }
    QString song(const QString &file, const QString &name, const QString &artist, bool present = true) {
        if (present && !file.isEmpty())
            testenv::writeFile(music + file, "x");
        addSong({{"SongName", name}, {"Artist", artist}, {"PathName", music}, {"FileName", file}});
        return music + file;
    }
    PlayForm *player() const { return platform::ui::findForm<PlayForm>(); }
    QStringList entries(QListWidget *list) const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QByteArray tempList() const {
        QFile f(g().DataFolder + QStringLiteral("OVPlayList.m3u"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void addPlainSongs(int n) {
        platform::db::Transaction t(*g().Db);
        for (int i = 0; i < n; ++i)
            g().Db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('S%1')").arg(i));
        t.commit();
    }

    QString music;
    core::StartupHooks saved;
    QList<int> ended;
    testenv::FakeMediaPlayers fakes;
};

} // namespace

// ---------------------------------------------------------------- the current song

TEST_F(PlayCommandsTest, PlayHandsTheCurrentSongAloneToThePlayer) {
    const QString path = song(QStringLiteral("a #1 & \"b\".mp3"), QStringLiteral("Alpha"), QStringLiteral("Ann"));
    open();
    g().WinMajorVersion = 6;
    w->cmdPlay->click();
    PlayForm *p = player();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(entries(p->lbSongURL), QStringList{path});
    EXPECT_EQ(entries(p->lbSongs), QStringList{QStringLiteral("Alpha <> Ann")});
    EXPECT_EQ(g().PlayPath, path);
    EXPECT_EQ(p->windowTitle(), QStringLiteral("a #1 & \"b\".mp3"));
    EXPECT_TRUE(g().PlayFromMain);
    EXPECT_EQ(fakes.last()->URL(), path) << "the file itself, no list";
    EXPECT_EQ(tempList(), QByteArray("<none>"));
    for (QWidget *c : {static_cast<QWidget *>(p->cbShuffle), static_cast<QWidget *>(p->cbSkipDups),
                       static_cast<QWidget *>(p->cbNowPlaying), static_cast<QWidget *>(p->cmdDelete)})
        EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
    EXPECT_FALSE(p->cbPlayNext->isHidden());
    EXPECT_FALSE(p->cbPlayRandom->isHidden());

    // Played again, from the menu: the old player closes and a new one opens.
    g().WinMajorVersion = 5;
    w->mnuPlayCurrentSong->trigger();
    ASSERT_TRUE(player());
    EXPECT_EQ(fakes.count(), 2);
    EXPECT_EQ(player()->lbSongs->count(), 1);
    EXPECT_TRUE(player()->cbPlayNext->isHidden());
    EXPECT_TRUE(player()->cbPlayRandom->isHidden());
    EXPECT_TRUE(ended.isEmpty());
}

// A song the player cannot open (or no sound output at all) is said, and the window stays.
TEST_F(PlayCommandsTest, ASongThePlayerCannotOpenIsSaidWithItsReason) {
    const QString path = song(QStringLiteral("broken.mp3"), QStringLiteral("Alpha"), QStringLiteral("Ann"));
    open();
    w->cmdPlay->click();
    ASSERT_TRUE(player());
    prompts.clear();
    fakes.last()->failOpen();
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File cannot be played"));
    EXPECT_EQ(prompts.lastMessage(), QLatin1Char('"') + path + QStringLiteral("\"\r\nCould not open file."));
    EXPECT_TRUE(player());
}

// Without a sound output the file is not blamed, and each Play tries again.
TEST_F(PlayCommandsTest, WithoutASoundOutputThePlayerSaysSoAndEachPlayTriesAgain) {
    song(QStringLiteral("fine.mp3"), QStringLiteral("Alpha"), QStringLiteral("Ann"));
    open();
    w->cmdPlay->click();
    ASSERT_TRUE(player());
    testenv::FakeMediaPlayer *wmp = fakes.last();
    wmp->open();
    wmp->deliver();
    const QString said =
        QStringLiteral("No sound output was found.\r\nPress Play to try again once there is one.");
    for (int attempt = 0; attempt < 2; ++attempt) {
        prompts.clear();
        wmp->failNoSoundOutput();
        wmp->deliver();
        ASSERT_EQ(prompts.messageTexts().size(), 1) << attempt;
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("No sound output"));
        EXPECT_EQ(prompts.lastMessage(), said);
        ASSERT_TRUE(player());
        wmp->play();  // the transport's Play
        wmp->deliver();
        EXPECT_EQ(wmp->playState(), platform::media::Playing) << attempt;
    }
    EXPECT_TRUE(player());
}

TEST_F(PlayCommandsTest, PlayOnAnEmptyGridDoesNothingAndOnAMissingFileSaysSo) {
    open();
    prompts.clear();
    w->mnuPopupPlay->trigger();
    EXPECT_FALSE(player());
    EXPECT_TRUE(prompts.asked().isEmpty()) << prompts.lastMessage().toStdString();

    unloadForms();
    song(QString(), QStringLiteral("No file"), QString());
    open();
    prompts.clear();
    w->cmdPlay->click();
    EXPECT_FALSE(player());
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("File not found to play"));
    EXPECT_EQ(prompts.asked()[0].text,
              QStringLiteral("\"") + music +
                  QStringLiteral("\"\r\nnot found.\r\nIt may have been deleted or moved to a new location.  You can "
                                 "globally change music file locations by choosing:\r\n\"Change Music File "
                                 "Locations\" from the Edit menu."));
    EXPECT_EQ(prompts.asked()[0].icon, platform::ui::Icon::Exclamation);
    EXPECT_TRUE(g().PlayFromMain) << "set whatever the test gave";
}

// ---------------------------------------------------------------- every displayed song

TEST_F(PlayCommandsTest, PlayAllListsThePlayableSongsInGridOrderAndWritesThemAsTheTemporaryList) {
    const QString c = song(QStringLiteral("c.mp3"), QStringLiteral("Cee"), QString());
    song(QStringLiteral("gone.mp3"), QStringLiteral("Bee"), QStringLiteral("Gone"), false);
    const QString a = song(QStringLiteral("ä ö.flac"), QStringLiteral("Ay"), QStringLiteral("Ann"));
    song(QString(), QStringLiteral("Dee"), QString());
    song(QStringLiteral("line\nbreak.mp3"), QStringLiteral("Eee"), QString());
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Order By SongName"));
    w->Data1->refresh();
    w->cmdPlayAll->click();
    PlayForm *p = player();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(entries(p->lbSongs), (QStringList{QStringLiteral("Ay <> Ann"), QStringLiteral("Cee")}));
    EXPECT_EQ(entries(p->lbSongURL), (QStringList{a, c}));
    EXPECT_EQ(tempList(), (a + QStringLiteral("\r\n") + c + QStringLiteral("\r\n")).toUtf8());
    EXPECT_EQ(g().PlayPath, g().DataFolder + QStringLiteral("OVPlayList.m3u"));
    EXPECT_EQ(p->windowTitle(), QStringLiteral("All Songs"));
    EXPECT_EQ(p->lblNumSongs->text(), QStringLiteral("Number of songs: 2"));
    EXPECT_TRUE(p->cmdDelete->isHidden());
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_FALSE(platform::ui::findForm<core::MsgForm>()) << "the progress window is gone";
}

TEST_F(PlayCommandsTest, PlayAllWithNoPlayableSongSaysSoAndShowsNoPlayer) {
    song(QStringLiteral("gone.mp3"), QStringLiteral("Gone"), QString(), false);
    open();
    w->cmdPlayAll->click();
    EXPECT_FALSE(player());
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("No music files found for these songs"));
    EXPECT_EQ(prompts.asked()[0].text, QStringLiteral("No music files found for the displayed songs.  They may have "
                                                      "changed folder locations or been deleted from this machine."));
    EXPECT_FALSE(g().PlayFromMain);
    EXPECT_EQ(g().PlayPath, QString());
    EXPECT_EQ(tempList(), QByteArray("<none>"));
}

TEST_F(PlayCommandsTest, PlayAllAsksFromAThousandSongsAndRefusesAboveThirtyTwoThousand) {
    const struct {
        int songs;
        bool asks;
        bool refuses;
    } rows[] = {{999, false, false}, {1000, true, false}, {32000, true, false}, {32001, false, true}};
    int added = 0;
    open();
    for (const auto &row : rows) {
        addPlainSongs(row.songs - added);
        added = row.songs;
        w->Data1->refresh();
        prompts.clear();
        prompts.answer(platform::ui::Answer::No);
        w->mnuPlayAllSongs->trigger();
        const auto *last = prompts.lastAsked();
        ASSERT_TRUE(last) << row.songs;
        if (row.refuses) {
            EXPECT_EQ(last->title, QStringLiteral("Too many songs to play"));
            EXPECT_EQ(last->text, QStringLiteral("There are 32001 songs in the current list.  The maximum number of "
                                                 "songs you can put in a Play List is 32000."));
        } else if (row.asks) {
            EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Play All Confirmation")) << row.songs;
            EXPECT_EQ(prompts.asked()[0].text,
                      QStringLiteral("There are %1 songs in the current list.\r\n\r\nAre you sure you want to play "
                                     "all of them?")
                          .arg(row.songs));
            EXPECT_EQ(prompts.asked()[0].defaultButton, platform::ui::DefaultButton::Second);
            EXPECT_EQ(prompts.asked().size(), 1) << "No ends the command";
        } else {
            EXPECT_EQ(last->title, QStringLiteral("No music files found for these songs")) << "no question first";
        }
    }
}

TEST_F(PlayCommandsTest, PlayAllIntoADataFolderThatCannotBeWrittenReportsTheReason) {
    song(QStringLiteral("a.mp3"), QStringLiteral("A"), QString());
    open();
    g().DataFolder = tmp.path() + QStringLiteral("/no such folder/");
    w->cmdPlayAll->click();
    EXPECT_FALSE(player());
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Play All Error"));
    EXPECT_TRUE(prompts.asked()[0].text.contains(QStringLiteral("no such folder"))) << prompts.asked()[0].text.toStdString();
    EXPECT_EQ(prompts.asked()[0].icon, platform::ui::Icon::Critical);
}

// ---------------------------------------------------------------- folders

TEST_F(PlayCommandsTest, PlayFolderTakesTheMusicFilesOfOneFolderAndTheTreeCommandThoseBelowToo) {
    const QString root = tmp.path() + QStringLiteral("/tree/");
    QDir().mkpath(root + QStringLiteral("sub/deeper"));
    QDir().mkpath(root + QStringLiteral("only.mp3"));  // a folder named like a music file
    QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/id3v24-utf8.mp3"), root + QStringLiteral("tagged.mp3"));
    for (const char *name : {"plain.mp3", "Loud.FLAC", "clip.aac", ".dot.mp3", "picture.jpg", "noext",
                             "sub/deeper/x.ogg", "sub/y \"#&.wav"})
        testenv::writeFile(root + QString::fromUtf8(name), "x");
    open();
    g().WinMajorVersion = 6;
    g().LastCopyFolder = QStringLiteral("/start/");

    prompts.clear();
    prompts.answerFolder(root);
    w->mnuPlayFolder->trigger();
    EXPECT_EQ(prompts.asked()[0].kind, platform::ui::ScriptedPrompts::Asked::Kind::Folder);
    PlayForm *p = player();
    ASSERT_TRUE(p);
    const QStringList oneFolder = entries(p->lbSongURL);
    EXPECT_EQ(oneFolder, (QStringList{root + QStringLiteral("Loud.FLAC"), root + QStringLiteral("plain.mp3"),
                                      root + QStringLiteral("tagged.mp3")}));
    EXPECT_EQ(entries(p->lbSongs)[1], QStringLiteral("plain.mp3 <> Unknown")) << "title and artist fall back";
    EXPECT_FALSE(entries(p->lbSongs)[2].startsWith(QStringLiteral("tagged.mp3"))) << "the tag's title";
    EXPECT_EQ(tempList(), (oneFolder.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    EXPECT_EQ(p->windowTitle(), QStringLiteral("All Songs in Folder"));
    EXPECT_EQ(g().PlayCaption, root);
    EXPECT_EQ(p->lblNumSongs->text(), QStringLiteral("Number of songs: 3"));
    EXPECT_EQ(g().LastCopyFolder, root);
    EXPECT_FALSE(g().PlayFromFolder) << "cleared by the closing of the player it loads first";

    g().CancelScan = true;  // as an earlier progress window leaves it
    g().LastCopyFolder = QStringLiteral("/start/");
    prompts.answerFolder(root);
    w->mnuPlayFolderAndSubfolders->trigger();
    p = player();
    ASSERT_TRUE(p);
    EXPECT_EQ(entries(p->lbSongURL),
              (QStringList{root + QStringLiteral("clip.aac"), root + QStringLiteral("Loud.FLAC"),
                           root + QStringLiteral("plain.mp3"), root + QStringLiteral("tagged.mp3"),
                           root + QStringLiteral("sub/y \"#&.wav"), root + QStringLiteral("sub/deeper/x.ogg")}));
    EXPECT_EQ(p->lbSongs->currentRow(), 0);
    EXPECT_EQ(p->windowTitle(), root);
    EXPECT_EQ(g().LastCopyFolder, QStringLiteral("/start/")) << "not changed by the tree command";
}

TEST_F(PlayCommandsTest, PlayFolderCancelledOrEmptyPlaysNothing) {
    const QString root = tmp.path() + QStringLiteral("/empty/");
    QDir().mkpath(root + QStringLiteral("sub"));
    testenv::writeFile(root + QStringLiteral("cover.jpg"), "x");
    open();
    g().LastCopyFolder.clear();
    prompts.clear();
    prompts.answerFolder(std::nullopt);
    w->mnuPlayFolder->trigger();
    EXPECT_FALSE(player());
    EXPECT_EQ(g().LastCopyFolder, core::StartFolders::music() + QLatin1Char('/'));
    EXPECT_EQ(prompts.asked().size(), 1);

    for (QAction *command : {w->mnuPlayFolder, w->mnuPlayFolderAndSubfolders}) {
        prompts.clear();
        prompts.answerFolder(root);
        command->trigger();
        EXPECT_FALSE(player());
        ASSERT_EQ(prompts.asked().size(), 2);
        EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("No songs found to play"));
        EXPECT_EQ(prompts.asked()[1].text, QStringLiteral("No music files found in this folder."));
        EXPECT_FALSE(g().PlayFromFolder);
        EXPECT_EQ(tempList(), QByteArray("<none>"));
    }
}

// ---------------------------------------------------------------- the play-list file

TEST(PlayListFileTest, WritesEveryLineEndedByCrLfInUtf8AndReplacesTheOldFile) {
    testenv::TempFolder tmp;
    const QString file = tmp.path() + QStringLiteral("/list.m3u");
    testenv::writeFile(file, QByteArray(5000, 'x'));
    player::PlayListFile::write(file, {QStringLiteral("/m/é.mp3"), QStringLiteral("/m/b.mp3")});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("/m/\xc3\xa9.mp3\r\n/m/b.mp3\r\n"));
    f.close();
    player::PlayListFile::write(file, {});
    EXPECT_EQ(QFileInfo(file).size(), 0);
    EXPECT_FALSE(player::PlayListFile::fits(QStringLiteral("/m/a\r.mp3")));
    EXPECT_FALSE(player::PlayListFile::fits(QStringLiteral("/m/a\n.mp3")));
    EXPECT_FALSE(player::PlayListFile::fits(QString()));
    EXPECT_TRUE(player::PlayListFile::fits(QStringLiteral("/m/\"#&.mp3")));
}

// A character beyond sixteen bits is one UTF-8 sequence of four bytes, also as the last of its
// line and among many lines.
TEST(PlayListFileTest, CharactersBeyondSixteenBitsAreWrittenAsOneUtf8Sequence) {
    testenv::TempFolder tmp;
    const QString file = tmp.path() + QStringLiteral("/list.m3u");
    QStringList lines;
    for (int i = 0; i < 3000; ++i) lines << QStringLiteral("/m/%1 \U0001F3B5").arg(i);
    player::PlayListFile::write(file, lines);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.size(), lines.join(QString()).toUtf8().size() + 2 * lines.size());
    EXPECT_TRUE(bytes.startsWith("/m/0 \xf0\x9f\x8e\xb5\r\n/m/1 \xf0\x9f\x8e\xb5\r\n"));
    EXPECT_TRUE(bytes.endsWith("/m/2999 \xf0\x9f\x8e\xb5\r\n"));
}
