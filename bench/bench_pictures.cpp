// The picture window's two costly moments, each against the plain Qt work of the same kind in the
// same run:
// - Save of a pasted 4000 × 3000 picture: the opening's fit into the box, then the closing's
//   encode and write of the 1024 × 768 box (goal under 0.2 s), against QImage::scaled to the box
//   plus QImageWriter at JPEG quality 75;
// - opening a stored 1024 × 768 picture (read, fit, show; goal under 10 ms), against
//   QImageReader of the same file;
// - a row change of the main grid over 100,000 songs whose rows name three stored 4000 × 3000
//   pictures, with the three-picture viewer hidden and shown (goal: at most 30 ms more than the
//   same row change with no picture work), against QImageReader reading the same three files;
//   mode 3 shows the viewer over rows that each name three pictures the row before did not
//   (four sets in turn), so that no picture is in memory yet.
#include "BenchCatalogue.h"
#include "core/AppState.h"
#include "pictures/Pics3.h"
#include "pictures/PictureForm.h"
#include "platform/ui/Forms.h"
#include "songlist/OtherWindows.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QStandardPaths>
#include <QImageWriter>
#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>

namespace {

QImage photoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double t = 18.0 * std::sin(x * 0.21 + y * 0.07) * std::cos(y * 0.13);
            line[x] = qRgb(int(40 + 170.0 * x / w + t) & 255, int(60 + 120.0 * y / h - t) & 255, int(90 + t) & 255);
        }
    }
    return img;
}

QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}

void useFolder() {
    core::g().DataFolder = folder().path() + QStringLiteral("/");
    core::g().ProductName = QStringLiteral("Orvalis");
    QDir().mkpath(folder().path() + QStringLiteral("/Pictures"));
}

void BM_SavePastedPicture(benchmark::State &state) {
    useFolder();
    pictures::PictureForm::setScreenOverride(pictures::ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});
    QGuiApplication::clipboard()->setImage(photoLike(4000, 3000));
    const QString target = folder().path() + QStringLiteral("/Pictures/bench.jpg");
    core::g().PastingImage = true;
    for (auto _ : state) {
        pictures::PictureForm::setHandOverName(QStringLiteral("bench.jpg"));
        auto *w = platform::ui::form<pictures::PictureForm>();
        if (!w->Form_Load())
            state.SkipWithError("opening failed");
        w->cmdClose->setFocus();
        w->close();
        platform::ui::flushUnloadedForms();
        state.PauseTiming();
        if (!QFile::remove(target))
            state.SkipWithError("nothing stored");
        state.ResumeTiming();
    }
    core::g().PastingImage = false;
}
BENCHMARK(BM_SavePastedPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BaselineScaleAndQtJpegWrite(benchmark::State &state) {
    useFolder();
    const QImage source = photoLike(4000, 3000);
    const QString target = folder().path() + QStringLiteral("/baseline.jpg");
    for (auto _ : state) {
        const QImage box = source.scaled(1024, 768, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QImageWriter writer(target, "jpeg");
        writer.setQuality(75);
        if (!writer.write(box))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_BaselineScaleAndQtJpegWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenStoredPicture(benchmark::State &state) {
    useFolder();
    pictures::PictureForm::setScreenOverride(pictures::ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});
    const QString stored = folder().path() + QStringLiteral("/Pictures/stored.jpg");
    photoLike(1024, 768).save(stored, "JPEG", 75);
    core::g().CurrentPictureSlot = 1;
    for (auto _ : state) {
        pictures::PictureForm::setHandOverName(stored);
        auto *w = platform::ui::form<pictures::PictureForm>();
        if (!w->Form_Load())
            state.SkipWithError("opening failed");
        state.PauseTiming();
        w->cmdCancel->setFocus();
        w->close();
        platform::ui::flushUnloadedForms();
        state.ResumeTiming();
    }
}
// CPU time of the whole process: Qt's smooth scaling runs on worker threads as well.
BENCHMARK(BM_OpenStoredPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_BaselineQtReadStoredPicture(benchmark::State &state) {
    useFolder();
    const QString stored = folder().path() + QStringLiteral("/Pictures/stored.jpg");
    photoLike(1024, 768).save(stored, "JPEG", 75);
    for (auto _ : state) {
        QImageReader reader(stored);
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_BaselineQtReadStoredPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// ---------------------------------------------------------------- the grid's row change

constexpr int GridSongs = 100000;

// The main window over 100,000 songs, each naming the same three stored pictures; made once.
std::unique_ptr<bench::MainWindowSession> &gridSession() {
    static std::unique_ptr<bench::MainWindowSession> session;
    return session;
}

void namePictures(bool rotating);

bench::MainWindowSession &grid() {
    auto &session = gridSession();
    static QString dataFolder;
    if (session) {
        core::g().DataFolder = dataFolder; // the other benchmarks use a folder of their own
    } else {
        session = std::make_unique<bench::MainWindowSession>(GridSongs);
        auto &g = core::g();
        dataFolder = g.DataFolder;
        pictures::PictureForm::setScreenOverride(pictures::ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});
        QDir().mkpath(g.DataFolder + QStringLiteral("Pictures"));
        for (int n = 1; n <= 12; ++n)
            photoLike(4000, 3000).save(g.DataFolder + QStringLiteral("Pictures/p%1.jpg").arg(n), "JPEG", 75);
        namePictures(false);
    }
    return *session;
}

// Every row names p1, p2 and p3, or (rotating) rows name p1-p3, p4-p6, p7-p9, p10-p12 in turn.
void namePictures(bool rotating) {
    const char *sql = rotating ? "UPDATE tblContacts SET PicturePath1 = 'p' || (RecordID % 4 * 3 + 1) || '.jpg', "
                                 "PicturePath2 = 'p' || (RecordID % 4 * 3 + 2) || '.jpg', "
                                 "PicturePath3 = 'p' || (RecordID % 4 * 3 + 3) || '.jpg'"
                               : "UPDATE tblContacts SET PicturePath1 = 'p1.jpg', PicturePath2 = 'p2.jpg', "
                                 "PicturePath3 = 'p3.jpg'";
    sqlite3_exec(core::g().Db->handle(), sql, nullptr, nullptr, nullptr);
    gridSession()->window->Data1->refresh();
}

// Moves the grid one row on (back to the first after the last), which runs the row change.
void nextRow(songlist::NameList &w) {
    w.Data1->moveNext();
    if (w.Data1->recordset()->eof())
        w.Data1->moveFirst();
}

// state.range(0): 0 no picture work (the viewer's filling not registered), 1 viewer hidden,
// 2 viewer shown, 3 viewer shown and each row naming pictures the row before did not.
void BM_GridRowChange(benchmark::State &state) {
    auto &w = *grid().window;
    const auto mode = state.range(0);
    namePictures(mode == 3);
    songlist::OtherWindows::clear();
    if (mode > 0)
        pictures::registerWindows();
    platform::ui::unloadForm(QStringLiteral("Pics3"));
    platform::ui::flushUnloadedForms();
    if (mode >= 2) {
        w.cmdPictures_Click();
        QCoreApplication::processEvents();
    }
    for (auto _ : state) {
        nextRow(w);
        if (mode >= 2)
            QCoreApplication::processEvents(); // the shown viewer repaints
    }
    if (mode > 0) {
        auto *viewer = platform::ui::findForm<pictures::Pics3>();
        if (!viewer || viewer->isVisible() != (mode >= 2) || viewer->windowTitle().isEmpty())
            state.SkipWithError("the viewer did not follow the grid");
    }
    platform::ui::unloadForm(QStringLiteral("Pics3"));
    platform::ui::flushUnloadedForms();
    songlist::OtherWindows::clear();
}
BENCHMARK(BM_GridRowChange)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BaselineQtReadThreePictures(benchmark::State &state) {
    grid();
    const QString folder = core::g().DataFolder + QStringLiteral("Pictures/");
    for (auto _ : state)
        for (int n = 1; n <= 3; ++n) {
            QImageReader reader(folder + QStringLiteral("p%1.jpg").arg(n));
            benchmark::DoNotOptimize(reader.read());
        }
}
BENCHMARK(BM_BaselineQtReadThreePictures)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    return bench::runOffscreenBenchmarks(argc, argv, [] { gridSession().reset(); });
}
