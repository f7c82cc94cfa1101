#include "pictures/HuffmanCoder.h"

#include "pictures/PictureError.h"

#include <bit>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pictures {

namespace {

// Bit k set when coefficient k of the block is not 0: the coder then visits the non-zero
// coefficients only, which most blocks have few of.
std::uint64_t nonZero(const std::int16_t *block) {
#ifdef __SSE2__
    std::uint64_t mask = 0;
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 64; i += 16) {
        const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + i)), zero);
        const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + i + 8)), zero);
        const auto zeros = std::uint64_t(std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(a, b))) & 0xFFFFu);
        mask |= (~zeros & 0xFFFFu) << i;
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; ++k)
        mask |= std::uint64_t(block[k] != 0) << k;
    return mask;
#endif
}

[[noreturn]] void badTable() {
    throw PictureError(PictureError::Misuse, QStringLiteral("Bad Huffman Table"));
}
} // namespace

int HuffmanTable::symbolCount() const {
    int n = 0;
    for (int l = 1; l <= 16; ++l)
        n += bits[std::size_t(l)];
    return n;
}

int HuffmanTable::codeLength(int symbol) const {
    const std::int32_t m = sizeMask[std::size_t(symbol)];
    return m == 0 ? 0 : std::bit_width(std::uint32_t(m));
}

void HuffmanCoder::OptimizeHuffman(HuffmanTable &table, SymbolCounts &counts) {
    std::array<int, 257> codeSize{};
    std::array<int, 257> others;
    others.fill(-1);
    counts[256] = 1; // reserves one code point, so that no code is all 1-bits

    int c1 = -1;
    for (;;) {
        // The least count at c1, the next least at c2; among equal counts the later symbol is
        // taken as the smaller.
        std::int64_t f1 = std::numeric_limits<std::int32_t>::max(), f2 = f1;
        c1 = -1;
        int c2 = -1;
        for (int i = 0; i <= 256; ++i) {
            const std::int64_t f = counts[std::size_t(i)];
            if (f >= 1 && f <= f2) {
                if (f > f1) {
                    c2 = i;
                    f2 = f;
                } else {
                    c2 = c1;
                    f2 = f1;
                    c1 = i;
                    f1 = f;
                }
            }
        }
        if (c2 < 0)
            break;
        counts[std::size_t(c1)] += counts[std::size_t(c2)];
        counts[std::size_t(c2)] = 0;
        int k = c1;
        ++codeSize[std::size_t(k)];
        while (others[std::size_t(k)] >= 0) {
            k = others[std::size_t(k)];
            ++codeSize[std::size_t(k)];
        }
        others[std::size_t(k)] = c2;
        k = c2;
        ++codeSize[std::size_t(k)];
        while (others[std::size_t(k)] >= 0) {
            k = others[std::size_t(k)];
            ++codeSize[std::size_t(k)];
        }
    }
    if (c1 >= 0)
        counts[std::size_t(c1)] = 0;

    std::array<int, 258> bits{};
    int maxLength = 0;
    for (int i = 0; i <= 256; ++i)
        if (codeSize[std::size_t(i)] > 0) {
            ++bits[std::size_t(codeSize[std::size_t(i)])];
            maxLength = std::max(maxLength, codeSize[std::size_t(i)]);
        }
    // Annex K.3: move codes longer than 16 bits up the tree.
    for (int i = maxLength; i >= 17; --i)
        while (bits[std::size_t(i)] > 0) {
            int j = i - 2;
            while (j >= 1 && bits[std::size_t(j)] == 0)
                --j;
            bits[std::size_t(i)] -= 2;
            bits[std::size_t(i - 1)] += 1;
            bits[std::size_t(j + 1)] += 2;
            bits[std::size_t(j)] -= 1;
        }
    // The reserved code point leaves from the longest length.
    const int m = maxLength <= 16 ? maxLength : 16;
    if (m >= 1)
        bits[std::size_t(m)] -= 1;

    table.bits.fill(0);
    for (int l = 1; l <= 16; ++l)
        table.bits[std::size_t(l)] = std::uint8_t(bits[std::size_t(l)]);
    table.huffval.fill(0);
    std::size_t p = 0;
    for (int n = 1; n <= maxLength; ++n)
        for (int s = 0; s <= 255; ++s)
            if (codeSize[std::size_t(s)] == n)
                table.huffval[p++] = std::uint8_t(s);
}

void HuffmanCoder::ExpandHuffman(HuffmanTable &table, int largestSymbol) {
    table.sizeMask.fill(0);
    table.code.fill(-1);
    std::int32_t code = 0, mask = 1;
    int k = 0;
    for (int l = 1; l <= 16; ++l) {
        const int n = table.bits[std::size_t(l)];
        if (k + n > 256)
            badTable();
        table.valOffset[std::size_t(l)] = k - code;
        for (int i = 0; i < n; ++i) {
            const int s = table.huffval[std::size_t(k)];
            if (s > largestSymbol || table.code[std::size_t(s)] >= 0)
                badTable();
            table.sizeMask[std::size_t(s)] = mask;
            table.code[std::size_t(s)] = code;
            ++code;
            ++k;
        }
        table.maxCode[std::size_t(l)] = n > 0 ? code - 1 : -1;
        mask *= 2;
        if (code >= mask)
            badTable(); // the all-1-bits code of this length was used
        code *= 2;
    }
    if (k == 0)
        badTable();
}

void HuffmanCoder::CollectACStats(const std::int16_t *blocks, std::size_t count, SymbolCounts &counts) {
    for (std::size_t b = 0; b + 64 <= count; b += 64) {
        const std::int16_t *block = blocks + b;
        std::uint64_t m = nonZero(block) & ~std::uint64_t(1);
        int last = 0; // the last non-zero position; the zeros after it form the run
        while (m) {
            const int k = std::countr_zero(m);
            m &= m - 1;
            int run = k - last - 1;
            while (run > 15) {
                ++counts[0xF0];
                run -= 16;
            }
            ++counts[std::size_t(16 * run + category(block[k]))];
            last = k;
        }
        if (last < 63)
            ++counts[0x00];
    }
}

void HuffmanCoder::CollectDCStats(const std::int16_t *blocks, std::size_t count, SymbolCounts &counts) {
    int predictor = 0;
    for (std::size_t b = 0; b + 64 <= count; b += 64) {
        ++counts[std::size_t(category(blocks[b] - predictor))];
        predictor = blocks[b];
    }
}

void HuffmanCoder::ResetBitBuffer() {
    acc_ = 0;
    pending_ = 0;
}

void HuffmanCoder::drain() {
    out_.insert(out_.end(), staged_.begin(), staged_.begin() + std::ptrdiff_t(stagedCount_));
    stagedCount_ = 0;
}

void HuffmanCoder::stageByte(std::uint8_t byte) {
    staged_[stagedCount_++] = byte;
    if (byte == 0xFF)
        staged_[stagedCount_++] = 0x00;
}

inline void HuffmanCoder::put(std::uint32_t bits, int length) {
    // Bits go out most significant first, 32 at a time; a whole byte of 0xFF is followed by
    // 0x00. Bits of acc_ above the pending ones are never read.
    acc_ = (acc_ << length) | (std::uint64_t(bits) & ((std::uint64_t(1) << length) - 1));
    pending_ += length;
    if (pending_ < 32)
        return;
    pending_ -= 32;
    const auto word = std::uint32_t(acc_ >> pending_);
    if (stagedCount_ > staged_.size() - 8)
        drain();
    // Whether a byte of the word is 0xFF: a zero byte of its complement.
    if (((~word - 0x01010101u) & word & 0x80808080u) == 0) {
        std::uint8_t *p = staged_.data() + stagedCount_;
        p[0] = std::uint8_t(word >> 24);
        p[1] = std::uint8_t(word >> 16);
        p[2] = std::uint8_t(word >> 8);
        p[3] = std::uint8_t(word);
        stagedCount_ += 4;
    } else {
        for (int shift = 24; shift >= 0; shift -= 8)
            stageByte(std::uint8_t(word >> shift));
    }
}

void HuffmanCoder::WriteBits(std::uint32_t mask, std::int32_t value) {
    if (mask == 0)
        return;
    put(std::uint32_t(value), std::bit_width(mask));
}

void HuffmanCoder::FlushBitBuffer() {
    if (pending_ % 8 != 0)
        put(0xFFu, 8 - pending_ % 8);
    for (; pending_ > 0; pending_ -= 8) {
        if (stagedCount_ > staged_.size() - 8)
            drain();
        stageByte(std::uint8_t(acc_ >> (pending_ - 8)));
    }
    drain();
}

inline void HuffmanCoder::putSymbol(const HuffmanTable &table, int symbol, int value, int cat) {
    const std::int32_t code = table.code[std::size_t(symbol)];
    if (code < 0)
        badTable(); // a symbol the statistics did not count: the file would be corrupt
    const int length = std::bit_width(std::uint32_t(table.sizeMask[std::size_t(symbol)]));
    // A negative value is sent as value - 1 in `cat` bits. Codes take at most 16 bits and
    // extra bits at most 15, so both fit one call.
    const auto extra = std::uint32_t(value < 0 ? value - 1 : value) & ((std::uint32_t(1) << cat) - 1);
    put((std::uint32_t(code) << cat) | extra, length + cat);
}

void HuffmanCoder::EncodeBlock(const std::int16_t *blocks, std::size_t &index, int &predictor,
                               const HuffmanTable &dc, const HuffmanTable &ac) {
    const int diff = blocks[index] - predictor;
    predictor = blocks[index];
    ++index;
    putSymbol(dc, category(diff), diff, category(diff));
    const std::int16_t *block = blocks + index - 1;
    std::uint64_t m = nonZero(block) & ~std::uint64_t(1);
    int last = 0;
    while (m) {
        const int k = std::countr_zero(m);
        m &= m - 1;
        int run = k - last - 1;
        while (run > 15) {
            putSymbol(ac, 0xF0, 0, 0);
            run -= 16;
        }
        const int c = category(block[k]);
        putSymbol(ac, 16 * run + c, block[k], c);
        last = k;
    }
    if (last < 63)
        putSymbol(ac, 0x00, 0, 0); // no EOB after a non-zero coefficient 63
    index += 63;
}

} // namespace pictures
