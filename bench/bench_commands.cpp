// The main window's commands over a catalogue of 100,000 songs: one keystroke of the incremental
// search (in all songs and in a find view), a find across all fields, and a mark toggle in the
// grid. Each is set against the same SQL through plain SQLite: the first matching row in the
// view's order, every row of the find's query, and the one-row update of the mark.
// Goals: a keystroke under 20 ms (under 50 ms in a find view), a find under 0.5 s, a toggle
// under 20 ms.
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "songlist/FindAllFields.h"
#include "songlist/NameList.h"
#include "songlist/SortOrders.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QLineEdit>

namespace {

constexpr int kSongs = 100000;

songlist::NameList *window = nullptr;
platform::ui::ScriptedPrompts *prompts = nullptr;

// Texts typed into the locate box, each matching first at a different place of the view.
const char *const kArtistPrefixes[] = {"Artist 1", "Artist 2499", "Artist 4999", "Artist 35", "Artist 7"};

// One key of the incremental search on the Artist sort: the box holds the text, its change
// searches and the grid follows the found row.
void BM_KeystrokeSearch(benchmark::State &state) {
    window->setSortText(QStringLiteral("Artist"));
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kArtistPrefixes[i++ % std::size(kArtistPrefixes)]);
        window->txtLocate->setText(text);
        window->txtLocate_Change();
    }
}
BENCHMARK(BM_KeystrokeSearch)->Unit(benchmark::kMillisecond);

// The recordset's FindFirst alone, without the grid following the row.
void BM_FindFirstOnly(benchmark::State &state) {
    window->setSortText(QStringLiteral("Artist"));
    auto *rs = window->Data1->recordset();
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kArtistPrefixes[i++ % std::size(kArtistPrefixes)]);
        rs->findFirst(QStringLiteral("Artist like \"") + text + QStringLiteral("*\""));
    }
}
BENCHMARK(BM_FindFirstOnly)->Unit(benchmark::kMillisecond);

// The same key when nothing matches: the whole view is tried and the row stays.
void BM_KeystrokeNoMatch(benchmark::State &state) {
    window->setSortText(QStringLiteral("Artist"));
    for (auto _ : state) {
        window->txtLocate->setText(QStringLiteral("Nobody"));
        window->txtLocate_Change();
    }
}
BENCHMARK(BM_KeystrokeNoMatch)->Unit(benchmark::kMillisecond);

// Plain SQLite: the first row of the view's order whose artist starts with the text.
void BM_PlainSqliteFirstMatch(benchmark::State &state) {
    auto &db = *core::g().Db;
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kArtistPrefixes[i++ % std::size(kArtistPrefixes)]);
        const QByteArray sql = (db.translate(QStringLiteral("Select RecordID from tblContacts Where Artist like \"") +
                                             text + QStringLiteral("*\" Order By Artist, SongName")) +
                                QStringLiteral(" LIMIT 1"))
                                   .toUtf8();
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
    }
}
BENCHMARK(BM_PlainSqliteFirstMatch)->Unit(benchmark::kMillisecond);

// Album texts of a find view ("Album 77" is in 111 of the 9000 albums) and the artists typed in
// it, each matching first at a different place of the view.
const char *const kFindText = "Album 77";
const char *const kFindViewPrefixes[] = {"Artist 1", "Artist 24", "Artist 49", "Artist 3", "Artist 7"};

// Sets up the find view of kFindText sorted by artist (untimed by the callers).
void openFindView() {
    window->ShowAllMenu_Click();
    window->setSortText(QStringLiteral("Artist"));
    prompts->answerInput(QString::fromLatin1(kFindText));
    window->FindEditMenu_Click();
}

// One key of the incremental search in a find view: its WHERE tests every field of every row,
// so a search that ran it again would cost a pass over the whole catalogue.
void BM_KeystrokeInFindView(benchmark::State &state) {
    openFindView();
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kFindViewPrefixes[i++ % std::size(kFindViewPrefixes)]);
        window->txtLocate->setText(text);
        window->txtLocate_Change();
    }
    state.counters["rows"] = double(window->recordCount());
    window->ShowAllMenu_Click();
}
BENCHMARK(BM_KeystrokeInFindView)->Unit(benchmark::kMillisecond);

// Plain SQLite: the first row of the find view, in its order, whose artist starts with the text.
void BM_PlainSqliteFirstMatchInFindView(benchmark::State &state) {
    auto &db = *core::g().Db;
    auto rs = db.openRecordset(QStringLiteral("Select * from tblContacts"));
    QStringList fields;
    for (int f = 0; f < rs->fieldCount(); ++f)
        fields << rs->fieldName(f);
    rs->close();
    const QString where =
        songlist::FindAllFields::whereBody(fields, QString::fromLatin1(kFindText));
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kFindViewPrefixes[i++ % std::size(kFindViewPrefixes)]);
        const QByteArray sql = (db.translate(QStringLiteral("Select RecordID from tblContacts Where") + where +
                                             QStringLiteral(" And Artist like \"") + text +
                                             QStringLiteral("*\" Order By Artist, SongName")) +
                                QStringLiteral(" LIMIT 1"))
                                   .toUtf8();
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
    }
}
BENCHMARK(BM_PlainSqliteFirstMatchInFindView)->Unit(benchmark::kMillisecond);

// Find across all fields from the all-songs view, until the result is bound to the grid.
void BM_FindAllFields(benchmark::State &state) {
    window->setSortText(QStringLiteral("Song Name"));
    long found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->ShowAllMenu_Click();
        prompts->answerInput(QStringLiteral("Album 77"));
        state.ResumeTiming();
        window->FindEditMenu_Click();
        found = window->recordCount();
    }
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_FindAllFields)->Unit(benchmark::kMillisecond);

// Plain SQLite: every row of the find's query, in the view's order.
void BM_PlainSqliteFindQuery(benchmark::State &state) {
    auto &db = *core::g().Db;
    auto rs = db.openRecordset(QStringLiteral("Select * from tblContacts"));
    QStringList fields;
    for (int i = 0; i < rs->fieldCount(); ++i)
        fields << rs->fieldName(i);
    rs->close();
    const QString jet = QStringLiteral("Select DISTINCTROW * from  tblContacts Where ") +
                        songlist::FindAllFields::whereBody(fields, QStringLiteral("Album 77")) +
                        QStringLiteral(" Order By SongName, Artist");
    const QByteArray sql = db.translate(jet).toUtf8();
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
BENCHMARK(BM_PlainSqliteFindQuery)->Unit(benchmark::kMillisecond);

// A click in the mark column: the row change toggles the mark, stores it and steps on to
// column 1.
void BM_MarkToggle(benchmark::State &state) {
    window->ShowAllMenu_Click();
    window->setSortText(QStringLiteral("Song Name"));
    window->Data1->setAbsolutePosition(kSongs / 2);
    for (auto _ : state) {
        window->MarkColumnClicked = true;
        window->Table1->setCol(1);
        window->Table1->setCol(0);
    }
}
BENCHMARK(BM_MarkToggle)->Unit(benchmark::kMillisecond);

// Plain SQLite: the same one-row update of the mark.
void BM_PlainSqliteMarkUpdate(benchmark::State &state) {
    auto &db = *core::g().Db;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db.handle(),
                       "UPDATE tblContacts SET Selected = CASE WHEN Selected = 'x' THEN ' ' ELSE 'x' END "
                       "WHERE RecordID = 50000",
                       -1, &s, nullptr);
    for (auto _ : state) {
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_PlainSqliteMarkUpdate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        prompts = session.prompts.get();
    });
}
