// The Qt Multimedia player on short WAV files written here: the events and their order for a
// file, a list with loop off and on, an entry that cannot be opened, stop, Previous on the first
// entry, and the state each event sees. Every wait is bounded: a missing event fails the test.
// Runs without a sound card (the backend plays to the end without one); skipped only when Qt
// has no media backend at all.
#include "common/TestEnv.h"
#include "platform/media/QtMediaPlayer.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QToolButton>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

using namespace platform::media;

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A mono 16-bit WAV file of `ms` milliseconds of a quiet tone.
void writeWav(const QString &path, int ms) {
    const int rate = 8000;
    const quint32 samples = quint32(rate * ms / 1000);
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + samples * 2);
    s.writeRawData("WAVEfmt ", 8);
    s << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2) << quint16(16);
    s.writeRawData("data", 4);
    s << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        s << qint16((i % 40) * 200 - 4000);
    testenv::writeFile(path, bytes);
}

// Qt 6.4's GStreamer backend can deadlock inside QMediaPlayer::setSource: its seek to the start
// holds the audio sink's state lock while the new source's streaming thread, holding its stream
// lock, waits for that state lock to link the sink. The event loop then never runs again, so no
// bounded wait of these tests can end. A test still running after two minutes stops the program
// with EX_TEMPFAIL, which tools/run-programs.sh answers by running the program once more; a
// fault of the player that hangs every time still fails.
class HangWatch {
public:
    explicit HangWatch(std::string test)
        : thread_([this, test = std::move(test)] {
              std::unique_lock lock(mutex_);
              if (done_.wait_for(lock, std::chrono::minutes(2), [this] { return finished_; }))
                  return;
              std::fprintf(stderr,
                           "%s has not returned in two minutes: the player's backend hung (Qt's "
                           "GStreamer backend can deadlock in setSource)\n",
                           test.c_str());
              std::fflush(stderr);
              std::_Exit(75);
          }) {}
    ~HangWatch() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

class QtMediaPlayerTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        watch = std::make_unique<HangWatch>(::testing::UnitTest::GetInstance()->current_test_info()->name());
        // These tests play through the backend's silent output where the machine has no sound.
        QtMediaPlayer::requireSoundOutput() = false;
        player = std::make_unique<QtMediaPlayer>();
        if (!player->isAvailable())
            GTEST_SKIP() << "no media backend";
        // Each event as "<new state>/<playState>" or "item <name>/<playState>".
        QObject::connect(player.get(), &MediaPlayer::playStateChange, [this](int s) {
            log << QStringLiteral("%1/%2").arg(s).arg(player->playState());
            if (onEvent)
                onEvent(log.last());
        });
        QObject::connect(player.get(), &MediaPlayer::currentItemChange, [this] {
            log << QStringLiteral("item %1/%2").arg(player->currentItem().name).arg(player->playState());
            if (onEvent)
                onEvent(log.last());
        });
        writeWav(tmp.file("a.wav"), 200);
        writeWav(tmp.file("b.wav"), 200);
    }
    void TearDown() override {
        player.reset();
        QtMediaPlayer::requireSoundOutput() = true;
        watch.reset();
        OrvalisTest::TearDown();
    }

    // Runs the event loop until the log holds `n` events; false after 15 s.
    bool waitForEvents(int n) {
        if (log.size() >= n)
            return true;
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        auto check = [&] {
            if (log.size() >= n)
                loop.quit();
        };
        auto c1 = QObject::connect(player.get(), &MediaPlayer::playStateChange, &loop, check, Qt::QueuedConnection);
        auto c2 = QObject::connect(player.get(), &MediaPlayer::currentItemChange, &loop, check, Qt::QueuedConnection);
        timeout.start(15000);
        loop.exec();
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        return log.size() >= n;
    }
    // Lets queued work run without waiting for anything.
    static void settle() {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
    QString list(const QByteArray &lines) {
        const QString path = tmp.file("OVPlayList.m3u");
        testenv::writeFile(path, lines);
        return path;
    }

    std::unique_ptr<HangWatch> watch;
    std::unique_ptr<QtMediaPlayer> player;
    QStringList log;
    std::function<void(const QString &)> onEvent;
};

} // namespace

TEST_F(QtMediaPlayerTest, OneFilePlaysToItsEnd) {
    player->setURL(tmp.file("a.wav"));
    EXPECT_TRUE(log.isEmpty()) << "no event inside the setter";
    EXPECT_EQ(player->currentPlaylistCount(), 0) << "the file opens only in the event loop";
    ASSERT_TRUE(waitForEvents(4)) << log.join(", ").toStdString();
    EXPECT_EQ(log, (QStringList{"9/9", "item a/9", "3/3", "8/8"}));
    EXPECT_EQ(player->currentMedia().sourceURL, tmp.file("a.wav"));
    EXPECT_EQ(player->currentPlaylistCount(), 1);
    // play after the end starts it again.
    player->play();
    ASSERT_TRUE(waitForEvents(6)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(4), (QStringList{"3/3", "8/8"}));
}

TEST_F(QtMediaPlayerTest, ListPlaysItsEntriesThenStopsAtTheFirstWhenNotLooping) {
    player->setURL(list("a.wav\r\n" + tmp.file("b.wav").toUtf8() + "\r\n"));
    EXPECT_EQ(player->currentItem().name, QStringLiteral("OVPlayList"));
    ASSERT_TRUE(waitForEvents(10)) << log.join(", ").toStdString();
    EXPECT_EQ(log, (QStringList{"9/9", "item a/9", "3/3", "8/8", "9/9", "item b/9", "3/3",
                                "8/8", "item a/10", "1/1"}));
    EXPECT_EQ(player->currentItem().index, 0);
    EXPECT_EQ(player->currentPlaylistItem(0).sourceURL, QStringLiteral("a.wav")) << "as the list wrote it";
    EXPECT_EQ(player->currentPlaylistItem(1).sourceURL, tmp.file("b.wav"));
    EXPECT_FALSE(player->currentPlaylistItem(2).isValid());
    // play then resumes the first entry with a single 3; stopped at once (in the handler, so
    // the short entry cannot end first).
    onEvent = [&](const QString &) {
        if (log.size() == 11)
            player->stop();
    };
    player->play();
    ASSERT_TRUE(waitForEvents(12));
    EXPECT_EQ(log.mid(10, 2), (QStringList{"3/3", "1/1"}));
}

TEST_F(QtMediaPlayerTest, LoopingListStartsAgainAtTheFirstEntry) {
    player->setMode("loop", true);
    onEvent = [&](const QString &) {
        if (log.size() == 11)
            player->stop();
    };
    player->setURL(list("a.wav\nb.wav\n"));
    ASSERT_TRUE(waitForEvents(12)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(7, 5), (QStringList{"8/8", "9/9", "item a/9", "3/3", "1/1"}));
}

TEST_F(QtMediaPlayerTest, EntriesThatCannotOpenCountAsEndedAndAFailedPassEndsInReady) {
    testenv::writeFile(tmp.file("bad.wav"), "not audio");
    player->setURL(list("missing.wav\r\nbad.wav\r\nb.wav\r\n"));
    ASSERT_TRUE(waitForEvents(10)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(0, 10), (QStringList{"9/9", "item missing/9", "8/8", "9/9", "item bad/9", "8/8", "9/9", "item b/9",
                                "3/3", "8/8"}));
    ASSERT_TRUE(waitForEvents(12));
    EXPECT_EQ(log.mid(10), (QStringList{"item missing/10", "1/1"}));

    // Nothing in the list can play: one pass, then Ready, and play does nothing.
    log.clear();
    player->setURL(list("missing.wav\r\nbad.wav\r\n"));
    ASSERT_TRUE(waitForEvents(6)) << log.join(", ").toStdString();
    EXPECT_EQ(log, (QStringList{"9/9", "item missing/9", "8/8", "9/9", "item bad/9", "10/10"}));
    player->play();
    settle();
    EXPECT_EQ(log.size(), 6);
    EXPECT_EQ(player->playState(), Ready);
}

TEST_F(QtMediaPlayerTest, FileThatCannotOpenStaysReadyAndPlayDoesNothing) {
    for (const QString &path : {tmp.file("missing.mp3"), tmp.file("bad.wav")}) {
        log.clear();
        testenv::writeFile(tmp.file("bad.wav"), "RIFF nonsense");
        player->setURL(path);
        ASSERT_TRUE(waitForEvents(3)) << log.join(", ").toStdString();
        EXPECT_EQ(log.mid(1), (QStringList{QStringLiteral("item %1/9").arg(QFileInfo(path).completeBaseName()), "10/10"}));
        player->play();
        player->stop();
        settle();
        EXPECT_EQ(log.size(), 3) << log.join(", ").toStdString();
        EXPECT_EQ(player->playState(), Ready);
    }
}

TEST_F(QtMediaPlayerTest, StopAndThePreviousButtonOnTheFirstEntry) {
    // Long enough that nothing ends while the test looks, however slow the machine.
    writeWav(tmp.file("long.wav"), 4000);
    writeWav(tmp.file("long2.wav"), 4000);
    player->setURL(list("long.wav\r\nlong2.wav\r\n"));
    ASSERT_TRUE(waitForEvents(3));
    player->stop();
    EXPECT_EQ(log.size(), 3) << "no event inside stop";
    ASSERT_TRUE(waitForEvents(4));
    EXPECT_EQ(log[3], QStringLiteral("1/1"));

    // Previous on entry 0 goes to the last entry: the item changes while stopped, then it plays.
    player->transportPrevious();
    ASSERT_TRUE(waitForEvents(7)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(4, 3), (QStringList{"item long2/1", "9/9", "3/3"}));
    EXPECT_EQ(player->currentItem().index, 1);
    // The transport's Next is off on the last entry unless the list loops.
    EXPECT_FALSE(player->btnNext->isEnabled());
    player->setMode("loop", true);
    EXPECT_TRUE(player->btnNext->isEnabled());
    // next on the last entry goes to the first.
    player->next();
    ASSERT_TRUE(waitForEvents(10)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(7, 3), (QStringList{"9/9", "item long/9", "3/3"}));
    player->stop();
}

TEST_F(QtMediaPlayerTest, UrlSetInsideAnEventWaitsInReadyForPlay) {
    bool handed = false;
    onEvent = [&](const QString &e) {
        if (e == QStringLiteral("8/8") && !handed) {
            handed = true;
            player->setURL(tmp.file("b.wav"));
        }
    };
    player->setURL(tmp.file("a.wav"));
    ASSERT_TRUE(waitForEvents(7)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(4), (QStringList{"9/9", "item b/9", "10/10"}));
    player->play();
    ASSERT_TRUE(waitForEvents(9));
    EXPECT_EQ(log.mid(7), (QStringList{"3/3", "8/8"}));
}

TEST_F(QtMediaPlayerTest, ListIsReadWhenControlReturnsToTheEventLoop) {
    const QString path = tmp.file("OVPlayList.m3u");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a.wav\r\n");
    f.flush();
    player->setURL(path);
    // The caller goes on writing after handing over the list.
    for (int i = 0; i < 4; ++i)
        f.write("b.wav\r\n");
    f.close();
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(player->currentPlaylistCount(), 5);
    player->stop();
}

TEST_F(QtMediaPlayerTest, FileNamesWithQuotesBlanksAmpersandHashAndAccentsPlay) {
    const QString name = tmp.file(QStringLiteral("It's \"#1\" & caf\u00e9 100%.wav"));
    writeWav(name, 200);
    player->setURL(name);
    ASSERT_TRUE(waitForEvents(4)) << log.join(", ").toStdString();
    EXPECT_EQ(log, (QStringList{"9/9", QStringLiteral("item It's \"#1\" & caf\u00e9 100%/9"), "3/3", "8/8"}));
    EXPECT_EQ(player->currentMedia().sourceURL, name);
}

// Qt ends the program when it has no media backend to load; the player must not let it get
// that far, and plays nothing instead.
TEST(QtMediaPlayerWithoutBackend, OpensNothingAndNeverTouchesQtMultimedia) {
    const QByteArray previous = qgetenv("QT_MEDIA_BACKEND");
    qputenv("QT_MEDIA_BACKEND", "nonexistent");
    EXPECT_FALSE(QtMediaPlayer::backendInstalled());
    auto player = std::make_unique<QtMediaPlayer>();
    if (previous.isEmpty())
        qunsetenv("QT_MEDIA_BACKEND");
    else
        qputenv("QT_MEDIA_BACKEND", previous);
    EXPECT_FALSE(player->isAvailable());
    QStringList log;
    QObject::connect(player.get(), &MediaPlayer::playStateChange, [&](int s) { log << QString::number(s); });
    QObject::connect(player.get(), &MediaPlayer::currentItemChange, [&] { log << QStringLiteral("item"); });
    player->setURL(QStringLiteral("/m/song.mp3"));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(log, (QStringList{"9", "item", "10"}));
    player->play();
    player->transportPlayPause();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(log.size(), 3);
    EXPECT_EQ(player->playState(), Ready);
    EXPECT_TRUE(QtMediaPlayer::backendInstalled() || !previous.isEmpty());
}

// Without any sound output a song "played" to its end at once and the player window closed as if
// it had: the load fails instead, for a file and for a list alike, and says why. Play then tries
// again each time, and plays once a sound output is there.
TEST_F(QtMediaPlayerTest, WithoutASoundOutputALoadFailsAndSaysWhyAndPlayTriesAgain) {
    if (!QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "this machine has a sound output";
    QtMediaPlayer::requireSoundOutput() = true;
    player->setURL(tmp.file("a.wav"));
    ASSERT_TRUE(waitForEvents(3)) << log.join(", ").toStdString();
    EXPECT_EQ(log.last(), "10/10") << "ready, not ended";
    EXPECT_EQ(player->openError(), QtMediaPlayer::kNoSoundOutput);
    EXPECT_TRUE(player->noSoundOutput());

    player->btnPlayPause->click();
    ASSERT_TRUE(waitForEvents(6)) << "Play did nothing: " << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(3), (QStringList{"9/9", "item a/9", "10/10"}));
    EXPECT_TRUE(player->noSoundOutput());

    // The sound output has come (here the backend's silent one).
    QtMediaPlayer::requireSoundOutput() = false;
    player->play();
    ASSERT_TRUE(waitForEvents(9)) << log.join(", ").toStdString();
    EXPECT_EQ(log.mid(6), (QStringList{"9/9", "item a/9", "3/3"}));
    EXPECT_TRUE(player->openError().isEmpty());
    EXPECT_FALSE(player->noSoundOutput());
}
