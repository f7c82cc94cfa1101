// Reading RTF of other writers: the fixtures of tests/data/rtf with their text and a few
// formats, code pages and Unicode escapes, and damaged RTF that must keep its text and say
// what was wrong.
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfReader.h"

#include "common/TestEnv.h"
#include "RichTextTestUtil.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>

#include <functional>

using namespace platform::richtext;

namespace {

const QChar kPicture(QChar::ObjectReplacementCharacter);

QString fixturePath(const char *name) {
    return QStringLiteral(ORVALIS_TEST_DATA_DIR "/rtf/") + QString::fromLatin1(name);
}

void select(RichTextBox &box, const QString &word, int nth = 0) {
    int at = -1;
    for (int i = 0; i <= nth; ++i)
        at = int(box.Text().indexOf(word, at + 1));
    ASSERT_GE(at, 0) << word.toStdString();
    box.setSelStart(at);
    box.setSelLength(int(word.size()));
}

Qt::Alignment alignmentOfLine(RichTextBox &box, int line) {
    return box.richDocument()->findBlockByNumber(line).blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

struct Fixture {
    const char *file;
    const char16_t *text;
    std::function<void(RichTextBox &)> formats;
};

const Fixture kFixtures[] = {
    {"wordpad-fonts-colours.rtf", u"Plain bold red italic\nCentred under\nright",
     [](RichTextBox &b) {
         select(b, QStringLiteral("Plain"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Calibri"));
         EXPECT_EQ(b.SelFontSize(), 11.0);
         EXPECT_EQ(b.SelBold(), false);
         select(b, QStringLiteral("bold"));
         EXPECT_EQ(b.SelBold(), true);
         select(b, QStringLiteral("red"));
         EXPECT_EQ(b.SelColor(), 0x0000FFL);
         select(b, QStringLiteral("italic"));
         EXPECT_EQ(b.SelItalic(), true);
         EXPECT_EQ(b.SelColor(), 0L);
         select(b, QStringLiteral("Centred"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Arial"));
         EXPECT_EQ(b.SelFontSize(), 14.0);
         select(b, QStringLiteral("under"));
         EXPECT_EQ(b.SelUnderline(), true);
         EXPECT_EQ(alignmentOfLine(b, 1), Qt::AlignHCenter);
         EXPECT_EQ(alignmentOfLine(b, 2), Qt::AlignRight);
     }},
    {"word-fields-shapes-pictures.rtf", u"See the site now.\nPicture: \uFFFC and \uFFFC.\nEnd",
     [](RichTextBox &b) {
         select(b, QStringLiteral("the site"));
         EXPECT_EQ(b.SelColor(), 0xFF0000L);
         EXPECT_EQ(b.SelUnderline(), true);
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Calibri"));
         select(b, QString(QChar(QChar::ObjectReplacementCharacter)));
         QTextImageFormat png = b.textCursor().charFormat().toImageFormat();
         // 600 x 300 twips at a horizontal scale of 50 %.
         EXPECT_DOUBLE_EQ(png.width(), 20.0);
         EXPECT_DOUBLE_EQ(png.height(), 20.0);
         const Picture *p = b.richDocument()->pictures().find(png.name());
         ASSERT_TRUE(p);
         EXPECT_EQ(p->kind, PictureKind::Png);
         EXPECT_EQ(p->pixels, QSize(3, 2));
         select(b, QString(QChar(QChar::ObjectReplacementCharacter)), 1);
         const QTextImageFormat dib = b.textCursor().charFormat().toImageFormat();
         const Picture *d = b.richDocument()->pictures().find(dib.name());
         ASSERT_TRUE(d);
         EXPECT_EQ(d->kind, PictureKind::Png) << "a device-independent bitmap is made PNG";
         const QImage img = QImage::fromData(d->bytes);
         EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
         EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
         EXPECT_DOUBLE_EQ(dib.width(), 2.0);
     }},
    {"symbols-and-breaks.rtf",
     u"a\u2014b\u2013c\u2022d\u2018e\u2019f\u201Cg\u201Dh\u00A0i\tj\nk\fl\u2011mn\n{braces} and \\backslash",
     [](RichTextBox &b) { EXPECT_EQ(b.richDocument()->toRawText().count(QChar::LineSeparator), 1); }},
    {"underline-kinds-and-plain.rtf", u"dotted words wave plain struck big reset",
     [](RichTextBox &b) {
         for (const char *w : {"dotted", "words", "wave"}) {
             select(b, QString::fromLatin1(w));
             EXPECT_EQ(b.SelUnderline(), true) << w;
         }
         select(b, QStringLiteral(" words "));
         EXPECT_EQ(b.SelUnderline(), std::nullopt);
         select(b, QStringLiteral("plain"));
         EXPECT_EQ(b.SelUnderline(), false);
         select(b, QStringLiteral("struck"));
         EXPECT_EQ(b.SelStrikeThru(), true);
         select(b, QStringLiteral("big"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Georgia"));
         EXPECT_EQ(b.SelFontSize(), 15.0);
         EXPECT_EQ(b.SelBold(), true);
         EXPECT_EQ(b.SelItalic(), true);
         select(b, QStringLiteral("reset"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Verdana"));
         EXPECT_EQ(b.SelFontSize(), 12.0);
         EXPECT_EQ(b.SelBold(), false);
     }},
    {"table-rows-and-cells.rtf", u"a\tb\nc\td\nafter", [](RichTextBox &) {}},
    {"flat-font-table-no-sizes.rtf", u"no size here helvetica",
     [](RichTextBox &b) {
         select(b, QStringLiteral("no size"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Times"));
         EXPECT_EQ(b.SelFontSize(), 12.0);
         select(b, QStringLiteral("helvetica"));
         EXPECT_EQ(b.SelFontName(), QStringLiteral("Helvetica"));
     }},
    {"plain-text-lines.txt", u"first line\nsecond\nthird\n\nfifth\fsixth", [](RichTextBox &) {}},
};

class RtfFixtureTest : public OrvalisTest, public ::testing::WithParamInterface<Fixture> {};

TEST_P(RtfFixtureTest, ReadsTheTextAndFormatsOfOtherWriters) {
    RichTextBox box;
    box.LoadFile(fixturePath(GetParam().file));
    EXPECT_TRUE(box.readProblems().isEmpty()) << box.readProblems().value(0).what.toStdString();
    EXPECT_EQ(box.Text(), QString::fromUtf16(GetParam().text));
    GetParam().formats(box);
    // Once read, our own writing of it reads back the same.
    const QString rtf = box.TextRTF();
    RichTextBox again;
    again.setTextRTF(rtf);
    EXPECT_EQ(again.Text(), box.Text());
    EXPECT_EQ(again.TextRTF(), rtf);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RtfFixtureTest, ::testing::ValuesIn(kFixtures),
                         [](const auto &p) {
                             QString n = QString::fromLatin1(p.param.file);
                             n.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
                             return n.toStdString();
                         });

struct Decoding {
    const char *name;
    QByteArray rtf;
    const char16_t *text;
};

class CodePageTest : public OrvalisTest, public ::testing::WithParamInterface<Decoding> {};

TEST_P(CodePageTest, DecodesBytesAndUnicodeEscapes) {
    RichTextDocument doc;
    const QList<ReadProblem> problems = RtfReader::read(GetParam().rtf, doc);
    EXPECT_EQ(doc.toRawText(), QString::fromUtf16(GetParam().text));
    EXPECT_TRUE(problems.isEmpty()) << problems.value(0).what.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageTest,
    ::testing::Values(
        Decoding{"Cyrillic1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}",
                 u"\u041f\u0440\u0438\u0432\u0435\u0442"},
        Decoding{"RawBytes1251", "{\\rtf1\\ansi\\ansicpg1251 \xcf\xf0}", u"\u041f\u0440"},
        Decoding{"ShiftJisLeadBytesJoinTheirTrail", "{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b\\'83\\'5c\\'b1}",
                 u"\u65e5\u672c\u30bd\uff71"},
        Decoding{"FontCharsetRulesItsBytes",
                 "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset0 A;}{\\f1\\fnil\\fcharset128 M;}}"
                 "\\f0\\'e9\\f1\\'82\\'a0\\f0\\'e9}",
                 u"\u00e9\u3042\u00e9"},
        Decoding{"FontCodePage", "{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg1251 X;}}\\f0\\'c0}", u"\u0410"},
        Decoding{"Mac", "{\\rtf1\\mac \\'8a\\'8e}", u"\u00e4\u00e9"},
        Decoding{"Pc", "{\\rtf1\\pc \\'82\\'e1}", u"\u00e9\u00df"},
        Decoding{"Pca", "{\\rtf1\\pca \\'9b}", u"\u00f8"},
        Decoding{"NegativeUnicode", "{\\rtf1\\ansi \\u-30050?}", u"\u8a9e"},
        Decoding{"Uc0SkipsNothing", "{\\rtf1\\ansi\\uc0\\u233 x}", u"\u00e9x"},
        Decoding{"Uc2SkipsTwoHexBytes", "{\\rtf1\\ansi\\uc2\\u26085\\'93\\'fa!}", u"\u65e5!"},
        Decoding{"Uc1SkipsAHexByte", "{\\rtf1\\ansi\\uc1\\u233\\'e9x}", u"\u00e9x"},
        Decoding{"FallbackStopsAtGroupEnd", "{\\rtf1\\ansi{\\uc3\\u233 a}bc}", u"\u00e9bc"},
        Decoding{"FallbackSkipsAControlWord", "{\\rtf1\\ansi\\u8212\\emdash x}", u"\u2014x"},
        Decoding{"SurrogatePairIsOneCharacter", "{\\rtf1\\ansi \\u-10179?\\u-8704?}", u"\U0001F600"},
        Decoding{"LoneHighSurrogate", "{\\rtf1\\ansi \\u-10179?x}", u"\uFFFDx"},
        Decoding{"LoneLowSurrogate", "{\\rtf1\\ansi \\u-8704?x}", u"\uFFFDx"}),
    [](const auto &p) { return std::string(p.param.name); });

TEST(CodePages, AnUnknownCodePageReadsAs1252AndSaysSo) {
    RichTextDocument doc;
    const QList<ReadProblem> problems = RtfReader::read("{\\rtf1\\ansi\\ansicpg4242 \\'e9}", doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("\u00e9"));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].what.contains(QStringLiteral("4242")));
}

struct Damage {
    const char *name;
    QByteArray rtf;
    const char16_t *text;
    std::vector<qsizetype> problemsAt;
};

class BadRtfTest : public ::testing::TestWithParam<Damage> {};

TEST_P(BadRtfTest, KeepsTheTextAndReportsEachRecovery) {
    RichTextDocument doc;
    const QList<ReadProblem> problems = RtfReader::read(GetParam().rtf, doc);
    EXPECT_EQ(doc.toRawText(), QString::fromUtf16(GetParam().text));
    std::vector<qsizetype> at;
    for (const ReadProblem &p : problems)
        at.push_back(p.at);
    EXPECT_EQ(at, GetParam().problemsAt);
}

QByteArray deep(int n) { return "{\\rtf1 " + QByteArray(n, '{') + "deep" + QByteArray(n, '}') + " end}"; }

INSTANTIATE_TEST_SUITE_P(
    Damaged, BadRtfTest,
    ::testing::Values(
        Damage{"Truncated", "{\\rtf1\\ansi hello {\\b wor", u"hello wor", {25}},
        Damage{"ExtraClosingBrace", "{\\rtf1 a}}", u"a", {8}},
        Damage{"EarlyClosingBrace", "{\\rtf1 a} b\\par c}", u"a b\u2029c", {8}},
        Damage{"BadHexEscape", "{\\rtf1 x\\'zzy\\'4}", u"x\\'zzy\\'4", {8, 13}},
        Damage{"LoneBackslashAtTheEnd", "{\\rtf1 x}\\", u"x\\", {8, 9, 10}},
        Damage{"BackslashBeforeADigit", "{\\rtf1 C:\\5}", u"C:\\5", {9}},
        Damage{"HundredThousandNestedGroups", deep(100000), u"deep end", {1006}},
        Damage{"ThirtyDigitParameter", "{\\rtf1 a\\fs123456789012345678901234567890 b}", u"ab", {8}},
        Damage{"FortyLetterWord", "{\\rtf1 a\\" + QByteArray(40, 'q') + " b}", u"ab", {8}},
        Damage{"NonHexPictureData", "{\\rtf1 {\\pict\\pngblip zz0011}x}", u"\uFFFCx", {22}},
        Damage{"UnclosedPicture", "{\\rtf1 a{\\pict\\pngblip 89504e", u"a\uFFFC", {29}},
        Damage{"BinaryLongerThanTheRest", "{\\rtf1 {\\pict\\pngblip\\bin999 abc", u"\uFFFC", {32}},
        Damage{"OnlyTheSignature", "{\\rtf", u"", {5}}),
    [](const auto &p) { return std::string(p.param.name); });

TEST(BadRtf, DeepNestingReadsFlatInLinearTimeWithoutRecursion) {
    RichTextDocument doc;
    // Open groups never closed, a million of them: read flat, closed at the end.
    const QList<ReadProblem> problems = RtfReader::read("{\\rtf1 x" + QByteArray(1000000, '{') + "y", doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("xy"));
    EXPECT_EQ(problems.size(), 2);
}

TEST(BadRtf, GroupsReadFlatKeepTheTextAroundAndInsideTheirDestinations) {
    // A hyperlink field and a bold word past the depth limit: the field's instruction is no
    // text, its result and everything after it are.
    const QByteArray field = "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}} after {\\b bold} end";
    RichTextDocument doc;
    const QList<ReadProblem> problems =
        RtfReader::read("{\\rtf1 " + QByteArray(1200, '{') + "a " + field + QByteArray(1200, '}') + " z}", doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("a link after bold end z"));
    EXPECT_EQ(problems.size(), 1);
}

// A picture as one writer puts it: inside a drawn shape, as the "pib" property, the fill
// property repeating it, and no fallback picture after the shape.
QByteArray shape(const QByteArray &pib, const QByteArray &fill, const QByteArray &after = {}) {
    QByteArray s = "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright1440\\shpbottom1440\\shpbypara\\shpwr3"
                   "{\\sp{\\sn shapeType}{\\sv 75}}";
    if (!fill.isEmpty())
        s += "{\\sp{\\sn fillBlip}{\\sv {\\pict\\pngblip\\picw2\\pich2 " + fill.toHex() + "}}}";
    if (!pib.isEmpty())
        s += "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picw3\\pich3\\picwgoal45\\pichgoal45 " + pib.toHex() + "}}}";
    return s + "{\\sp{\\sn fLine}{\\sv 0}}}" + after + "}";
}

TEST(Fonts, FontsNumberedInAnyOrderOrFarApartKeepTheirNamesAndCodePages) {
    // Numbers in order, out of order, far apart and given twice (the first stands).
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Zero;}{\\f2\\fcharset204 Two;}{\\f1 One;}"
                           "{\\f2000000000\\fcharset161 Far;}{\\f3000 Mid;}{\\f1 Again;}}"
                           "\\f2\\'c0\\f2000000000\\'c1\\f1 a\\f3000 b\\f77 c}";
    RichTextDocument doc;
    EXPECT_TRUE(RtfReader::read(rtf, doc).isEmpty());
    EXPECT_EQ(doc.toRawText(), QStringLiteral("\u0410\u0391abc"));
    const char *const families[] = {"Two", "Far", "One", "Mid", "Zero"}; // an unknown number: \deff's
    QTextCursor c(&doc);
    for (int i = 0; i < 5; ++i) {
        c.setPosition(i + 1);
        EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), QString::fromLatin1(families[i])) << i;
    }
}

TEST(ShapePictures, AShapesPictureStandsWhereTheShapeStands) {
    const QByteArray pib = richtexttest::imageBytes("PNG", 3, 3), fill = richtexttest::imageBytes("PNG", 2, 2);
    const QByteArray other = richtexttest::imageBytes("PNG", 4, 4);
    struct Case {
        const char *name;
        QByteArray shape;
        QByteArray expected; // the one picture's bytes
    };
    const Case cases[] = {
        {"PictureAndFillNoFallback", shape(pib, fill), pib},
        {"PictureOnly", shape(pib, {}), pib},
        // A fallback after a shape that gave its picture is not a second picture.
        {"FallbackAfterThePicture", shape(pib, fill, "{\\shprslt{\\pict\\pngblip " + other.toHex() + "}}"), pib},
        // A shape without a picture property keeps its fallback.
        {"FallbackOnly", shape({}, fill, "{\\shprslt{\\pict\\pngblip " + other.toHex() + "}}"), other},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RichTextDocument doc;
        const QList<ReadProblem> problems = RtfReader::read("{\\rtf1\\ansi a{\\b " + c.shape + "}b\\par}", doc);
        EXPECT_TRUE(problems.isEmpty()) << problems.value(0).what.toStdString();
        ASSERT_EQ(doc.toRawText(), QStringLiteral("a\uFFFCb"));
        QTextCursor cur(&doc);
        cur.setPosition(2);
        const QTextCharFormat f = cur.charFormat();
        ASSERT_TRUE(f.isImageFormat());
        const Picture *p = doc.pictures().find(f.toImageFormat().name());
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->bytes, c.expected);
        EXPECT_EQ(f.fontWeight(), QFont::Bold) << "the formatting around the shape";
    }
}

TEST(BadRtf, PlainTextIsReadAsLinesWithoutAProblem) {
    EXPECT_FALSE(RtfReader::isRtf(QStringView(u"  {\\rt")));
    EXPECT_TRUE(RtfReader::isRtf(QStringView(u" \r\n\t{\\rtf1}")));
    RichTextBox box;
    box.setTextRTF(QStringLiteral("line one\r\n{\\rtf1 not rtf}"));
    EXPECT_EQ(box.Text(), QStringLiteral("line one\n{\\rtf1 not rtf}"));
    EXPECT_TRUE(box.readProblems().isEmpty());
    box.setTextRTF(QStringLiteral("{\\rtf1 x}\\"));
    EXPECT_EQ(box.readProblems().size(), 3) << "closed early, a lone backslash, left open";
    box.setTextRTF(QString());
    EXPECT_TRUE(box.readProblems().isEmpty()) << "the last read's problems only";
    EXPECT_EQ(box.Text(), QString());
}

TEST(BadRtf, RtfHandedOverAsTextKeepsItsCharactersAboveAscii) {
    RichTextBox box;
    box.setTextRTF(QStringLiteral("{\\rtf1\\ansi\\ansicpg1251 Stra\u00dfe \u65e5\\'e9}"));
    EXPECT_EQ(box.Text(), QStringLiteral("Stra\u00dfe \u65e5\u0439"));
}

} // namespace
