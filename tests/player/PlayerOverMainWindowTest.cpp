// The player opened over the main window: it keeps the grid's record source of the moment it
// loaded, and closing it leaves the main window and the program running.
#include "common/FakeMediaPlayer.h"
#include "core/StartupHooks.h"
#include "player/PlayForm.h"
#include "songlist/SongListFixture.h"

#include <QListWidget>
#include <QPushButton>

using core::g;

class PlayerOverMainWindowTest : public SongListTest {
protected:
    testenv::FakeMediaPlayers fakes;
};

TEST_F(PlayerOverMainWindowTest, KeepsTheGridsSourceAndClosingLeavesTheMainWindowOpen) {
    addSongs(3);
    open();
    const core::StartupHooks saved = core::hooks();
    QList<int> ended;
    core::hooks().endProgram = [&](int code) { ended << code; };
    const QString gridSource = source();
    auto &s = g();
    s.PlayFromMain = true;
    s.PlayPath = QStringLiteral("/m/song.mp3");
    s.PlayCaption = QStringLiteral("song.mp3");
    auto *p = platform::ui::form<player::PlayForm>();
    p->lbSongs->addItem(QStringLiteral("Song 1 <> Artist 1"));
    p->lbSongURL->addItem(s.PlayPath);
    EXPECT_EQ(p->PlayerRecordSource, gridSource);
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName='Song 2'"));
    EXPECT_EQ(p->PlayerRecordSource, gridSource) << "the source as it was when the player loaded";

    p->cmdExit->click();
    EXPECT_TRUE(ended.isEmpty());
    EXPECT_TRUE(platform::ui::isLoaded(w));
    EXPECT_EQ(s.PlayPath, QString());
    EXPECT_FALSE(s.PlayFromMain);
    EXPECT_FALSE(s.PlayerOpen);
    EXPECT_EQ(programEnded, 0);
    core::hooks() = saved;
}
