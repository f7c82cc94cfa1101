#include "pictures/DrawingSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pictures {

void drawSurface(DrawingSurface &target, const QRect &targetRect, const DrawingSurface &source,
                 const QRect &sourceRect, std::uint32_t op) {
    const int w = targetRect.width(), h = targetRect.height();
    if (w <= 0 || h <= 0 || sourceRect.width() <= 0 || sourceRect.height() <= 0)
        return;
    if (sourceRect.size() == targetRect.size()) {
        // A straight copy, in strips so that a large picture is not held twice.
        const std::ptrdiff_t stride = std::ptrdiff_t(w) * 3;
        const int strip = int(std::max<std::ptrdiff_t>(1, std::min<std::ptrdiff_t>(h, (1 << 18) / stride)));
        std::vector<std::uint8_t> buffer(std::size_t(stride) * std::size_t(strip));
        for (int y = 0; y < h; y += strip) {
            const int n = std::min(strip, h - y);
            source.readPixels(sourceRect.x(), sourceRect.y() + y, w, n, buffer.data(), stride);
            target.writePixels(targetRect.x(), targetRect.y() + y, w, n, buffer.data(), stride, op);
        }
        return;
    }
    StretchRows rows(source, sourceRect, w, h);
    for (int y = 0; y < h; ++y)
        target.writePixels(targetRect.x(), targetRect.y() + y, w, 1, rows.row(y), std::ptrdiff_t(w) * 3, op);
}

std::vector<StretchRows::Tap> StretchRows::taps(int s, int d, std::vector<float> &weights) {
    std::vector<Tap> result(static_cast<std::size_t>(d));
    const auto add = [&](int i, int first, std::initializer_list<float> w) {
        result[std::size_t(i)] = Tap{first, int(w.size()), int(weights.size())};
        weights.insert(weights.end(), w);
    };
    if (s == d) {
        for (int i = 0; i < d; ++i)
            add(i, i, {1.0f});
    } else if (d < s) {
        // Area average: output pixel i covers source [i·s/d, (i+1)·s/d), counted in units of 1/d
        // so that whole ratios give exact weights.
        for (int i = 0; i < d; ++i) {
            const long long start = (long long)i * s, end = (long long)(i + 1) * s;
            const int first = int(start / d), last = int((end - 1) / d);
            result[std::size_t(i)] = Tap{first, last - first + 1, int(weights.size())};
            for (int j = first; j <= last; ++j) {
                const long long lo = std::max(start, (long long)j * d), hi = std::min(end, (long long)(j + 1) * d);
                weights.push_back(float(double(hi - lo) / double(s)));
            }
        }
    } else {
        // Bilinear between pixel centres, the edges held.
        for (int i = 0; i < d; ++i) {
            double c = (i + 0.5) * s / d - 0.5;
            c = std::clamp(c, 0.0, double(s - 1));
            const int first = int(std::floor(c));
            const float f = float(c - first);
            if (first + 1 <= s - 1 && f > 0.0f)
                add(i, first, {1.0f - f, f});
            else
                add(i, first, {1.0f});
        }
    }
    return result;
}

StretchRows::StretchRows(const DrawingSurface &source, const QRect &sourceRect, int w, int h)
    : source_(source), rect_(sourceRect), w_(w) {
    across_ = taps(sourceRect.width(), w, acrossWeights_);
    acrossPairs_ = std::all_of(across_.begin(), across_.end(), [](const Tap &t) { return t.count == 2; });
    down_ = taps(sourceRect.height(), h, downWeights_);
    int span = 1;
    for (const Tap &t : down_)
        span = std::max(span, t.count);
    // One spare float and byte: the paired stretch below reads and writes whole groups of four.
    cache_.assign(std::size_t(span) + 1, std::vector<float>(std::size_t(w) * 3 + 1));
    cacheRow_.assign(std::size_t(span) + 1, -1);
    line_.resize(std::size_t(sourceRect.width()) * 3 + 1);
    out_.resize(std::size_t(w) * 3);
    sum_.resize(std::size_t(w) * 3);
}

const float *StretchRows::horizontalRow(int sourceRow) {
    const std::size_t slot = std::size_t(sourceRow) % cache_.size();
    std::vector<float> &row = cache_[slot];
    if (cacheRow_[slot] == sourceRow)
        return row.data();
    source_.readPixels(rect_.x(), rect_.y() + sourceRow, rect_.width(), 1, line_.data(),
                       std::ptrdiff_t(rect_.width()) * 3);
    float *out = row.data();
    if (acrossPairs_) {
        // Every output pixel from two source pixels (a side halved): the same sums, unrolled.
        for (int i = 0; i < w_; ++i, out += 3) {
            const Tap &t = across_[std::size_t(i)];
            const float w0 = acrossWeights_[std::size_t(t.weight)], w1 = acrossWeights_[std::size_t(t.weight) + 1];
            const std::uint8_t *p = line_.data() + std::size_t(t.first) * 3;
#ifdef __SSE2__
            // Blue, green, red (and a fourth value the next pixel overwrites) at once.
            const auto floats = [](const std::uint8_t *bytes) {
                std::uint32_t v;
                std::memcpy(&v, bytes, sizeof v);
                const __m128i zero = _mm_setzero_si128();
                return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), zero), zero));
            };
            _mm_storeu_ps(out, _mm_add_ps(_mm_mul_ps(_mm_set1_ps(w0), floats(p)), _mm_mul_ps(_mm_set1_ps(w1), floats(p + 3))));
#else
            out[0] = w0 * p[0] + w1 * p[3];
            out[1] = w0 * p[1] + w1 * p[4];
            out[2] = w0 * p[2] + w1 * p[5];
#endif
        }
        cacheRow_[slot] = sourceRow;
        return row.data();
    }
    for (int i = 0; i < w_; ++i, out += 3) {
        const Tap &t = across_[std::size_t(i)];
        const float *wt = acrossWeights_.data() + t.weight;
        const std::uint8_t *p = line_.data() + std::size_t(t.first) * 3;
        float b = 0, g = 0, r = 0;
        for (int k = 0; k < t.count; ++k, p += 3) {
            b += wt[k] * p[0];
            g += wt[k] * p[1];
            r += wt[k] * p[2];
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
    }
    cacheRow_[slot] = sourceRow;
    return row.data();
}

const std::uint8_t *StretchRows::row(int y) {
    if (y == outRow_)
        return out_.data();
    const Tap &t = down_[std::size_t(y)];
    const std::size_t n = sum_.size();
    if (t.count == 2) {
        const float *a = horizontalRow(t.first), *b = horizontalRow(t.first + 1);
        const float w0 = downWeights_[std::size_t(t.weight)], w1 = downWeights_[std::size_t(t.weight) + 1];
        std::uint8_t *out = out_.data();
        std::size_t i = 0;
#ifdef __SSE2__
        // Sixteen at a time with the same single-precision steps: products, sum, clamp, + 0.5
        // and truncation.
        const __m128 v0 = _mm_set1_ps(w0), v1 = _mm_set1_ps(w1), zero = _mm_setzero_ps(),
                     top = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
        const auto four = [&](std::size_t at) {
            const __m128 sum = _mm_add_ps(_mm_mul_ps(v0, _mm_loadu_ps(a + at)), _mm_mul_ps(v1, _mm_loadu_ps(b + at)));
            return _mm_cvttps_epi32(_mm_add_ps(_mm_min_ps(_mm_max_ps(sum, zero), top), half));
        };
        for (; i + 16 <= n; i += 16) {
            const __m128i low = _mm_packs_epi32(four(i), four(i + 4)), high = _mm_packs_epi32(four(i + 8), four(i + 12));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(low, high));
        }
#endif
        for (; i < n; ++i)
            out[i] = std::uint8_t(std::clamp(w0 * a[i] + w1 * b[i], 0.0f, 255.0f) + 0.5f);
        outRow_ = y;
        return out_.data();
    }
    std::fill(sum_.begin(), sum_.end(), 0.0f);
    for (int k = 0; k < t.count; ++k) {
        const float *src = horizontalRow(t.first + k);
        const float wk = downWeights_[std::size_t(t.weight + k)];
        float *sum = sum_.data();
        for (std::size_t i = 0; i < n; ++i)
            sum[i] += wk * src[i];
    }
    for (std::size_t i = 0; i < n; ++i)
        out_[i] = std::uint8_t(std::clamp(sum_[i], 0.0f, 255.0f) + 0.5f); // the sum is never negative
    outRow_ = y;
    return out_.data();
}

} // namespace pictures

namespace pictures {

NearestEntry::NearestEntry(const RgbQuad *table, int count) : table_(table), count_(count) {
    if (count == 256) {
        greyRamp_ = true;
        for (int i = 0; i < 256 && greyRamp_; ++i)
            greyRamp_ = table[i].rgbRed == i && table[i].rgbGreen == i && table[i].rgbBlue == i;
    }
}

std::uint8_t NearestEntry::operator()(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    if (greyRamp_)
        return std::uint8_t((unsigned(red) + green + blue + 1) / 3);
    if (count_ <= 0)
        return 0;
    const std::uint32_t key = (std::uint32_t(red) << 16) | (std::uint32_t(green) << 8) | blue;
    if (const auto it = seen_.find(key); it != seen_.end())
        return it->second;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < count_; ++i) {
        const long dr = long(red) - table_[i].rgbRed, dg = long(green) - table_[i].rgbGreen,
                   db = long(blue) - table_[i].rgbBlue;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    seen_.emplace(key, std::uint8_t(best));
    return std::uint8_t(best);
}

} // namespace pictures
