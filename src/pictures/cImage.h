#pragma once
// A bitmap of 1, 4, 8 or 24 bits per pixel laid out as a device-independent bitmap: rows stored
// bottom-up, each padded to a multiple of 4 bytes; blue, green, red at 24 bits; packed colour
// indices (leftmost pixel in the high bits) and a 256-entry colour table below that. It is its
// own drawing surface (`hDC`), so the encoder and other bitmaps read and draw through it.
//
//     pictures::cImage image;
//     if (image.CopyStdPicture(picture))        // a QImage of 1, 8 (indexed), 16 or 24 bits
//         jpeg.SampleHDC(image.hDC(), image.Width(), image.Height());
//
// The transforms (Greyscale, Resample, Mirror, Rotate) return a new bitmap and leave this one
// unchanged. Failures are results: False, an empty bitmap, or no bitmap at all.
#include "pictures/DrawingSurface.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace pictures {

class cImage : public DrawingSurface {
public:
    cImage() = default;
    ~cImage() override;
    cImage(const cImage &) = delete;
    cImage &operator=(const cImage &) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    // The drawing surface, or none while the bitmap is empty.
    DrawingSurface *hDC() { return bits_ ? this : nullptr; }
    const DrawingSurface *hDC() const { return bits_ ? this : nullptr; }
    std::uint8_t *DIBitsPtr() { return bits_.get(); }
    const std::uint8_t *DIBitsPtr() const { return bits_.get(); }
    std::int64_t BytesPerScanLine() const;

    // Makes an empty bitmap of the size, with a grey ramp as colour table below 24 bits. Only
    // 1, 4, 8 and 24 bits are made; a failure leaves the bitmap empty.
    bool Create(int Width, int Height, int BitCount);
    // Copies a picture. A BitCount of 0 takes the picture's own (16 becomes 24) and its colour
    // table, and hands the chosen count back; 32 bits and other depths are refused.
    bool CopyStdPicture(const QImage &Picture, int &BitCount);
    bool CopyStdPicture(const QImage &Picture);
    // Copies Width × Height pixels at (X, Y) of a surface. A BitCount of 0 follows the size of
    // the source's colour table (1-2 entries: 1 bit, 3-16: 4, 17-256: 8, none: 24) and takes it.
    bool CopyHDC(const DrawingSurface *SourceDC, int Width, int Height, int BitCount, int X, int Y);
    // Takes as many entries of the source's colour table as this bit count holds.
    bool CopyPalletHDC(const DrawingSurface *SourceDC);
    // Draws the whole bitmap at (X, Y) of the target with a raster operation.
    void PaintHDC(DrawingSurface *TargetDC, int X, int Y, std::uint32_t RasterOp) const;

    // An 8-bit copy whose pixels are the nearest greys of the ramp.
    std::unique_ptr<cImage> Greyscale() const;
    std::unique_ptr<cImage> Resample(int NewWidth, int NewHeight) const;
    // Upside down when Vertical, else left to right.
    std::unique_ptr<cImage> Mirror(bool Vertical) const;
    // 90 (a quarter turn counter-clockwise), 180 or 270 after reducing the angle to 0-359;
    // any other angle gives none.
    std::unique_ptr<cImage> Rotate(int Angle) const;

    // The drawing surface.
    int surfaceWidth() const override { return bits_ ? width_ : 0; }
    int surfaceHeight() const override { return bits_ ? height_ : 0; }
    std::vector<RgbQuad> colorTable() const override;
    void readPixels(int x, int y, int w, int h, std::uint8_t *bgr, std::ptrdiff_t stride) const override;
    void writePixels(int x, int y, int w, int h, const std::uint8_t *bgr, std::ptrdiff_t stride,
                     std::uint32_t op) override;

private:
    struct FreeBits {
        void operator()(std::uint8_t *p) const { std::free(p); }
    };

    void FreeDIB();
    std::uint8_t *scanLine(int y) const; // y counted from the top
    std::uint32_t pixelValue(int x, int y) const;
    void setPixelValue(int x, int y, std::uint32_t value);
    std::unique_ptr<cImage> sameKind(int w, int h) const;
    static std::int64_t rowBytes(int width, int bitCount);

    int width_ = 0, height_ = 0, bitCount_ = 0;
    std::int64_t sizeImage_ = 0;
    std::array<RgbQuad, 256> colors_{};
    std::unique_ptr<std::uint8_t, FreeBits> bits_;
};

} // namespace pictures
