// Opening and saving a 1 MB note in the rich-text box: about 250 KB of text in 2,000 formatted
// paragraphs and four 100 KB JPEG pictures. Opening sets TextRTF, saving reads it. The baseline
// is Qt's own rich text of the same document in the same run: setHtml and toHtml on a text edit,
// the pictures as data: URLs.
// Goals: under 0.2 s each way, and within 1.5 times Qt's HTML.
//
// Also timed: reading a pasted document with a huge font table (40,000 and 200,000 fonts, each
// with its own \fcharset, one in seven used for a word of text). The baseline is Qt's setHtml of
// the same words in the same fonts, at 40,000 only: Qt's own reading compares each new font with
// every one before it, and 200,000 take minutes. Goal: reading stays linear in the number of
// fonts, 200,000 fonts within 6 times the time of 40,000.
#include "BenchMain.h"
#include "BenchNote.h"

#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfReader.h"

namespace {

constexpr int kFontsPerUse = 7;

QByteArray manyFontsRtf(int fonts) {
    static const int charsets[] = {0, 1, 2, 77, 128, 129, 134, 136, 161, 162, 177, 178, 186, 204, 222, 238, 255};
    QByteArray r = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (int i = 0; i < fonts; ++i)
        r += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" +
             QByteArray::number(charsets[i % std::size(charsets)]) + " Font " + QByteArray::number(i) + ";}";
    r += "}\r\n";
    for (int i = 0; i < fonts; i += kFontsPerUse)
        r += "\\f" + QByteArray::number(i) + " word " + QByteArray::number(i) + (i % 70 == 0 ? "\\par\r\n" : " ");
    return r + "}";
}

QString manyFontsHtml(int fonts) {
    QString h = QStringLiteral("<html><body><p>");
    for (int i = 0; i < fonts; i += kFontsPerUse) {
        h += QStringLiteral("<span style=\"font-family:'Font %1'\">word %1 </span>").arg(i);
        if (i % 70 == 0)
            h += QStringLiteral("</p><p>");
    }
    return h + QStringLiteral("</p></body></html>");
}

void BM_ReadManyFontsRtf(benchmark::State &state) {
    const QByteArray rtf = manyFontsRtf(int(state.range(0)));
    for (auto _ : state) {
        platform::richtext::RichTextDocument doc;
        benchmark::DoNotOptimize(platform::richtext::RtfReader::read(rtf, doc));
    }
    state.counters["rtf_bytes"] = double(rtf.size());
}

void BM_QtSetHtmlManyFonts(benchmark::State &state) {
    const QString html = manyFontsHtml(int(state.range(0)));
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(html);
        benchmark::DoNotOptimize(doc.characterCount());
    }
}

using bench::note;
using bench::Note;
using platform::richtext::RichTextBox;

void BM_OpenNoteRtf(benchmark::State &state) {
    const Note &n = note();
    RichTextBox box;
    for (auto _ : state)
        box.setTextRTF(n.rtf);
    state.counters["rtf_bytes"] = double(n.rtf.size());
    state.counters["text_chars"] = double(n.textChars);
}

void BM_SaveNoteRtf(benchmark::State &state) {
    const Note &n = note();
    RichTextBox box;
    box.setTextRTF(n.rtf);
    for (auto _ : state)
        benchmark::DoNotOptimize(box.TextRTF());
}

} // namespace

BENCHMARK(BM_OpenNoteRtf)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(bench::qtSetHtmlOfNote)->Name("BM_QtSetHtml")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveNoteRtf)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(bench::qtToHtmlOfNote)->Name("BM_QtToHtml")->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK(BM_ReadManyFontsRtf)->Arg(40000)->Arg(200000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_QtSetHtmlManyFonts)->Arg(40000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char **argv) { return bench::runOffscreenBenchmarks(argc, argv); }
