// The song editor over a catalogue of 100,000 songs sorted by Song Name, the grid's current row
// at the 50,000th, and 20 play lists: the View/Edit command up to the filled window, and Add
// from a template song. The editor's database part (finding the row again, reading its fields,
// the play-list names) is set against the same reads through plain SQLite: the row by RecordID
// and the play lists' names in order.
// Goal: under 50 ms for each opening.
#include "core/AppState.h"
#include "editor/NameEdit.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QLineEdit>

namespace {

constexpr int kSongs = 100000;
constexpr long kRow = 50000;

songlist::NameList *window = nullptr;
long currentId = 0;

void goToRow() {
    window->Data1->setAbsolutePosition(kRow);
    currentId = window->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong();
}

void closeEditor(editor::NameEdit *e) {
    core::g().RecordChanged = false;
    e->close();
    platform::ui::flushUnloadedForms();
}

// View/Edit: the window is created, loads and shows the current song in its boxes.
void BM_ViewEditOpen(benchmark::State &state) {
    goToRow();
    core::g().EditingExistingRecord = true;
    for (auto _ : state) {
        auto *e = platform::ui::form<editor::NameEdit>();
        e->Form_Load();
        benchmark::DoNotOptimize(e->txtSongName->text());
        state.PauseTiming();
        closeEditor(e);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ViewEditOpen)->Unit(benchmark::kMillisecond);

// Add from the template: the grid finds the template song and the window shows it, less the
// song's own fields.
void BM_AddFromTemplate(benchmark::State &state) {
    goToRow();
    core::g().EditingExistingRecord = false;
    for (auto _ : state) {
        state.PauseTiming();
        core::g().TemplateRecordId = currentId;
        window->Data1->moveFirst();
        state.ResumeTiming();
        auto *e = platform::ui::form<editor::NameEdit>();
        e->Form_Load();
        benchmark::DoNotOptimize(e->txtArtist->text());
        state.PauseTiming();
        closeEditor(e);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddFromTemplate)->Unit(benchmark::kMillisecond);

// The editor's reads through the database layer alone: the play lists, finding the row by its
// RecordID in the grid's recordset, and every field of the row.
void BM_EditorDatabasePart(benchmark::State &state) {
    goToRow();
    auto *rs = window->Data1->recordset();
    const QString criteria = QStringLiteral("RecordID = %1").arg(currentId);
    for (auto _ : state) {
        auto lists = core::g().Db->openRecordset(
            QStringLiteral("select ListName, ListID from tblPlayListHeader Order by ListName"),
            platform::db::RecordsetType::Snapshot);
        for (; !lists->eof(); lists->moveNext())
            benchmark::DoNotOptimize(lists->value(0));
        lists->close();
        rs->findFirst(criteria);
        for (int i = 0; i < rs->fieldCount(); ++i)
            benchmark::DoNotOptimize(rs->value(i));
    }
}
BENCHMARK(BM_EditorDatabasePart)->Unit(benchmark::kMillisecond);

// Plain SQLite: the row by RecordID and the play lists' names in order.
void BM_PlainSqliteSameReads(benchmark::State &state) {
    goToRow();
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *row = nullptr, *lists = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM tblContacts WHERE RecordID = ?", -1, &row, nullptr);
    sqlite3_prepare_v2(h, "SELECT ListName, ListID FROM tblPlayListHeader ORDER BY ListName", -1, &lists, nullptr);
    for (auto _ : state) {
        while (sqlite3_step(lists) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(lists, 0));
        sqlite3_reset(lists);
        sqlite3_bind_int64(row, 1, currentId);
        if (sqlite3_step(row) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(row); ++i)
                benchmark::DoNotOptimize(sqlite3_column_text(row, i));
        sqlite3_reset(row);
    }
    sqlite3_finalize(row);
    sqlite3_finalize(lists);
}
BENCHMARK(BM_PlainSqliteSameReads)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        auto &db = *core::g().Db;
        for (int i = 0; i < 20; ++i)
            db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values ('List %1')").arg(i));
        window->setSortText(QStringLiteral("Song Name"));
    });
}
