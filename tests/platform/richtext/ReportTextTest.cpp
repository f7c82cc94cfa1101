// A report written into a document of its own comes out as the same RTF as the same report
// typed into the box through its Sel* setters.
#include "platform/richtext/ReportText.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfWriter.h"

#include "common/TestEnv.h"

#include <QPointer>
#include <QSignalSpy>

#include <memory>

using namespace platform::richtext;

namespace {

struct Step {
    enum Kind { Font, Size, Bold, Color, Text } kind;
    QString text;
    double number = 0;
};

TEST(ReportText, WritesTheRtfTheBoxsSettersWouldGive) {
    const QList<Step> steps = {
        {Step::Size, {}, 12}, {Step::Bold, {}, 1}, {Step::Color, {}, 0xFF0000}, {Step::Text, QStringLiteral("Heading\r\n\r\n")},
        {Step::Font, QStringLiteral("Courier New")}, {Step::Size, {}, 10}, {Step::Bold, {}, 0}, {Step::Color, {}, 0},
        {Step::Text, QStringLiteral(" Song [by] Ärtist\r\n")}, {Step::Size, {}, 0}, // refused: no change
        {Step::Size, {}, 8}, {Step::Text, QStringLiteral("      File name: /a\rb\n")},
        {Step::Size, {}, 8}, {Step::Color, {}, 0xFFFFFF}, {Step::Text, QStringLiteral("\r\n\r\n\r\n") + QChar(12)},
        {Step::Font, QStringLiteral("Arial")}, {Step::Color, {}, 0}, {Step::Text, QStringLiteral(" last")},
        // Settings repeated from formats met before give the formats they gave there.
        {Step::Size, {}, 10}, {Step::Text, QStringLiteral("a\r\n")}, {Step::Size, {}, 8}, {Step::Text, QStringLiteral("b")},
        {Step::Size, {}, 10}, {Step::Text, QStringLiteral("c")}, {Step::Bold, {}, 1}, {Step::Size, {}, 8},
        {Step::Text, QStringLiteral("d")}, {Step::Bold, {}, 0}, {Step::Size, {}, 8}, {Step::Text, QStringLiteral("e")},
        {Step::Font, QStringLiteral("Courier New")}, {Step::Size, {}, 10}, {Step::Text, QStringLiteral("f")},
    };
    RichTextBox box;
    box.setText(QString());
    box.setSelFontName(QStringLiteral("Arial"));
    RichTextDocument doc;
    doc.setDefaultFont(box.document()->defaultFont());
    {
        ReportText out(doc, ReportText::fontChange(QStringLiteral("Arial")));
        for (const Step &s : steps) {
            switch (s.kind) {
            case Step::Font: box.setSelFontName(s.text); out.font(s.text); break;
            case Step::Size: box.setSelFontSize(s.number); out.size(s.number); break;
            case Step::Bold: box.setSelBold(s.number != 0); out.bold(s.number != 0); break;
            case Step::Color: box.setSelColor(long(s.number)); out.color(long(s.number)); break;
            case Step::Text: box.setSelText(s.text); out.append(s.text); break;
            }
        }
    }
    EXPECT_EQ(QString::fromLatin1(RtfWriter::write(doc)), box.TextRTF());
    EXPECT_EQ(doc.toRawText(), box.document()->toRawText());
}

// The box takes a document written apart whole: it shows and saves that text in its own
// default font, frees the document it held, raises Change once, and still raises it when
// the user types.
TEST(ReportText, ABoxTakesADocumentWrittenApartAsItsOwn) {
    RichTextBox box;
    box.setText(QStringLiteral("old text"));
    const QPointer<QTextDocument> old = box.document();
    auto doc = std::make_unique<RichTextDocument>();
    {
        ReportText out(*doc, ReportText::fontChange(QStringLiteral("Arial")));
        out.bold(true);
        out.append(QStringLiteral("Heading\r\n"));
        out.bold(false);
        out.append(QStringLiteral(" line"));
    }
    QSignalSpy change(&box, &RichTextBox::Change);
    box.adopt(std::move(doc));
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(box.Text(), QStringLiteral("Heading\n line"));
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.document()->defaultFont(), box.font());
    box.setSelStart(0);
    box.setSelLength(7);
    EXPECT_EQ(box.SelBold(), std::optional<bool>(true));
    EXPECT_EQ(box.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));

    RichTextBox reread;
    reread.setTextRTF(box.TextRTF());
    EXPECT_EQ(reread.Text(), box.Text());
    box.setSelStart(int(box.Text().size()));
    box.setSelText(QStringLiteral("!"));
    EXPECT_EQ(change.count(), 2);
}

} // namespace
