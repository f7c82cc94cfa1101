#pragma once
// The entropy coder of the JPEG encoder: Huffman tables fitted to an image's own symbol counts
// (the procedure of the JPEG standard, Annex K.2, with code lengths limited to 16 by K.3), their
// expansion into codes, and the coding of quantised 8 × 8 blocks into bytes with the format's
// stuffing of a 0x00 after every 0xFF.
//
// A block is 64 coefficients in zig-zag order: the DC value, then 63 AC values coded as
// (zero run, size category) symbols, 0xF0 for each run of 16 zeros before a value, and 0x00
// (end of block) when zeros remain after the last value.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

struct HuffmanTable {
    std::array<std::uint8_t, 17> bits{};     // bits[L]: number of codes of length L (1-16)
    std::array<std::uint8_t, 256> huffval{}; // the symbols in order of increasing code length
    std::array<std::int32_t, 256> sizeMask{}; // 2^(L-1) for a code of length L, 0 without code
    std::array<std::int32_t, 256> code{};     // -1 without code
    std::array<std::int32_t, 17> valOffset{}; // for decoding: symbol index minus first code of L
    std::array<std::int32_t, 17> maxCode{};   // for decoding: largest code of length L, -1 if none

    int symbolCount() const;
    int codeLength(int symbol) const;
};

// Symbol counts: symbols 0-255 and the reserved symbol 256.
using SymbolCounts = std::array<std::int64_t, 257>;

class HuffmanCoder {
public:
    explicit HuffmanCoder(std::vector<std::uint8_t> &out) : out_(out) {}

    // Bits needed for |v| (0 for 0, 1 for ±1, 2 for ±2 and ±3, ...).
    static int category(int v) { return std::bit_width(std::uint32_t(v < 0 ? -v : v)); }
    // Sets BITS and HUFFVAL from the counts, which are all 0 afterwards.
    static void OptimizeHuffman(HuffmanTable &table, SymbolCounts &counts);
    // Gives every symbol of HUFFVAL its code; throws PictureError 1 "Bad Huffman Table" when the
    // table is empty, names a symbol above `largestSymbol` or twice, or has too many codes.
    static void ExpandHuffman(HuffmanTable &table, int largestSymbol);
    // Adds the AC symbols of `count` coefficients (whole blocks) to the counts.
    static void CollectACStats(const std::int16_t *blocks, std::size_t count, SymbolCounts &counts);
    // Adds the DC categories of the blocks, in array order, to the counts.
    static void CollectDCStats(const std::int16_t *blocks, std::size_t count, SymbolCounts &counts);

    // The bit writer: `WriteBits` appends the bits of `value` from `mask` down to 1. The bytes
    // reach `out` by FlushBitBuffer at the latest, so nothing else may write to `out` between
    // ResetBitBuffer and FlushBitBuffer.
    void ResetBitBuffer();
    void WriteBits(std::uint32_t mask, std::int32_t value);
    // Fills the last byte with 1-bits and hands every byte to `out`.
    void FlushBitBuffer();

    // Codes the block at `index` (which advances by 64) against the DC predictor.
    void EncodeBlock(const std::int16_t *blocks, std::size_t &index, int &predictor, const HuffmanTable &dc,
                     const HuffmanTable &ac);

private:
    // Appends `length` (at most 32) low bits of `bits`.
    void put(std::uint32_t bits, int length);
    // A symbol's code followed by `category` extra bits of `value`.
    void putSymbol(const HuffmanTable &table, int symbol, int value, int category);
    void stageByte(std::uint8_t byte);
    void drain();

    std::vector<std::uint8_t> &out_;
    std::uint64_t acc_ = 0;
    int pending_ = 0; // bits in acc_ not yet staged, fewer than 32 between calls
    // Whole bytes, stuffed, on their way to out_: written in bulk rather than one at a time.
    std::array<std::uint8_t, 4096> staged_;
    std::size_t stagedCount_ = 0;
};

} // namespace pictures
