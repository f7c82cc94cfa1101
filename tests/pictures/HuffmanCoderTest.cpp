// The entropy coder alone: fitted tables (a single symbol, lengths over 16), the checks of a
// table's expansion, and the coded symbols of a block read back with the table's own codes.
#include "pictures/HuffmanCoder.h"
#include "pictures/PictureError.h"

#include <gtest/gtest.h>

#include <map>

using namespace pictures;

namespace {

HuffmanTable fitted(SymbolCounts counts, int largest = 255) {
    HuffmanTable t;
    HuffmanCoder::OptimizeHuffman(t, counts);
    for (const auto c : counts)
        EXPECT_EQ(c, 0) << "the counts are used up";
    HuffmanCoder::ExpandHuffman(t, largest);
    return t;
}

// Reads the coded bytes back as symbols of the two tables (DC first, then AC to the block's
// end), undoing the stuffing; enough to see which symbols a block was coded as.
class SymbolReader {
public:
    SymbolReader(const std::vector<std::uint8_t> &bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            for (int b = 7; b >= 0; --b)
                bits_.push_back((bytes[i] >> b) & 1);
            if (bytes[i] == 0xFF) {
                EXPECT_LT(i + 1, bytes.size());
                if (i + 1 < bytes.size()) {
                    EXPECT_EQ(bytes[i + 1], 0x00) << "0xFF not stuffed";
                }
                ++i;
            }
        }
    }
    int symbol(const HuffmanTable &t) {
        std::map<std::pair<int, int>, int> codes; // (length, code) -> symbol
        for (int s = 0; s < 256; ++s)
            if (t.code[std::size_t(s)] >= 0)
                codes[{t.codeLength(s), t.code[std::size_t(s)]}] = s;
        int code = 0;
        for (int length = 1; length <= 16 && pos_ < bits_.size(); ++length) {
            code = code * 2 + bits_[pos_++];
            if (auto it = codes.find({length, code}); it != codes.end())
                return it->second;
        }
        return -1;
    }
    int extra(int count) {
        int v = 0;
        for (int i = 0; i < count; ++i)
            v = v * 2 + bits_[pos_++];
        return v;
    }
    std::size_t remaining() const { return bits_.size() - pos_; }

private:
    std::vector<int> bits_;
    std::size_t pos_ = 0;
};

// Tables with a code for every symbol a test block uses.
struct Tables {
    HuffmanTable dc, ac;
    Tables() {
        SymbolCounts d{}, a{};
        for (int s = 0; s <= 11; ++s)
            d[std::size_t(s)] = 1 + s;
        for (int s = 0; s < 256; ++s)
            a[std::size_t(s)] = 1 + s % 7;
        dc = fitted(d, 11);
        ac = fitted(a);
    }
};

// The symbols of one coded block: DC category, then each AC symbol to the end.
std::vector<int> codedSymbols(const std::array<std::int16_t, 64> &block, std::vector<std::uint8_t> *bytes = nullptr) {
    static const Tables tables;
    std::vector<std::uint8_t> out;
    HuffmanCoder coder(out);
    coder.ResetBitBuffer();
    std::size_t index = 0;
    int predictor = 0;
    coder.EncodeBlock(block.data(), index, predictor, tables.dc, tables.ac);
    coder.FlushBitBuffer();
    EXPECT_EQ(index, 64u);
    EXPECT_EQ(predictor, block[0]);
    if (bytes)
        *bytes = out;
    SymbolReader r(out);
    std::vector<int> symbols{r.symbol(tables.dc)};
    r.extra(symbols[0]);
    int position = 1;
    while (position < 64) {
        const int s = r.symbol(tables.ac);
        symbols.push_back(s);
        if (s < 0 || s == 0x00)
            break;
        position += s == 0xF0 ? 16 : (s >> 4) + 1;
        r.extra(s & 15);
    }
    EXPECT_LT(r.remaining(), 8u) << "only the fill is left";
    return symbols;
}

TEST(HuffmanTables, OneUsedSymbolGetsAOneBitCode) {
    SymbolCounts counts{};
    counts[5] = 1000;
    const HuffmanTable t = fitted(counts);
    EXPECT_EQ(t.bits[1], 1);
    EXPECT_EQ(t.symbolCount(), 1);
    EXPECT_EQ(t.huffval[0], 5);
    EXPECT_EQ(t.codeLength(5), 1);
    EXPECT_EQ(t.code[5], 0) << "never the all-1-bits code";
}

TEST(HuffmanTables, CountsNeedingLongerCodesCollapseTo16BitsAndStillExpand) {
    // Fibonacci counts give a code tree as deep as there are symbols.
    SymbolCounts counts{};
    std::int64_t a = 1, b = 1;
    for (int s = 0; s < 30; ++s) {
        counts[std::size_t(s)] = a;
        const std::int64_t c = a + b;
        a = b;
        b = c;
    }
    const HuffmanTable t = fitted(counts);
    EXPECT_EQ(t.symbolCount(), 30);
    double kraft = 0;
    for (int s = 0; s < 30; ++s) {
        EXPECT_GE(t.codeLength(s), 1);
        EXPECT_LE(t.codeLength(s), 16);
        kraft += std::ldexp(1.0, -t.codeLength(s));
    }
    EXPECT_LT(kraft, 1.0) << "one code point stays free";
    EXPECT_GT(t.bits[16], 0);
    // The most frequent symbol keeps the shortest code.
    EXPECT_LE(t.codeLength(29), t.codeLength(0));
}

TEST(HuffmanTables, EqualCountsFavourTheLowerSymbolAndLeaveNoAllOnesCode) {
    SymbolCounts counts{};
    for (int s = 0; s < 4; ++s)
        counts[std::size_t(s)] = 10;
    const HuffmanTable t = fitted(counts);
    EXPECT_LE(t.codeLength(0), t.codeLength(3));
    for (int s = 0; s < 4; ++s)
        EXPECT_NE(t.code[std::size_t(s)], (1 << t.codeLength(s)) - 1);
}

TEST(HuffmanTables, ExpansionRefusesBrokenTables) {
    const auto refuses = [](HuffmanTable t, int largest) {
        try {
            HuffmanCoder::ExpandHuffman(t, largest);
        } catch (const PictureError &e) {
            return e.number() == 1 && e.description() == QStringLiteral("Bad Huffman Table");
        }
        return false;
    };
    HuffmanTable empty;
    EXPECT_TRUE(refuses(empty, 255));
    HuffmanTable tooLarge;
    tooLarge.bits[2] = 1;
    tooLarge.huffval[0] = 12;
    EXPECT_TRUE(refuses(tooLarge, 11));
    HuffmanTable twice;
    twice.bits[2] = 2;
    twice.huffval[0] = 3;
    twice.huffval[1] = 3;
    EXPECT_TRUE(refuses(twice, 255));
    HuffmanTable allOnes; // two codes of length 1 use the all-1-bits code
    allOnes.bits[1] = 2;
    allOnes.huffval[0] = 0;
    allOnes.huffval[1] = 1;
    EXPECT_TRUE(refuses(allOnes, 255));
    HuffmanTable good;
    good.bits[2] = 3;
    good.huffval[0] = 0;
    good.huffval[1] = 1;
    good.huffval[2] = 2;
    EXPECT_FALSE(refuses(good, 255));
}

TEST(EntropyCoding, SizeCategories) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {-1, 1}, {2, 2}, {-3, 2}, {4, 3}, {255, 8}, {-1024, 11}, {2047, 11}};
    for (const auto &[v, c] : cases)
        EXPECT_EQ(HuffmanCoder::category(v), c) << v;
}

TEST(EntropyCoding, ZeroRunsOfSixteenCodeZrlAndTheLastCoefficientEndsWithoutEob) {
    std::array<std::int16_t, 64> block{};
    block[0] = 5;
    block[17] = 3; // 16 zeros before it
    EXPECT_EQ(codedSymbols(block), (std::vector<int>{3, 0xF0, 0x02, 0x00}));

    block = {};
    block[33] = -1; // 32 zeros before it
    EXPECT_EQ(codedSymbols(block), (std::vector<int>{0, 0xF0, 0xF0, 0x01, 0x00}));

    block = {};
    block[1] = 1;
    block[63] = 7; // a run of 61 zeros, then the last coefficient: no EOB after it
    EXPECT_EQ(codedSymbols(block), (std::vector<int>{0, 0x01, 0xF0, 0xF0, 0xF0, 0xD3}));

    block = {};
    block[0] = -300; // all AC zero: EOB at once
    EXPECT_EQ(codedSymbols(block), (std::vector<int>{9, 0x00}));
}

TEST(EntropyCoding, NegativeValuesTakeTheOnesComplementExtraBits) {
    std::vector<std::uint8_t> out;
    HuffmanCoder coder(out);
    coder.ResetBitBuffer();
    // -3 in category 2 is 00, 3 is 11, -1 in category 1 is 0, 1 is 1: 0011 0100 then the fill.
    coder.WriteBits(2, -3 - 1);
    coder.WriteBits(2, 3);
    coder.WriteBits(1, -1 - 1);
    coder.WriteBits(1, 1);
    coder.FlushBitBuffer();
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x37}));
}

TEST(EntropyCoding, EveryFFByteIsStuffedTheFinalFillsToo) {
    std::vector<std::uint8_t> out;
    HuffmanCoder coder(out);
    coder.ResetBitBuffer();
    coder.WriteBits(0x80, 0xFF); // a whole 0xFF
    coder.WriteBits(0x40, 0x7F); // seven 1-bits; the fill makes the eighth
    coder.FlushBitBuffer();
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xFF, 0x00, 0xFF, 0x00}));

    out.clear();
    coder.ResetBitBuffer();
    coder.WriteBits(0x8, 0x0); // four 0-bits, then four 1-bits of fill
    coder.FlushBitBuffer();
    coder.FlushBitBuffer(); // nothing left to fill
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x0F}));
}

TEST(EntropyCoding, StatisticsCountWhatTheCoderWrites) {
    std::array<std::int16_t, 128> blocks{};
    blocks[0] = 4;
    blocks[20] = -2; // run 19: ZRL, then (3, 2)
    blocks[63] = 1;  // run 42: two ZRLs, then (10, 1); no EOB
    blocks[64] = 4;  // second block: DC difference 0, EOB
    SymbolCounts ac{}, dc{};
    HuffmanCoder::CollectACStats(blocks.data(), blocks.size(), ac);
    HuffmanCoder::CollectDCStats(blocks.data(), blocks.size(), dc);
    EXPECT_EQ(ac[0xF0], 3);
    EXPECT_EQ(ac[0x32], 1);
    EXPECT_EQ(ac[0xA1], 1);
    EXPECT_EQ(ac[0x00], 1);
    EXPECT_EQ(dc[3], 1);
    EXPECT_EQ(dc[0], 1);
}

} // namespace
