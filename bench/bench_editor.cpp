// The song editor over a catalogue of 100,000 songs sorted by Song Name, the grid's current row
// at the 50,000th, and 20 play lists: the View/Edit command up to the filled window, and Add
// from a template song. The editor's database part (finding the row again, reading its fields,
// the play-list names) is set against the same reads through plain SQLite: the row by RecordID
// and the play lists' names in order.
// Goal: under 50 ms for each opening.
//
// The save of a changed song from the click to the commit (checks, ID query, write), and the
// same with a rename that re-points 20 play-list tracks: under 30 ms each. The Save button's
// whole road until the grid shows the song again: the grid's own Refresh, timed alone in the
// same run, plus at most 30 ms. Baseline: the ID query and an UPDATE of the 36 fields by
// RecordID in plain SQLite.
//
// The record commands: Next and Previous without changes at the start, middle and end of the
// grid, Add New blank and from a template: under 30 ms each. Next after a change (the save
// refreshes the grid) and Delete of a middle row: the grid's Refresh plus at most 30 ms.
// Baselines: plain SQLite reading the next row in Song Name order (a keyset query), the
// template row by RecordID, and the DELETE by RecordID.
#include "core/AppState.h"
#include "editor/NameEdit.h"
#include "editor/SaveCommand.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr int kSongs = 100000;
constexpr long kRow = 50000;

songlist::NameList *window = nullptr;
long currentId = 0;

void goToRow() {
    window->Data1->setAbsolutePosition(kRow);
    currentId = window->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong();
}

// Steps a prepared statement once, reads every column of the row it finds, and resets it.
void readRow(sqlite3_stmt *s) {
    if (sqlite3_step(s) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(s); ++i)
            benchmark::DoNotOptimize(sqlite3_column_text(s, i));
    sqlite3_reset(s);
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
        readRow(row);
    }
    sqlite3_finalize(row);
    sqlite3_finalize(lists);
}
BENCHMARK(BM_PlainSqliteSameReads)->Unit(benchmark::kMillisecond);

// The editor open on the grid's current song with a change in a box.
editor::NameEdit *changedEditor(const QString &artist) {
    core::g().EditingExistingRecord = true;
    auto *e = platform::ui::form<editor::NameEdit>();
    e->Form_Load();
    // The catalogue's folders are made up; the save checks that the song's folder exists.
    static QTemporaryDir folder;
    editor::NameEdit::setBoxText(e->txtPathName, folder.path() + QStringLiteral("/"));
    editor::NameEdit::setBoxText(e->txtID, QStringLiteral("B-1"));
    editor::NameEdit::setBoxText(e->txtArtist, artist);
    core::g().RecordChanged = true; // as typing marks it
    return e;
}

// Click to commit: the checks, the ID query and the write of a changed song.
void BM_SaveChangedSong(benchmark::State &state) {
    goToRow();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto *e = changedEditor(QStringLiteral("Artist %1").arg(++n));
        state.ResumeTiming();
        if (editor::SaveCommand(*e).checkAndWrite() != editor::SaveCommand::Result::Written) {
            const QString why = static_cast<platform::ui::ScriptedPrompts &>(platform::ui::prompts()).lastMessage();
            state.SkipWithError(("not written: " + why.toStdString()).c_str());
            break;
        }
        state.PauseTiming();
        closeEditor(e);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveChangedSong)->Unit(benchmark::kMillisecond);

// The same with the file renamed on disk and 20 play-list tracks re-pointed.
void BM_SaveWithRename(benchmark::State &state) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    QFile f(folder + QStringLiteral("a.mp3"));
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(4 << 20, 'x'));
    f.close();
    goToRow();
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Update tblContacts Set PathName = ?, FileName = 'a.mp3' Where RecordID = ?"),
               {folder, qint64(currentId)});
    for (int i = 0; i < 20; ++i)
        db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, FileName) Values (?, 1, ?)"),
                   {i + 1, folder + QStringLiteral("a.mp3")});
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->Data1->refresh();
        goToRow();
        auto *e = changedEditor(QStringLiteral("Artist %1").arg(++n));
        editor::NameEdit::setBoxText(e->txtPathName, folder);
        editor::NameEdit::setBoxText(e->txtFileName, n % 2 ? QStringLiteral("b.mp3") : QStringLiteral("a.mp3"));
        state.ResumeTiming();
        if (editor::SaveCommand(*e).checkAndWrite() != editor::SaveCommand::Result::Written) {
            const QString why = static_cast<platform::ui::ScriptedPrompts &>(platform::ui::prompts()).lastMessage();
            state.SkipWithError(("not written: " + why.toStdString()).c_str());
            break;
        }
        state.PauseTiming();
        closeEditor(e);
        state.ResumeTiming();
    }
    window->Data1->refresh();
}
BENCHMARK(BM_SaveWithRename)->Unit(benchmark::kMillisecond);

// The Save button's whole road: checks, write, the window closing, the grid refreshed and
// standing on the saved song again.
void BM_SaveUntilTheGridShowsTheSong(benchmark::State &state) {
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        goToRow();
        auto *e = changedEditor(QStringLiteral("Artist %1").arg(++n));
        state.ResumeTiming();
        e->cmdSave_Click();
        state.PauseTiming();
        platform::ui::flushUnloadedForms();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveUntilTheGridShowsTheSong)->Unit(benchmark::kMillisecond);

// The grid's own Refresh, the part of the road above that is not the editor's.
void BM_GridRefresh(benchmark::State &state) {
    for (auto _ : state)
        window->Data1->refresh();
}
BENCHMARK(BM_GridRefresh)->Unit(benchmark::kMillisecond);

// Plain SQLite: the ID query and an UPDATE of the 36 fields by RecordID.
void BM_PlainSqliteIdQueryAndUpdate(benchmark::State &state) {
    goToRow();
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *id = nullptr, *upd = nullptr;
    sqlite3_prepare_v2(h, "SELECT ID, SongName FROM tblContacts WHERE ID = ? AND RecordID <> ?", -1, &id, nullptr);
    const char *fields[] = {"SongName", "Artist", "ID", "BPM", "Composer", "AlbumName", "Genre", "bitRate",
                            "Duration", "TrackText", "FileSize", "TrackNum", "PathName", "FileName", "Rating",
                            "Year", "PurchaseDate", "Date2_Desc", "Date2", "MiscField1_Desc", "MiscField1",
                            "MiscField2_Desc", "MiscField2", "MiscField3_Desc", "MiscField3", "code",
                            "DateUpdated", "Notes", "PicturePath1", "PicturePath2", "PicturePath3",
                            "PicturePath4", "PicturePath5", "PicturePath6", "PicturePath7", "PicturePath8"};
    QByteArray sql = "UPDATE tblContacts SET ";
    for (int i = 0; i < 36; ++i)
        sql += QByteArray(i ? ", " : "") + fields[i] + " = ?";
    sql += " WHERE RecordID = ?";
    sqlite3_prepare_v2(h, sql.constData(), -1, &upd, nullptr);
    int n = 0;
    for (auto _ : state) {
        sqlite3_bind_text(id, 1, "B-1", -1, SQLITE_STATIC);
        sqlite3_bind_int64(id, 2, currentId);
        while (sqlite3_step(id) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(id, 1));
        sqlite3_reset(id);
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        const QByteArray artist = QByteArray("Plain ") + QByteArray::number(++n);
        for (int i = 0; i < 36; ++i) {
            const char *v = i == 1 ? artist.constData() : (i == 16 || i == 18 || i == 26) ? "2024-01-01 00:00:00"
                                                        : i == 11                         ? "7"
                                                                                          : "x";
            sqlite3_bind_text(upd, i + 1, v, -1, SQLITE_TRANSIENT);
        }
        sqlite3_bind_int64(upd, 37, currentId);
        sqlite3_step(upd);
        sqlite3_reset(upd);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(id);
    sqlite3_finalize(upd);
}
BENCHMARK(BM_PlainSqliteIdQueryAndUpdate)->Unit(benchmark::kMillisecond);

// The editor open on a song of the grid, as View/Edit leaves it.
editor::NameEdit *editorAt(long position) {
    window->Data1->setAbsolutePosition(position);
    core::g().EditingExistingRecord = true;
    auto *e = platform::ui::form<editor::NameEdit>();
    e->Form_Load();
    return e;
}

// Next and Previous without changes, from the first, middle and next-to-last rows.
void stepBenchmark(benchmark::State &state, void (editor::NameEdit::*command)()) {
    const long position = std::min<long>(state.range(0), window->Data1->recordCount() - 1);
    auto *e = editorAt(position);
    for (auto _ : state) {
        state.PauseTiming();
        window->Data1->setAbsolutePosition(position);
        state.ResumeTiming();
        (e->*command)();
    }
    closeEditor(e);
}
void BM_NextUnchanged(benchmark::State &state) { stepBenchmark(state, &editor::NameEdit::cmdNext_Click); }
void BM_PrevUnchanged(benchmark::State &state) { stepBenchmark(state, &editor::NameEdit::cmdPrev_Click); }
BENCHMARK(BM_NextUnchanged)->Arg(0)->Arg(kRow)->Arg(kSongs - 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrevUnchanged)->Arg(1)->Arg(kRow)->Arg(kSongs - 1)->Unit(benchmark::kMillisecond);

// Add New: arg 0 blank, 1 from a template song in the middle of the grid (the grid starting on
// its first row, so the find crosses half of it).
void BM_AddNew(benchmark::State &state) {
    auto *e = editorAt(kRow);
    const long templateId = currentId = window->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong();
    for (auto _ : state) {
        state.PauseTiming();
        core::g().TemplateRecordId = state.range(0) ? templateId : 0;
        core::g().RecordChanged = false;
        window->Data1->moveFirst();
        state.ResumeTiming();
        e->cmdAddNew_Click();
    }
    core::g().TemplateRecordId = 0;
    closeEditor(e);
}
BENCHMARK(BM_AddNew)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Next after a change: the save's checks and write, the grid refreshed and standing on the
// saved song, then the next song shown.
void BM_NextAfterChange(benchmark::State &state) {
    static QTemporaryDir folder;
    auto *e = editorAt(kRow);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->Data1->setAbsolutePosition(kRow);
        e->MoveDataToForm();
        editor::NameEdit::setBoxText(e->txtPathName, folder.path() + QStringLiteral("/"));
        editor::NameEdit::setBoxText(e->txtArtist, QStringLiteral("Next %1").arg(++n));
        state.ResumeTiming();
        e->cmdNext_Click();
    }
    closeEditor(e);
}
BENCHMARK(BM_NextAfterChange)->Unit(benchmark::kMillisecond);

// Delete of a middle row: the question answered Yes (its default), the DELETE, the grid
// refreshed and the next song found and shown.
void BM_DeleteMiddleRow(benchmark::State &state) {
    auto *e = editorAt(kRow);
    for (auto _ : state) {
        state.PauseTiming();
        window->Data1->setAbsolutePosition(kRow);
        e->MoveDataToForm();
        state.ResumeTiming();
        e->cmdDelete_Click();
    }
    closeEditor(e);
}
BENCHMARK(BM_DeleteMiddleRow)->Unit(benchmark::kMillisecond);

// Plain SQLite: the row after a song in Song Name order, by a keyset query.
void BM_PlainSqliteNextBySongName(benchmark::State &state) {
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *next = nullptr;
    sqlite3_prepare_v2(h,
                       "SELECT * FROM tblContacts WHERE SongName > ?1 OR (SongName = ?1 AND RecordID > ?2) "
                       "ORDER BY SongName, RecordID LIMIT 1",
                       -1, &next, nullptr);
    // Delete's runs above may have shortened the grid by a few rows.
    window->Data1->setAbsolutePosition(std::min<long>(state.range(0), window->Data1->recordCount() - 2));
    const QByteArray song = window->Data1->recordset()->value(QStringLiteral("SongName")).toString().toUtf8();
    const qint64 id = window->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong();
    for (auto _ : state) {
        sqlite3_bind_text(next, 1, song.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(next, 2, id);
        readRow(next);
    }
    sqlite3_finalize(next);
}
BENCHMARK(BM_PlainSqliteNextBySongName)->Arg(0)->Arg(kRow)->Arg(kSongs - 2)->Unit(benchmark::kMillisecond);

// Plain SQLite: the template row by RecordID.
void BM_PlainSqliteTemplateRow(benchmark::State &state) {
    goToRow();
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *row = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM tblContacts WHERE RecordID = ?", -1, &row, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int64(row, 1, currentId);
        readRow(row);
    }
    sqlite3_finalize(row);
}
BENCHMARK(BM_PlainSqliteTemplateRow)->Unit(benchmark::kMillisecond);

// Plain SQLite: the DELETE by RecordID of a row added untimed.
void BM_PlainSqliteDeleteByRecordId(benchmark::State &state) {
    sqlite3 *h = core::g().Db->handle();
    sqlite3_stmt *del = nullptr;
    sqlite3_prepare_v2(h, "DELETE FROM tblContacts WHERE RecordID = ?", -1, &del, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3_exec(h, "INSERT INTO tblContacts (SongName) VALUES ('Gone')", nullptr, nullptr, nullptr);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(h);
        state.ResumeTiming();
        sqlite3_bind_int64(del, 1, id);
        sqlite3_step(del);
        sqlite3_reset(del);
    }
    sqlite3_finalize(del);
}
BENCHMARK(BM_PlainSqliteDeleteByRecordId)->Unit(benchmark::kMillisecond);

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
