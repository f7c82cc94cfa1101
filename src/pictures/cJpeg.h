#pragma once
// The program's own baseline JPEG encoder: it samples the pixels of a drawing surface into
// Y, Cb and Cr planes (or Y alone), transforms and quantises every 8 × 8 block, fits Huffman
// tables to the image and writes one JFIF file.
//
//     pictures::cJpeg jpeg;                        // quality 75, factors 2, 2, 1, 1, 1, 1
//     jpeg.SampleHDC(image.hDC(), image.Width(), image.Height());
//     int result = jpeg.SaveFile(path);           // 0 written, 1 empty name, 2 file exists
//
// Misuse raises PictureError 1 ("Invalid Sampling Value", "Illegal Comment Length",
// "Bad Quantization Table", "Bad Huffman Table", "Illegal precission in Quantization Table");
// a side above 65,535 raises 6 "Overflow" and a save without samples 9; a file that cannot be
// written raises core::FileError. Nothing is written unless the whole file could be made.
#include "pictures/DrawingSurface.h"
#include "pictures/HuffmanCoder.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace pictures {

// Leaves new elements uninitialised: every coefficient is written by the sampling, and a large
// picture's arrays are not worth zeroing first.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U> &) {}
    template <class U> void construct(U *p) { ::new (static_cast<void *>(p)) U; }
    template <class U, class... A> void construct(U *p, A &&...a) { ::new (static_cast<void *>(p)) U(std::forward<A>(a)...); }
};

class cJpeg {
public:
    using Coefficients = std::vector<std::int16_t, UninitialisedAllocator<std::int16_t>>;

    struct Component {
        int C = 0;              // identifier, 1 to 3
        int H = 1, V = 1;       // sampling factors
        int Tq = 0;             // quantisation table
        int w = 0, h = 0;       // sampled size
        int w8 = 0, h8 = 0;     // padded to whole blocks
        Coefficients coefficients; // 64 per block, blocks in raster order, zig-zag
    };

    cJpeg();

    // 1 to 100; other values are ignored. Sets the quantisation tables.
    void setQuality(int quality);
    int Quality() const { return quality_; }
    // Factors 1 to 4; H2, V2, H3 and V3 all 0 make a greyscale encoder. Discards the samples.
    void SetSamplingFrequencies(int H1, int V1, int H2, int V2, int H3, int V3);
    // Samples Width × Height pixels at (SrcX, SrcY): 0 done, 1 when nothing could be sampled
    // (no surface, a side of 0, no memory), which leaves no samples.
    int SampleHDC(const DrawingSurface *SourceDC, int Width, int Height, int SrcX = 0, int SrcY = 0);
    // At most 65,533 bytes as UTF-8.
    void setComment(const QString &comment);
    QString Comment() const { return comment_; }
    // Writes the samples as a JPEG file; refuses an empty name (1) or an existing file (2).
    int SaveFile(const QString &FileName);

    // Inspection.
    int zigZag(int x, int y) const { return zigZag_[std::size_t(x)][std::size_t(y)]; }
    const std::array<int, 64> &quantTable(int t) const { return quant_[std::size_t(t)]; }
    int componentCount() const { return Nf_; }
    const Component &component(int i) const { return comp_[std::size_t(i)]; }
    // The two text lines after "JPEG Encoder Class" in every file's fixed comment.
    static QByteArray fixedComment();

private:
    struct ScanEntry {
        int comp, td, ta;
    };
    using Group = std::vector<ScanEntry>;

    void ScaleQuantTable(int t);
    void clearSamples();
    std::vector<Group> groups(const std::vector<ScanEntry> &list) const;
    std::int64_t OptimizeTables(const std::vector<ScanEntry> &list);
    void CollectDCStatsMCU(const Component &c, SymbolCounts &counts, std::int64_t &dummies) const;
    void WriteScanSingle(HuffmanCoder &coder, const ScanEntry &e);
    void WriteScanInterleaved(HuffmanCoder &coder, const Group &group);
    void InsertSOS(const Group &group);
    void InsertDQT(int t);
    void InsertDHT(int n, bool ac);
    QByteArray fileBytes();

    int quality_ = 0;
    std::array<std::array<int, 8>, 8> zigZag_{}; // [x][y]
    std::array<int, 64> baseLuminance_{}, baseChrominance_{}; // zig-zag order
    std::array<double, 8> F_{};
    std::array<std::array<int, 64>, 4> quant_{};
    std::array<std::array<float, 64>, 4> multipliers_{};
    int P_ = 0, X_ = 0, Y_ = 0, Nf_ = 0, Hmax_ = 0, Vmax_ = 0;
    std::array<Component, 3> comp_;
    std::array<HuffmanTable, 4> dcTables_, acTables_;
    std::vector<std::uint8_t> out_;
    QString comment_;
};

} // namespace pictures
