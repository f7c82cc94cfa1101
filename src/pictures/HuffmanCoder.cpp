#include "pictures/HuffmanCoder.h"

#include "pictures/PictureError.h"

#include <bit>
#include <limits>

namespace pictures {

namespace {
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

int HuffmanCoder::category(int v) {
    return std::bit_width(std::uint32_t(v < 0 ? -v : v));
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
        int run = 0;
        for (std::size_t k = 1; k < 64; ++k) {
            const int v = blocks[b + k];
            if (v == 0) {
                ++run;
                continue;
            }
            while (run > 15) {
                ++counts[0xF0];
                run -= 16;
            }
            ++counts[std::size_t(16 * run + category(v))];
            run = 0;
        }
        if (run > 0)
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

void HuffmanCoder::put(std::uint32_t bits, int length) {
    // Bits go out most significant first; a whole byte of 0xFF is followed by 0x00.
    acc_ = (acc_ << length) | (bits & ((std::uint64_t(1) << length) - 1));
    pending_ += length;
    while (pending_ >= 8) {
        pending_ -= 8;
        const auto byte = std::uint8_t(acc_ >> pending_);
        out_.push_back(byte);
        if (byte == 0xFF)
            out_.push_back(0x00);
    }
    acc_ &= (std::uint64_t(1) << pending_) - 1;
}

void HuffmanCoder::WriteBits(std::uint32_t mask, std::int32_t value) {
    if (mask == 0)
        return;
    put(std::uint32_t(value), std::bit_width(mask));
}

void HuffmanCoder::FlushBitBuffer() {
    if (pending_ > 0)
        put(0xFFu, 8 - pending_);
}

void HuffmanCoder::putCode(const HuffmanTable &table, int symbol) {
    const std::int32_t code = table.code[std::size_t(symbol)];
    if (code < 0)
        badTable(); // a symbol the statistics did not count: the file would be corrupt
    put(std::uint32_t(code), std::bit_width(std::uint32_t(table.sizeMask[std::size_t(symbol)])));
}

void HuffmanCoder::putExtra(int value, int cat) {
    if (cat > 0)
        put(std::uint32_t(value < 0 ? value - 1 : value), cat);
}

void HuffmanCoder::EncodeBlock(const std::int16_t *blocks, std::size_t &index, int &predictor,
                               const HuffmanTable &dc, const HuffmanTable &ac) {
    const int diff = blocks[index] - predictor;
    predictor = blocks[index];
    ++index;
    const int dcCategory = category(diff);
    putCode(dc, dcCategory);
    putExtra(diff, dcCategory);
    int run = 0;
    for (std::size_t k = 0; k < 63; ++k) {
        const int v = blocks[index + k];
        if (v == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            putCode(ac, 0xF0);
            run -= 16;
        }
        const int c = category(v);
        putCode(ac, 16 * run + c);
        putExtra(v, c);
        run = 0;
    }
    if (run > 0)
        putCode(ac, 0x00);
    index += 63;
}

} // namespace pictures
