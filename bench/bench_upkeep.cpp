// The catalogue-wide commands over 100,000 songs. Compact: from the command until the new main
// window is shown on the compacted file, and the layer's compaction into a copy alone, against
// VACUUM INTO through the sqlite3 C API on the same file with the catalogue's collations
// registered. Delete displayed: 50,000 songs the grid shows, from the answered questions until
// the grid is refreshed, against one DELETE ... WHERE RecordID IN (...) in plain SQLite. Delete
// duplicates: 10,000 duplicate songs, preview to the grid back on all songs, against the
// translated delete query in plain SQLite.
// Goals: Compact under 3 s to the main window, its compaction within 1.3x of VACUUM INTO;
// Delete displayed of 50,000 under 2 s; the duplicates as a ratio.
#include "core/AppState.h"
#include "core/DuplicateQueries.h"
#include "core/StartupHooks.h"
#include "platform/db/Collations.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "reports/Reports.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QFile>

namespace {

constexpr int kSongs = 100000;
constexpr int kDisplayed = 50000;
constexpr int kDuplicates = 10000;

bench::MainWindowSession *session = nullptr;
songlist::NameList *window() { return session->window; }
platform::ui::ScriptedPrompts &prompts() { return *session->prompts; }

void exec(const char *sql) { sqlite3_exec(core::g().Db->handle(), sql, nullptr, nullptr, nullptr); }

long songCount() {
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select Count(*) from tblContacts"));
    return long(rs->value(0).toLongLong());
}

// Compact from its menu command until the start-up has shown the main window again.
void BM_CompactToMainWindow(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        prompts().clear();
        prompts().answer(platform::ui::Answer::Yes);
        state.ResumeTiming();
        window()->mnuCompactDatabase_Click();
    }
    state.counters["songs"] = double(window()->recordCount());
}
BENCHMARK(BM_CompactToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// The layer's compaction of the catalogue into its ".temp" copy.
void BM_LayerCompactIntoCopy(benchmark::State &state) {
    const QString copy = core::g().DatabasePath + QStringLiteral(".temp");
    for (auto _ : state) {
        platform::db::Database::compactDatabase(core::g().DatabasePath, copy);
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LayerCompactIntoCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

// Plain SQLite: VACUUM INTO on the same file, its collations registered.
void BM_PlainSqliteVacuumInto(benchmark::State &state) {
    const QByteArray source = core::g().DatabasePath.toUtf8();
    const QByteArray copy = source + ".plain";
    for (auto _ : state) {
        sqlite3 *h = nullptr;
        sqlite3_open_v2(source.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        platform::db::jet::registerCollations(h);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(h, "VACUUM INTO ?1", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, copy.constData(), -1, SQLITE_STATIC);
        sqlite3_step(s);
        sqlite3_finalize(s);
        sqlite3_close(h);
        state.PauseTiming();
        QFile::remove(QString::fromUtf8(copy));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlainSqliteVacuumInto)->Unit(benchmark::kMillisecond)->Iterations(3);

// Puts 50,000 songs back (untimed); their names are made unique, so that the generator's
// repeated names do not become duplicates for the duplicate benchmarks.
void refill() {
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select Max(RecordID) from tblContacts"));
    const QByteArray last = QByteArray::number(rs->value(0).toLongLong());
    rs->close();
    bench::fillSongs(*core::g().Db, kDisplayed);
    exec(("UPDATE tblContacts SET SongName = SongName || ' #' || RecordID WHERE RecordID > " + last).constData());
}

// Marks the first 50,000 songs (untimed): they become the grid's view.
void showHalf() {
    exec("UPDATE tblContacts SET Genre = 'Bench' WHERE RecordID IN "
         "(SELECT RecordID FROM tblContacts ORDER BY RecordID LIMIT 50000)");
    window()->Data1->setRecordSource(
        QStringLiteral("Select * from  tblContacts Where Genre = \"Bench\" Order By SongName"));
    window()->Data1->refresh();
}

// Delete displayed of 50,000 songs: the two questions answered, until the grid is refreshed.
void BM_DeleteDisplayed(benchmark::State &state) {
    long deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        showHalf();
        prompts().clear();
        prompts().answer(platform::ui::Answer::Yes);
        prompts().answer(platform::ui::Answer::Yes);
        const long before = songCount();
        state.ResumeTiming();
        window()->mnuDeleteDisplayed_Click();
        state.PauseTiming();
        deleted = before - songCount();
        refill();
        state.ResumeTiming();
    }
    state.counters["deleted"] = double(deleted);
}
BENCHMARK(BM_DeleteDisplayed)->Unit(benchmark::kMillisecond)->Iterations(3);

// Plain SQLite: one DELETE of the same 50,000 RecordIDs.
void BM_PlainSqliteDeleteIn(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        showHalf();
        QByteArray sql = "DELETE FROM tblContacts WHERE RecordID IN (";
        {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(core::g().Db->handle(), "SELECT RecordID FROM tblContacts WHERE Genre = 'Bench'", -1,
                               &s, nullptr);
            bool first = true;
            while (sqlite3_step(s) == SQLITE_ROW) {
                if (!first)
                    sql += ',';
                first = false;
                sql += QByteArray::number(sqlite3_column_int64(s, 0));
            }
            sqlite3_finalize(s);
        }
        sql += ')';
        state.ResumeTiming();
        exec(sql.constData());
        state.PauseTiming();
        refill();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlainSqliteDeleteIn)->Unit(benchmark::kMillisecond)->Iterations(3);

// Adds a copy of 10,000 songs (untimed): each has one duplicate to delete.
void addDuplicates() {
    const QByteArray sql = "INSERT INTO tblContacts (SongName, Artist, AlbumName, FileSize, PathName, FileName, "
                           "Selected) SELECT SongName, Artist, AlbumName, FileSize, PathName || 'copy/', FileName, "
                           "' ' FROM tblContacts ORDER BY RecordID LIMIT " +
                           QByteArray::number(kDuplicates);
    exec(sql.constData());
}

// Delete duplicates of 10,000 songs: the preview, the question answered, the delete query and
// the grid back on all songs.
void BM_DeleteDuplicates(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        addDuplicates();
        prompts().clear();
        prompts().answer(platform::ui::Answer::Yes);
        state.ResumeTiming();
        window()->mnuDeleteDuplicates_Click();
    }
    state.counters["songs"] = double(songCount());
}
BENCHMARK(BM_DeleteDuplicates)->Unit(benchmark::kMillisecond)->Iterations(3);

// Plain SQLite: the translated delete query alone.
void BM_PlainSqliteDeleteDuplicates(benchmark::State &state) {
    auto &db = *core::g().Db;
    const QByteArray sql = db.translate(db.queryDefSql(QStringLiteral("qdelDuplicates"))).toUtf8();
    for (auto _ : state) {
        state.PauseTiming();
        addDuplicates();
        state.ResumeTiming();
        exec(sql.constData());
    }
    state.counters["songs"] = double(songCount());
}
BENCHMARK(BM_PlainSqliteDeleteDuplicates)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &s) {
        session = &s;
        core::createDuplicateQueries(*core::g().Db);
        reports::registerWindows();
        // The restart shows a new main window: the benchmarks follow it.
        core::hooks().showMainWindow = [] {
            auto *w = platform::ui::form<songlist::NameList>();
            w->Form_Load();
            w->show();
            w->Form_Activate();
            session->window = w;
        };
    });
}
