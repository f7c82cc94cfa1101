// The main window's commands over a catalogue of 100,000 songs: one keystroke of the incremental
// search, a find across all fields, and a mark toggle in the grid. Each is set against the same
// SQL through plain SQLite: the first matching row in the view's order, every row of the find's
// query, and the one-row update of the mark.
// Goals: a keystroke under 20 ms, a find under 0.5 s, a toggle under 20 ms.
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "songlist/FindAllFields.h"
#include "songlist/NameList.h"
#include "songlist/SortOrders.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int kSongs = 100000;

QTemporaryDir *dataDir = nullptr;
songlist::NameList *window = nullptr;
platform::ui::ScriptedPrompts *prompts = nullptr;

void fill(platform::db::Database &db) {
    sqlite3 *h = db.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO tblContacts (SongName, Artist, AlbumName, Year, TrackNum, Genre, Composer, "
                       "PathName, FileName, FileSize, FileSizeNum, FileType, Duration, Notes, PurchaseDate, "
                       "DateUpdated, Selected) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,' ')",
                       -1, &s, nullptr);
    for (int i = 0; i < kSongs; ++i) {
        // Scrambled keys, so no sort finds the rows already in order.
        const unsigned k = (unsigned(i) * 2654435761u) % 1000003u;
        const QByteArray song = QStringLiteral("Song %1 %2").arg(k).arg(i).toUtf8();
        const QByteArray artist = QStringLiteral("Artist %1").arg(k % 5000).toUtf8();
        const QByteArray album = QStringLiteral("Album %1").arg(k % 9000).toUtf8();
        const QByteArray composer = QStringLiteral("Composer %1").arg(k % 700).toUtf8();
        const QByteArray year = QByteArray::number(1950 + int(k % 70));
        const QByteArray path = QStringLiteral("/music/%1/").arg(k % 3000).toUtf8();
        const QByteArray file = QStringLiteral("file%1.mp3").arg(i).toUtf8();
        const QByteArray size = QStringLiteral("%1 MB").arg((k % 2000) / 100.0).toUtf8();
        const QByteArray notes = QStringLiteral("Notes about song %1, recorded live.").arg(k % 40000).toUtf8();
        const QByteArray purchase = QStringLiteral("20%1-0%2-1%3 00:00:00").arg(10 + k % 15).arg(1 + k % 9).arg(k % 10).toUtf8();
        const QByteArray updated = QStringLiteral("20%1-0%2-1%3 12:00:00").arg(10 + k % 15).arg(1 + k % 9).arg(k % 10).toUtf8();
        sqlite3_bind_text(s, 1, song.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, artist.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, album.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 4, year.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 5, int(k % 20));
        sqlite3_bind_text(s, 6, "Rock", -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 7, composer.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 8, path.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 9, file.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 10, size.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(s, 11, (k % 2000) / 100.0);
        sqlite3_bind_text(s, 12, "MP3", -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 13, "00:03:30", -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 14, notes.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 15, purchase.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 16, updated.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

void setUp() {
    dataDir = new QTemporaryDir;
    auto &g = core::g();
    g.DataFolder = dataDir->path() + QStringLiteral("/");
    g.DatabasePath = g.DataFolder + QStringLiteral("OVdata.mdb");
    QFile::copy(QStringLiteral(ORVALIS_EMPTY_CATALOGUE), g.DatabasePath);
    QFile::setPermissions(g.DatabasePath, QFile::ReadOwner | QFile::WriteOwner);
    g.Db = platform::db::Database::open(g.DatabasePath);
    fill(*g.Db);
    g.ContactsTable = g.Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
    g.ProductName = QStringLiteral("Orvalis");
    g.ScreenFontName = QStringLiteral("Arial");
    g.ProgramFolderOverride = dataDir->path();
    prompts = new platform::ui::ScriptedPrompts;
    window = platform::ui::form<songlist::NameList>();
    window->Form_Load();
    window->show();
    window->Form_Activate();
    QCoreApplication::processEvents();
}

// Texts typed into the locate box, each matching first at a different place of the view.
const char *const kArtistPrefixes[] = {"Artist 1", "Artist 2499", "Artist 4999", "Artist 35", "Artist 7"};

// One key of the incremental search on the Artist sort: the box holds the text, the key-up
// searches and the grid follows the found row.
void BM_KeystrokeSearch(benchmark::State &state) {
    window->setSortText(QStringLiteral("Artist"));
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kArtistPrefixes[i++ % std::size(kArtistPrefixes)]);
        window->txtLocate->setText(text);
        window->txtLocate_KeyUp(text.back().unicode(), 0);
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
        window->txtLocate_KeyUp('Y', 0);
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;  // the benchmark's settings stay out of the user's
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvalis"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvalisBench"));
    setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    core::g().ReopeningDatabase = true;
    platform::ui::unloadAllForms();
    platform::ui::flushUnloadedForms();
    delete prompts;
    core::resetState();
    delete dataDir;
    return 0;
}
