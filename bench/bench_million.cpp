// The main window over a catalogue of 1,000,000 songs: from the start of a fresh process to the
// first painted grid, the first screen of each of the 23 sorts, the incremental search's
// keystroke and the recordset's FindFirst at their worst (a common prefix whose first match lies
// past the rows tried one by one, a prefix near the end, no match at all), and the peak memory
// of a fresh process after its start and after all those sorts, finds and keystrokes. Each is
// set against plain SQLite in the same run: the first page of the same sorted query (also in a
// fresh process), every key of it, the first matching row in the view's order, and the peak
// memory of a process reading the same pages and key lists.
// Goals at 1,000,000 songs: start < 0.5 s; each text sort (Album Name, Artist, Composer, Genre,
// Rating, Song Name, Year) < 0.5 s and each other sort < 0.2 s; a keystroke and a FindFirst
// < 30 ms; peak memory < 120 MB after the start and < 160 MB after everything.
//
// The catalogue is built once and kept between runs in $XDG_CACHE_HOME/orvalis-bench (or
// ~/.cache/orvalis-bench), named after the schema it was built from, so a changed schema makes a
// new one. Building it takes a few minutes.
#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/Forms.h"
#include "songlist/NameList.h"
#include "songlist/SortOrders.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSongs = 1000000;

QString catalogue;     // the cached catalogue
QString selfPath;      // this program, started again for the fresh-process timings
songlist::NameList *window = nullptr;

const QStringList kTextSorts = {"Album Name", "Artist", "Composer", "Genre", "Rating", "Song Name", "Year"};

// The searches at their worst: the sort shown and the text typed. "Artist 1" first matches at
// row 200 (past the rows tried one by one) and 222,200 rows match it.
struct Search {
    const char *sort;
    const char *field;
    const char *text;
};
const Search kSearches[] = {
    {"Artist", "Artist", "Artist 1"},
    {"Artist", "Artist", "Artist 4999"},
    {"Artist", "Artist", "Nobody"},
    {"Song Name", "SongName", "Song 99999"},
    {"Year", "Year", "2019"},
};

// ------------------------------------------------------------------- the cached catalogue

// The schema of the empty catalogue, as a short name: a catalogue built from another schema is
// not reused.
QString schemaKey() {
    sqlite3 *h = nullptr;
    sqlite3_open_v2(ORVALIS_EMPTY_CATALOGUE, &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *s = nullptr;
    QByteArray all;
    sqlite3_prepare_v2(h, "SELECT type, name, coalesce(sql, '') FROM sqlite_master ORDER BY type, name", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        for (int c = 0; c < 3; ++c)
            all += reinterpret_cast<const char *>(sqlite3_column_text(s, c)) + QByteArray(";");
    sqlite3_finalize(s);
    sqlite3_close(h);
    return QString::fromLatin1(QCryptographicHash::hash(all, QCryptographicHash::Sha1).toHex().left(12));
}

QString cacheFolder() {
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    const QString base = xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : QString::fromLocal8Bit(xdg);
    return base + QStringLiteral("/orvalis-bench");
}

// Builds the catalogue when it is missing: the songs go in without the indexes, which are made
// after (one sorted build each instead of a million scattered inserts), then the file is renamed
// into place, so a build cut short is never taken for a finished one.
QString cachedCatalogue() {
    QDir().mkpath(cacheFolder());
    const QString path = cacheFolder() + QStringLiteral("/million-") + schemaKey() + QStringLiteral(".mdb");
    if (QFile::exists(path))
        return path;
    const QString building = path + QStringLiteral(".building");
    for (const QString &f : {building, building + QStringLiteral("-wal"), building + QStringLiteral("-shm")})
        QFile::remove(f);
    std::fprintf(stderr, "Building %s (a few minutes, once)...\n", qPrintable(path));
    bench::copyEmptyCatalogue(building);
    {
        auto db = platform::db::Database::open(building);
        sqlite3 *h = db->handle();
        QStringList names, creates;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(h, "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                              "AND tbl_name = 'tblContacts'", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            creates << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1)));
        }
        sqlite3_finalize(s);
        for (const QString &n : names)
            sqlite3_exec(h, ("DROP INDEX \"" + n + "\"").toUtf8().constData(), nullptr, nullptr, nullptr);
        bench::fillSongs(*db, kSongs);
        for (const QString &c : creates)
            sqlite3_exec(h, c.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(h, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        db->close();
    }
    QFile::remove(building + QStringLiteral("-wal"));
    QFile::remove(building + QStringLiteral("-shm"));
    QFile::rename(building, path);
    return path;
}

// ------------------------------------------------------------------- helpers

// The highest resident size of this process so far, in MB.
double peakMegabytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

QString sortName(int i) { return songlist::SortOrders::all().at(i).name; }

QString sortedSource(const QString &sort) {
    return QStringLiteral("Select * from  tblContacts") + songlist::SortOrders::lookup(sort).orderBy;
}

void paint() { window->Table1->viewport()->repaint(); }

// The first `rows` rows of a sorted query through plain SQLite, reading a text of each.
void plainFirstPage(platform::db::Database &db, const QString &sort, int rows = 40) {
    const QByteArray sql = db.translate(sortedSource(sort)).toUtf8();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr);
    for (int i = 0; i < rows && sqlite3_step(s) == SQLITE_ROW; ++i)
        benchmark::DoNotOptimize(sqlite3_column_text(s, 1));
    sqlite3_finalize(s);
}

// Every key of a sorted query through plain SQLite, kept in one list.
std::vector<qint64> plainAllKeys(platform::db::Database &db, const QString &sort) {
    QString sql = db.translate(sortedSource(sort));
    sql.replace(QStringLiteral("SELECT *"), QStringLiteral("SELECT RecordID"), Qt::CaseInsensitive);
    const QByteArray utf8 = sql.toUtf8();
    std::vector<qint64> keys;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db.handle(), utf8.constData(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(s, 0));
    sqlite3_finalize(s);
    return keys;
}

// The first row of a sort's order whose field starts with the text, through plain SQLite.
qint64 plainFirstMatch(platform::db::Database &db, const Search &search) {
    const QString jet = QStringLiteral("Select RecordID from tblContacts Where %1 like \"%2*\"").arg(
                            QString::fromLatin1(search.field), QString::fromLatin1(search.text)) +
                        songlist::SortOrders::lookup(QString::fromLatin1(search.sort)).orderBy;
    const QByteArray sql = (db.translate(jet) + QStringLiteral(" LIMIT 1")).toUtf8();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr);
    qint64 id = 0;
    if (sqlite3_step(s) == SQLITE_ROW)
        id = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return id;
}

// Runs this program again in one of its child modes; gives its wall time in seconds and the
// numbers it printed.
double runChild(const QStringList &args, QList<double> *printed) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The child uses this run's catalogue, whatever the build has made since.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVALIS_BENCH_CATALOGUE"), catalogue);
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(selfPath, args);
    p.waitForFinished(-1);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (printed)
        for (const QByteArray &w : p.readAllStandardOutput().split(' '))
            if (!w.trimmed().isEmpty())
                printed->append(w.trimmed().toDouble());
    return seconds;
}

// ------------------------------------------------------------------- child modes

// The program's start in this fresh process, until its grid is painted; prints the peak memory.
int childFirstPaint() {
    bench::MainWindowSession session(catalogue);
    window = session.window;
    paint();
    std::printf("%.1f", peakMegabytes());
    std::fflush(stdout);
    std::_Exit(0);
}

// Plain SQLite in this fresh process: the first page of the stored sort.
int childPlainFirstPage(const QString &sort) {
    auto db = platform::db::Database::open(catalogue);
    plainFirstPage(*db, sort);
    std::printf("%.1f", peakMegabytes());
    std::fflush(stdout);
    std::_Exit(0);
}

// The start, then every sort, every find and every keystroke; prints the peak memory after the
// start and after everything.
int childMemoryWalk() {
    bench::MainWindowSession session(catalogue);
    window = session.window;
    paint();
    const double afterStart = peakMegabytes();
    for (int i = 0; i < songlist::SortOrders::all().size(); ++i) {
        window->setSortText(sortName(i));
        paint();
    }
    for (const Search &search : kSearches) {
        window->setSortText(QString::fromLatin1(search.sort));
        window->Data1->recordset()->findFirst(QString::fromLatin1(search.field) + QStringLiteral(" like \"") +
                                              QString::fromLatin1(search.text) + QStringLiteral("*\""));
        const QString text = QString::fromLatin1(search.text);
        for (int n = 1; n <= text.size(); ++n) {
            window->txtLocate->setText(text.left(n));
            window->txtLocate_Change();
            paint();
        }
    }
    std::printf("%.1f %.1f", afterStart, peakMegabytes());
    std::fflush(stdout);
    std::_Exit(0);
}

// Plain SQLite doing the same reads: each sort's first page and whole key list, each search's
// first match.
int childPlainMemoryWalk() {
    auto db = platform::db::Database::open(catalogue);
    plainFirstPage(*db, QStringLiteral("Song Name"));
    const double afterStart = peakMegabytes();
    for (int i = 0; i < songlist::SortOrders::all().size(); ++i) {
        plainFirstPage(*db, sortName(i));
        benchmark::DoNotOptimize(plainAllKeys(*db, sortName(i)).size());
    }
    for (const Search &search : kSearches)
        benchmark::DoNotOptimize(plainFirstMatch(*db, search));
    std::printf("%.1f %.1f", afterStart, peakMegabytes());
    std::fflush(stdout);
    std::_Exit(0);
}

// ------------------------------------------------------------------- timings

const char *const kStartSorts[] = {"Song Name", "Artist", "Year", "File Size"};

// From starting a fresh process to its first painted grid, with a stored sort.
void BM_StartToFirstPaint(benchmark::State &state) {
    const QString sort = QString::fromLatin1(kStartSorts[state.range(0)]);
    state.SetLabel(sort.toStdString());
    core::SettingsRows::write(QString::fromLatin1(core::SettingsRows::GridSortOrder), sort);
    QList<double> mb;
    for (auto _ : state) {
        mb.clear();
        state.SetIterationTime(runChild({QStringLiteral("--first-paint")}, &mb));
    }
    state.counters["peak_MB"] = mb.value(0);
}
BENCHMARK(BM_StartToFirstPaint)->DenseRange(0, 3)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Plain SQLite from starting a fresh process to the first page of the same sort.
void BM_PlainSqliteStartFirstPage(benchmark::State &state) {
    const QString sort = QString::fromLatin1(kStartSorts[state.range(0)]);
    state.SetLabel(sort.toStdString());
    QList<double> mb;
    for (auto _ : state) {
        mb.clear();
        state.SetIterationTime(runChild({QStringLiteral("--plain-first-page"), sort}, &mb));
    }
    state.counters["peak_MB"] = mb.value(0);
}
BENCHMARK(BM_PlainSqliteStartFirstPage)->DenseRange(0, 3)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// A sort chosen in the sort list, until the first rows of the new order are painted.
void BM_SortFirstScreen(benchmark::State &state) {
    const QString sort = sortName(int(state.range(0)));
    state.SetLabel((sort + (kTextSorts.contains(sort) ? QStringLiteral(" (text)") : QString())).toStdString());
    for (auto _ : state) {
        window->setSortText(sort);
        paint();
    }
}
BENCHMARK(BM_SortFirstScreen)->DenseRange(0, 22)->Unit(benchmark::kMillisecond);

// Plain SQLite: the first page (40 rows) of the same sorted query.
void BM_PlainSqliteFirstPage(benchmark::State &state) {
    const QString sort = sortName(int(state.range(0)));
    state.SetLabel(sort.toStdString());
    for (auto _ : state)
        plainFirstPage(*core::g().Db, sort);
}
BENCHMARK(BM_PlainSqliteFirstPage)->DenseRange(0, 22)->Unit(benchmark::kMillisecond);

// Plain SQLite: every key of the same sorted query, in order.
void BM_PlainSqliteAllKeys(benchmark::State &state) {
    const QString sort = sortName(int(state.range(0)));
    state.SetLabel(sort.toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(plainAllKeys(*core::g().Db, sort).size());
}
BENCHMARK(BM_PlainSqliteAllKeys)->DenseRange(0, 22)->Unit(benchmark::kMillisecond);

// One keystroke of the incremental search from the top of the view: the box holds the whole
// text, its change searches and the grid follows the found row.
void BM_Keystroke(benchmark::State &state) {
    const Search &search = kSearches[state.range(0)];
    state.SetLabel(std::string(search.sort) + ": " + search.text);
    window->setSortText(QString::fromLatin1(search.sort));
    for (auto _ : state) {
        state.PauseTiming();
        window->Data1->moveFirst();
        window->txtLocate->setText(QString::fromLatin1(search.text));
        state.ResumeTiming();
        window->txtLocate_Change();
        paint();
    }
}
BENCHMARK(BM_Keystroke)->DenseRange(0, int(std::size(kSearches)) - 1)->Unit(benchmark::kMillisecond);

// The recordset's FindFirst alone, from the top of the view.
void BM_FindFirst(benchmark::State &state) {
    const Search &search = kSearches[state.range(0)];
    state.SetLabel(std::string(search.sort) + ": " + search.text);
    window->setSortText(QString::fromLatin1(search.sort));
    auto *rs = window->Data1->recordset();
    const QString criteria = QString::fromLatin1(search.field) + QStringLiteral(" like \"") +
                             QString::fromLatin1(search.text) + QStringLiteral("*\"");
    for (auto _ : state) {
        state.PauseTiming();
        rs->moveFirst();
        state.ResumeTiming();
        rs->findFirst(criteria);
    }
    state.counters["row"] = double(rs->noMatch() ? -1 : rs->absolutePosition());
}
BENCHMARK(BM_FindFirst)->DenseRange(0, int(std::size(kSearches)) - 1)->Unit(benchmark::kMillisecond);

// Plain SQLite: the first row of the view's order matching the same text.
void BM_PlainSqliteFirstMatch(benchmark::State &state) {
    const Search &search = kSearches[state.range(0)];
    state.SetLabel(std::string(search.sort) + ": " + search.text);
    for (auto _ : state)
        benchmark::DoNotOptimize(plainFirstMatch(*core::g().Db, search));
}
BENCHMARK(BM_PlainSqliteFirstMatch)->DenseRange(0, int(std::size(kSearches)) - 1)->Unit(benchmark::kMillisecond);

// Peak memory of a fresh process after its start and after all sorts, finds and keystrokes (the
// time is the whole walk's).
void BM_PeakMemory(benchmark::State &state) {
    core::SettingsRows::write(QString::fromLatin1(core::SettingsRows::GridSortOrder), QStringLiteral("Song Name"));
    QList<double> mb;
    for (auto _ : state) {
        mb.clear();
        state.SetIterationTime(runChild({QStringLiteral("--memory-walk")}, &mb));
    }
    state.counters["start_MB"] = mb.value(0);
    state.counters["end_MB"] = mb.value(1);
}
BENCHMARK(BM_PeakMemory)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Plain SQLite doing the same reads in a fresh process.
void BM_PlainSqlitePeakMemory(benchmark::State &state) {
    QList<double> mb;
    for (auto _ : state) {
        mb.clear();
        state.SetIterationTime(runChild({QStringLiteral("--plain-memory-walk")}, &mb));
    }
    state.counters["start_MB"] = mb.value(0);
    state.counters["end_MB"] = mb.value(1);
}
BENCHMARK(BM_PlainSqlitePeakMemory)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    selfPath = QString::fromLocal8Bit(argv[0]);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir config;
    bench::prepareOffscreen(config);
    QApplication app(argc, argv);
    bench::nameBenchApplication();
    selfPath = QCoreApplication::applicationFilePath();
    const QByteArray given = qgetenv("ORVALIS_BENCH_CATALOGUE");
    catalogue = given.isEmpty() ? cachedCatalogue() : QString::fromLocal8Bit(given);
    if (mode == QLatin1String("--first-paint"))
        return childFirstPaint();
    if (mode == QLatin1String("--plain-first-page"))
        return childPlainFirstPage(QString::fromLocal8Bit(argv[2]));
    if (mode == QLatin1String("--memory-walk"))
        return childMemoryWalk();
    if (mode == QLatin1String("--plain-memory-walk"))
        return childPlainMemoryWalk();
    {
        bench::MainWindowSession session(catalogue);
        window = session.window;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}
