// Drawing the box page by page onto a PDF printer the way the report window prints: each call
// returns the first character not drawn, a form feed ends its page, an empty text ends at once
// and a line taller than the page still moves on.
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

} // namespace
