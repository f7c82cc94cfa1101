// What the benchmarks share: a writable copy of the empty catalogue, a catalogue of generated
// songs, and a program set up around it with the main window shown.
#pragma once

#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "songlist/NameList.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace bench {

// Copies the empty catalogue of the build to path and makes the copy writable.
inline void copyEmptyCatalogue(const QString &path) {
    QFile::copy(QStringLiteral(ORVALIS_EMPTY_CATALOGUE), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Adds `songs` generated songs to tblContacts in one transaction, through plain SQLite.
inline void fillSongs(platform::db::Database &db, int songs) {
    sqlite3 *h = db.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO tblContacts (SongName, Artist, AlbumName, Year, TrackNum, Genre, Composer, "
                       "PathName, FileName, FileSize, FileSizeNum, FileType, Duration, Notes, PurchaseDate, "
                       "DateUpdated, Selected) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,' ')",
                       -1, &s, nullptr);
    for (int i = 0; i < songs; ++i) {
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

// Plain SQLite: prepares `sql` (SQLite text) and steps it to its last row; gives the rows.
inline long stepToEnd(sqlite3 *db, const QByteArray &sql) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    long rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(s);
    return rows;
}

// The program over a catalogue of generated songs in a temporary data folder, with the main
// window loaded, shown and activated. Questions go to scripted prompts, so none can wait for a
// click.
class MainWindowSession {
public:
    explicit MainWindowSession(int songs) {
        auto &g = core::g();
        g.DataFolder = dataDir_.path() + QStringLiteral("/");
        g.DatabasePath = g.DataFolder + QStringLiteral("OVdata.mdb");
        copyEmptyCatalogue(g.DatabasePath);
        g.Db = platform::db::Database::open(g.DatabasePath);
        fillSongs(*g.Db, songs);
        start();
    }
    // Over a catalogue kept elsewhere (too large to copy for each run), used where it lies.
    explicit MainWindowSession(const QString &catalogue) {
        auto &g = core::g();
        g.DataFolder = dataDir_.path() + QStringLiteral("/");
        g.DatabasePath = catalogue;
        g.Db = platform::db::Database::open(g.DatabasePath);
        start();
    }
    ~MainWindowSession() {
        core::g().ReopeningDatabase = true;
        platform::ui::unloadAllForms();
        platform::ui::flushUnloadedForms();
        prompts.reset();
        core::resetState();
    }
    MainWindowSession(const MainWindowSession &) = delete;
    MainWindowSession &operator=(const MainWindowSession &) = delete;

    std::unique_ptr<platform::ui::ScriptedPrompts> prompts;
    songlist::NameList *window = nullptr;

private:
    void start() {
        auto &g = core::g();
        g.ContactsTable = g.Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
        g.ProductName = QStringLiteral("Orvalis");
        g.ScreenFontName = QStringLiteral("Arial");
        g.ProgramFolderOverride = dataDir_.path();
        prompts = std::make_unique<platform::ui::ScriptedPrompts>();
        window = platform::ui::form<songlist::NameList>();
        window->Form_Load();
        window->show();
        window->Form_Activate();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dataDir_;
};

// Runs the registered benchmarks offscreen, with settings kept out of the user's, after
// start() has set up the program; the session ends before the application does.
inline int runMainWindowBenchmarks(int argc, char **argv, int songs,
                                   const std::function<void(MainWindowSession &)> &start) {
    QTemporaryDir config;
    prepareOffscreen(config);
    QApplication app(argc, argv);
    nameBenchApplication();
    {
        MainWindowSession session(songs);
        start(session);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}

} // namespace bench
