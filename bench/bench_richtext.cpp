// Opening and saving a 1 MB note in the rich-text box: about 250 KB of text in 2,000 formatted
// paragraphs and four 100 KB JPEG pictures. Opening sets TextRTF, saving reads it. The baseline
// is Qt's own rich text of the same document in the same run: setHtml and toHtml on a text edit,
// the pictures as data: URLs.
// Goals: under 0.2 s each way, and within 1.5 times Qt's HTML.
#include "BenchMain.h"
#include "BenchNote.h"

namespace {

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

int main(int argc, char **argv) { return bench::runOffscreenBenchmarks(argc, argv); }
