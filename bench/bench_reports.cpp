// Reports over a catalogue of 100,000 songs by 5,000 artists. Timed: each list report produced
// and shown (the grid's rows read, sorted and written into the report box), set against the
// same rows and texts put into a plain QTextDocument through a QTextCursor; the Song report
// (54 lines a page) printed to a PDF file, set against QTextDocument::print of the same text
// with its form feeds as page breaks; the Artist report printed (over 5,000 pages, every page);
// the CSV export, set against the sqlite3 shell writing the same 21 columns with -csv in
// RecordID order (the shell cannot load the catalogue's collations, so it cannot sort as the
// grid does, and it quotes and formats nothing), and against plain SQLite through its C API
// writing the export's own file, byte for byte ("same" is 1 when it is).
// Goals: a report under 2 s; printing the Song report under 10 s and within 1.5 times Qt's
// own printing; the CSV export under 1 s, within 2 times the sqlite3 shell and within 1.5 times
// plain SQLite writing the same file.
#include "core/AppState.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "platform/db/JetSql.h"
#include "reports/CsvExport.h"
#include "reports/ListReports.h"
#include "reports/Reports.h"
#include "reports/RichTextForm.h"
#include "reports/mRichTextPrint.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int kSongs = 100000;

songlist::NameList *window = nullptr;
platform::ui::ScriptedPrompts *prompts = nullptr;
QTemporaryDir *outDir = nullptr;

reports::RichTextForm *reportWindow() { return platform::ui::findForm<reports::RichTextForm>(); }

int pageCount(const QString &pdf) {
    QFile f(pdf);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

void runReport(benchmark::State &state, void (songlist::NameList::*command)()) {
    for (auto _ : state) {
        (window->*command)();
        state.PauseTiming();
        platform::ui::unloadForm(reportWindow());
        platform::ui::flushUnloadedForms();
        state.ResumeTiming();
    }
}

void BM_ArtistReport(benchmark::State &state) { runReport(state, &songlist::NameList::mnuArtistRpt_Click); }
BENCHMARK(BM_ArtistReport)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_SongReport(benchmark::State &state) { runReport(state, &songlist::NameList::mnuSongRpt_Click); }
BENCHMARK(BM_SongReport)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_PathReport(benchmark::State &state) { runReport(state, &songlist::NameList::mnuPathRpt_Click); }
BENCHMARK(BM_PathReport)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows (read and sorted the same way) and the same texts and formats of the Song
// report, inserted into a plain document.
void fillPlainDocument(QTextDocument &doc, bool formFeedsAsBreaks) {
    const auto rows = reports::ListReports::rowsOf(*window->Data1->recordset(), reports::ListReports::Song);
    QTextCursor c(&doc);
    c.beginEditBlock();
    QTextCharFormat line;
    line.setFontFamilies({QStringLiteral("Arial")});
    line.setFontPointSize(10);
    QTextBlockFormat breakBefore;
    breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    long n = 0;
    for (const auto &r : rows) {
        const QString artist = r.Artist.toString();
        c.insertText(QStringLiteral(" ") + r.SongName.toString() +
                         (artist > QStringLiteral(" ") ? QStringLiteral(" [by] ") + artist : QString()),
                     line);
        if (++n % 54 == 0 && formFeedsAsBreaks)
            c.insertBlock(breakBefore);
        else
            c.insertBlock();
    }
    c.endEditBlock();
}

void BM_PlainDocumentSongReport(benchmark::State &state) {
    for (auto _ : state) {
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        fillPlainDocument(doc, false);
        benchmark::DoNotOptimize(doc.characterCount());
    }
}
BENCHMARK(BM_PlainDocumentSongReport)->Unit(benchmark::kMillisecond)->Iterations(3);

void printReport(benchmark::State &state, void (songlist::NameList::*command)()) {
    (window->*command)();
    // The shown box lays the report out in the background, a part at a time, while the window
    // waits for the user; printing starts from there.
    reportWindow()->RichTextBox->document()->documentLayout()->documentSize();
    const QString pdf = outDir->filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setFullPage(true);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        mRichTextPrint::PrintRTF(*reportWindow()->RichTextBox, printer, 1440, 1440, 720, 720);
    }
    state.counters["pages"] = pageCount(pdf);
    platform::ui::unloadForm(reportWindow());
    platform::ui::flushUnloadedForms();
}

void BM_PrintSongReport(benchmark::State &state) { printReport(state, &songlist::NameList::mnuSongRpt_Click); }
BENCHMARK(BM_PrintSongReport)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PrintArtistReport(benchmark::State &state) { printReport(state, &songlist::NameList::mnuArtistRpt_Click); }
BENCHMARK(BM_PrintArtistReport)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_QtPrintSongReport(benchmark::State &state) {
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    fillPlainDocument(doc, true);
    const QString pdf = outDir->filePath(QStringLiteral("qt.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        doc.print(&printer);
    }
    state.counters["pages"] = pageCount(pdf);
}
BENCHMARK(BM_QtPrintSongReport)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CsvExport(benchmark::State &state) {
    const QString csv = outDir->filePath(QStringLiteral("SongOut.csv"));
    for (auto _ : state) {
        prompts->answerFile(csv);
        window->Export_Click();
    }
    state.counters["bytes"] = double(QFile(csv).size());
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sqlite3ShellCsv(benchmark::State &state) {
    const QString csv = outDir->filePath(QStringLiteral("shell.csv"));
    const QString sql = QStringLiteral(
        "SELECT SongName, Artist, Composer, AlbumName, Year, Genre, Duration, Rating, PathName, FileName, "
        "DateUpdated, PurchaseDate, Date2_Desc, Date2, MiscField1_Desc, MiscField1, MiscField2_Desc, MiscField2, "
        "MiscField3_Desc, MiscField3, Code FROM tblContacts ORDER BY RecordID;");
    for (auto _ : state) {
        QProcess p;
        p.setStandardOutputFile(csv);
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), QStringLiteral("-header"), core::g().DatabasePath, sql});
        p.waitForFinished(-1);
    }
    state.counters["bytes"] = double(QFile(csv).size());
}
BENCHMARK(BM_Sqlite3ShellCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

// Plain SQLite doing the export's own work, for the same file byte for byte: the 21 fields of
// the grid's rows in the grid's order (its ORDER BY, with the catalogue's collations), each value
// through the export's text and date formats, every line put together and written the same way.
void BM_SqliteSameCsv(benchmark::State &state) {
    const QString csv = outDir->filePath(QStringLiteral("plain.csv"));
    const QString source = window->Data1->recordset()->source();
    const qsizetype from = source.indexOf(QLatin1String(" FROM "), 0, Qt::CaseInsensitive);
    const QStringList headers = reports::CsvExport::headers(false);
    const QByteArray sql = (QStringLiteral("SELECT SongName, Artist, Composer, AlbumName, Year, Genre, Duration, "
                                           "Rating, PathName, FileName, DateUpdated, PurchaseDate, Date2_Desc, Date2, "
                                           "MiscField1_Desc, MiscField1, MiscField2_Desc, MiscField2, "
                                           "MiscField3_Desc, MiscField3, Code") +
                            source.mid(from))
                               .toUtf8();
    const std::array<bool, 21> date{false, false, false, false, false, false, false, false, false, false, true,
                                    true,  false, true,  false, false, false, false, false, false, false};
    // One connection and statement for every pass, as the program keeps its own: each pass finds
    // the catalogue's pages in the cache.
    sqlite3 *h = nullptr;
    sqlite3_open_v2(QFile::encodeName(core::g().DatabasePath).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    platform::db::jet::registerFunctions(h);
    sqlite3_exec(h, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr);
    for (auto _ : state) {
        QFile file(csv);
        file.open(QIODevice::WriteOnly);
        QByteArray piece;
        piece.reserve((1 << 19) + (1 << 16));
        reports::CsvExport::appendLine(piece, headers);
        const QLocale locale;
        QHash<QByteArray, QString> dateTexts;
        QStringList values;
        while (sqlite3_step(st) == SQLITE_ROW) {
            values.clear();
            for (int c = 0; c < 21; ++c) {
                const int type = sqlite3_column_type(st, c);
                const auto bytes = [&] {
                    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                    return QByteArray::fromRawData(text, sqlite3_column_bytes(st, c));
                };
                if (type == SQLITE_NULL) {
                    values << QString();
                } else if (date[size_t(c)]) {
                    const QByteArray stored = bytes();
                    auto it = dateTexts.constFind(stored);
                    if (it == dateTexts.constEnd())
                        it = dateTexts.insert(QByteArray(stored.constData(), stored.size()),
                                              reports::CsvExport::dateValue(QString::fromUtf8(stored), locale));
                    values << *it;
                } else if (type == SQLITE_INTEGER) {
                    values << reports::CsvExport::textValue(qlonglong(sqlite3_column_int64(st, c)));
                } else if (type == SQLITE_FLOAT) {
                    values << reports::CsvExport::textValue(sqlite3_column_double(st, c));
                } else {
                    values << reports::CsvExport::textValue(QString::fromUtf8(bytes()));
                }
            }
            reports::CsvExport::appendLine(piece, values);
            if (piece.size() >= (1 << 19)) {
                file.write(piece);
                piece.truncate(0);
            }
        }
        file.write(piece);
        file.close();
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    QFile ours(outDir->filePath(QStringLiteral("SongOut.csv")));
    QFile plain(csv);
    ours.open(QIODevice::ReadOnly);
    plain.open(QIODevice::ReadOnly);
    state.counters["bytes"] = double(plain.size());
    state.counters["same"] = ours.readAll() == plain.readAll() ? 1 : 0;
}
BENCHMARK(BM_SqliteSameCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir dir;
    outDir = &dir;
    return bench::runMainWindowBenchmarks(argc, argv, kSongs, [](bench::MainWindowSession &session) {
        window = session.window;
        prompts = session.prompts.get();
        reports::registerWindows();
        core::g().ReportLinesPerPage = QStringLiteral("54");
    });
}
