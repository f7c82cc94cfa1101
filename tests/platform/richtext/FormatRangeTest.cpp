// Drawing the box page by page onto a PDF printer the way the report window prints: each call
// returns the first character not drawn, a form feed ends its page, an empty text ends at once,
// a line taller than the page still moves on, and a page counted for one sheet stays on one
// sheet when the font's line pitch is a little taller than the writer reckoned with.
#include "platform/richtext/RichTextBox.h"

#include "common/TestEnv.h"
#include "RichTextTestUtil.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

using platform::richtext::RichTextBox;

namespace {

class FormatRangeTest : public OrvalisTest {
protected:
    RichTextBox box;
    std::vector<int> starts; // the first character of every page

    // The print loop: draw, stop once the returned index reaches the text length, else a new
    // page. Returns the number of pages in the PDF file written.
    int print(const QRect &pageTwips) {
        const QString pdf = tmp.file(QStringLiteral("out.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            QPainter painter(&printer);
            const int length = int(box.Text().size());
            int first = 0;
            for (int guard = 0; guard < 10000; ++guard) {
                starts.push_back(first);
                const int next = box.formatRange(first, painter, pageTwips);
                if (next >= length)
                    break;
                EXPECT_GT(next, first) << "a page drew nothing";
                if (next <= first)
                    break;
                first = next;
                printer.newPage();
            }
        }
        QFile f(pdf);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
    }
};

const QRect kLetterPage(1440, 1440, 12240 - 1440 - 720, 15840 - 1440 - 720);

TEST_F(FormatRangeTest, LongTextFillsSeveralPagesAndEveryCharacterIsDrawnOnce) {
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("Line %1 of the report\r\n").arg(i);
    box.setSelFontName(QStringLiteral("Arial"));
    box.setSelFontSize(10);
    box.setSelText(text);
    const int pages = print(kLetterPage);
    EXPECT_GE(pages, 4);
    EXPECT_LE(pages, 12);
    EXPECT_EQ(int(starts.size()), pages);
    // Pages start at line starts.
    const QString plain = box.Text();
    for (int s : starts)
        EXPECT_TRUE(s == 0 || plain[s - 1] == u'\n') << s;
}

TEST_F(FormatRangeTest, FormFeedEndsThePageItStandsOn) {
    // As the list reports write them: a page break in white, then the next heading.
    box.setSelText(QStringLiteral("first page\r\n"));
    box.setSelColor(0xFFFFFF);
    box.setSelText(QStringLiteral("\f"));
    box.setSelColor(0);
    box.setSelText(QStringLiteral("Heading\r\nsecond page\f\r\nthird"));
    EXPECT_EQ(print(kLetterPage), 3);
    const QString plain = box.Text();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(plain.mid(starts[1], 7), QStringLiteral("Heading"));
    EXPECT_EQ(plain.mid(starts[2], 5), QStringLiteral("third"));
}

TEST_F(FormatRangeTest, EmptyTextPrintsOnePageAndEndsAtOnce) {
    EXPECT_EQ(print(kLetterPage), 1);
    EXPECT_EQ(starts, std::vector<int>{0});
}

TEST_F(FormatRangeTest, LineTallerThanThePageTakesAPageOfItsOwn) {
    const QString png = tmp.file(QStringLiteral("tall.png"));
    testenv::writeFile(png, richtexttest::imageBytes("PNG", 20, 400)); // about four inches
    box.setSelText(QStringLiteral("before\r\n"));
    ASSERT_TRUE(box.insertPicture(png));
    box.setSelText(QStringLiteral("\r\nafter"));
    const QRect inch(1440, 1440, 5000, 1440);
    EXPECT_EQ(print(inch), 3);
    EXPECT_EQ(starts, (std::vector<int>{0, 7, 9}));

    // Nothing is drawn outside the page rectangle.
    QImage sheet(400, 400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    sheet.setDotsPerMeterX(3780); // 96 dots per inch: 15 twips a dot
    sheet.setDotsPerMeterY(3780);
    {
        QPainter p(&sheet);
        box.formatRange(7, p, QRect(1500, 1500, 1500, 1500));
    }
    bool inside = false;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            const bool in = x >= 100 && x < 200 && y >= 100 && y < 200;
            if (sheet.pixel(x, y) != qRgb(255, 255, 255)) {
                ASSERT_TRUE(in) << x << "," << y;
                inside = true;
            }
        }
    EXPECT_TRUE(inside);
}

// Lines a page holds at the font's own pitch, learnt from a text without form feeds, which
// flows at that pitch.
int linesPerPage(RichTextBox &box, const QRect &page) {
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("Row %1\r\n").arg(i);
    box.setSelText(text);
    QImage sheet(100, 100, QImage::Format_RGB32);
    sheet.setDotsPerMeterX(11811); // 300 dots per inch
    sheet.setDotsPerMeterY(11811);
    QPainter p(&sheet);
    const int next = box.formatRange(0, p, page);
    return int(box.Text().left(next).count(u'\n'));
}

TEST_F(FormatRangeTest, PageCountedForOneSheetKeepsItsLinesTogetherWhenThePitchIsTaller) {
    box.setSelFontName(QStringLiteral("Arial"));
    box.setSelFontSize(10);
    const QRect probe(1440, 1440, 9000, 7200);
    const int perProbe = linesPerPage(box, probe);
    ASSERT_GT(perProbe, 20);
    const double pitch = 7200.0 / perProbe; // twips a line, within a line in a page

    // Sections of 30 lines closed by form feeds, as the list reports write them.
    const auto sections = [this](int count) {
        box.setTextRTF(QString());
        box.setSelFontName(QStringLiteral("Arial"));
        box.setSelFontSize(10);
        QString text;
        for (int s = 0; s < count; ++s) {
            for (int i = 0; i < 30; ++i)
                text += QStringLiteral("Section %1 line %2\r\n").arg(s).arg(i);
            if (s + 1 < count)
                text += QStringLiteral("\f");
        }
        box.setSelText(text);
    };
    // A page a tenth too short for the font: each section still takes one sheet.
    sections(3);
    const QRect tight(1440, 1440, 9000, int(30 * pitch * 0.9));
    EXPECT_EQ(print(tight), 3);
    const QString plain = box.Text();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(plain.mid(starts[1], 16), QStringLiteral("Section 1 line 0"));
    EXPECT_EQ(plain.mid(starts[2], 16), QStringLiteral("Section 2 line 0"));

    // Far too short to press that much: the lines flow on at their own pitch.
    starts.clear();
    sections(2);
    EXPECT_EQ(print(QRect(1440, 1440, 9000, int(30 * pitch * 0.6))), 4);
}

} // namespace
