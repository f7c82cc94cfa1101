#include "pictures/QImageSurface.h"

#include <algorithm>
#include <cstring>

namespace pictures {

int QImageSurface::bitsPerPixel(const QImage &image) {
    return image.depth();
}

std::vector<RgbQuad> QImageSurface::colorTable() const {
    std::vector<RgbQuad> table;
    if (image_.format() == QImage::Format_Mono || image_.format() == QImage::Format_MonoLSB ||
        image_.format() == QImage::Format_Indexed8)
        for (const QRgb c : image_.colorTable())
            table.push_back(RgbQuad{std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c)), 0});
    return table;
}

const QImage &QImageSurface::readable() const {
    switch (image_.format()) {
    case QImage::Format_RGB888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return image_;
    default:
        if (rgb_.isNull())
            rgb_ = image_.convertToFormat(QImage::Format_RGB888);
        return rgb_;
    }
}

void QImageSurface::readPixels(int x, int y, int w, int h, std::uint8_t *bgr, std::ptrdiff_t stride) const {
    const QImage &img = readable();
    const bool rgb888 = img.format() == QImage::Format_RGB888;
    for (int row = 0; row < h; ++row) {
        std::uint8_t *out = bgr + stride * row;
        std::memset(out, 0, std::size_t(w) * 3);
        const int sy = y + row;
        if (sy < 0 || sy >= img.height())
            continue;
        const int from = std::max(x, 0), to = std::min(x + w, img.width());
        const uchar *line = img.constScanLine(sy);
        for (int sx = from; sx < to; ++sx) {
            std::uint8_t *p = out + std::size_t(sx - x) * 3;
            if (rgb888) {
                p[0] = line[sx * 3 + 2];
                p[1] = line[sx * 3 + 1];
                p[2] = line[sx * 3];
            } else {
                const QRgb c = reinterpret_cast<const QRgb *>(line)[sx];
                p[0] = std::uint8_t(qBlue(c));
                p[1] = std::uint8_t(qGreen(c));
                p[2] = std::uint8_t(qRed(c));
            }
        }
    }
}

void QImageSurface::writePixels(int x, int y, int w, int h, const std::uint8_t *bgr, std::ptrdiff_t stride,
                                std::uint32_t op) {
    rgb_ = QImage();
    const std::vector<RgbQuad> table = colorTable();
    const bool indexed = !table.empty();
    NearestEntry nearest(table.data(), int(table.size()));
    const unsigned mask = image_.depth() == 1 ? 1u : 0xFFu;
    for (int row = 0; row < h; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= image_.height())
            continue;
        const std::uint8_t *in = bgr + stride * row;
        for (int col = 0; col < w; ++col) {
            const int tx = x + col;
            if (tx < 0 || tx >= image_.width())
                continue;
            const std::uint8_t *p = in + std::size_t(col) * 3;
            if (indexed) {
                const unsigned now = unsigned(image_.pixelIndex(tx, ty));
                const unsigned index = rop::apply(op, nearest(p[0], p[1], p[2]), std::uint8_t(now)) & mask;
                image_.setPixel(tx, ty, std::min<unsigned>(index, unsigned(table.size() - 1)));
            } else {
                const QColor now = image_.pixelColor(tx, ty);
                image_.setPixelColor(tx, ty, QColor(rop::apply(op, p[2], std::uint8_t(now.red())),
                                                    rop::apply(op, p[1], std::uint8_t(now.green())),
                                                    rop::apply(op, p[0], std::uint8_t(now.blue()))));
            }
        }
    }
}

} // namespace pictures
