// The 1 MB note (bench/BenchNote.h) through the titled notes window, database included: shown by
// choosing its title in the list (the row read and the RTF read into the box), and saved by
// choosing another title after an edit (the RTF written and the row updated, then a small note
// shown). The baseline is Qt's own rich text of the same document in the same run: setHtml and
// toHtml on a text edit.
// Goals: under 0.2 s each way, and within 2 times Qt's HTML.
#include "BenchCatalogue.h"
#include "BenchMain.h"
#include "BenchNote.h"

#include "notes/MemoForm.h"

#include <QComboBox>

namespace {

namespace ui = platform::ui;
using notes::MemoForm;

// A catalogue holding the big note and a small one, and the window open on the small one.
struct Session {
    QTemporaryDir dir;
    std::unique_ptr<ui::ScriptedPrompts> prompts = std::make_unique<ui::ScriptedPrompts>();
    MemoForm *w = nullptr;

    Session() {
        auto &s = core::g();
        s.DataFolder = dir.path() + QStringLiteral("/");
        s.DatabasePath = s.DataFolder + QStringLiteral("OVdata.mdb");
        bench::copyEmptyCatalogue(s.DatabasePath);
        s.Db = platform::db::Database::open(s.DatabasePath);
        s.Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name, Setting8) Values ('NOTE', 'Big', ?)"),
                      QVariantList{bench::note().rtf});
        s.Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name, Setting8) Values ('NOTE', 'Small', ?)"),
                      QVariantList{QStringLiteral("small")});
        s.Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name) Values ('LASTNOTE', '1')"));
        w = ui::form<MemoForm>();
        w->Form_Activate();
    }
    ~Session() {
        w->NoteChanged = false;
        ui::unloadAllForms();
        ui::flushUnloadedForms();
        core::g().Db.reset();
    }
    void choose(const QString &title) {
        w->cmbTitle->setCurrentIndex(w->cmbTitle->findText(title));
        w->cmbTitle_Click();
    }
};

void BM_MemoShowBigNote(benchmark::State &state) {
    Session session;
    for (auto _ : state) {
        state.PauseTiming();
        session.choose(QStringLiteral("Small"));
        state.ResumeTiming();
        session.choose(QStringLiteral("Big"));
    }
}

void BM_MemoSaveBigNote(benchmark::State &state) {
    Session session;
    for (auto _ : state) {
        state.PauseTiming();
        session.choose(QStringLiteral("Big"));
        session.w->NoteChanged = true;
        state.ResumeTiming();
        session.choose(QStringLiteral("Small"));
    }
}

} // namespace

BENCHMARK(BM_MemoShowBigNote)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(bench::qtSetHtmlOfNote)->Name("BM_QtSetHtmlOfTheNote")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MemoSaveBigNote)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(bench::qtToHtmlOfNote)->Name("BM_QtToHtmlOfTheNote")->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char **argv) { return bench::runOffscreenBenchmarks(argc, argv); }
