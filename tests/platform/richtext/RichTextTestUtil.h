#pragma once
// Helpers of the rich-text tests: readable failure output and small pictures made here.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toStdString() << '"'; }

namespace richtexttest {

// A w x h picture of a colour gradient in the given format ("PNG", "JPEG", "BMP", "GIF").
inline QByteArray imageBytes(const char *format, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 40) % 256, (y * 50) % 256, (x * y) % 256));
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

} // namespace richtexttest
