// Reading the detail columns of 10,000 music files (copies of the test fixtures, warm cache)
// through the shell layer, against a bare TagLib FileRef loop over the same files. The goal is
// to stay within 1.3 times the bare loop: the layer should add little beyond TagLib's own read.
#include "import/SongFields.h"
#include "platform/shell/ShellFolder.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

namespace {

constexpr int kFiles = 10000;

// The folder of copies, made once for all benchmarks.
const QString &folder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    static bool made = false;
    if (!made) {
        const QStringList fixtures = {"id3v23-utf16.mp3",  "id3v24-utf8.mp3", "flac-utf8.flac", "vorbis-utf8.ogg",
                                      "m4a-faststart.m4a", "mp4-audio.mp4",   "wma-utf16.wma",  "wav-id3-info.wav"};
        for (int i = 0; i < kFiles; ++i) {
            const QString &f = fixtures[i % fixtures.size()];
            QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/") + f,
                        dir.filePath(QStringLiteral("%1-%2").arg(i, 5, 10, QLatin1Char('0')).arg(f)));
        }
        made = true;
    }
    return path;
}

// What the import asks of every new file: attributes, size, then the tag columns.
void BM_ShellDetailColumns(benchmark::State &state) {
    const QString path = folder();
    for (auto _ : state) {
        auto shell = platform::shell::ShellFolder::nameSpace(path, 6);
        for (const auto &item : shell->items()) {
            benchmark::DoNotOptimize(shell->getDetailsOf(item, 6));
            benchmark::DoNotOptimize(shell->getDetailsOf(item, 1));
            const import::SongFields f = import::shellColumnFields(
                [&](int c) { return shell->getDetailsOf(item, c); }, 6, item.name());
            benchmark::DoNotOptimize(f);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

// What a file already in the catalogue costs: the listing, attributes and size, no tag read.
void BM_ShellListingOnly(benchmark::State &state) {
    const QString path = folder();
    for (auto _ : state) {
        auto shell = platform::shell::ShellFolder::nameSpace(path, 6);
        for (const auto &item : shell->items()) {
            benchmark::DoNotOptimize(shell->getDetailsOf(item, 6));
            benchmark::DoNotOptimize(shell->getDetailsOf(item, 1));
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

// The same texts straight from TagLib.
void BM_BareFileRef(benchmark::State &state) {
    const QString path = folder();
    const QStringList names = QDir(path).entryList(QDir::Files, QDir::Name);
    for (auto _ : state) {
        for (const QString &n : names) {
            TagLib::FileRef f(QFile::encodeName(path + '/' + n).constData(), true,
                              TagLib::AudioProperties::Average);
            if (f.isNull())
                continue;
            const TagLib::Tag *t = f.tag();
            benchmark::DoNotOptimize(t->title().to8Bit(true));
            benchmark::DoNotOptimize(t->artist().to8Bit(true));
            benchmark::DoNotOptimize(t->album().to8Bit(true));
            benchmark::DoNotOptimize(t->genre().to8Bit(true));
            benchmark::DoNotOptimize(t->comment().to8Bit(true));
            benchmark::DoNotOptimize(t->year() + t->track());
            benchmark::DoNotOptimize(f.file()->properties());
            if (const auto *a = f.audioProperties())
                benchmark::DoNotOptimize(a->lengthInSeconds() + a->bitrate());
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

} // namespace

BENCHMARK(BM_BareFileRef)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShellDetailColumns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShellListingOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
