// The category commands over a catalogue of 100,000 songs.
// - Show selected: the category view of a category holding every song and of one holding
//   1,000, in the Song Name, Artist and Year orders, until the grid has painted its first rows.
//   Baseline: the same join and order stepped to its end through plain SQLite.
//   Goal: under 0.3 s, within 1.5 times the baseline.
// - Assign, then remove, one category for all 100,000 displayed songs. Baseline: plain SQLite
//   stepping the view's RecordIDs and inserting (deleting) each link with one prepared
//   statement in one transaction. Goal: under 2 s each.
#include "categories/BulkAssignment.h"
#include "categories/CategoryView.h"
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int kSongs = 100000;
constexpr qint64 kEverySong = 1;   // a category holding every song
constexpr qint64 kThousand = 2;    // a category holding every 100th song
constexpr qint64 kBulk = 3;        // the category the bulk commands assign and remove

songlist::NameList *window = nullptr;

const char *const kOrders[] = {" Order By SongName, Artist", " Order By Artist, SongName",
                               " Order By tblContacts!Year, Artist, SongName"};
const char *const kOrderNames[] = {"SongName", "Artist", "Year"};

void exec(const char *sql) { sqlite3_exec(core::g().Db->handle(), sql, nullptr, nullptr, nullptr); }

void makeCategories() {
    exec("INSERT INTO tblCategoryDesc (CategoryNumber, CategoryDesc) VALUES (1, 'Everything'), (2, 'Thousand'), "
         "(3, 'Bulk')");
    exec("INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 1 FROM tblContacts");
    exec("INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 2 FROM tblContacts WHERE RecordID % 100 = 0");
}

// Show selected, up to the grid's first painted rows.
void BM_ShowCategory(benchmark::State &state) {
    const qint64 category = state.range(0);
    core::g().OrderByClause = QString::fromLatin1(kOrders[state.range(1)]);
    state.SetLabel(std::string(category == kEverySong ? "100000 songs, " : "1000 songs, ") + kOrderNames[state.range(1)]);
    for (auto _ : state) {
        categories::CategoryView(*window).showCategory(category, QStringLiteral("Category"));
        window->Table1->viewport()->repaint();
    }
    state.counters["rows"] = double(window->recordCount());
}
BENCHMARK(BM_ShowCategory)
    ->ArgsProduct({{kEverySong, kThousand}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

// Plain SQLite: the view's query stepped to its last row.
void BM_PlainSqliteCategoryJoin(benchmark::State &state) {
    auto &db = *core::g().Db;
    const qint64 category = state.range(0);
    const QString jet = QStringLiteral("Select * from  qryContacts Where ") +
                        categories::CategoryView::categoryClause(category) + QString::fromLatin1(kOrders[state.range(1)]);
    const QByteArray sql = db.translate(jet).toUtf8();
    state.SetLabel(std::string(category == kEverySong ? "100000 songs, " : "1000 songs, ") + kOrderNames[state.range(1)]);
    long rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr);
        rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW)
            rows += sqlite3_column_int64(s, 0) > 0;
        sqlite3_finalize(s);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_PlainSqliteCategoryJoin)
    ->ArgsProduct({{kEverySong, kThousand}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

void showAllSongs() {
    core::g().OrderByClause = QString::fromLatin1(kOrders[0]);
    categories::CategoryView(*window).showAllSongs();
}

// Every displayed song into the bulk category, through the window's walk.
void BM_AssignAllDisplayed(benchmark::State &state) {
    showAllSongs();
    auto &db = *core::g().Db;
    for (auto _ : state) {
        state.PauseTiming();
        exec("DELETE FROM tblCategoryID WHERE CategoryNumber = 3");
        state.ResumeTiming();
        const auto counts = categories::BulkAssignment::assignAll(db, *window->Data1->recordset(), kBulk);
        benchmark::DoNotOptimize(counts.changed);
    }
}
BENCHMARK(BM_AssignAllDisplayed)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RemoveAllDisplayed(benchmark::State &state) {
    showAllSongs();
    auto &db = *core::g().Db;
    for (auto _ : state) {
        state.PauseTiming();
        exec("DELETE FROM tblCategoryID WHERE CategoryNumber = 3");
        exec("INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 3 FROM tblContacts");
        state.ResumeTiming();
        const auto counts = categories::BulkAssignment::removeAll(db, *window->Data1->recordset(), kBulk);
        benchmark::DoNotOptimize(counts.changed);
    }
}
BENCHMARK(BM_RemoveAllDisplayed)->Unit(benchmark::kMillisecond)->Iterations(3);

// Plain SQLite: the view's RecordIDs stepped and one prepared statement per link, in one
// transaction.
void plainLinks(benchmark::State &state, const char *write, bool assigned) {
    auto &db = *core::g().Db;
    const QByteArray select =
        db.translate(QStringLiteral("Select RecordID from  tblContacts") + QString::fromLatin1(kOrders[0])).toUtf8();
    for (auto _ : state) {
        state.PauseTiming();
        exec("DELETE FROM tblCategoryID WHERE CategoryNumber = 3");
        if (assigned)
            exec("INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 3 FROM tblContacts");
        state.ResumeTiming();
        exec("BEGIN");
        sqlite3_stmt *ids = nullptr;
        sqlite3_stmt *w = nullptr;
        sqlite3_prepare_v2(db.handle(), select.constData(), -1, &ids, nullptr);
        sqlite3_prepare_v2(db.handle(), write, -1, &w, nullptr);
        while (sqlite3_step(ids) == SQLITE_ROW) {
            sqlite3_bind_int64(w, 1, sqlite3_column_int64(ids, 0));
            sqlite3_bind_int64(w, 2, kBulk);
            sqlite3_step(w);
            sqlite3_reset(w);
        }
        sqlite3_finalize(w);
        sqlite3_finalize(ids);
        exec("COMMIT");
    }
}

void BM_PlainSqliteInsertLinks(benchmark::State &state) {
    plainLinks(state, "INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (?, ?)", false);
}
BENCHMARK(BM_PlainSqliteInsertLinks)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteDeleteLinks(benchmark::State &state) {
    plainLinks(state, "DELETE FROM tblCategoryID WHERE ID = ? AND CategoryNumber = ?", true);
}
BENCHMARK(BM_PlainSqliteDeleteLinks)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        makeCategories();
    });
}
