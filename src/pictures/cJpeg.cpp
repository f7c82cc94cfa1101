#include "pictures/cJpeg.h"

#include "core/FileError.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pictures {

namespace {

// ITU T.81 Annex K, Tables K.1 (luminance) and K.2 (chrominance), in row order.
constexpr int LuminanceRows[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr int ChrominanceRows[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Colour conversion: weights for red, green, blue and the offset; the level shift of -128 is
// applied to Y only, since Cb and Cr come out centred on 0.
struct Weights {
    float r, g, b, offset;
};
constexpr Weights ConversionWeights[3] = {
    {0.299f, 0.587f, 0.114f, -128.0f},
    {-0.16874f, -0.33126f, 0.5f, 0.0f},
    {0.5f, -0.41869f, -0.08131f, 0.0f}};

[[noreturn]] void misuse(const char *text) {
    throw PictureError(PictureError::Misuse, QString::fromLatin1(text));
}

// Walks one component's blocks in the order of an interleaved scan: MCU by MCU, H × V blocks
// each. Blocks beyond the component's array (the last MCU column past its real blocks, block
// rows past the bottom) are dummies.
class McuCursor {
public:
    explicit McuCursor(const cJpeg::Component &c)
        : H_(c.H), V_(c.V), b_(std::size_t(c.w8 / 8)), size_(c.coefficients.size()), row_(std::size_t(c.V)) {
        n_ = int(b_ % std::size_t(H_));
        if (n_ == 0)
            n_ = H_;
        for (int v = 0; v < V_; ++v)
            row_[std::size_t(v)] = std::size_t(v) * b_ * 64;
    }
    // Calls f(index) for a real block and f(npos) for a dummy, H × V times.
    template <class F> void mcu(bool lastColumn, F &&f) {
        for (int v = 0; v < V_; ++v)
            for (int h = 0; h < H_; ++h) {
                std::size_t &index = row_[std::size_t(v)];
                if ((lastColumn && h >= n_) || index >= size_) {
                    f(npos);
                } else {
                    f(index);
                    index += 64;
                }
            }
    }
    void nextRow() {
        for (std::size_t &index : row_)
            index += std::size_t(V_ - 1) * b_ * 64;
    }
    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

private:
    int H_, V_;
    std::size_t b_, size_;
    int n_ = 1;
    std::vector<std::size_t> row_;
};

} // namespace

cJpeg::cJpeg() {
    // The zig-zag walk over the 8 × 8 grid.
    int x = 0, y = 0, direction = 1;
    for (int i = 0; i < 64; ++i) {
        zigZag_[std::size_t(x)][std::size_t(y)] = i;
        x += direction;
        y -= direction;
        if (x == 8) {
            y += 2;
            x = 7;
            direction = -1;
        } else if (y == 8) {
            x += 2;
            y = 7;
            direction = 1;
        } else if (x < 0) {
            x = 0;
            direction = 1;
        } else if (y < 0) {
            y = 0;
            direction = -1;
        }
    }
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            baseLuminance_[std::size_t(zigZag_[std::size_t(c)][std::size_t(r)])] = LuminanceRows[r * 8 + c];
            baseChrominance_[std::size_t(zigZag_[std::size_t(c)][std::size_t(r)])] = ChrominanceRows[r * 8 + c];
        }
    F_ = {0.353553390593273, 0.25489778955208,  0.270598050073098, 0.300672443467523,
          0.353553390593273, 0.449988111568207, 0.653281482438186, 1.28145772387074};
    SetSamplingFrequencies(2, 2, 1, 1, 1, 1);
    setQuality(75);
}

QByteArray cJpeg::fixedComment() {
    return QByteArrayLiteral("JPEG Encoder Class\r\n"
                             "Orvalis music catalogue: song pictures in baseline JPEG\r\n"
                             "Encoder of the Orvalis project, with Huffman tables fitted to each picture");
}

void cJpeg::setQuality(int quality) {
    if (quality < 1 || quality > 100)
        return;
    quality_ = quality;
    const int s = quality >= 50 ? 200 - 2 * quality : int(std::nearbyint(5000.0 / quality));
    for (std::size_t i = 0; i < 64; ++i) {
        // (base · s + 50) / 100 with the quotient rounded half to even, not truncated.
        const auto scaled = [s](int base) {
            return std::clamp(int(std::nearbyint((double(base) * s + 50.0) / 100.0)), 1, 255);
        };
        quant_[0][i] = scaled(baseLuminance_[i]);
        quant_[1][i] = scaled(baseChrominance_[i]);
    }
    ScaleQuantTable(0);
    ScaleQuantTable(1);
}

void cJpeg::ScaleQuantTable(int t) {
    const int limit = P_ == 12 ? 65535 : 255;
    for (std::size_t x = 0; x < 8; ++x)
        for (std::size_t y = 0; y < 8; ++y) {
            const auto z = std::size_t(zigZag_[x][y]);
            const int q = quant_[std::size_t(t)][z];
            if (q < 1 || q > limit)
                misuse("Bad Quantization Table");
            // The DCT leaves its output scaled; the scale factors F go into the multipliers.
            multipliers_[std::size_t(t)][z] = float(F_[x] * F_[y] / q);
        }
}

void cJpeg::SetSamplingFrequencies(int H1, int V1, int H2, int V2, int H3, int V3) {
    const auto check = [](int f) {
        if (f < 1 || f > 4)
            misuse("Invalid Sampling Value");
    };
    check(H1);
    check(V1);
    const bool grey = H2 == 0 && V2 == 0 && H3 == 0 && V3 == 0;
    if (!grey) {
        check(H2);
        check(H3);
        check(V2);
        check(V3);
    }
    clearSamples();
    if (grey) {
        Nf_ = 1;
        comp_[0].H = 1;
        comp_[0].V = 1;
        comp_[0].Tq = 0;
    } else {
        Nf_ = 3;
        const int factors[3][2] = {{H1, V1}, {H2, V2}, {H3, V3}};
        for (std::size_t c = 0; c < 3; ++c) {
            comp_[c].H = factors[c][0];
            comp_[c].V = factors[c][1];
            comp_[c].Tq = c == 0 ? 0 : 1;
        }
    }
    Hmax_ = Vmax_ = -1;
    for (int c = 0; c < Nf_; ++c) {
        Hmax_ = std::max(Hmax_, comp_[std::size_t(c)].H);
        Vmax_ = std::max(Vmax_, comp_[std::size_t(c)].V);
    }
}

void cJpeg::setComment(const QString &comment) {
    // The length field of a comment segment holds 65,535 bytes, two of them its own.
    if (comment.toUtf8().size() > 65533)
        misuse("Illegal Comment Length");
    comment_ = comment;
}

void cJpeg::clearSamples() {
    for (Component &c : comp_) {
        c.coefficients = {};
        c.w = c.h = c.w8 = c.h8 = 0;
    }
}

namespace {

// Four lanes of the transform at once: each lane takes exactly the steps of a single column,
// so the result is the same as one column at a time.
using Float4 = float __attribute__((vector_size(16)));
using Double4 = double __attribute__((vector_size(32)));

// The steps formed in double precision, each rounded to single once at the end.
#define ORVALIS_WIDE(v) __builtin_convertvector(v, Double4)
#define ORVALIS_NARROW(v) __builtin_convertvector(v, Float4)

// One pass of the Arai-Agui-Nakajima transform on d0 to d7. Each step is rounded to single
// precision; the multiplications are formed in double and rounded once.
inline void aanPass(Float4 *d) {
    Float4 t0 = d[7] + d[0], t1 = d[0] - d[7], t2 = d[6] + d[1], t3 = d[1] - d[6], t4 = d[5] + d[2],
           t5 = d[2] - d[5], t6 = d[4] + d[3], t7 = d[3] - d[4];
    t7 = t5 + t7;
    const Float4 t8 = t0 - t6;
    t6 = t0 + t6;
    t0 = t4 + t2;
    t2 = ORVALIS_NARROW(((ORVALIS_WIDE(t2) - ORVALIS_WIDE(t4)) + ORVALIS_WIDE(t8)) * 0.707106781186548);
    t4 = t3 + t1;
    t3 = ORVALIS_NARROW((ORVALIS_WIDE(t5) + ORVALIS_WIDE(t3)) * 0.707106781186548);
    t5 = ORVALIS_NARROW((ORVALIS_WIDE(t4) - ORVALIS_WIDE(t7)) * 0.382683432365091);
    t7 = ORVALIS_NARROW(ORVALIS_WIDE(t7) * 0.541196100146196 - ORVALIS_WIDE(t5));
    t4 = ORVALIS_NARROW(ORVALIS_WIDE(t4) * 1.30656296487638 - ORVALIS_WIDE(t5));
    t5 = t3 + t1;
    t1 = t1 - t3;
    d[0] = t6 + t0;
    d[4] = t6 - t0;
    d[1] = t5 + t4;
    d[7] = t5 - t4;
    d[2] = t8 + t2;
    d[6] = t8 - t2;
    d[5] = t7 + t1;
    d[3] = t1 - t7;
}

#undef ORVALIS_WIDE
#undef ORVALIS_NARROW

// Four blocks side by side, one to a lane: element i (8 · row + column) of the block in lane l
// is work[4 · i + l]. Each lane takes exactly the steps of its own block, so the blocks come
// out as they would one at a time.
constexpr int Lanes = 4;

inline Float4 lanesAt(const float *work, int i) {
    Float4 v;
    std::memcpy(&v, work + Lanes * i, sizeof v);
    return v;
}

inline void setLanesAt(float *work, int i, Float4 v) { std::memcpy(work + Lanes * i, &v, sizeof v); }

// The pass over elements first, first + step, ..., first + 7 · step of the four blocks.
inline void fdctPass(float *work, int first, int step) {
    Float4 d[8];
    for (int j = 0; j < 8; ++j)
        d[j] = lanesAt(work, first + step * j);
    aanPass(d);
    for (int j = 0; j < 8; ++j)
        setLanesAt(work, first + step * j, d[j]);
}

// The forward DCT of four blocks: first down each column, then along each row.
void fdct(float *work) {
    for (int x = 0; x < 8; ++x)
        fdctPass(work, x, 8);
    for (int y = 0; y < 8; ++y)
        fdctPass(work, 8 * y, 1);
}

// Quantises the four blocks of `work` into `out[l]`, in zig-zag order. `multipliers` are the
// table's single-precision multipliers widened, by zig-zag position; `naturalOf[z]` is the
// element at zig-zag position z.
void quantize(std::int16_t *const *out, const float *work, const double *multipliers,
              const std::array<int, 64> &naturalOf) {
    // The product of two floats is exact in double; it is rounded half to even once (the
    // conversion's default rounding). Coefficients of 8-bit samples stay far inside 16 bits.
#ifdef __SSE2__
    for (std::size_t z = 0; z < 64; z += 4) {
        __m128i q[4]; // four positions, each with its four blocks' coefficients
        for (std::size_t k = 0; k < 4; ++k) {
            const __m128 v = _mm_loadu_ps(work + Lanes * naturalOf[z + k]);
            const __m128d m = _mm_set1_pd(multipliers[z + k]);
            const __m128i low = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(v), m));
            const __m128i high = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(v, v)), m));
            q[k] = _mm_packs_epi32(_mm_unpacklo_epi64(low, high), _mm_setzero_si128());
        }
        // Turned around: each block's four positions together.
        const __m128i ab = _mm_unpacklo_epi16(q[0], q[1]), cd = _mm_unpacklo_epi16(q[2], q[3]);
        const __m128i blocks01 = _mm_unpacklo_epi32(ab, cd), blocks23 = _mm_unpackhi_epi32(ab, cd);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out[0] + z), blocks01);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out[1] + z), _mm_unpackhi_epi64(blocks01, blocks01));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out[2] + z), blocks23);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out[3] + z), _mm_unpackhi_epi64(blocks23, blocks23));
    }
#else
    for (std::size_t z = 0; z < 64; ++z)
        for (int l = 0; l < Lanes; ++l)
            out[l][z] = std::int16_t(std::nearbyint(double(work[Lanes * naturalOf[z] + l]) * multipliers[z]));
#endif
}

} // namespace

int cJpeg::SampleHDC(const DrawingSurface *SourceDC, int Width, int Height, int SrcX, int SrcY) {
    P_ = 8;
    Y_ = Height;
    X_ = Width;
    // A failure leaves no samples, so a later SaveFile refuses instead of writing the last
    // picture's coefficients under this picture's size.
    clearSamples();
    // A side so large that its padded plane size would not fit a Long cannot be sampled.
    if (!SourceDC || Width < 1 || Height < 1 || Width > std::numeric_limits<int>::max() - 8 ||
        Height > std::numeric_limits<int>::max() - 8)
        return 1;
    try {
        for (int c = 0; c < Nf_; ++c) {
            Component &k = comp_[std::size_t(c)];
            k.C = c + 1;
            k.w = int((std::int64_t(k.H) * Width + Hmax_ - 1) / Hmax_);
            k.h = int((std::int64_t(k.V) * Height + Vmax_ - 1) / Vmax_);
            k.w8 = (k.w + 7) & ~7;
            k.h8 = (k.h + 7) & ~7;
            k.coefficients.resize(std::size_t(k.w8) * std::size_t(k.h8));
        }
        // Components of the same sampled size share one drawing of the picture.
        for (int first = 0; first < Nf_;) {
            int end = first + 1;
            while (end < Nf_ && comp_[std::size_t(end)].w == comp_[std::size_t(first)].w &&
                   comp_[std::size_t(end)].h == comp_[std::size_t(first)].h)
                ++end;
            const Component &g = comp_[std::size_t(first)];
            const int w = g.w, h = g.h, w8 = g.w8, h8 = g.h8;
            std::optional<StretchRows> stretched;
            if (w != Width || h != Height)
                stretched.emplace(*SourceDC, QRect(SrcX, SrcY, Width, Height), w, h);
            const std::size_t rowBytes = std::size_t(w8) * 3;
            std::vector<std::uint8_t> strip(rowBytes * 8);
            double lut[3][3][256]; // per component of the group: red, green, blue products
            for (int c = first; c < end; ++c)
                for (int v = 0; v < 256; ++v) {
                    const Weights &wt = ConversionWeights[Nf_ == 1 ? 0 : c];
                    lut[c - first][0][v] = double(wt.r) * v;
                    lut[c - first][1][v] = double(wt.g) * v;
                    lut[c - first][2][v] = double(wt.b) * v;
                }
            std::size_t index[3] = {0, 0, 0};
            alignas(16) float work[64 * Lanes];
            std::array<int, 64> naturalOf{};
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    naturalOf[std::size_t(zigZag_[std::size_t(x)][std::size_t(y)])] = 8 * y + x;
            // Where the lanes past the row's last block put their coefficients.
            alignas(16) std::int16_t unused[64];
            const int blocksAcross = w8 / 8;
            for (int by = 0; by < h8 / 8; ++by) {
                // Eight rows of the plane, the last column and row repeated into the padding.
                int previous = -1;
                for (int r = 0; r < 8; ++r) {
                    const int sy = std::min(by * 8 + r, h - 1);
                    std::uint8_t *row = strip.data() + std::size_t(r) * rowBytes;
                    if (sy == previous) {
                        std::copy_n(row - rowBytes, rowBytes, row);
                        continue;
                    }
                    if (stretched)
                        std::copy_n(stretched->row(sy), std::size_t(w) * 3, row);
                    else
                        SourceDC->readPixels(SrcX, SrcY + sy, w, 1, row, std::ptrdiff_t(rowBytes));
                    for (int x = w; x < w8; ++x)
                        std::copy_n(row + std::size_t(w - 1) * 3, 3, row + std::size_t(x) * 3);
                    previous = sy;
                }
                for (int c = first; c < end; ++c) {
                    Component &k = comp_[std::size_t(c)];
                    const double offset = ConversionWeights[Nf_ == 1 ? 0 : c].offset;
                    const double *lr = lut[c - first][0], *lg = lut[c - first][1], *lb = lut[c - first][2];
                    double multipliers[64];
                    for (std::size_t z = 0; z < 64; ++z)
                        multipliers[z] = double(multipliers_[std::size_t(k.Tq)][z]);
                    // Four blocks of the strip at a time, each in its own lane.
                    for (int bx = 0; bx < blocksAcross; bx += Lanes) {
                        const int count = std::min(Lanes, blocksAcross - bx);
                        std::int16_t *out[Lanes];
                        for (int l = 0; l < Lanes; ++l) {
                            if (l >= count) {
                                out[l] = unused;
                                for (int i = 0; i < 64; ++i)
                                    work[Lanes * i + l] = 0.0f;
                                continue;
                            }
                            out[l] = k.coefficients.data() + index[c - first] + 64 * std::size_t(l);
                        }
                        // ((red + green) + blue) + offset in double, rounded once to single: lanes
                        // two at a time where SSE2 has them.
                        for (int y = 0; y < 8; ++y) {
                            const std::uint8_t *row = strip.data() + std::size_t(y) * rowBytes + std::size_t(bx) * 24;
                            for (int x = 0; x < 8; ++x) {
                                float *to = work + Lanes * (x + 8 * y);
                                const std::uint8_t *p = row + 3 * x;
#ifdef __SSE2__
                                if (count == Lanes) {
                                    const std::uint8_t *p1 = p + 24, *p2 = p + 48, *p3 = p + 72;
                                    const __m128d o = _mm_set1_pd(offset);
                                    const __m128d a = _mm_add_pd(
                                        _mm_add_pd(_mm_add_pd(_mm_set_pd(lr[p1[2]], lr[p[2]]), _mm_set_pd(lg[p1[1]], lg[p[1]])),
                                                   _mm_set_pd(lb[p1[0]], lb[p[0]])),
                                        o);
                                    const __m128d b = _mm_add_pd(
                                        _mm_add_pd(_mm_add_pd(_mm_set_pd(lr[p3[2]], lr[p2[2]]), _mm_set_pd(lg[p3[1]], lg[p2[1]])),
                                                   _mm_set_pd(lb[p3[0]], lb[p2[0]])),
                                        o);
                                    _mm_store_ps(to, _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(b)));
                                    continue;
                                }
#endif
                                for (int l = 0; l < count; ++l, p += 24)
                                    to[l] = float(lr[p[2]] + lg[p[1]] + lb[p[0]] + offset);
                            }
                        }
                        fdct(work);
                        quantize(out, work, multipliers, naturalOf);
                        index[c - first] += 64 * std::size_t(count);
                    }
                }
            }
            first = end;
        }
    } catch (const std::bad_alloc &) {
        clearSamples();
        return 1;
    }
    return 0;
}

std::vector<cJpeg::Group> cJpeg::groups(const std::vector<ScanEntry> &list) const {
    // At most 10 blocks per MCU and 3 components per scan; a component too large to share an
    // MCU gets a scan of its own.
    std::vector<Group> result;
    Group current;
    int count = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Component &c = comp_[std::size_t(list[i].comp)];
        const int blocks = c.H * c.V;
        if (!current.empty() && count + blocks > 10) {
            result.push_back(current);
            current.clear();
            count = 0;
        }
        current.push_back(list[i]);
        count += blocks;
        if (count > 10 || current.size() == 3 || i + 1 == list.size()) {
            result.push_back(current);
            current.clear();
            count = 0;
        }
    }
    return result;
}

void cJpeg::CollectDCStatsMCU(const Component &c, SymbolCounts &counts, std::int64_t &dummies) const {
    const int across = (8 * Hmax_ + X_ - 1) / (8 * Hmax_), down = (8 * Vmax_ + Y_ - 1) / (8 * Vmax_);
    McuCursor cursor(c);
    int predictor = 0;
    for (int my = 0; my < down; ++my) {
        for (int mx = 0; mx < across; ++mx)
            cursor.mcu(mx == across - 1, [&](std::size_t index) {
                if (index == McuCursor::npos) {
                    ++counts[0]; // a dummy block repeats the predictor
                    ++dummies;
                    return;
                }
                ++counts[std::size_t(HuffmanCoder::category(c.coefficients[index] - predictor))];
                predictor = c.coefficients[index];
            });
        cursor.nextRow();
    }
}

std::int64_t cJpeg::OptimizeTables(const std::vector<ScanEntry> &list) {
    bool interleaved[3] = {false, false, false};
    for (const Group &g : groups(list))
        if (g.size() > 1)
            for (const ScanEntry &e : g)
                interleaved[e.comp] = true;
    bool dcUsed[4] = {}, acUsed[4] = {};
    for (const ScanEntry &e : list) {
        dcUsed[e.td] = true;
        acUsed[e.ta] = true;
    }
    std::int64_t dummies[3] = {0, 0, 0};
    std::int64_t bits = 0;
    for (int t = 0; t < 4; ++t) {
        if (dcUsed[t]) {
            SymbolCounts counts{};
            for (const ScanEntry &e : list)
                if (e.td == t) {
                    const Component &c = comp_[std::size_t(e.comp)];
                    if (interleaved[e.comp])
                        CollectDCStatsMCU(c, counts, dummies[e.comp]);
                    else
                        HuffmanCoder::CollectDCStats(c.coefficients.data(), c.coefficients.size(), counts);
                }
            const SymbolCounts copy = counts;
            HuffmanTable &table = dcTables_[std::size_t(t)];
            HuffmanCoder::OptimizeHuffman(table, counts);
            HuffmanCoder::ExpandHuffman(table, P_ == 12 ? 15 : 11);
            for (int s = 0; s <= 15; ++s)
                if (copy[std::size_t(s)] != 0)
                    bits += copy[std::size_t(s)] * (table.codeLength(s) + s);
        }
        if (acUsed[t]) {
            SymbolCounts counts{};
            for (const ScanEntry &e : list)
                if (e.ta == t) {
                    const Component &c = comp_[std::size_t(e.comp)];
                    HuffmanCoder::CollectACStats(c.coefficients.data(), c.coefficients.size(), counts);
                    // Dummy blocks end with EOB: count it, or a component whose real blocks all
                    // end in a non-zero coefficient 63 would leave EOB without a code.
                    counts[0] += dummies[e.comp];
                }
            const SymbolCounts copy = counts;
            HuffmanTable &table = acTables_[std::size_t(t)];
            HuffmanCoder::OptimizeHuffman(table, counts);
            HuffmanCoder::ExpandHuffman(table, 255);
            for (int s = 0; s <= 255; ++s)
                if (copy[std::size_t(s)] != 0)
                    bits += copy[std::size_t(s)] * (table.codeLength(s) + s % 16);
        }
    }
    return bits / 8 + (bits % 8 != 0 ? 1 : 0);
}

void cJpeg::InsertSOS(const Group &group) {
    const auto ns = std::uint8_t(group.size());
    const std::size_t length = 6 + 2 * group.size();
    out_.insert(out_.end(), {0xFF, 0xDA, std::uint8_t(length >> 8), std::uint8_t(length), ns});
    for (const ScanEntry &e : group)
        out_.insert(out_.end(), {std::uint8_t(comp_[std::size_t(e.comp)].C), std::uint8_t(e.td * 16 + e.ta)});
    out_.insert(out_.end(), {0x00, 0x3F, 0x00});
}

void cJpeg::WriteScanSingle(HuffmanCoder &coder, const ScanEntry &e) {
    InsertSOS(Group{e});
    const Component &c = comp_[std::size_t(e.comp)];
    coder.ResetBitBuffer();
    int predictor = 0;
    for (std::size_t index = 0; index < c.coefficients.size();)
        coder.EncodeBlock(c.coefficients.data(), index, predictor, dcTables_[std::size_t(e.td)],
                          acTables_[std::size_t(e.ta)]);
    coder.FlushBitBuffer();
}

void cJpeg::WriteScanInterleaved(HuffmanCoder &coder, const Group &group) {
    InsertSOS(group);
    const int across = (8 * Hmax_ + X_ - 1) / (8 * Hmax_), down = (8 * Vmax_ + Y_ - 1) / (8 * Vmax_);
    std::vector<McuCursor> cursors;
    std::vector<int> predictors(group.size(), 0);
    for (const ScanEntry &e : group)
        cursors.emplace_back(comp_[std::size_t(e.comp)]);
    coder.ResetBitBuffer();
    std::int16_t dummy[64] = {};
    for (int my = 0; my < down; ++my) {
        for (int mx = 0; mx < across; ++mx)
            for (std::size_t g = 0; g < group.size(); ++g) {
                const ScanEntry &e = group[g];
                const std::int16_t *data = comp_[std::size_t(e.comp)].coefficients.data();
                const HuffmanTable &dc = dcTables_[std::size_t(e.td)], &ac = acTables_[std::size_t(e.ta)];
                int &predictor = predictors[g];
                cursors[g].mcu(mx == across - 1, [&](std::size_t index) {
                    if (index == McuCursor::npos) {
                        // A block of zeros whose DC repeats the predictor: DC category 0, EOB.
                        dummy[0] = std::int16_t(predictor);
                        std::size_t i = 0;
                        coder.EncodeBlock(dummy, i, predictor, dc, ac);
                    } else {
                        coder.EncodeBlock(data, index, predictor, dc, ac);
                    }
                });
            }
        for (McuCursor &cursor : cursors)
            cursor.nextRow();
    }
    coder.FlushBitBuffer();
}

void cJpeg::InsertDQT(int t) {
    const std::size_t start = out_.size();
    out_.insert(out_.end(), {0xFF, 0xDB, 0x00, 0x00});
    const std::array<int, 64> &table = quant_[std::size_t(t)];
    const bool wide = std::any_of(table.begin(), table.end(), [](int q) { return q > 255; });
    if (wide && P_ != 12)
        misuse("Illegal precission in Quantization Table");
    out_.push_back(std::uint8_t(wide ? t + 16 : t));
    for (const int q : table) {
        if (wide)
            out_.push_back(std::uint8_t(q >> 8));
        out_.push_back(std::uint8_t(q));
    }
    const std::size_t length = out_.size() - start - 2;
    out_[start + 2] = std::uint8_t(length >> 8);
    out_[start + 3] = std::uint8_t(length);
}

void cJpeg::InsertDHT(int n, bool ac) {
    const std::size_t start = out_.size();
    out_.insert(out_.end(), {0xFF, 0xC4, 0x00, 0x00, std::uint8_t(ac ? n + 16 : n)});
    const HuffmanTable &table = ac ? acTables_[std::size_t(n)] : dcTables_[std::size_t(n)];
    out_.insert(out_.end(), table.bits.begin() + 1, table.bits.end());
    out_.insert(out_.end(), table.huffval.begin(), table.huffval.begin() + table.symbolCount());
    const std::size_t length = out_.size() - start - 2;
    out_[start + 2] = std::uint8_t(length >> 8);
    out_[start + 3] = std::uint8_t(length);
}

QByteArray cJpeg::fileBytes() {
    if (Nf_ < 1 || comp_[0].coefficients.empty())
        throw PictureError(PictureError::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    if (X_ > 65535 || Y_ > 65535)
        throw PictureError(PictureError::Overflow, QStringLiteral("Overflow"));
    std::vector<ScanEntry> list;
    for (int c = 0; c < Nf_; ++c)
        list.push_back(ScanEntry{c, c == 0 ? 0 : 1, c == 0 ? 0 : 1});
    const std::int64_t estimate = OptimizeTables(list);
    const QByteArray comment = comment_.toUtf8();

    // The estimate counts neither stuffed bytes, fills nor the dummy blocks, so it only
    // reserves: the buffer grows when the coded data needs more.
    out_.clear();
    out_.reserve(std::size_t(std::nearbyint(double(estimate) * 1.3 + 1000.0 + comment.size())) + 1);
    const auto put16 = [this](std::size_t v) {
        out_.push_back(std::uint8_t(v >> 8));
        out_.push_back(std::uint8_t(v));
    };
    out_.insert(out_.end(), {0xFF, 0xD8});
    out_.insert(out_.end(), {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00,
                             0x01, 0x00, 0x00});
    for (const QByteArray &text : {comment, fixedComment()}) {
        if (text.isEmpty())
            continue;
        out_.insert(out_.end(), {0xFF, 0xFE});
        put16(std::size_t(text.size()) + 2);
        out_.insert(out_.end(), text.begin(), text.end());
    }
    InsertDQT(0);
    if (Nf_ > 1)
        InsertDQT(1);
    out_.insert(out_.end(), {0xFF, 0xC0});
    put16(8 + 3 * std::size_t(Nf_));
    out_.push_back(std::uint8_t(P_));
    put16(std::size_t(Y_));
    put16(std::size_t(X_));
    out_.push_back(std::uint8_t(Nf_));
    for (int c = 0; c < Nf_; ++c) {
        const Component &k = comp_[std::size_t(c)];
        out_.insert(out_.end(), {std::uint8_t(k.C), std::uint8_t(k.H * 16 + k.V), std::uint8_t(k.Tq)});
    }
    InsertDHT(0, false);
    InsertDHT(0, true);
    if (Nf_ > 1) {
        InsertDHT(1, false);
        InsertDHT(1, true);
    }
    HuffmanCoder coder(out_);
    for (const Group &g : groups(list)) {
        if (g.size() == 1)
            WriteScanSingle(coder, g.front());
        else
            WriteScanInterleaved(coder, g);
    }
    out_.insert(out_.end(), {0xFF, 0xD9});
    QByteArray bytes(reinterpret_cast<const char *>(out_.data()), qsizetype(out_.size()));
    out_ = {};
    return bytes;
}

int cJpeg::SaveFile(const QString &FileName) {
    if (FileName.isEmpty())
        return 1;
    const QFileInfo info(FileName);
    if ((info.exists() || info.isSymLink()) && !info.isDir())
        return 2; // hidden and read-only files included: the caller removes what it replaces
    const QByteArray bytes = fileBytes();
    if (!info.absoluteDir().exists())
        throw core::FileError(76, QStringLiteral("Path not found"));
    // A failed write removes what it wrote and names its reason (a full disk, a refusal).
    writeNewFile(FileName, bytes);
    return 0;
}

} // namespace pictures
