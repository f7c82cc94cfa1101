#include "pictures/JpegCheck.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>

namespace jpegcheck {

QImage photoLike(int w, int h, unsigned seed) {
    QImage img(w, h, QImage::Format_RGB888);
    unsigned state = seed * 2654435761u + 12345u;
    for (int y = 0; y < h; ++y) {
        uchar *line = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int((state >> 24) % 9) - 4;
            const double fx = double(x) / std::max(1, w), fy = double(y) / std::max(1, h);
            const double texture = 18.0 * std::sin(x * 0.21 + y * 0.07) * std::cos(y * 0.13);
            const int r = int(40 + 170 * fx + texture) + noise;
            const int g = int(60 + 120 * fy + 40 * std::sin(fx * 6.0) + texture * 0.5) + noise;
            const int b = int(200 - 150 * fx * fy + 25 * std::cos(fy * 9.0)) + noise;
            line[x * 3] = uchar(std::clamp(r, 0, 255));
            line[x * 3 + 1] = uchar(std::clamp(g, 0, 255));
            line[x * 3 + 2] = uchar(std::clamp(b, 0, 255));
        }
    }
    return img;
}

QImage textLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(245, 242, 235));
    QPainter p(&img);
    p.setPen(QColor(20, 20, 30));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    p.setFont(f);
    for (int y = 16, i = 0; y < h; y += 18, ++i)
        p.drawText(4, y, QStringLiteral("Track %1: The quick brown fox jumps over the lazy dog").arg(i));
    p.setPen(QColor(180, 30, 30));
    p.drawLine(0, h / 2, w, h / 2);
    return img;
}

QImage flat(int w, int h, QColor colour) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(colour);
    return img;
}

Decoded decodeQt(const QString &path) {
    Decoded d;
    QImageReader reader(path, "jpg");
    QImage img = reader.read();
    if (img.isNull()) {
        d.problem = QStringLiteral("Qt: ") + reader.errorString();
        return d;
    }
    d.ok = true;
    d.image = img.convertToFormat(QImage::Format_RGB888);
    return d;
}

Decoded decodeDjpeg(const QString &path) {
    Decoded d;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.ppm"));
    QProcess p;
    p.start(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), out, path});
    if (!p.waitForFinished(120000)) {
        d.problem = QStringLiteral("djpeg did not run");
        return d;
    }
    const QByteArray err = p.readAllStandardError();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !err.isEmpty()) {
        d.problem = QStringLiteral("djpeg exit %1: %2").arg(p.exitCode()).arg(QString::fromLocal8Bit(err));
        return d;
    }
    QImage img(out);
    if (img.isNull()) {
        d.problem = QStringLiteral("djpeg wrote no picture");
        return d;
    }
    d.ok = true;
    d.image = img.convertToFormat(QImage::Format_RGB888);
    return d;
}

::testing::AssertionResult decodesCleanly(const QString &path, const QImage &source) {
    for (const Decoded &d : {decodeQt(path), decodeDjpeg(path)}) {
        if (!d.ok)
            return ::testing::AssertionFailure() << d.problem.toStdString();
        if (d.image.size() != source.size())
            return ::testing::AssertionFailure() << "decoded " << d.image.width() << " x " << d.image.height()
                                                 << ", source " << source.width() << " x " << source.height();
    }
    return ::testing::AssertionSuccess();
}

double psnr(const QImage &a0, const QImage &b0) {
    const QImage a = a0.convertToFormat(QImage::Format_RGB888), b = b0.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *p = a.constScanLine(y), *q = b.constScanLine(y);
        for (int i = 0; i < a.width() * 3; ++i) {
            const double d = double(p[i]) - q[i];
            sum += d * d;
        }
    }
    const double mse = sum / (double(a.width()) * a.height() * 3);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

double referencePsnr(const QImage &source) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(75);
    writer.setOptimizedWrite(true);
    writer.write(source);
    QImage decoded = QImage::fromData(buffer.data(), "jpg");
    return psnr(source, decoded);
}

std::vector<Segment> segments(const QByteArray &file) {
    std::vector<Segment> result;
    qsizetype i = 0;
    const auto byte = [&](qsizetype k) { return k < file.size() ? int(uchar(file[k])) : -1; };
    while (i + 1 < file.size()) {
        if (byte(i) != 0xFF)
            return result; // not a marker where one should stand
        Segment s;
        s.marker = byte(i + 1);
        s.offset = i;
        if (s.marker == 0xD8 || s.marker == 0xD9) {
            result.push_back(s);
            i += 2;
            if (s.marker == 0xD9)
                break;
            continue;
        }
        s.length = byte(i + 2) * 256 + byte(i + 3);
        s.body = file.mid(i + 4, s.length - 2);
        result.push_back(s);
        i += 2 + s.length;
        if (s.marker == 0xDA) {
            // Skip the coded data: up to a marker that is neither a stuffed 0x00 nor a restart.
            while (i + 1 < file.size() && !(byte(i) == 0xFF && byte(i + 1) != 0x00))
                ++i;
        }
    }
    return result;
}

std::vector<int> markers(const QByteArray &file) {
    std::vector<int> result;
    for (const Segment &s : segments(file))
        result.push_back(s.marker);
    return result;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace jpegcheck
