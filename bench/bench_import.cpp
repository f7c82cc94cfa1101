// The music import over 10,000 files in 500 folders (copies of the test fixtures, warm cache):
// the first import into an empty catalogue against the bare shell-layer read of the same files
// (goal: within 1.5 times), and a second import of the same tree, where every file is already
// catalogued (goal: at least 20,000 files per second). BM_PlainSqliteStore stores the rows of a
// first import through plain SQLite, one transaction per folder: the floor of the storing part.
#include "core/AppState.h"
#include "core/ProcessMemory.h"
#include "import/ImportHost.h"
#include "import/MusicImport.h"
#include "import/SongFields.h"
#include "platform/db/Database.h"
#include "platform/shell/ShellFolder.h"
#include "platform/ui/ScriptedPrompts.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 24;  // 20 + 20 x 24 = 500 folders
constexpr int kFilesPerFolder = 20;
constexpr int kFiles = (kTopFolders + kTopFolders * kSubFolders) * kFilesPerFolder;

QTemporaryDir &work() {
    static QTemporaryDir dir;
    return dir;
}

// The music tree, made once.
const QString &tree() {
    static const QString root = work().path() + QStringLiteral("/music/");
    static bool made = false;
    if (!made) {
        const QStringList fixtures = {"id3v23-utf16.mp3",  "id3v24-utf8.mp3", "flac-utf8.flac", "vorbis-utf8.ogg",
                                      "m4a-faststart.m4a", "mp4-audio.mp4",   "wma-utf16.wma",  "wav-id3-info.wav"};
        int n = 0;
        const auto fill = [&](const QString &folder) {
            QDir().mkpath(folder);
            for (int i = 0; i < kFilesPerFolder; ++i, ++n) {
                const QString &f = fixtures[n % fixtures.size()];
                QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/") + f,
                            folder + QStringLiteral("%1-%2").arg(i, 2, 10, QLatin1Char('0')).arg(f));
            }
        };
        for (int t = 0; t < kTopFolders; ++t) {
            const QString top = root + QStringLiteral("artist%1/").arg(t, 2, 10, QLatin1Char('0'));
            fill(top);
            for (int s = 0; s < kSubFolders; ++s)
                fill(top + QStringLiteral("album%1/").arg(s, 2, 10, QLatin1Char('0')));
        }
        made = true;
    }
    return root;
}

QStringList folders() {
    QStringList out{tree()};
    QDirIterator it(tree(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(it.next() + QLatin1Char('/'));
    return out;
}

class NoWindow : public import::ImportHost {
public:
    QWidget *window() const override { return nullptr; }
    void setWindowVisible(bool) override {}
    void showAllSongs() override {}
    void showCurrentArtistButton() override {}
    void focusGrid() override {}
    void loadMusicFiles(const QString &, const QString &, bool) override {}
};

void openEmptyCatalogue(const QString &name) {
    auto &s = core::g();
    s.Db.reset();
    const QString path = work().path() + QLatin1Char('/') + name;
    QFile::remove(path);
    bench::copyEmptyCatalogue(path);
    s.Db = platform::db::Database::open(path);
    s.WinMajorVersion = 6;
}

long runImport() {
    platform::ui::ScriptedPrompts prompts; // answers the "Done" box
    NoWindow host;
    core::g().CancelScan = false;
    return import::LoadMusicFiles(host, tree(), QString()).added;
}

// What the shell layer delivers for every file of the tree, with nothing stored.
void BM_BareShellRead(benchmark::State &state) {
    const QStringList list = folders();
    for (auto _ : state) {
        for (const QString &folder : list) {
            auto shell = platform::shell::ShellFolder::nameSpace(folder, 6);
            for (const auto &item : shell->items()) {
                if (item.isFolder())
                    continue;
                benchmark::DoNotOptimize(shell->getDetailsOf(item, 1));
                const import::SongFields f = import::shellColumnFields(
                    [&](int c) { return shell->getDetailsOf(item, c); }, 6, item.name());
                benchmark::DoNotOptimize(f);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_FirstImport(benchmark::State &state) {
    tree();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        openEmptyCatalogue(QStringLiteral("first%1.mdb").arg(round++));
        state.ResumeTiming();
        const long added = runImport();
        if (added != kFiles)
            state.SkipWithError("not every file was added");
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_SecondImport(benchmark::State &state) {
    openEmptyCatalogue(QStringLiteral("second.mdb"));
    runImport();
    for (auto _ : state) {
        if (runImport() != 0)
            state.SkipWithError("a file was added twice");
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

// The rows a first import stores, read back once: each as its column names and values.
struct StoredRow {
    QByteArray folder;
    std::vector<std::pair<int, QByteArray>> texts; // bound as text, by column
    std::vector<std::pair<int, double>> numbers;   // bound as numbers
    std::vector<std::pair<int, sqlite3_int64>> integers;
};
struct StoredRows {
    QByteArray insertSql;
    std::vector<StoredRow> rows;
};

const StoredRows &storedRows() {
    static StoredRows made;
    if (!made.rows.empty())
        return made;
    openEmptyCatalogue(QStringLiteral("rows.mdb"));
    runImport();
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM tblContacts ORDER BY RecordID", -1, &s, nullptr);
    QStringList names, marks;
    int pathColumn = -1;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(s, c));
        if (name == QLatin1String("PathName"))
            pathColumn = c;
        names << name;
        marks << QStringLiteral("?%1").arg(c + 1);
    }
    made.insertSql = QStringLiteral("INSERT INTO tblContacts (%1) VALUES (%2)")
                         .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                         .toUtf8();
    while (sqlite3_step(s) == SQLITE_ROW) {
        StoredRow row;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            if (names[c] == QLatin1String("RecordID"))
                continue; // the counter numbers the rows again
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER: row.integers.emplace_back(c + 1, sqlite3_column_int64(s, c)); break;
            case SQLITE_FLOAT: row.numbers.emplace_back(c + 1, sqlite3_column_double(s, c)); break;
            case SQLITE_NULL: break;
            default:
                row.texts.emplace_back(c + 1, QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                                         sqlite3_column_bytes(s, c)));
            }
        }
        row.folder = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, pathColumn)));
        made.rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    return made;
}

// The same rows stored through plain SQLite, one prepared statement, one transaction per folder:
// the least the catalogue's own storing can cost.
void BM_PlainSqliteStore(benchmark::State &state) {
    const StoredRows &stored = storedRows();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        openEmptyCatalogue(QStringLiteral("plain%1.mdb").arg(round++));
        state.ResumeTiming();
        sqlite3 *h = core::g().Db->handle();
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(h, stored.insertSql.constData(), -1, &insert, nullptr);
        const QByteArray *folder = nullptr;
        for (const StoredRow &row : stored.rows) {
            if (!folder || *folder != row.folder) {
                if (folder)
                    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
                sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
                folder = &row.folder;
            }
            sqlite3_clear_bindings(insert);
            for (const auto &[c, v] : row.texts)
                sqlite3_bind_text(insert, c, v.constData(), int(v.size()), SQLITE_STATIC);
            for (const auto &[c, v] : row.numbers)
                sqlite3_bind_double(insert, c, v);
            for (const auto &[c, v] : row.integers)
                sqlite3_bind_int64(insert, c, v);
            if (sqlite3_step(insert) != SQLITE_DONE)
                state.SkipWithError("a row was refused");
            sqlite3_reset(insert);
        }
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

BENCHMARK(BM_BareShellRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_FirstImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PlainSqliteStore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SecondImport)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace

int main(int argc, char **argv) {
    core::keepFreedMemory();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    core::resetState();
    return 0;
}
