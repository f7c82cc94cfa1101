// The player's start: from setting the URL to the first Playing event, for a 3-minute MP3 and
// for a 10,000-entry .m3u list (read, then its first entry opened), against a bare QMediaPlayer
// (setSource, play, until it is playing with its buffer filled) on the same file in the same run;
// and reading the 10,000-line list against a plain QFile line read of the same file.
// Goals: under 0.3 s to Playing for each; the list read under 20 ms.
// The MP3 is made here from the one-second test fixture, its frames repeated for three minutes.
#include "platform/media/M3uList.h"
#include "platform/media/QtMediaPlayer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QAudioOutput>
#include <QEventLoop>
#include <QFile>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

using platform::media::M3uList;
using platform::media::MediaPlayer;
using platform::media::QtMediaPlayer;

constexpr int kListEntries = 10000;
QTemporaryDir *dir = nullptr;
QString songs[2];  // two copies, so every start opens a new source
QString lists[2];

void writeFiles() {
    QFile one(QStringLiteral(ORVALIS_TEST_DATA_DIR "/untagged.mp3"));
    if (!one.open(QIODevice::ReadOnly))
        qFatal("cannot read the MP3 fixture");
    const QByteArray second = one.readAll();
    for (int i = 0; i < 2; ++i)
        songs[i] = dir->filePath(QStringLiteral("song%1.mp3").arg(i));
    for (int i = 0; i < 2; ++i) {
        QFile f(songs[i]);
        f.open(QIODevice::WriteOnly);
        for (int s = 0; s < 180; ++s)
            f.write(second);
        lists[i] = dir->filePath(QStringLiteral("OVPlayList%1.m3u").arg(i));
        QFile l(lists[i]);
        l.open(QIODevice::WriteOnly);
        for (int e = 0; e < kListEntries; ++e)
            l.write(songs[(e + i) % 2].toUtf8() + "\r\n");
    }
}

// Runs the event loop until `done`; aborts the run after 10 s.
void waitUntil(const std::function<bool()> &done, QObject *source, const char *what) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, [&] { qFatal("%s: no answer within 10 s", what); });
    Q_UNUSED(source);
    if (!done())
        loop.exec();
}

void startAdapter(benchmark::State &state, const QString *urls) {
    QtMediaPlayer player;
    if (!player.isAvailable()) {
        state.SkipWithError("no media backend");
        return;
    }
    bool playing = false;
    QObject::connect(&player, &MediaPlayer::playStateChange, [&](int s) {
        if (s == platform::media::Playing)
            playing = true;
    });
    int i = 0;
    for (auto _ : state) {
        playing = false;
        player.setURL(urls[i++ % 2]);
        waitUntil([&] { return playing; }, &player, "player");
        state.PauseTiming();
        player.stop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void startBare(benchmark::State &state) {
    QMediaPlayer player;
    QAudioOutput out;
    player.setAudioOutput(&out);
    int i = 0;
    for (auto _ : state) {
        player.setSource(QUrl::fromLocalFile(songs[i++ % 2]));
        player.play();
        waitUntil([&] {
            return player.playbackState() == QMediaPlayer::PlayingState &&
                   player.mediaStatus() == QMediaPlayer::BufferedMedia;
        }, &player, "bare player");
        state.PauseTiming();
        player.stop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_PlayerMp3ToPlaying(benchmark::State &state) { startAdapter(state, songs); }
BENCHMARK(BM_PlayerMp3ToPlaying)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PlayerListToPlaying(benchmark::State &state) { startAdapter(state, lists); }
BENCHMARK(BM_PlayerListToPlaying)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_BareQMediaPlayerMp3ToPlaying(benchmark::State &state) { startBare(state); }
BENCHMARK(BM_BareQMediaPlayerMp3ToPlaying)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ReadList(benchmark::State &state) {
    for (auto _ : state) {
        const QStringList entries = M3uList::read(lists[0]);
        if (entries.size() != kListEntries)
            state.SkipWithError(qPrintable(QStringLiteral("wrong entry count %1").arg(entries.size())));
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_ReadList)->Unit(benchmark::kMillisecond);

void BM_PlainQFileLineRead(benchmark::State &state) {
    for (auto _ : state) {
        QFile f(lists[0]);
        f.open(QIODevice::ReadOnly);
        QStringList entries;
        while (!f.atEnd())
            entries.append(QString::fromUtf8(f.readLine()).trimmed());
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_PlainQFileLineRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    dir = &temp;
    writeFiles();
    {
        // The media backend's first start (plugin scan) is paid once, outside every timing.
        QtMediaPlayer warm;
        if (warm.isAvailable()) {
            bool playing = false;
            QObject::connect(&warm, &MediaPlayer::playStateChange, [&](int s) { playing = playing || s == 3; });
            warm.setURL(songs[0]);
            waitUntil([&] { return playing; }, &warm, "warm-up");
            warm.stop();
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
