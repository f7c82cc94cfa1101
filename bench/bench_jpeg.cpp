// The picture encoder on generated photo-like pictures of 1024 × 768 (the size the picture window
// stores) and 4000 × 3000, quality 75, factors 2, 2, 1, 1, 1, 1, against libjpeg-turbo at the
// same quality and sampling with optimised tables, in the same run, two ways:
// - in-process: SampleHDC + SaveFile from a bitmap, against Qt's JPEG writer (libjpeg-turbo,
//   optimised write) from the same pixels; each reports PSNR (dB) and size (bytes). SaveFile
//   waits for the file to reach the disk, which Qt's writer does not: its wall time includes it;
// - whole processes: `bench_jpeg --encode in.ppm out.jpg` against
//   `cjpeg -quality 75 -sample 2x2 -optimize` on the same PPM file.
// Goals: within 1.5× of libjpeg-turbo in process (wall and CPU), 2× as whole processes, PSNR
// within 0.5 dB, size within 10%.
// BM_OwnProcessStartOnly times the start of this program alone (a Qt program loads far more
// libraries than cjpeg). Peak memory is measured by hand: `/usr/bin/time -v bench_jpeg --encode big.ppm out.jpg`.
#include "core/ProcessMemory.h"
#include "pictures/cImage.h"
#include "pictures/cJpeg.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

QImage photoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    unsigned state = 12345u;
    for (int y = 0; y < h; ++y) {
        uchar *line = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int((state >> 24) % 9) - 4;
            const double fx = double(x) / w, fy = double(y) / h;
            const double texture = 18.0 * std::sin(x * 0.21 + y * 0.07) * std::cos(y * 0.13);
            line[x * 3] = uchar(std::clamp(int(40 + 170 * fx + texture) + noise, 0, 255));
            line[x * 3 + 1] = uchar(std::clamp(int(60 + 120 * fy + 40 * std::sin(fx * 6.0) + texture * 0.5) + noise, 0, 255));
            line[x * 3 + 2] = uchar(std::clamp(int(200 - 150 * fx * fy + 25 * std::cos(fy * 9.0)) + noise, 0, 255));
        }
    }
    return img;
}

double psnr(const QImage &a, const QImage &b0) {
    const QImage b = b0.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *p = a.constScanLine(y), *q = b.constScanLine(y);
        for (int i = 0; i < a.width() * 3; ++i)
            sum += (double(p[i]) - q[i]) * (double(p[i]) - q[i]);
    }
    return 10.0 * std::log10(255.0 * 255.0 / (sum / (double(a.width()) * a.height() * 3)));
}

QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}

// The picture of a size, generated once, and its PPM file.
const QImage &picture(int w, int h) {
    static std::map<std::pair<int, int>, QImage> made;
    auto &img = made[{w, h}];
    if (img.isNull()) {
        img = photoLike(w, h);
        img.save(folder().filePath(QStringLiteral("%1x%2.ppm").arg(w).arg(h)), "PPM");
    }
    return img;
}

QString ppm(int w, int h) {
    picture(w, h);
    return folder().filePath(QStringLiteral("%1x%2.ppm").arg(w).arg(h));
}

// Samples and saves a bitmap with the picture window's settings.
void encode(const pictures::cImage &image, const QString &path) {
    pictures::cJpeg jpeg;
    jpeg.SetSamplingFrequencies(2, 2, 1, 1, 1, 1);
    jpeg.setQuality(75);
    jpeg.SampleHDC(image.hDC(), image.Width(), image.Height());
    QFile::remove(path);
    jpeg.SaveFile(path);
}

void BM_OwnEncoder(benchmark::State &state) {
    const QImage &img = picture(int(state.range(0)), int(state.range(1)));
    pictures::cImage image;
    image.CopyStdPicture(img);
    const QString path = folder().filePath(QStringLiteral("own.jpg"));
    for (auto _ : state)
        encode(image, path);
    state.counters["bytes"] = double(QFile(path).size());
    state.counters["PSNR"] = psnr(img, QImage(path));
}

void BM_LibjpegTurboViaQt(benchmark::State &state) {
    const QImage &img = picture(int(state.range(0)), int(state.range(1)));
    const QString path = folder().filePath(QStringLiteral("qt.jpg"));
    for (auto _ : state) {
        QImageWriter writer(path, "jpg");
        writer.setQuality(75);
        writer.setOptimizedWrite(true);
        writer.write(img);
    }
    state.counters["bytes"] = double(QFile(path).size());
    state.counters["PSNR"] = psnr(img, QImage(path));
}

void runProcess(benchmark::State &state, const QString &program, const QStringList &arguments, const QString &out) {
    for (auto _ : state) {
        QFile::remove(out);
        QProcess p;
        p.start(program, arguments);
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            state.SkipWithError("the encoder failed");
    }
    const QImage &img = picture(int(state.range(0)), int(state.range(1)));
    state.counters["bytes"] = double(QFile(out).size());
    state.counters["PSNR"] = psnr(img, QImage(out));
}

void BM_OwnEncoderProcess(benchmark::State &state) {
    const QString in = ppm(int(state.range(0)), int(state.range(1)));
    const QString out = folder().filePath(QStringLiteral("own-process.jpg"));
    runProcess(state, QCoreApplication::applicationFilePath(), {QStringLiteral("--encode"), in, out}, out);
}

void BM_OwnProcessStartOnly(benchmark::State &state) {
    for (auto _ : state) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-only")});
        p.waitForFinished(-1);
    }
}

void BM_CjpegProcess(benchmark::State &state) {
    const QString in = ppm(int(state.range(0)), int(state.range(1)));
    const QString out = folder().filePath(QStringLiteral("cjpeg.jpg"));
    runProcess(state, QStringLiteral("cjpeg"),
               {QStringLiteral("-quality"), QStringLiteral("75"), QStringLiteral("-sample"), QStringLiteral("2x2"),
                QStringLiteral("-optimize"), QStringLiteral("-outfile"), out, in},
               out);
}

void sizes(benchmark::internal::Benchmark *b) {
    b->Args({1024, 768})->Args({4000, 3000})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OwnEncoder)->Apply(sizes);
BENCHMARK(BM_LibjpegTurboViaQt)->Apply(sizes);
BENCHMARK(BM_OwnEncoderProcess)->Apply(sizes)->UseRealTime();
BENCHMARK(BM_CjpegProcess)->Apply(sizes)->UseRealTime();
BENCHMARK(BM_OwnProcessStartOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reads a binary PPM file (P6, maxval 255) straight into a 24-bit picture, as cjpeg reads it.
QImage readPpm(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> header;
    while (header.size() < 4) {
        const QByteArray line = f.readLine();
        if (line.isEmpty())
            return {};
        if (!line.startsWith('#'))
            header += line.simplified().split(' ');
    }
    if (header[0] != "P6" || header[3] != "255")
        return {};
    QImage img(header[1].toInt(), header[2].toInt(), QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        if (f.read(reinterpret_cast<char *>(img.scanLine(y)), qint64(img.width()) * 3) != qint64(img.width()) * 3)
            return {};
    return img;
}

// The whole-process encoder: reads a PPM file, copies it into a bitmap and stores it.
int encodeFile(const QString &in, const QString &out) {
    pictures::cImage image;
    {
        const QImage img = readPpm(in);
        if (img.isNull() || !image.CopyStdPicture(img)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(in));
            return 1;
        }
    } // the picture is released once the bitmap holds it
    encode(image, out);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    // Writes a generated photo-like picture as a PPM file, for runs by hand (peak memory).
    if (argc == 5 && QByteArray(argv[1]) == "--make-ppm")
        return photoLike(std::atoi(argv[2]), std::atoi(argv[3])).save(QString::fromLocal8Bit(argv[4]), "PPM") ? 0 : 1;
    // Starting and ending the process alone, to tell its start-up from the encoding.
    if (argc == 2 && QByteArray(argv[1]) == "--start-only")
        return 0;
    // The encoding process needs no application object: PPM is read without plugins.
    if (argc == 4 && QByteArray(argv[1]) == "--encode")
        return encodeFile(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    core::keepFreedMemory();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
