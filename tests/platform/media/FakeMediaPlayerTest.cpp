// The test fake raises the same sequences, with the same states, as the real player: window
// tests written against it see what the program will see.
#include "common/FakeMediaPlayer.h"
#include "common/TestEnv.h"

#include <functional>

using namespace platform::media;
using testenv::FakeMediaPlayer;

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class FakeMediaPlayerTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        QObject::connect(&fake, &MediaPlayer::playStateChange, [this](int s) {
            log << QStringLiteral("%1/%2").arg(s).arg(fake.playState());
            if (onEvent)
                onEvent(s);
        });
        QObject::connect(&fake, &MediaPlayer::currentItemChange,
                         [this] { log << QStringLiteral("item %1/%2").arg(fake.currentItem().name).arg(fake.playState()); });
        listPath = tmp.file("OVPlayList.m3u");
        testenv::writeFile(listPath, "/m/a.mp3\r\n/m/b.mp3\r\n/m/c.mp3\r\n");
    }
    // Runs `action`, delivers, returns the events it raised.
    QStringList after(const std::function<void()> &action) {
        log.clear();
        action();
        EXPECT_TRUE(log.isEmpty()) << "no event inside a call";
        fake.deliver();
        return log;
    }
    FakeMediaPlayer fake;
    QStringList log;
    QString listPath;
    std::function<void(int)> onEvent;
};

} // namespace

TEST_F(FakeMediaPlayerTest, ListSequences) {
    fake.setURL(listPath);
    EXPECT_EQ(fake.currentItem().name, QStringLiteral("OVPlayList"));
    EXPECT_EQ(after([&] { fake.open(); }), (QStringList{"9/9", "item a/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.endMedia(); }), (QStringList{"8/8", "9/9", "item b/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.userNext(); }), (QStringList{"9/9", "item c/9", "3/3"}));
    EXPECT_TRUE(after([&] { fake.userNext(); }).isEmpty()) << "the transport's Next is off on the last entry";
    EXPECT_EQ(after([&] { fake.endMedia(); }), (QStringList{"8/8", "item a/10", "1/1"}));
    EXPECT_EQ(after([&] { fake.play(); }), QStringList{"3/3"});
    EXPECT_EQ(after([&] { fake.userPrevious(); }), (QStringList{"item c/1", "9/9", "3/3"}));
    fake.setMode("loop", true);
    EXPECT_EQ(after([&] { fake.endMedia(); }), (QStringList{"8/8", "9/9", "item a/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.setCurrentItem(fake.currentPlaylistItem(2)); }), (QStringList{"9/9", "item c/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.next(); }), (QStringList{"9/9", "item a/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.failOpen(); }), (QStringList{"8/8", "9/9", "item b/9", "3/3"}));
    EXPECT_EQ(after([&] { fake.stop(); }), QStringList{"1/1"});
    // The transport's buttons are the user's, not calls of the program.
    EXPECT_EQ(fake.calls, (QStringList{"URL=" + listPath, "play", "setMode(loop,true)", "currentItem=2", "next",
                                       "stop"}));
}

TEST_F(FakeMediaPlayerTest, SingleFileSequences) {
    fake.setURL("/m/song.mp3");
    EXPECT_EQ(after([&] { fake.open(); }), (QStringList{"9/9", "item song/9", "3/3"}));
    // A URL set while the end of the song is delivered waits in Ready.
    onEvent = [&](int s) {
        if (s == MediaEnded)
            fake.setURL("/m/next.mp3");
    };
    EXPECT_EQ(after([&] { fake.endMedia(); }), QStringList{"8/8"});
    onEvent = nullptr;
    EXPECT_EQ(after([&] { fake.open(); }), (QStringList{"9/9", "item next/9", "10/10"}));
    EXPECT_EQ(after([&] { fake.play(); }), QStringList{"3/3"});
    // A file that cannot be opened stays Ready; play and stop do nothing.
    fake.setURL("/m/broken.mp3");
    fake.open();
    fake.deliver();
    EXPECT_EQ(after([&] { fake.failOpen(); }), QStringList{"10/10"});
    EXPECT_TRUE(after([&] {
                    fake.play();
                    fake.stop();
                }).isEmpty());
    // An event with a state of its own.
    EXPECT_EQ(after([&] { fake.raiseState(MediaEnded, Stopped); }), QStringList{"8/1"});
}
