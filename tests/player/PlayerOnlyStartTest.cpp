// The player-only start: a music file on the command line opens the player alone, without a
// catalogue, with the catalogue's controls hidden; closing it ends the program. A missing file
// or one the player cannot open is said, not left to an empty player.
#include "player/PlayerFixture.h"

#include "core/Main.h"
#include "core/SingleInstance.h"
#include "platform/media/QtMediaPlayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

using core::g;
using player::PlayForm;
using namespace platform::ui;

namespace {

class PlayerOnlyStartTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        newRun();
        core::hooks().showMainWindow = [this] { ++mainWindowShown; };
        core::hooks().showPlayerOnly = [](const QString &path) { player::showPlayerOnly(path); };
    }
    void TearDown() override {
        core::singleInstance().release();
        PlayerTest::TearDown();
    }
    // A fresh start of the program: no catalogue open, nothing set.
    void newRun() {
        core::singleInstance().release();
        core::resetState();
        g().ProgramFolderOverride = tmp.path() + "/bin";
        QDir().mkpath(g().ProgramFolderOverride);
    }
    int mainWindowShown = 0;
};

} // namespace

TEST_F(PlayerOnlyStartTest, MusicFileOpensThePlayerAloneAndClosingItEndsTheProgram) {
    const QString names[] = {
        tmp.path() + QStringLiteral("/plain.mp3"),
        tmp.path() + QStringLiteral("/My Song #1 & 'Friends' \u00e9t\u00e9.FLAC"),
        tmp.path() + QStringLiteral("/Quote \"real\".mp3"),
    };
    for (const QString &name : names) {
        testenv::writeFile(name, "sound");
        endCodes.clear();
        newRun();
        int shown = 0;
        ScopedModalHook hook([&](QDialog *d) {
            ++shown;
            auto *w = qobject_cast<PlayForm *>(d);
            ASSERT_TRUE(w);
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Orvalis Player"));
            ASSERT_EQ(w->lbSongs->count(), 1);
            EXPECT_EQ(w->lbSongs->item(0)->text(), name);
            ASSERT_EQ(w->lbSongURL->count(), 1);
            EXPECT_EQ(w->lbSongURL->item(0)->text(), name);
            for (QWidget *c : {static_cast<QWidget *>(w->cbShuffle), static_cast<QWidget *>(w->cbSkipDups),
                               static_cast<QWidget *>(w->cbPlayNext), static_cast<QWidget *>(w->cmbHeader),
                               static_cast<QWidget *>(w->cmdAddToPlaylist)})
                EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
            EXPECT_FALSE(w->cbLoop->isHidden());
            EXPECT_EQ(fake()->calls, QStringList{QStringLiteral("URL=") + name});
            EXPECT_TRUE(g().PlayerOpen);
            EXPECT_TRUE(endCodes.isEmpty());
            w->cmdExit->click();
            EXPECT_EQ(endCodes, QList<int>{0}) << "closing the player ends the program";
        });
        EXPECT_EQ(modMain::Main(QLatin1Char('"') + name + QLatin1Char('"')), modMain::StartResult::PlayerClosed);
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(g().Db);
        EXPECT_EQ(mainWindowShown, 0);
        EXPECT_FALSE(g().PlayerOpen);
        EXPECT_TRUE(prompts.asked().isEmpty());
        flushUnloadedForms();
    }
}

TEST_F(PlayerOnlyStartTest, MissingFileIsSaidAndNoPlayerOpens) {
    int shown = 0;
    ScopedModalHook hook([&](QDialog *) { ++shown; });
    const QString missing = tmp.path() + QStringLiteral("/missing.ogg");
    EXPECT_EQ(modMain::Main(missing), modMain::StartResult::PlayerClosed);
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File not found to play"));
    EXPECT_TRUE(prompts.lastMessage().startsWith(QLatin1Char('"') + missing + QStringLiteral("\"\r\nnot found.")));
    EXPECT_FALSE(g().Db);
}

TEST_F(PlayerOnlyStartTest, FileThePlayerCannotOpenIsSaidWithThePlayersReason) {
    const QString broken = tmp.path() + QStringLiteral("/broken.mp3");
    testenv::writeFile(broken, "not sound");
    ScopedModalHook hook([&](QDialog *d) {
        fake()->failOpen();
        QCoreApplication::processEvents();
        ASSERT_EQ(prompts.messageTexts().size(), 1);
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File cannot be played"));
        EXPECT_EQ(prompts.lastMessage(), QLatin1Char('"') + broken + QStringLiteral("\"\r\nCould not open file."));
        d->close();
    });
    EXPECT_EQ(modMain::Main(broken), modMain::StartResult::PlayerClosed);
    EXPECT_EQ(endCodes.value(0), 0);
}

// The real player on a file that cannot play: the window opens, nothing plays, nothing spins,
// the reason is shown, and closing it still ends the program.
TEST_F(PlayerOnlyStartTest, FileThatCannotPlayLeavesThePlayerReady) {
    platform::media::ScopedMediaPlayerFactory real([](QWidget *parent) { return new platform::media::QtMediaPlayer(parent); });
    testenv::writeFile(tmp.file("empty.mp3"), {});
    bool available = true;
    int finalState = -1;
    ScopedModalHook hook([&](QDialog *d) {
        auto *w = qobject_cast<PlayForm *>(d);
        auto *wmp = qobject_cast<platform::media::QtMediaPlayer *>(w->WindowsMediaPlayer1);
        available = wmp->isAvailable();
        if (available) {
            QEventLoop loop;
            QTimer::singleShot(15000, &loop, &QEventLoop::quit);
            QObject::connect(wmp, &platform::media::MediaPlayer::playStateChange, &loop, [&](int s) {
                if (s == platform::media::Ready)
                    loop.quit();
            });
            loop.exec();
            finalState = wmp->playState();
        }
        w->close();
    });
    EXPECT_EQ(modMain::Main(tmp.file("empty.mp3")), modMain::StartResult::PlayerClosed);
    if (!available)
        GTEST_SKIP() << "no media backend";
    EXPECT_EQ(finalState, platform::media::Ready);
    EXPECT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(endCodes.value(0), 0);
}
