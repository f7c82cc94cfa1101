// The catalogue clean-up over 100,000 songs whose files lie (empty) in 1,000 folders:
// - the check for missing music files, from the menu command to the message, against a plain
//   stat() loop over the same paths read through the SQLite C API (goal: 50,000 songs/s);
// - the folder change of all 100,000 songs through its window (counts, question, the update in
//   one transaction, the grid read again), against one plain UPDATE with replace() (goal: 2 s);
// - an Artist replace over all songs through the find-and-replace window, against the same
//   plain UPDATE on Artist (goal: 2 s);
// - the check of 10,000 pictures against the songs' eight picture fields, answered "leave them",
//   against the same reading of the fields and listing of the folder in plain SQLite and Qt
//   (goal: 1 s).
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "reports/OrphanedPictures.h"
#include "reports/Reports.h"
#include "reports/frmChangeFilePath.h"
#include "reports/frmReplace.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSet>

#include <sys/stat.h>

namespace {

constexpr int kSongs = 100000;
constexpr int kFolders = 1000;
constexpr int kPictures = 10000;

songlist::NameList *window = nullptr;
platform::ui::ScriptedPrompts *prompts = nullptr;
QString musicRoot;  // ".../music/", holding the folders 0 to 999

sqlite3 *handle() { return core::g().Db->handle(); }

void exec(const char *sql) { sqlite3_exec(handle(), sql, nullptr, nullptr, nullptr); }

// Every song in folder RecordID % 1000 under the music root, its empty file made there; the
// first 5,000 songs name one picture each (alternately in slot 1 and, in capitals, in slot 8),
// and the pictures folder holds 10,000 pictures, half of them named by no song.
void makeFiles() {
    musicRoot = core::g().DataFolder + QStringLiteral("music/");
    for (int f = 0; f < kFolders; ++f)
        QDir().mkpath(musicRoot + QString::number(f));
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(handle(), "UPDATE tblContacts SET PathName = ?1 || (RecordID % 1000) || '/'", -1, &s, nullptr);
    const QByteArray root = musicRoot.toUtf8();
    sqlite3_bind_text(s, 1, root.constData(), -1, SQLITE_TRANSIENT);
    exec("BEGIN");
    sqlite3_step(s);
    sqlite3_finalize(s);
    exec("UPDATE tblContacts SET PicturePath1 = 'pic' || RecordID || '.jpg' WHERE RecordID <= 5000 AND RecordID % 2 = 0");
    exec("UPDATE tblContacts SET PicturePath8 = 'PIC' || RecordID || '.JPG' WHERE RecordID <= 5000 AND RecordID % 2 = 1");
    exec("COMMIT");
    sqlite3_prepare_v2(handle(), "SELECT PathName || FileName FROM tblContacts", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        QFile f(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))));
        f.open(QIODevice::WriteOnly);
    }
    sqlite3_finalize(s);
    const QString pics = core::g().DataFolder + QStringLiteral("Pictures/");
    QDir().mkpath(pics);
    for (int i = 1; i <= kPictures; ++i) {
        QFile f(pics + QStringLiteral("pic%1.jpg").arg(i));
        f.open(QIODevice::WriteOnly);
    }
}

// The menu command: every song tested, none missing, the message answered.
void BM_MissingFilesCheck(benchmark::State &state) {
    for (auto _ : state) {
        prompts->clear();
        window->mnuFindInvalidFilenames_Click();
    }
    if (prompts->lastMessage() != QLatin1String("No records with invalid path/file names exist."))
        state.SkipWithError("the check did not find every file");
    state.SetItemsProcessed(state.iterations() * kSongs);
}
BENCHMARK(BM_MissingFilesCheck)->Unit(benchmark::kMillisecond);

// Plain: the same paths read through SQLite, each tested with stat().
void BM_PlainStatLoop(benchmark::State &state) {
    long missing = 0;
    for (auto _ : state) {
        missing = 0;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(handle(), "SELECT RecordID, PathName, FileName FROM tblContacts", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            const QByteArray path = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 1))) +
                                    reinterpret_cast<const char *>(sqlite3_column_text(s, 2));
            struct stat st {};
            missing += ::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode);
        }
        sqlite3_finalize(s);
    }
    state.counters["missing"] = double(missing);
    state.SetItemsProcessed(state.iterations() * kSongs);
}
BENCHMARK(BM_PlainStatLoop)->Unit(benchmark::kMillisecond);

// The two folder texts a change goes between, so every run rewrites all 100,000 rows.
QString folderText(long run) { return run % 2 ? QStringLiteral("/musik/") : QStringLiteral("/music/"); }

void BM_FolderChangeWindow(benchmark::State &state) {
    long run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto *f = platform::ui::form<reports::frmChangeFilePath>();
        f->txtOrigPath->setText(folderText(run));
        f->txtNewPath->setText(folderText(run + 1));
        prompts->clear();
        prompts->answer(platform::ui::Answer::Yes);
        state.ResumeTiming();
        f->OKButton_Click();
        state.PauseTiming();
        platform::ui::flushUnloadedForms();
        ++run;
        state.ResumeTiming();
    }
    if (!prompts->lastMessage().endsWith(QLatin1String(": 100000")))
        state.SkipWithError(qPrintable(prompts->lastMessage()));
    if (run % 2) {
        auto *f = platform::ui::form<reports::frmChangeFilePath>();
        f->txtOrigPath->setText(folderText(1));
        f->txtNewPath->setText(folderText(0));
        prompts->answer(platform::ui::Answer::Yes);
        f->OKButton_Click();
    }
}
BENCHMARK(BM_FolderChangeWindow)->Unit(benchmark::kMillisecond);

// Plain: one UPDATE with SQLite's replace() in a transaction, on the same connection (the
// layer's collations registered).
void plainUpdate(benchmark::State &state, const char *sql, const QString &a, const QString &b) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(handle(), sql, -1, &s, nullptr);
    long run = 0, changed = 0;
    for (auto _ : state) {
        const QByteArray from = (run % 2 ? b : a).toUtf8(), to = (run % 2 ? a : b).toUtf8();
        sqlite3_bind_text(s, 1, from.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, to.constData(), -1, SQLITE_TRANSIENT);
        exec("BEGIN");
        sqlite3_step(s);
        exec("COMMIT");
        changed = sqlite3_changes(handle());
        sqlite3_reset(s);
        ++run;
    }
    if (run % 2) {
        const QByteArray from = b.toUtf8(), to = a.toUtf8();
        sqlite3_bind_text(s, 1, from.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, to.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
    }
    sqlite3_finalize(s);
    state.counters["rows"] = double(changed);
}

void BM_PlainSqliteFolderUpdate(benchmark::State &state) {
    plainUpdate(state, "UPDATE tblContacts SET PathName = replace(PathName, ?1, ?2) WHERE instr(PathName, ?1) > 0",
                folderText(0), folderText(1));
}
BENCHMARK(BM_PlainSqliteFolderUpdate)->Unit(benchmark::kMillisecond);

QString artistText(long run) { return run % 2 ? QStringLiteral("Performer ") : QStringLiteral("Artist "); }

void BM_ArtistReplaceWindow(benchmark::State &state) {
    long run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto *f = platform::ui::form<reports::frmReplace>();
        f->optArtistName->setChecked(true);
        f->txtOrig->setText(artistText(run));
        f->txtNew->setText(artistText(run + 1));
        prompts->clear();
        prompts->answer(platform::ui::Answer::Yes);
        state.ResumeTiming();
        f->cmdOK_Click();
        state.PauseTiming();
        platform::ui::flushUnloadedForms();
        ++run;
        state.ResumeTiming();
    }
    if (prompts->lastMessage() != QLatin1String("Update completed."))
        state.SkipWithError(qPrintable(prompts->lastMessage()));
    if (run % 2)
        core::g().Db->execute(QStringLiteral("Update tblContacts Set Artist = Replace(Artist, 'Performer ', 'Artist ')"));
}
BENCHMARK(BM_ArtistReplaceWindow)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteArtistUpdate(benchmark::State &state) {
    plainUpdate(state, "UPDATE tblContacts SET Artist = replace(Artist, ?1, ?2) WHERE instr(Artist, ?1) > 0",
                artistText(0), artistText(1));
}
BENCHMARK(BM_PlainSqliteArtistUpdate)->Unit(benchmark::kMillisecond);

// The command up to its question, answered No twice: the pictures are left where they are.
void BM_OrphanCheck(benchmark::State &state) {
    for (auto _ : state) {
        prompts->clear();
        prompts->answer(platform::ui::Answer::No);
        prompts->answer(platform::ui::Answer::No);
        reports::OrphanedPictures::OphanedPictures_Click();
    }
    if (prompts->asked().isEmpty() ||
        !prompts->asked().first().text.startsWith(QLatin1String("Number of orphaned pictures found: 5000.")))
        state.SkipWithError("not 5,000 orphans");
}
BENCHMARK(BM_OrphanCheck)->Unit(benchmark::kMillisecond);

// Plain: the folder listed by Qt, the eight fields read through SQLite into a lower-case set.
void BM_PlainSqliteOrphanCheck(benchmark::State &state) {
    const QString pics = core::g().DataFolder + QStringLiteral("Pictures/");
    long orphans = 0;
    for (auto _ : state) {
        const QStringList files = QDir(pics).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        QSet<QString> named;
        for (int slot = 1; slot <= 8; ++slot) {
            const QByteArray sql =
                QStringLiteral("SELECT DISTINCT PicturePath%1 FROM tblContacts WHERE PicturePath%1 IS NOT NULL")
                    .arg(slot)
                    .toUtf8();
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(handle(), sql.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                named.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))).toLower());
            sqlite3_finalize(s);
        }
        orphans = 0;
        for (const QString &f : files)
            orphans += !named.contains(f.toLower());
    }
    state.counters["orphans"] = double(orphans);
}
BENCHMARK(BM_PlainSqliteOrphanCheck)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        prompts = session.prompts.get();
        reports::registerWindows();
        makeFiles();
        window->ShowAllMenu_Click();
    });
}
