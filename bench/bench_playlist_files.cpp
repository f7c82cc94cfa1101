// Play lists leaving the window, over a catalogue of 100,000 songs: writing the .m3u file of a
// 10,000-track list (after the save dialog and the prefix prompt), filling a list from a
// 1,000-line text file, the main grid's view of a 10,000-track list to its first rows, the
// "DetailWithFileNames" report of 10,000 tracks to its RTF, and copying a list of 1,000 files of
// 1 MB to a folder.
// Baselines in the same run: the same SELECT stepped in plain SQLite writing the same lines; the
// same look-ups, highest-number queries and inserts as prepared plain SQLite statements; the
// translated view SELECT stepped in plain SQLite; the same pieces inserted into a plain
// QTextDocument; `cp` on the same files.
// Goals: the .m3u under 0.1 s, populate under 1 s, the view under 0.3 s, the report under 2 s,
// the copy within 1.3 x of cp.
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DragListWidget.h"
#include "platform/ui/Forms.h"
#include "player/PlayListReports.h"
#include "player/frmPlayList.h"
#include "songlist/OtherWindows.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int kSongs = 100000;
constexpr int kTracks = 10000;
constexpr int kLines = 1000;
constexpr int kFiles = 1000;

bench::MainWindowSession *session = nullptr;
QTemporaryDir *work = nullptr;
long bigList = 0, popList = 0, copyList = 0;

long newList(const QString &name) {
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values (?)"), {name});
    auto rs = db.openRecordset(QStringLiteral("select Max(ListID) from tblPlayListHeader"));
    return long(rs->value(0).toLongLong());
}

sqlite3 *handle() { return core::g().Db->handle(); }

QString columnText(sqlite3_stmt *s, int i) {
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
}

// The list of 10,000 catalogue songs (every tenth), with their paths and RecordIDs.
void fillBigList() {
    sqlite3_exec(handle(),
                 QStringLiteral("INSERT INTO tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, FileName, "
                                "ContactRecordID) SELECT %1, RecordID / 10, SongName, Artist, PathName || FileName, "
                                "RecordID FROM tblContacts WHERE RecordID % 10 = 0")
                     .arg(bigList)
                     .toUtf8()
                     .constData(),
                 nullptr, nullptr, nullptr);
}

player::frmPlayList *windowOn(const QString &list) {
    core::g().CurrentPlayList = list;
    auto *w = platform::ui::form<player::frmPlayList>();
    w->selectList(list);
    return w;
}

void closeWindow(player::frmPlayList *w) {
    w->close();
    platform::ui::flushUnloadedForms();
}

// ---------------------------------------------------------------- .m3u

void BM_WriteM3u10000(benchmark::State &state) {
    auto *w = windowOn(QStringLiteral("Big"));
    const QString file = work->filePath(QStringLiteral("big.m3u"));
    for (auto _ : state) {
        state.PauseTiming();
        session->prompts->answerFile(file);
        session->prompts->answerInput(QStringLiteral("/media/usb/Music/"));
        state.ResumeTiming();
        w->mnuFileMakePlayListFile_Click();
    }
    if (!session->prompts->lastAsked() || !session->prompts->lastAsked()->title.startsWith(QStringLiteral("Finished")))
        state.SkipWithError("the list was not written");
    closeWindow(w);
}
BENCHMARK(BM_WriteM3u10000)->Unit(benchmark::kMillisecond);

// The same lines through plain SQLite, written straight over the file (`synced` false) or, as the
// program writes a file a user may carry away on a stick, to a temporary name, flushed to the
// disk and renamed over it.
void plainM3u(benchmark::State &state, bool synced) {
    const QString file = work->filePath(synced ? QStringLiteral("plain-synced.m3u") : QStringLiteral("plain.m3u"));
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(handle(), "SELECT FileName FROM tblPlayListDetail WHERE ListID=? AND FileName > ' ' "
                                     "ORDER BY ListTrackID", -1, &s, nullptr);
        sqlite3_bind_int64(s, 1, bigList);
        QByteArray bytes;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const QString path = columnText(s, 0);
            bytes += (QStringLiteral("/media/usb/Music/") + path.mid(path.lastIndexOf(u'/') + 1)).toUtf8() + "\r\n";
        }
        sqlite3_finalize(s);
        if (synced) {
            QSaveFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            out.commit();
        } else {
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            out.close();
        }
    }
    QFile ours(work->filePath(QStringLiteral("big.m3u"))), plain(file);
    if (ours.open(QIODevice::ReadOnly) && plain.open(QIODevice::ReadOnly) && ours.readAll() != plain.readAll())
        state.SkipWithError("the plain lines are not the bytes the program writes");
}
void BM_PlainSqliteM3u10000(benchmark::State &state) { plainM3u(state, false); }
BENCHMARK(BM_PlainSqliteM3u10000)->Unit(benchmark::kMillisecond);
void BM_PlainSqliteM3u10000Synced(benchmark::State &state) { plainM3u(state, true); }
BENCHMARK(BM_PlainSqliteM3u10000Synced)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- populate

QString lineFile() {
    const QString file = work->filePath(QStringLiteral("songs.txt"));
    if (QFile::exists(file))
        return file;
    QByteArray text;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(handle(), "SELECT SongName, Artist FROM tblContacts WHERE RecordID % 100 = 7 LIMIT ?", -1, &s,
                       nullptr);
    sqlite3_bind_int(s, 1, kLines);
    int n = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        // Every other line names the artist first, so half the lines need the second look-up.
        const QString song = columnText(s, 0), artist = columnText(s, 1);
        text += (QString::number(++n) + QStringLiteral(". ") + (n % 2 ? song + QStringLiteral(", ") + artist
                                                                      : artist + QStringLiteral(", ") + song))
                    .toUtf8() +
                "\r\n";
    }
    sqlite3_finalize(s);
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(text);
    return file;
}

void clearList(long list) {
    core::g().Db->execute(QStringLiteral("Delete from tblPlayListDetail where ListID=") + QString::number(list));
}

void BM_Populate1000Lines(benchmark::State &state) {
    const QString file = lineFile();
    auto *w = windowOn(QStringLiteral("Pop"));
    for (auto _ : state) {
        state.PauseTiming();
        clearList(popList);
        session->prompts->answer(platform::ui::Answer::Yes);
        session->prompts->answerFile(file);
        state.ResumeTiming();
        w->mnuFilePopulate_Click();
    }
    if (w->lbDetail->count() != kLines + 1)
        state.SkipWithError("not every line added its song");
    closeWindow(w);
}
BENCHMARK(BM_Populate1000Lines)->Unit(benchmark::kMillisecond);

void BM_PlainSqlitePopulate1000Lines(benchmark::State &state) {
    QStringList lines;
    {
        QFile f(lineFile());
        f.open(QIODevice::ReadOnly);
        lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    // The columns carry the catalogue's case-blind collation, as the layer's own query uses it.
    const QByteArray match = "SELECT * FROM tblContacts WHERE SongName=? AND Artist=?";
    for (auto _ : state) {
        state.PauseTiming();
        clearList(popList);
        state.ResumeTiming();
        sqlite3_stmt *find = nullptr, *top = nullptr, *add = nullptr;
        sqlite3_prepare_v2(handle(), match.constData(), -1, &find, nullptr);
        sqlite3_prepare_v2(handle(), "SELECT Max(ListTrackID) FROM tblPlayListDetail WHERE ListID=?", -1, &top, nullptr);
        sqlite3_prepare_v2(handle(), "INSERT INTO tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, "
                                     "AlbumName, FileName, ContactRecordID, LastUpdated) VALUES (?,?,?,?,?,?,?,?)",
                           -1, &add, nullptr);
        for (const QString &line : lines) {
            const qsizetype dot = line.indexOf(u'.'), comma = line.indexOf(u',', dot + 1);
            const QByteArray a = line.mid(dot + 1, comma - dot - 1).trimmed().toUtf8();
            const QByteArray b = line.mid(comma + 1).trimmed().toUtf8();
            bool found = false;
            for (int order = 0; order < 2 && !found; ++order) {
                sqlite3_bind_text(find, 1, (order ? b : a).constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(find, 2, (order ? a : b).constData(), -1, SQLITE_TRANSIENT);
                found = sqlite3_step(find) == SQLITE_ROW;
                if (!found)
                    sqlite3_reset(find);
            }
            if (!found)
                continue;
            sqlite3_bind_int64(top, 1, popList);
            sqlite3_step(top);
            const qint64 next = sqlite3_column_int64(top, 0) + 1;
            sqlite3_reset(top);
            sqlite3_exec(handle(), "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_bind_int64(add, 1, popList);
            sqlite3_bind_int64(add, 2, next);
            for (int c = 0; c < sqlite3_column_count(find); ++c) {
                const char *name = sqlite3_column_name(find, c);
                const int to = !qstrcmp(name, "SongName") ? 3 : !qstrcmp(name, "Artist") ? 4
                             : !qstrcmp(name, "AlbumName") ? 5 : !qstrcmp(name, "FileName") ? 6
                             : !qstrcmp(name, "RecordID") ? 7 : 0;
                if (to)
                    sqlite3_bind_value(add, to, sqlite3_column_value(find, c));
            }
            sqlite3_bind_double(add, 8, 46000.5);
            sqlite3_step(add);
            sqlite3_reset(add);
            sqlite3_exec(handle(), "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_reset(find);
        }
        sqlite3_finalize(find);
        sqlite3_finalize(top);
        sqlite3_finalize(add);
    }
}
BENCHMARK(BM_PlainSqlitePopulate1000Lines)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- the grid view

void BM_GridView10000(benchmark::State &state) {
    auto *grid = session->window->Data1;
    for (auto _ : state) {
        state.PauseTiming();
        session->window->ShowAllMenu_Click();
        auto *w = windowOn(QStringLiteral("Big"));
        state.ResumeTiming();
        w->mnuFileDisplayOnly_Click();
        benchmark::DoNotOptimize(grid->recordset()->value(QStringLiteral("SongName")));
        state.PauseTiming();
        if (grid->recordCount() != kTracks)
            state.SkipWithError("the grid did not show the list's songs");
        platform::ui::flushUnloadedForms();
        state.ResumeTiming();
    }
    session->window->ShowAllMenu_Click();
}
BENCHMARK(BM_GridView10000)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteGridView10000(benchmark::State &state) {
    const QByteArray sql =
        core::g().Db->translate(player::PlayListReports::viewSource(bigList, session->window->Data1->recordSource()))
            .toUtf8();
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(handle(), sql.constData(), -1, &s, nullptr);
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(s);
        if (rows != kTracks)
            state.SkipWithError("the plain view did not find the list's songs");
    }
}
BENCHMARK(BM_PlainSqliteGridView10000)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- the report

void BM_ReportWithFileNames10000(benchmark::State &state) {
    qsizetype length = 0;
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::RichTextForm),
                                [&length](const QString &rtf) { length = rtf.size(); });
    auto *w = windowOn(QStringLiteral("Big"));
    for (auto _ : state)
        w->mnuReportsDetailWithFilenames_Click();
    if (length < kTracks * 40)
        state.SkipWithError("the report did not reach the report window");
    closeWindow(w);
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::RichTextForm), {});
}
BENCHMARK(BM_ReportWithFileNames10000)->Unit(benchmark::kMillisecond);

void BM_PlainQTextDocumentReport10000(benchmark::State &state) {
    struct Row {
        QString title, artist, file;
    };
    for (auto _ : state) {
        // The rows are read in each run, as the report reads them.
        QList<Row> rows;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(handle(), "SELECT SongTitle, ArtistName, FileName FROM tblPlayListDetail WHERE ListID=? "
                                     "ORDER BY ListTrackID", -1, &s, nullptr);
        sqlite3_bind_int64(s, 1, bigList);
        while (sqlite3_step(s) == SQLITE_ROW)
            rows.append({columnText(s, 0), columnText(s, 1), columnText(s, 2)});
        sqlite3_finalize(s);
        QTextDocument doc;
        QTextCursor c(&doc);
        c.beginEditBlock();
        QTextCharFormat f;
        f.setFontFamilies({QStringLiteral("Arial")});
        f.setFontPointSize(12);
        f.setFontWeight(QFont::Bold);
        f.setForeground(QColor(0, 0, 255));
        c.insertText(QStringLiteral("Big\n\n"), f);
        int n = 0;
        for (const Row &r : rows) {
            f.setFontWeight(QFont::Normal);
            f.setForeground(Qt::black);
            f.setFontPointSize(10);
            c.insertText(QStringLiteral(" ") + r.title + QStringLiteral(" [by] ") + r.artist + QStringLiteral("\n"), f);
            f.setFontPointSize(8);
            c.insertText(QStringLiteral("      File name: ") + r.file + QStringLiteral("\n"), f);
            if (++n == 20) {
                f.setForeground(Qt::white);
                c.insertText(QStringLiteral("\n\n\n") + QChar(12), f);
                n = 0;
            }
        }
        c.endEditBlock();
        benchmark::DoNotOptimize(doc.characterCount());
    }
}
BENCHMARK(BM_PlainQTextDocumentReport10000)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- the copy

QString sourceFolder() { return work->filePath(QStringLiteral("source")) + QLatin1Char('/'); }
QString targetFolder() { return work->filePath(QStringLiteral("target")) + QLatin1Char('/'); }

void freshTarget() {
    QDir(targetFolder()).removeRecursively();
    QDir().mkpath(targetFolder());
    sync();
}

void BM_CopyPlayList1000Files(benchmark::State &state) {
    auto *w = windowOn(QStringLiteral("Copy"));
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        session->prompts->answerFolder(targetFolder());
        state.ResumeTiming();
        w->mnuFileCopyMusic_Click();
    }
    if (QDir(targetFolder()).entryList(QDir::Files).size() != kFiles)
        state.SkipWithError("not every file was copied");
    closeWindow(w);
}
BENCHMARK(BM_CopyPlayList1000Files)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CpCommand1000Files(benchmark::State &state) {
    QStringList args;
    for (int i = 0; i < kFiles; ++i)
        args << sourceFolder() + QStringLiteral("track %1.mp3").arg(i);
    args << targetFolder();
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        state.ResumeTiming();
        QProcess::execute(QStringLiteral("cp"), args);
    }
    if (QDir(targetFolder()).entryList(QDir::Files).size() != kFiles)
        state.SkipWithError("cp did not copy every file");
}
BENCHMARK(BM_CpCommand1000Files)->Unit(benchmark::kMillisecond)->Iterations(5);

void fillCopyList() {
    QDir().mkpath(sourceFolder());
    QByteArray megabyte(1 << 20, '\0');
    for (int i = 0; i < megabyte.size(); ++i)
        megabyte[i] = char((i * 131) ^ (i >> 7));
    auto &db = *core::g().Db;
    QList<QVariantList> rows;
    for (int i = 0; i < kFiles; ++i) {
        const QString path = sourceFolder() + QStringLiteral("track %1.mp3").arg(i);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        megabyte[0] = char(i);
        f.write(megabyte);
        db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, FileName) "
                                  "Values (?, ?, 'T', ?)"),
                   {qlonglong(copyList), qlonglong(i + 1), path});
    }
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir dir;
    work = &dir;
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &s) {
        session = &s;
        bigList = newList(QStringLiteral("Big"));
        fillBigList();
        popList = newList(QStringLiteral("Pop"));
        copyList = newList(QStringLiteral("Copy"));
        fillCopyList();
    });
}
