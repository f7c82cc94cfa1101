// The player over a catalogue of 100,000 songs whose music files exist (empty files in 3,000
// folders; the first two songs are 3-minute MP3s). Timed, each against a baseline in the same run:
// - the start until the first Playing event: from a click on Play on an MP3 song of the grid, and
//   from setting the URL, for the 3-minute MP3 and for a 10,000-entry .m3u list (read, then its
//   first entry opened), against a bare QMediaPlayer (setSource, play, until it is playing with
//   its buffer filled) on the same file; and reading the 10,000-line list against a plain QFile
//   line read of the same file. Goals: under 0.3 s to Playing for each; the list read under 20 ms.
// - Play All over 10,000 displayed songs until the player is shown (the view read, each file
//   checked, the temporary list written, the player loaded with both lists and shown), against a
//   plain loop: the same SELECT stepped in sqlite3, a stat per file, the same lines written.
//   Goal: under 0.5 s.
// - the choice of the next and of a random song of the 100,000-song view when a song ends: the
//   first (the view's snapshot opened) and later ones (on the snapshot kept), against the same
//   SELECT with LIMIT 1 OFFSET n in plain SQLite and a stat of the chosen file.
//   Goals: the first under 0.3 s, later ones under 20 ms.
// Apart from Play on an MP3 song, the player window plays on a silent stand-in. The MP3 is made
// here from the one-second test fixture, its frames repeated for three minutes.
// On a machine without a sound output (or whose backend never starts playing) the run says so
// once and skips the timings that play sound; the rest need none and run as usual.
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/media/M3uList.h"
#include "platform/media/QtMediaPlayer.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/PlayerTexts.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QAudioDevice>
#include <QAudioOutput>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

using platform::media::M3uList;
using platform::media::MediaPlayer;
using platform::media::QtMediaPlayer;
using player::PlayForm;

constexpr int kSongs = 100000;
constexpr int kDisplayed = 10000;

constexpr int kListEntries = 10000;
std::unique_ptr<QTemporaryDir> dir;  // the MP3s, the lists and the music files
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

// Why the timings that play sound cannot run here; empty when they can (set by the warm-up).
std::string noSound;

// Skips the timing when nothing can play sound on this machine.
bool soundPlays(benchmark::State &state) {
    if (noSound.empty())
        return true;
    state.SkipWithError(noSound.c_str());
    return false;
}

// Runs the event loop until `done`; false when it is still not done after 10 s.
bool waitUntil(const std::function<bool()> &done) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Ends the timing when `done` does not come within 10 s.
bool waitOrSkip(benchmark::State &state, const std::function<bool()> &done, const char *what) {
    if (waitUntil(done))
        return true;
    state.SkipWithError((std::string(what) + ": no answer within 10 s").c_str());
    return false;
}

void startAdapter(benchmark::State &state, const QString *urls) {
    if (!soundPlays(state))
        return;
    QtMediaPlayer player;
    bool playing = false;
    QObject::connect(&player, &MediaPlayer::playStateChange, [&](int s) {
        if (s == platform::media::Playing)
            playing = true;
    });
    int i = 0;
    for (auto _ : state) {
        playing = false;
        player.setURL(urls[i++ % 2]);
        if (!waitOrSkip(state, [&] { return playing; }, "player"))
            break;
        state.PauseTiming();
        player.stop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void startBare(benchmark::State &state) {
    if (!soundPlays(state))
        return;
    QMediaPlayer player;
    QAudioOutput out;
    player.setAudioOutput(&out);
    int i = 0;
    for (auto _ : state) {
        player.setSource(QUrl::fromLocalFile(songs[i++ % 2]));
        player.play();
        const bool playing = waitOrSkip(state, [&] {
            return player.playbackState() == QMediaPlayer::PlayingState &&
                   player.mediaStatus() == QMediaPlayer::BufferedMedia;
        }, "bare player");
        if (!playing)
            break;
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

// ============================================================================ the catalogue's songs

songlist::NameList *window = nullptr;
platform::ui::ScriptedPrompts *prompts = nullptr;

const QString kFullView = QStringLiteral("Select * from  tblContacts Order By tblContacts!Year, Artist, SongName");
// The two songs whose files are the 3-minute MP3s.
const QString kMp3View = QStringLiteral("Select * from  tblContacts Where RecordID <= 2 Order By RecordID");
const QString kDisplayedView =
    QStringLiteral("Select * from  tblContacts Where RecordID Mod 10 = 0 Order By tblContacts!Year, Artist, SongName");

// The player window's media player for these timings: takes every call and plays nothing.
class SilentPlayer : public MediaPlayer {
public:
    using MediaPlayer::MediaPlayer;
    void setURL(const QString &url) override { url_ = url; }
    QString URL() const override { return url_; }
    void setMode(const QString &, bool) override {}
    void play() override {}
    void stop() override {}
    void next() override {}
    platform::media::MediaItem currentItem() const override { return {}; }
    void setCurrentItem(const platform::media::MediaItem &) override {}
    int currentPlaylistCount() const override { return 0; }
    platform::media::MediaItem currentPlaylistItem(int) const override { return {}; }

private:
    QString url_;
};

MediaPlayer *makeSilent(QWidget *parent) { return new SilentPlayer(parent); }

// Every song's folder moved under the temporary folder, and an empty file made for each song.
void makeMusicFiles() {
    sqlite3 *h = core::g().Db->handle();
    const QByteArray root = dir->path().toUtf8();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "UPDATE tblContacts SET PathName = ?1 || PathName", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, root.constData(), -1, SQLITE_STATIC);
    sqlite3_step(s);
    sqlite3_finalize(s);
    sqlite3_prepare_v2(h, "SELECT PathName, FileName FROM tblContacts", -1, &s, nullptr);
    QSet<QByteArray> folders;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const QByteArray folder(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        if (!folders.contains(folder)) {
            QDir().mkpath(QString::fromUtf8(folder));
            folders.insert(folder);
        }
        const QByteArray path = folder + reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            qFatal("cannot make %s", path.constData());
        ::close(fd);
    }
    sqlite3_finalize(s);
    // The first two songs are the MP3s.
    for (int i = 0; i < 2; ++i) {
        const QByteArray folder = dir->path().toUtf8() + '/';
        const QByteArray file = QFileInfo(songs[i]).fileName().toUtf8();
        sqlite3_prepare_v2(h, "UPDATE tblContacts SET PathName = ?1, FileName = ?2 WHERE RecordID = ?3", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, folder.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, file.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 3, i + 1);
        sqlite3_step(s);
        sqlite3_finalize(s);
    }
}

void showView(const QString &source) {
    window->Data1->setRecordSource(source);
    window->Data1->refresh();
    QCoreApplication::processEvents();
}

void unloadPlayer() {
    if (auto *p = platform::ui::findForm<PlayForm>())
        platform::ui::unloadForm(p);
    platform::ui::flushUnloadedForms();
}

// The plain SQLite statement of a view (with `tail` after its translation), and its columns.
struct PlainQuery {
    explicit PlainQuery(const QString &jetSql, const char *tail = "") {
        const QByteArray sql = core::g().Db->translate(jetSql).toUtf8() + tail;
        if (sqlite3_prepare_v2(core::g().Db->handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("cannot prepare %s", sql.constData());
    }
    ~PlainQuery() { sqlite3_finalize(stmt); }
    int column(const char *name) const {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            if (qstricmp(sqlite3_column_name(stmt, i), name) == 0)
                return i;
        qFatal("no column %s", name);
    }
    QByteArray text(int column) const {
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    }
    sqlite3_stmt *stmt = nullptr;
};

bool fileExists(const QByteArray &path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// ---------------------------------------------------------------- Play on one song

// The Play button on a song of the grid whose file is the 3-minute MP3, until the player window's
// own media player reports Playing.
void BM_PlayClickMp3ToPlaying(benchmark::State &state) {
    if (!soundPlays(state))
        return;
    showView(kMp3View);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (i++ % 2)
            window->Data1->moveLast();
        else
            window->Data1->moveFirst();
        state.ResumeTiming();
        player::cmdPlay_Click();
        auto *p = platform::ui::findForm<PlayForm>();
        if (!p) {
            state.SkipWithError("Play did not load the player");
            break;
        }
        bool playing = false;
        QObject::connect(p->WindowsMediaPlayer1, &MediaPlayer::playStateChange, p,
                         [&playing](int s) { playing = playing || s == platform::media::Playing; });
        if (!waitOrSkip(state, [&] { return playing; }, "Play"))
            break;
        state.PauseTiming();
        unloadPlayer();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayClickMp3ToPlaying)->Unit(benchmark::kMillisecond)->Iterations(20);

// ---------------------------------------------------------------- Play All

void BM_PlayAll10000ToPlayerShown(benchmark::State &state) {
    platform::media::ScopedMediaPlayerFactory silent(makeSilent);
    showView(kDisplayedView);
    for (auto _ : state) {
        state.PauseTiming();
        prompts->answer(platform::ui::Answer::Yes);  // play all of more than 999 songs
        state.ResumeTiming();
        player::cmdPlayAll_Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        auto *p = platform::ui::findForm<PlayForm>();
        if (!p || !p->isVisible() || p->lbSongs->count() != kDisplayed)
            state.SkipWithError("the player does not show every displayed song");
        unloadPlayer();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayAll10000ToPlayerShown)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlainLoopPlayAll10000(benchmark::State &state) {
    const QString list = core::g().DataFolder + QStringLiteral("OVPlainList.m3u");
    for (auto _ : state) {
        PlainQuery q(kDisplayedView);
        const int pathName = q.column("PathName");
        const int fileName = q.column("FileName");
        QByteArray lines;
        int n = 0;
        while (sqlite3_step(q.stmt) == SQLITE_ROW) {
            const QByteArray file = q.text(fileName);
            const QByteArray path = q.text(pathName) + file;
            if (file.isEmpty() || !fileExists(path))
                continue;
            lines += path;
            lines += "\r\n";
            ++n;
        }
        QFile::remove(list);
        QFile out(list);
        if (!out.open(QIODevice::WriteOnly) || out.write(lines) != lines.size() || n != kDisplayed)
            state.SkipWithError("the plain list was not written whole");
    }
}
BENCHMARK(BM_PlainLoopPlayAll10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---------------------------------------------------------------- the next or a random song

// Songs of the full view at positions spread over it, with the one after each.
struct Pick {
    long position = 0;
    QString path;
    QString nextPath;
};
QList<Pick> picks;

void findPicks() {
    PlainQuery q(kFullView);
    const int pathName = q.column("PathName");
    const int fileName = q.column("FileName");
    const long positions[] = {kSongs / 10, kSongs / 2, kSongs * 9 / 10, 777, kSongs - 2, kSongs / 3};
    QHash<long, QString> paths;
    for (long i = 0; sqlite3_step(q.stmt) == SQLITE_ROW; ++i)
        paths.insert(i, QString::fromUtf8(q.text(pathName) + q.text(fileName)));
    for (long p : positions)
        picks << Pick{p, paths.value(p), paths.value(p + 1)};
}

// The player on the first song of the full view, as Play leaves it, with `mode` ticked.
PlayForm *playerWithMode(QCheckBox *PlayForm::*mode) {
    showView(kFullView);
    window->Data1->moveFirst();
    player::cmdPlay_Click();
    auto *p = platform::ui::findForm<PlayForm>();
    if (!p)
        qFatal("Play did not load the player");
    (p->*mode)->setVisible(true);
    (p->*mode)->setChecked(true);
    QCoreApplication::processEvents();
    return p;
}

// One song ends (after the one at `from`, when given) and the window puts the next into the
// player. `fresh` drops the view's snapshot first, as a newly loaded window has none.
void chooseAfterEnd(benchmark::State &state, QCheckBox *PlayForm::*mode, bool fresh) {
    platform::media::ScopedMediaPlayerFactory silent(makeSilent);
    PlayForm *p = playerWithMode(mode);
    const bool next = mode == &PlayForm::cbPlayNext;
    if (!fresh)
        p->PlayNextRandom(next ? QStringLiteral("next") : QStringLiteral("random"));  // the snapshot opened
    long i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (fresh)
            p->PlayerRecordset.reset();
        const Pick &from = picks[i++ % picks.size()];
        if (next)
            core::g().PlayPath = from.path;
        const QString before = core::g().PlayPath;
        state.ResumeTiming();
        p->WindowsMediaPlayer1_PlayStateChange(platform::media::MediaEnded);
        state.PauseTiming();
        if (platform::ui::findForm<PlayForm>() != p || (next && core::g().PlayPath != from.nextPath) ||
            (!next && p->WindowsMediaPlayer1->URL() != core::g().PlayPath))
            state.SkipWithError("the window did not put the expected song into the player");
        state.ResumeTiming();
        benchmark::DoNotOptimize(before);
    }
    unloadPlayer();
}

void BM_FirstPlayNextOf100000(benchmark::State &state) { chooseAfterEnd(state, &PlayForm::cbPlayNext, true); }
BENCHMARK(BM_FirstPlayNextOf100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LaterPlayNextOf100000(benchmark::State &state) { chooseAfterEnd(state, &PlayForm::cbPlayNext, false); }
BENCHMARK(BM_LaterPlayNextOf100000)->Unit(benchmark::kMillisecond);

void BM_FirstPlayRandomOf100000(benchmark::State &state) { chooseAfterEnd(state, &PlayForm::cbPlayRandom, true); }
BENCHMARK(BM_FirstPlayRandomOf100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LaterPlayRandomOf100000(benchmark::State &state) { chooseAfterEnd(state, &PlayForm::cbPlayRandom, false); }
BENCHMARK(BM_LaterPlayRandomOf100000)->Unit(benchmark::kMillisecond);

// The player's own SELECT of the view, one row at an offset (the picks' next songs), and a stat
// of that row's file.
void BM_PlainSqliteLimitOffset(benchmark::State &state) {
    PlainQuery q(player::playerQuery(kFullView), " LIMIT 1 OFFSET ?1");
    const int pathName = q.column("PathName");
    const int fileName = q.column("FileName");
    long i = 0;
    for (auto _ : state) {
        const Pick &from = picks[i++ % picks.size()];
        sqlite3_reset(q.stmt);
        sqlite3_bind_int64(q.stmt, 1, from.position + 1);
        if (sqlite3_step(q.stmt) != SQLITE_ROW) {
            state.SkipWithError("no row at the offset");
            break;
        }
        const QByteArray path = q.text(pathName) + q.text(fileName);
        if (!fileExists(path) || QString::fromUtf8(path) != from.nextPath)
            state.SkipWithError("not the next song");
    }
}
BENCHMARK(BM_PlainSqliteLimitOffset)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        prompts = session.prompts.get();
        dir = std::make_unique<QTemporaryDir>();
        writeFiles();
        makeMusicFiles();
        findPicks();
        // The media backend's first start (plugin scan) is paid once, outside every timing.
        QtMediaPlayer warm;
        if (!warm.isAvailable()) {
            noSound = "no media backend";
        } else if (QMediaDevices::audioOutputs().isEmpty()) {
            noSound = "no sound output";
        } else {
            bool playing = false;
            QObject::connect(&warm, &MediaPlayer::playStateChange,
                             [&](int s) { playing = playing || s == platform::media::Playing; });
            warm.setURL(songs[0]);
            if (!waitUntil([&] { return playing; }))
                noSound = "warm-up: no answer within 10 s";
            warm.stop();
        }
        if (!noSound.empty())
            fprintf(stderr, "%s: the timings that play sound are skipped; the others run.\n", noSound.c_str());
    });
}
