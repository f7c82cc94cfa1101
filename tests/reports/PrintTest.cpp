// Printing a report to a PDF file: one page per form feed or full page, the margins measured
// from the sheet's edges, an empty report as one blank page, a cancelled printer dialog, a
// report of 100,000 lines printing every page, and full report pages keeping to one sheet each
// with every line printed once, whichever font stands in for Arial.
#include "ReportsFixture.h"

#include "reports/ListReports.h"
#include "reports/mRichTextPrint.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

using reports::RichTextForm;
namespace ui = platform::ui;

namespace {

int pageCount(const QString &pdf) {
    QFile f(pdf);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // Qt writes one page object per page; the page tree is "/Pages".
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

QString run(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Word {
    int page;
    double x, y;
    QString text;
};

// Every word the PDF draws with its page and its left and top edges in points from the sheet's
// corner. `onlyPage` > 0 reads that page alone (numbered 1 then).
QList<Word> words(const QString &pdf, int onlyPage = 0) {
    QStringList args{QStringLiteral("-bbox")};
    if (onlyPage > 0)
        args << QStringLiteral("-f") << QString::number(onlyPage) << QStringLiteral("-l") << QString::number(onlyPage);
    const QString html = run(args << pdf << QStringLiteral("-"));
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    QList<Word> out;
    int page = 0;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page")))
            ++page;
        else
            out.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return out;
}

// The text of the line that starts a page: its words at the top margin (1440 twips = 72 points).
QString topLine(const QList<Word> &all, int page) {
    QStringList t;
    for (const Word &w : all)
        if (w.page == page && std::abs(w.y - 72) < 1)
            t << w.text;
    return t.join(QLatin1Char(' '));
}

QString leftOfFirstLine(const QList<Word> &all) {
    for (const Word &w : all)
        if (w.page == 1 && std::abs(w.y - 72) < 1)
            return QString::number(w.x);
    return QStringLiteral("none");
}

} // namespace

class PrintTest : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        pdf = tmp.file(QStringLiteral("report.pdf"));
    }
    // Prints the text through the window's Print button into the PDF file.
    void print(const QString &text) {
        RichTextForm *f = ui::form<RichTextForm>();
        f->RichTextBox->setText(text);
        prompts.answerPrinter(pdf);
        f->cmdPrint->click();
    }
    // The song report of `songs` rows, 54 to a page, printed: each page on a sheet of its own and
    // every song's line in the file once, in order.
    void expectFullPagesOnOneSheetEach(int songs) {
        std::vector<reports::ReportRow> rows(static_cast<size_t>(songs));
        for (int i = 0; i < songs; ++i)
            rows[size_t(i)].SongName = QStringLiteral("Song %1").arg(i);
        RichTextForm *f = ui::form<RichTextForm>();
        reports::ListReports::writeReport(*f->RichTextBox, rows, reports::ListReports::Song, 54);
        prompts.answerPrinter(pdf);
        f->cmdPrint_Click();
        const int pages = (songs + 53) / 54;
        EXPECT_EQ(pageCount(pdf), pages);
        const QList<Word> all = words(pdf);
        for (int p = 1; p <= pages; ++p)
            EXPECT_EQ(topLine(all, p), QStringLiteral("Song %1").arg((p - 1) * 54)) << p;
        static const QRegularExpression song(QStringLiteral("Song (\\d+)"));
        QList<int> printed;
        for (auto it = song.globalMatch(run({pdf, QStringLiteral("-")})); it.hasNext();)
            printed << it.next().captured(1).toInt();
        ASSERT_EQ(printed.size(), songs);
        for (int i = 0; i < songs; ++i)
            ASSERT_EQ(printed[i], i);
    }
    QString pdf;
};

TEST_F(PrintTest, FormFeedsEndPagesAndTextStartsOneInchFromTheSheetsEdges) {
    print(QStringLiteral("First page\fSecond page\fThird page"));
    ASSERT_EQ(pageCount(pdf), 3);
    const QList<Word> all = words(pdf);
    EXPECT_EQ(topLine(all, 1), QStringLiteral("First page"));
    EXPECT_EQ(topLine(all, 2), QStringLiteral("Second page"));
    EXPECT_EQ(topLine(all, 3), QStringLiteral("Third page"));
    EXPECT_EQ(leftOfFirstLine(all), QStringLiteral("72"));  // one inch from the left edge
    EXPECT_EQ(prompts.asked().last().kind, ui::ScriptedPrompts::Asked::Kind::Printer);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
}

TEST_F(PrintTest, EmptyReportPrintsOneBlankPageAndShortOneExactlyOne) {
    print(QString());
    EXPECT_EQ(pageCount(pdf), 1);
    EXPECT_TRUE(words(pdf).isEmpty());
    QFile::remove(pdf);
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("Line %1").arg(i);
    print(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(pageCount(pdf), 1);
    EXPECT_EQ(topLine(words(pdf), 1), QStringLiteral("Line 0"));
}

TEST_F(PrintTest, LongTextFlowsOverPagesWithoutLosingALine) {
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("Row %1").arg(i, 3, 10, QLatin1Char('0'));
    print(lines.join(QLatin1Char('\n')));
    const int pages = pageCount(pdf);
    ASSERT_GT(pages, 1);
    // Every page starts with the row after the last one the page before held: no row is lost
    // or printed twice at a page's end.
    const QList<Word> all = words(pdf);
    int perPage = 0;
    for (int p = 1; p <= pages; ++p) {
        const QString top = topLine(all, p);
        ASSERT_TRUE(top.startsWith(QStringLiteral("Row "))) << p;
        const int row = top.mid(4).toInt();
        if (p == 2)
            perPage = row;
        EXPECT_EQ(row, (p - 1) * perPage) << p;
    }
    EXPECT_GT(perPage, 30);
    EXPECT_LT((pages - 1) * perPage, 300);
}

TEST_F(PrintTest, ParagraphRunningOverPagesPrintsEachWordOnce) {
    // One paragraph wrapped over several sheets: each sheet holds only its own lines of it.
    QStringList text;
    for (int i = 0; i < 4000; ++i)
        text << QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0'));
    print(text.join(QLatin1Char(' ')));
    ASSERT_GT(pageCount(pdf), 1);
    QStringList printed;
    for (const Word &w : words(pdf))
        printed << w.text;
    EXPECT_EQ(printed, text);
}

TEST_F(PrintTest, CancelledPrinterDialogPrintsNothingAndSaysNothing) {
    RichTextForm *f = ui::form<RichTextForm>();
    f->RichTextBox->setText(QStringLiteral("Text"));
    f->cmdPrint_Click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
}

TEST_F(PrintTest, UnwritablePrinterEndsQuietly) {
    RichTextForm *f = ui::form<RichTextForm>();
    f->RichTextBox->setText(QStringLiteral("Text"));
    prompts.answerPrinter(tmp.file(QStringLiteral("no/such/folder/out.pdf")));
    f->cmdPrint_Click();
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
}

TEST(DrawingRect, MarginsCountFromTheSheetNotThePrintableArea) {
    // A printable area starting a quarter inch in: the text starts 1080 twips into it.
    const QRect r = mRichTextPrint::drawingRect(12240, 15840, 360, 360, 1440, 1440, 720, 720);
    EXPECT_EQ(r.left(), 1080);
    EXPECT_EQ(r.top(), 1080);
    EXPECT_EQ(r.left() + r.width(), 12240 - 720 - 360);
    EXPECT_EQ(r.top() + r.height(), 15840 - 720 - 360);
}

TEST_F(PrintTest, HundredThousandLineReportPrintsEveryPage) {
    std::vector<reports::ReportRow> rows(100000);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].SongName = QStringLiteral("Song %1").arg(i);
    RichTextForm *f = ui::form<RichTextForm>();
    reports::ListReports::writeReport(*f->RichTextBox, rows, reports::ListReports::Song, 54);
    prompts.answerPrinter(pdf);
    f->cmdPrint_Click();
    const int pages = (100000 + 53) / 54;
    EXPECT_EQ(pageCount(pdf), pages);
    EXPECT_EQ(topLine(words(pdf, pages), 1), QStringLiteral("Song 99954"));
}

TEST_F(PrintTest, FullPagesTakeOneSheetEachAndPrintEveryLineOnce) {
    expectFullPagesOnOneSheetEach(165);
}

// Nimbus Sans has a taller line pitch than Arial's metric twins. Fontconfig is read once per
// process, so the test runs itself again in a process whose fontconfig file maps Arial to it.
TEST_F(PrintTest, FullPagesTakeOneSheetEachWithNimbusSansForArial) {
    if (qEnvironmentVariableIsSet("ORVALIS_TEST_NIMBUS_FOR_ARIAL")) {
        // Qt names the family with its foundry where several carry it: "Nimbus Sans [urw]".
        ASSERT_TRUE(QFontInfo(QFont(QStringLiteral("Arial"))).family().startsWith(QStringLiteral("Nimbus Sans")));
        expectFullPagesOnOneSheetEach(540);
        return;
    }
    if (!QFontDatabase::hasFamily(QStringLiteral("Nimbus Sans")))
        GTEST_SKIP() << "Nimbus Sans (fonts-urw-base35) is not installed";
    const QString conf = tmp.file(QStringLiteral("fonts.conf"));
    testenv::writeFile(conf, QByteArrayLiteral(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n"
        "  <match target=\"pattern\">\n    <test name=\"family\"><string>Arial</string></test>\n"
        "    <edit name=\"family\" mode=\"prepend\" binding=\"strong\"><string>Nimbus Sans</string></edit>\n"
        "  </match>\n  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n</fontconfig>\n"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FONTCONFIG_FILE"), conf);
    env.insert(QStringLiteral("ORVALIS_TEST_NIMBUS_FOR_ARIAL"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=PrintTest.FullPagesTakeOneSheetEachWithNimbusSansForArial")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[       OK ] PrintTest.FullPagesTakeOneSheetEachWithNimbusSansForArial")))
        << out.toStdString();
}
