#pragma once
// The drawing surface the bitmap class and the encoder read and draw through: a rectangle of
// pixels with an optional colour table, read as 24-bit pixels and drawn into with a raster
// operation. `cImage` is one; `QImageSurface` adapts a QImage.
//
// Pixels travel as rows of blue, green, red bytes, top row first. Reading outside the surface
// gives black; drawing outside it is clipped. A surface with a colour table (1, 4 or 8 bits)
// stores each drawn pixel as the nearest entry of its table.
#include <QRect>

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pictures {

// One colour table entry, laid out as the bitmap format stores it.
struct RgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const RgbQuad &, const RgbQuad &) = default;
};

// Ternary raster operations: the high word's low byte is the truth table over pattern, source
// and destination bits. Drawing uses a white pattern, as a fresh drawing surface does.
namespace rop {
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Combines one byte of source and destination by the operation (a white pattern).
inline std::uint8_t apply(std::uint32_t op, std::uint8_t s, std::uint8_t d) {
    const unsigned table = (op >> 16) & 0xFF;
    unsigned r = 0;
    for (unsigned i = 0; i < 8; ++i)
        if (table & (1u << i)) {
            // Bit i of the table is the result for pattern (bit 2), source (bit 1), dest (bit 0).
            const unsigned p = (i & 4) ? 0xFFu : 0u; // white pattern: every pattern bit set
            const unsigned sv = (i & 2) ? s : static_cast<unsigned>(~s);
            const unsigned dv = (i & 1) ? d : static_cast<unsigned>(~d);
            r |= p & sv & dv;
        }
    return static_cast<std::uint8_t>(r);
}
} // namespace rop

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual int surfaceWidth() const = 0;
    virtual int surfaceHeight() const = 0;
    // The colour table (empty for a surface of 16 bits and more).
    virtual std::vector<RgbQuad> colorTable() const = 0;
    // Reads w × h pixels from (x, y) into rows `stride` bytes apart.
    virtual void readPixels(int x, int y, int w, int h, std::uint8_t *bgr, std::ptrdiff_t stride) const = 0;
    // Draws w × h pixels at (x, y), combined with what stands there by `op`.
    virtual void writePixels(int x, int y, int w, int h, const std::uint8_t *bgr, std::ptrdiff_t stride,
                             std::uint32_t op) = 0;
};

// Draws `sourceRect` of `source` into `targetRect` of `target`: a straight copy when the sizes
// agree, else stretched (an area average where a side shrinks, bilinear where it grows).
void drawSurface(DrawingSurface &target, const QRect &targetRect, const DrawingSurface &source,
                 const QRect &sourceRect, std::uint32_t op);

// Stretches a rectangle of a surface to w × h pixels and hands out the result row by row, rows
// asked for in increasing order (a row may be asked for again). Only the source rows that the
// current output row needs are kept, so a large picture is never held twice.
class StretchRows {
public:
    StretchRows(const DrawingSurface &source, const QRect &sourceRect, int w, int h);
    // Output row y (0 to h - 1) as w pixels of blue, green, red bytes.
    const std::uint8_t *row(int y);

private:
    struct Tap {
        int first = 0;  // first source index
        int count = 0;  // source indices from `first`
        int weight = 0; // position of the first weight in the weights list
    };
    static std::vector<Tap> taps(int sourceLength, int targetLength, std::vector<float> &weights);
    const float *horizontalRow(int sourceRow);

    const DrawingSurface &source_;
    QRect rect_;
    int w_;
    std::vector<Tap> across_, down_;
    std::vector<float> acrossWeights_, downWeights_;
    std::vector<float> sum_;
    bool acrossPairs_ = false; // every output column takes exactly two source columns
    std::vector<std::uint8_t> line_;                // one source row as read
    std::vector<std::vector<float>> cache_;         // horizontally stretched source rows
    std::vector<int> cacheRow_;                     // the source row each cache slot holds
    std::vector<std::uint8_t> out_;
    int outRow_ = -1;
};

} // namespace pictures

namespace pictures {

// Finds the nearest entry of a colour table (the smallest squared distance in red, green and
// blue; the lowest index among equals), remembering the colours it has seen.
class NearestEntry {
public:
    explicit NearestEntry(const RgbQuad *table, int count);
    std::uint8_t operator()(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

private:
    const RgbQuad *table_;
    int count_;
    bool greyRamp_ = false; // 256 entries i, i, i: the nearest is the rounded mean
    std::unordered_map<std::uint32_t, std::uint8_t> seen_;
};

} // namespace pictures
