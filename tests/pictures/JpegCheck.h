#pragma once
// Helpers of the picture tests: generated pictures, the two decoders that check every file the
// encoder writes (Qt's reader and libjpeg's djpeg), PSNR, and a walk over a file's segments.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace jpegcheck {

// Smooth gradients with texture and a little noise.
QImage photoLike(int w, int h, unsigned seed = 1);
// Dark strokes and letters on a light ground.
QImage textLike(int w, int h);
QImage flat(int w, int h, QColor colour);

struct Decoded {
    bool ok = false;
    QString problem; // why not, for the failure message
    QImage image;    // RGB888
};
// Decodes with Qt's JPEG reader.
Decoded decodeQt(const QString &path);
// Decodes with djpeg: exit 0 and nothing on standard error, or a problem.
Decoded decodeDjpeg(const QString &path);
// Both decoders agree the file is clean and of this size; PSNR against `source` of the Qt decode.
::testing::AssertionResult decodesCleanly(const QString &path, const QImage &source);

double psnr(const QImage &a, const QImage &b);
// PSNR of Qt's own writer (libjpeg) at quality 75 with optimised tables on the same picture.
double referencePsnr(const QImage &source);

struct Segment {
    int marker = 0;     // 0xD8, 0xE0, ...
    qsizetype offset = 0; // of the marker's 0xFF
    int length = 0;     // the length field (0 for SOI and EOI)
    QByteArray body;    // the bytes after the length field
};
// The segments up to the first SOS and from every SOS on (scan data skipped), ending at EOI.
std::vector<Segment> segments(const QByteArray &file);
std::vector<int> markers(const QByteArray &file);

QByteArray readAll(const QString &path);

} // namespace jpegcheck
