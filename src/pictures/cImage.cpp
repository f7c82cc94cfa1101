#include "pictures/cImage.h"

#include "pictures/QImageSurface.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pictures {

namespace {
// The largest pixel buffer a bitmap asks for: beyond it the allocation is refused outright
// rather than left to the system's overcommitment.
constexpr std::int64_t MaxImageBytes = std::int64_t(1) << 40;
} // namespace

cImage::~cImage() { FreeDIB(); }

void cImage::FreeDIB() { bits_.reset(); }

std::int64_t cImage::rowBytes(int width, int bitCount) {
    const std::int64_t w = width;
    switch (bitCount) {
    case 1:
        return ((w - 1) / 8 + 4) & ~std::int64_t(3);
    case 4:
        return ((w - 1) / 2 + 4) & ~std::int64_t(3);
    case 8:
        return (w + 3) & ~std::int64_t(3);
    default:
        return (3 * w + 3) & ~std::int64_t(3);
    }
}

std::int64_t cImage::BytesPerScanLine() const { return rowBytes(width_, bitCount_); }

bool cImage::Create(int Width, int Height, int BitCount) {
    FreeDIB();
    if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 24)
        return false; // no drawing surface of that depth: size and depth stay as they were
    width_ = Width;
    height_ = Height;
    bitCount_ = BitCount;
    colors_.fill(RgbQuad{});
    if (BitCount < 24) {
        const int n = (1 << BitCount) - 1;
        for (int i = 0; i <= n; ++i) {
            const auto v = std::uint8_t(i * 255 / n);
            colors_[std::size_t(i)] = RgbQuad{v, v, v, 0};
        }
    }
    // The limit is checked before the row length is multiplied out: for two sizes near the
    // largest int the product itself would not fit.
    if (Width < 1 || Height < 1 || BytesPerScanLine() > MaxImageBytes / Height)
        return false;
    sizeImage_ = std::int64_t(Height) * BytesPerScanLine();
    // calloc: the pixels start black, and an impossible size fails without a crash.
    bits_.reset(static_cast<std::uint8_t *>(std::calloc(std::size_t(sizeImage_), 1)));
    return bits_ != nullptr;
}

bool cImage::CopyStdPicture(const QImage &Picture) {
    int bitCount = 0;
    return CopyStdPicture(Picture, bitCount);
}

bool cImage::CopyStdPicture(const QImage &Picture, int &BitCount) {
    const int pictureBits = QImageSurface::bitsPerPixel(Picture);
    const bool fromPicture = BitCount == 0;
    if (fromPicture)
        BitCount = pictureBits == 16 ? 24 : pictureBits;
    if (Picture.isNull() || !Create(Picture.width(), Picture.height(), BitCount))
        return false;
    QImageSurface source(Picture);
    if (BitCount != 24 && fromPicture) {
        const std::vector<RgbQuad> table = source.colorTable();
        const std::size_t n = std::min<std::size_t>(table.size(), std::size_t(1) << BitCount);
        std::copy_n(table.begin(), n, colors_.begin());
        // The picture's own indices carry over unchanged, duplicate table entries included.
        const bool indexed = Picture.format() == QImage::Format_Mono ||
                             Picture.format() == QImage::Format_MonoLSB ||
                             Picture.format() == QImage::Format_Indexed8 ||
                             Picture.format() == QImage::Format_Grayscale8;
        if (indexed) {
            const bool grey = Picture.format() == QImage::Format_Grayscale8;
            for (int y = 0; y < height_; ++y) {
                const uchar *line = Picture.constScanLine(y);
                for (int x = 0; x < width_; ++x)
                    setPixelValue(x, y, grey ? line[x] : std::uint32_t(Picture.pixelIndex(x, y)));
            }
            return true;
        }
    }
    drawSurface(*this, QRect(0, 0, width_, height_), source, QRect(0, 0, width_, height_), rop::SRCCOPY);
    return true;
}

bool cImage::CopyHDC(const DrawingSurface *SourceDC, int Width, int Height, int BitCount, int X, int Y) {
    std::vector<RgbQuad> table;
    if (BitCount == 0) {
        if (SourceDC)
            table = SourceDC->colorTable();
        if (table.size() > 256)
            table.resize(256);
        const std::size_t n = table.size();
        BitCount = n == 0 ? 24 : n <= 2 ? 1 : n <= 16 ? 4 : 8;
    }
    if (!Create(Width, Height, BitCount))
        return false;
    if (!table.empty() && bitCount_ < 24)
        std::copy_n(table.begin(), std::min<std::size_t>(table.size(), std::size_t(1) << bitCount_), colors_.begin());
    if (SourceDC)
        drawSurface(*this, QRect(0, 0, Width, Height), *SourceDC, QRect(X, Y, Width, Height), rop::SRCCOPY);
    return true;
}

bool cImage::CopyPalletHDC(const DrawingSurface *SourceDC) {
    if (!SourceDC || !bits_)
        return false;
    std::vector<RgbQuad> table = SourceDC->colorTable();
    const std::size_t read = std::min<std::size_t>(table.size(), bitCount_ < 24 ? std::size_t(1) << bitCount_ : 256);
    if (read == 0)
        return false;
    if (bitCount_ == 24)
        return false; // a bitmap without a colour table takes no entries
    std::copy_n(table.begin(), read, colors_.begin());
    return true;
}

void cImage::PaintHDC(DrawingSurface *TargetDC, int X, int Y, std::uint32_t RasterOp) const {
    if (!TargetDC || !bits_)
        return;
    drawSurface(*TargetDC, QRect(X, Y, width_, height_), *this, QRect(0, 0, width_, height_), RasterOp);
}

std::vector<RgbQuad> cImage::colorTable() const {
    if (!bits_ || bitCount_ >= 24)
        return {};
    return std::vector<RgbQuad>(colors_.begin(), colors_.begin() + (1 << bitCount_));
}

std::uint8_t *cImage::scanLine(int y) const {
    return bits_.get() + std::int64_t(height_ - 1 - y) * BytesPerScanLine();
}

std::uint32_t cImage::pixelValue(int x, int y) const {
    const std::uint8_t *line = scanLine(y);
    switch (bitCount_) {
    case 1:
        return (line[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? line[x >> 1] & 0x0Fu : line[x >> 1] >> 4;
    case 8:
        return line[x];
    default: {
        const std::uint8_t *p = line + std::size_t(x) * 3;
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
    }
    }
}

void cImage::setPixelValue(int x, int y, std::uint32_t value) {
    std::uint8_t *line = scanLine(y);
    switch (bitCount_) {
    case 1: {
        const auto bit = std::uint8_t(0x80u >> (x & 7));
        line[x >> 3] = std::uint8_t((line[x >> 3] & ~bit) | ((value & 1u) ? bit : 0));
        break;
    }
    case 4:
        line[x >> 1] = (x & 1) ? std::uint8_t((line[x >> 1] & 0xF0u) | (value & 0x0Fu))
                               : std::uint8_t((line[x >> 1] & 0x0Fu) | ((value & 0x0Fu) << 4));
        break;
    case 8:
        line[x] = std::uint8_t(value);
        break;
    default: {
        std::uint8_t *p = line + std::size_t(x) * 3;
        p[0] = std::uint8_t(value);
        p[1] = std::uint8_t(value >> 8);
        p[2] = std::uint8_t(value >> 16);
    }
    }
}

void cImage::readPixels(int x, int y, int w, int h, std::uint8_t *bgr, std::ptrdiff_t stride) const {
    for (int row = 0; row < h; ++row) {
        std::uint8_t *out = bgr + stride * row;
        std::memset(out, 0, std::size_t(w) * 3);
        const int sy = y + row;
        if (!bits_ || sy < 0 || sy >= height_)
            continue;
        const int from = std::max(x, 0), to = std::min<std::int64_t>(std::int64_t(x) + w, width_);
        if (from >= to)
            continue;
        if (bitCount_ == 24) {
            std::memcpy(out + std::size_t(from - x) * 3, scanLine(sy) + std::size_t(from) * 3,
                        std::size_t(to - from) * 3);
            continue;
        }
        for (int sx = from; sx < to; ++sx) {
            const RgbQuad &c = colors_[pixelValue(sx, sy)];
            std::uint8_t *p = out + std::size_t(sx - x) * 3;
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
        }
    }
}

void cImage::writePixels(int x, int y, int w, int h, const std::uint8_t *bgr, std::ptrdiff_t stride,
                         std::uint32_t op) {
    if (!bits_)
        return;
    const int from = std::max(x, 0);
    const int to = int(std::min<std::int64_t>(std::int64_t(x) + w, width_));
    if (from >= to)
        return;
    NearestEntry nearest(colors_.data(), bitCount_ < 24 ? 1 << bitCount_ : 0);
    const unsigned mask = bitCount_ < 24 ? (1u << bitCount_) - 1 : 0xFFu;
    for (int row = 0; row < h; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= height_)
            continue;
        const std::uint8_t *in = bgr + stride * row + std::size_t(from - x) * 3;
        if (bitCount_ == 24) {
            std::uint8_t *out = scanLine(ty) + std::size_t(from) * 3;
            const std::size_t n = std::size_t(to - from) * 3;
            if (op == rop::SRCCOPY)
                std::memcpy(out, in, n);
            else
                for (std::size_t i = 0; i < n; ++i)
                    out[i] = rop::apply(op, in[i], out[i]);
            continue;
        }
        for (int tx = from; tx < to; ++tx, in += 3) {
            const std::uint8_t index = nearest(in[0], in[1], in[2]);
            setPixelValue(tx, ty, op == rop::SRCCOPY ? index
                                                     : rop::apply(op, index, std::uint8_t(pixelValue(tx, ty))) & mask);
        }
    }
}

std::unique_ptr<cImage> cImage::sameKind(int w, int h) const {
    auto image = std::make_unique<cImage>();
    image->Create(w, h, bitCount_);
    if (bitCount_ != 24)
        image->CopyPalletHDC(hDC());
    return image;
}

std::unique_ptr<cImage> cImage::Greyscale() const {
    auto image = std::make_unique<cImage>();
    image->Create(width_, height_, 8);
    if (bits_ && image->hDC())
        drawSurface(*image, QRect(0, 0, width_, height_), *this, QRect(0, 0, width_, height_), rop::SRCCOPY);
    return image;
}

std::unique_ptr<cImage> cImage::Resample(int NewWidth, int NewHeight) const {
    auto image = sameKind(NewWidth, NewHeight);
    if (!bits_ || !image->hDC())
        return image;
    if (NewWidth == width_ && NewHeight == height_ && image->colors_ == colors_) {
        // Same size and colour table: the pixels as they stand.
        std::memcpy(image->bits_.get(), bits_.get(), std::size_t(sizeImage_));
        return image;
    }
    drawSurface(*image, QRect(0, 0, NewWidth, NewHeight), *this, QRect(0, 0, width_, height_), rop::SRCCOPY);
    return image;
}

std::unique_ptr<cImage> cImage::Mirror(bool Vertical) const {
    auto image = sameKind(width_, height_);
    if (!bits_ || !image->hDC())
        return image;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            image->setPixelValue(Vertical ? x : width_ - 1 - x, Vertical ? height_ - 1 - y : y, pixelValue(x, y));
    return image;
}

std::unique_ptr<cImage> cImage::Rotate(int Angle) const {
    int angle = Angle % 360;
    if (angle < 0)
        angle += 360;
    if (angle != 90 && angle != 180 && angle != 270)
        return nullptr;
    const bool turned = angle != 180;
    auto image = sameKind(turned ? height_ : width_, turned ? width_ : height_);
    if (!bits_ || !image->hDC())
        return image;
    const int W = width_, H = height_;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const std::uint32_t v = pixelValue(x, y);
            if (angle == 90)
                image->setPixelValue(y, W - 1 - x, v); // top row becomes the left column, read upward
            else if (angle == 180)
                image->setPixelValue(W - 1 - x, H - 1 - y, v);
            else
                image->setPixelValue(H - 1 - y, x, v);
        }
    return image;
}

} // namespace pictures
