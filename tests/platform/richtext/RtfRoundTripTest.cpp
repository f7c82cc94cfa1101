// What the writer writes and the reader gives back: one small document word for word, and a
// document with every attribute, fonts, colours, alignments, breaks, scripts and pictures that
// must come back with the same text, formats and picture bytes and be rewritten byte for byte.
#include "platform/richtext/CharAttributes.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfWriter.h"

#include "common/TestEnv.h"
#include "RichTextTestUtil.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>

using namespace platform::richtext;
using richtexttest::imageBytes;

namespace {

// Each fragment of the document: its text, attributes and, for a picture, its bytes and size.
struct Run {
    QString text;
    CharAttributes attributes;
    int alignment;
    QByteArray picture;
    QSizeF size;
    bool operator==(const Run &) const = default;
};

std::vector<Run> runsOf(const RichTextDocument &doc) {
    std::vector<Run> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int al = int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
        if (b.length() == 1)
            out.push_back({QString(), CharAttributes::of(b.charFormat(), doc.defaultFont()), al, {}, {}});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            Run p{it.fragment().text(), CharAttributes::of(f, doc.defaultFont()), al, {}, {}};
            if (f.isImageFormat()) {
                const Picture *pic = doc.pictures().find(f.toImageFormat().name());
                p.picture = pic ? pic->bytes : QByteArray("missing");
                p.size = QSizeF(f.toImageFormat().width(), f.toImageFormat().height());
                p.attributes = {};
            }
            out.push_back(p);
        }
    }
    return out;
}

class RtfRoundTripTest : public OrvalisTest {
protected:
    RichTextBox box;
    void SetUp() override {
        OrvalisTest::SetUp();
        box.setFont(QFont(QStringLiteral("Tahoma"), 10));
        box.richDocument()->setDefaultFont(QFont(QStringLiteral("Tahoma"), 10));
    }
    void addPicture(const QByteArray &bytes, const QString &name) {
        const QString path = tmp.file(name);
        testenv::writeFile(path, bytes);
        ASSERT_TRUE(box.insertPicture(path));
    }
    void align(Qt::Alignment a) {
        QTextCursor c = box.textCursor();
        QTextBlockFormat f = c.blockFormat();
        f.setAlignment(a);
        c.setBlockFormat(f);
        box.setTextCursor(c);
    }
};

TEST_F(RtfRoundTripTest, SmallDocumentIsWrittenWordForWord) {
    box.setSelFontSize(10.5);
    box.setSelText(QStringLiteral("Say {hi} \\ 1"));
    box.setSelBold(true);
    box.setSelColor(0x0000FF);
    box.setSelText(QStringLiteral("2 bold"));
    box.setSelBold(false);
    box.setSelColor(0);
    box.setSelFontName(QStringLiteral("Arial"));
    box.setSelText(QStringLiteral("\r\n"));
    align(Qt::AlignHCenter);
    box.setSelText(QStringLiteral("caf\u00e9\u20ac\u0436\U0001F600\tx\u00a0y-z"));
    box.setSelText(QStringLiteral("\r\n\f"));
    // Punctuation right after a word: some readers take it into the word unless a blank ends it.
    box.setSelUnderline(true);
    box.setSelText(QStringLiteral("underlined"));
    box.setSelUnderline(false);
    box.setSelText(QStringLiteral("."));
    const QByteArray expected =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}"
        "{\\f1\\fnil\\fcharset0 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}\r\n"
        "\\pard\\fs21 Say \\{hi\\} \\\\ 1\\b\\cf1 2 bold\\par\r\n"
        "\\pard\\qc\\f1\\b0\\cf2 caf\\'e9\\'80\\u1078 ?\\u-10179 ?\\u-8704 ?\\tab x\\~y-z\\par\r\n"
        "\\pard\\qc\\page\\ul underlined\\ulnone .\\par\r\n"
        "}";
    EXPECT_EQ(RtfWriter::write(*box.richDocument()).toStdString(), expected.toStdString());
}

TEST_F(RtfRoundTripTest, EveryAttributeFontColourAlignmentScriptAndPictureComesBack) {
    const QByteArray png = imageBytes("PNG", 7, 5);
    const QByteArray jpeg = imageBytes("JPEG", 9, 6);
    const struct {
        const char *font;
        double size;
        bool bold, italic, underline, strike;
        long color;
        const char16_t *text;
    } runs[] = {
        {"Tahoma", 10.5, false, false, false, false, 0, u"Latin caf\u00e9 \u00c5ngstr\u00f6m "},
        {"Arial", 12, true, false, false, false, 0x0000FF, u"bold red "},
        {"Courier New", 8, false, true, false, false, 0x00FF00, u"italic green\t"},
        {"Arial", 20, false, false, true, false, 0xFF0000, u"\u041a\u0438\u0440\u0438\u043b\u043b\u0438\u0446\u0430 "},
        {"Tahoma", 9, true, true, true, true, 0x808080, u"\u65e5\u672c\u8a9e\u6587\u5b57 "},
        {"Courier New", 11, false, false, false, true, 0x123456, u"emoji \U0001F3B5\U0001F600\u2028next line\f"},
    };
    const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    int para = 0;
    for (const auto &r : runs) {
        box.setSelFontName(QString::fromLatin1(r.font));
        box.setSelFontSize(r.size);
        box.setSelBold(r.bold);
        box.setSelItalic(r.italic);
        box.setSelUnderline(r.underline);
        box.setSelStrikeThru(r.strike);
        box.setSelColor(r.color);
        box.setSelText(QString::fromUtf16(r.text));
        if (&r == &runs[2] || &r == &runs[4]) {
            align(aligns[para++ % 4]);
            box.setSelText(QStringLiteral("\r\n"));
        }
    }
    align(aligns[para++ % 4]);
    addPicture(png, QStringLiteral("a.png"));
    box.setSelText(QStringLiteral(" between "));
    addPicture(jpeg, QStringLiteral("b.jpg"));
    box.setSelText(QStringLiteral("\r\n\r\n"));
    align(Qt::AlignJustify);
    box.setSelText(QStringLiteral("last {\\} line"));

    const QString rtf = box.TextRTF();
    for (QChar c : rtf)
        ASSERT_LT(c.unicode(), 0x80) << "the RTF is not seven-bit";
    RichTextBox again;
    again.setFont(box.font());
    again.richDocument()->setDefaultFont(box.richDocument()->defaultFont());
    again.setTextRTF(rtf);
    EXPECT_TRUE(again.readProblems().isEmpty());
    EXPECT_EQ(again.Text(), box.Text());
    EXPECT_EQ(runsOf(*again.richDocument()), runsOf(*box.richDocument()));
    EXPECT_EQ(again.TextRTF().toStdString(), rtf.toStdString());
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\jpegblip\\picw9\\pich6\\picwgoal135\\pichgoal90 ")));
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\qr")));
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\qj")));
    // Hex lines of 128 digits.
    for (const QString &line : rtf.split(QStringLiteral("\r\n"))) {
        if (line.size() >= 128 && !line.contains(u'\\')) {
            EXPECT_EQ(line.size(), 128);
        }
    }
}

TEST_F(RtfRoundTripTest, EmptyParagraphsKeepTheirFormatAndTheLastParagraphOpensNoEmptyOne) {
    box.setSelFontSize(20);
    box.setSelText(QStringLiteral("\r\n\r\nx\r\n"));
    const QString rtf = box.TextRTF();
    RichTextBox again;
    again.richDocument()->setDefaultFont(box.richDocument()->defaultFont());
    again.setTextRTF(rtf);
    EXPECT_EQ(again.richDocument()->blockCount(), box.richDocument()->blockCount());
    EXPECT_EQ(again.Text(), QStringLiteral("\n\nx\n"));
    EXPECT_EQ(again.TextRTF().toStdString(), rtf.toStdString());
    again.setSelStart(1);
    EXPECT_EQ(again.SelFontSize(), 20.0);

    RichTextBox empty;
    const QString blank = empty.TextRTF();
    empty.setTextRTF(blank);
    EXPECT_EQ(empty.richDocument()->blockCount(), 1);
    EXPECT_EQ(empty.TextRTF(), blank);
}

TEST_F(RtfRoundTripTest, PicturesWeCannotDrawAreKeptWithTheirOwnWordsAndBytes) {
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
        "{\\colortbl ;}\r\n"
        "\\pard\\fs20 a{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0102abcdef}b\\par\r\n"
        "}");
    box.setTextRTF(rtf);
    EXPECT_TRUE(box.readProblems().isEmpty());
    EXPECT_EQ(box.Text(), QStringLiteral("a") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("b"));
    EXPECT_EQ(box.TextRTF(), rtf);
    box.setSelStart(1);
    box.setSelLength(1);
    // Shown as a frame of its goal size: one inch by half an inch.
    const QTextCharFormat f = box.textCursor().charFormat();
    ASSERT_TRUE(f.isImageFormat());
    EXPECT_DOUBLE_EQ(f.toImageFormat().width(), 96.0);
    EXPECT_DOUBLE_EQ(f.toImageFormat().height(), 48.0);
    const QVariant drawn = box.richDocument()->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name()));
    EXPECT_EQ(qvariant_cast<QImage>(drawn).size(), QSize(96, 48));
}

} // namespace
