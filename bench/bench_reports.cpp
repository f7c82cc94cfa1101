// Reports over a catalogue of 100,000 songs by 5,000 artists. Timed: each list report produced
// and shown (the grid's rows read, sorted and written into the report box), set against the
// same rows and texts put into a plain QTextDocument through a QTextCursor; the Song report
// (54 lines a page) printed to a PDF file, set against QTextDocument::print of the same text
// with its form feeds as page breaks; the Artist report printed (over 5,000 pages, every page);
// the CSV export, set against the sqlite3 shell writing the same 21 columns with -csv in
// RecordID order (the shell cannot load the catalogue's collations, so it cannot sort as the
// grid does).
// Goals: a report under 2 s; printing the Song report under 10 s and within 1.5 times Qt's
// own printing; the CSV export under 1 s and within 2 times the sqlite3 shell.
#include "core/AppState.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "reports/ListReports.h"
#include "reports/Reports.h"
#include "reports/RichTextForm.h"
#include "reports/mRichTextPrint.h"
#include "songlist/NameList.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QFile>
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
