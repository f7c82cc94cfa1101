// The reader meets thousands of damaged documents: the fixtures and a written document cut
// short, with bytes flipped, braces, backslashes and escapes dropped in, stretches repeated.
// Each read must return with no more text than its input could hold, and what it read must
// survive our own writing: reading that back gives the same text, and writing it again the
// same bytes. This file is also built alone with AddressSanitizer and
// UndefinedBehaviorSanitizer (tests.cmake), so it needs nothing but the reader and writer.
#include "common/TestRng.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

using namespace platform::richtext;

namespace {

// The sanitizer build has no test main of ours: the documents need a GUI application for fonts.
void ensureApplication() {
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "rtf-mutations";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

using testenv::Rng;

QByteArray mutate(QByteArray b, Rng &r) {
    if (b.isEmpty())
        return b;
    const auto pos = [&] { return qsizetype(r.below(quint32(b.size()))); };
    static const char *const snippets[] = {"{", "}", "\\", "\\'", "\\'8", "\\u-10179?", "\\u", "\\uc2", "\\bin99999",
                                         "{\\*\\x ", "\\pict", "\\par", "\\fs99999999999", "\\f99", "\\cf99",
                                         "\\ansicpg932", "\\'82", "{\\pict\\pngblip 89", "\\plain", "\xe9\x82"};
    switch (r.below(5)) {
    case 0:
        b.truncate(pos());
        break;
    case 1:
        for (quint32 i = 0, n = 1 + r.below(8); i < n; ++i)
            b[pos()] = char(b[pos()] ^ char(1 + r.below(255)));
        break;
    case 2:
        for (quint32 i = 0, n = 1 + r.below(4); i < n; ++i)
            b.insert(pos(), snippets[r.below(std::size(snippets))]);
        break;
    case 3: {
        const qsizetype at = pos();
        b.remove(at, 1 + r.below(16));
        break;
    }
    default: {
        const qsizetype at = pos();
        b.insert(pos(), b.mid(at, 1 + r.below(64)));
        break;
    }
    }
    return b;
}

QList<QByteArray> seeds() {
    QList<QByteArray> out;
    const QDir dir(QStringLiteral(ORVALIS_TEST_DATA_DIR "/rtf"));
    for (const QString &name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out << f.readAll();
    }
    out << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}{\\f1\\fnil\\fcharset128 M;}}\r\n"
                      "{\\colortbl ;\\red255\\green0\\blue0;}\r\n\\pard\\qc\\fs21 a\\b\\cf1 b\\'e9\\u-10179?\\u-8704?\\tab\\par\r\n"
                      "\\pard\\f1\\'82\\'a0{\\pict\\pngblip\\picw1\\pich1\\picwgoal15\\pichgoal15 89504e47}\\page\\par\r\n}");
    return out;
}

} // namespace

TEST(RtfMutations, DamagedDocumentsNeverBreakTheReaderAndSurviveRewriting) {
    ensureApplication();
    Rng r(20261209);
    const QList<QByteArray> base = seeds();
    ASSERT_GE(base.size(), 5);
    int reads = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray doc = base[r.below(quint32(base.size()))];
        for (quint32 k = 0, n = 1 + r.below(3); k < n; ++k)
            doc = mutate(doc, r);
        RichTextDocument first;
        const bool rtf = RtfReader::isRtf(QByteArrayView(doc));
        if (rtf)
            RtfReader::read(doc, first);
        else
            RtfReader::readPlain(QString::fromLatin1(doc), first);
        ++reads;
        ASSERT_LE(first.toRawText().size(), doc.size()) << "round " << round;
        const QByteArray written = RtfWriter::write(first);
        RichTextDocument second;
        const QList<ReadProblem> problems = RtfReader::read(written, second);
        ASSERT_TRUE(problems.isEmpty()) << "round " << round << ": " << problems[0].what.toStdString();
        ASSERT_EQ(second.toRawText().toStdString(), first.toRawText().toStdString()) << "round " << round;
        ASSERT_EQ(RtfWriter::write(second).toStdString(), written.toStdString()) << "round " << round;
    }
    EXPECT_EQ(reads, 3000);
}
