// The encoder's settings: the zig-zag map, the quantisation tables of each quality (rounded
// half to even, not truncated), sampling factors and the comment's length limit.
#include "pictures/PictureError.h"
#include "pictures/cJpeg.h"

#include <gtest/gtest.h>

using namespace pictures;

namespace {

// ITU T.81 Figure 5: the row-order index of each zig-zag position.
constexpr int ZigZagOrder[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
constexpr int K1[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

int expectedEntry(int base, int q) {
    // The scale and (base · s + 50) / 100, each rounded half to even, in integers.
    int s = 200 - 2 * q;
    if (q < 50) {
        s = 5000 / q;
        const int r = 5000 % q;
        if (2 * r > q || (2 * r == q && s % 2 == 1))
            ++s;
    }
    const int n = base * s + 50;
    int v = n / 100;
    if (n % 100 > 50 || (n % 100 == 50 && v % 2 == 1))
        ++v;
    return std::clamp(v, 1, 255);
}

void expectError(const std::function<void()> &f, const char *text) {
    try {
        f();
        ADD_FAILURE() << "no error, expected " << text;
    } catch (const PictureError &e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.description(), QString::fromLatin1(text));
    }
}

TEST(JpegSettings, ZigZagMapIsTheStandardOrder) {
    cJpeg j;
    for (int z = 0; z < 64; ++z)
        EXPECT_EQ(j.zigZag(ZigZagOrder[z] % 8, ZigZagOrder[z] / 8), z);
}

struct QualityCase {
    int quality;
    std::vector<int> luminance, chrominance; // leading entries in zig-zag order
};

class QualityTables : public ::testing::TestWithParam<QualityCase> {};

TEST_P(QualityTables, EntriesAreTheScaledBaseRoundedHalfToEven) {
    const QualityCase &c = GetParam();
    cJpeg j;
    j.setQuality(c.quality);
    EXPECT_EQ(j.Quality(), c.quality);
    for (std::size_t i = 0; i < c.luminance.size(); ++i)
        EXPECT_EQ(j.quantTable(0)[i], c.luminance[i]) << "luminance " << i;
    for (std::size_t i = 0; i < c.chrominance.size(); ++i)
        EXPECT_EQ(j.quantTable(1)[i], c.chrominance[i]) << "chrominance " << i;
    for (int z = 0; z < 64; ++z)
        EXPECT_EQ(j.quantTable(0)[std::size_t(z)], expectedEntry(K1[ZigZagOrder[z]], c.quality)) << z;
}

INSTANTIATE_TEST_SUITE_P(
    Qualities, QualityTables,
    ::testing::Values(
        QualityCase{75, {8, 6, 6, 8, 6, 6, 8, 8, 7, 8}, {9, 10, 10, 12, 11, 12, 24, 14}},
        QualityCase{90, {4, 3, 3, 3, 3, 2, 4, 3}, {4, 4, 4, 5, 5, 5, 10, 6}},
        QualityCase{50, {16, 12, 12, 14, 12, 10, 16, 14, 14, 14}, {18, 18, 18, 24, 22, 24}},
        QualityCase{10, {80, 56, 60, 70, 60, 50, 80, 70}, {}},
        QualityCase{16, {50, 35, 38, 44, 38, 32}, {}},   // s = 312 (312.5 to even)
        QualityCase{3, {255, 184, 201, 234, 201, 167}, {}}, // s = 1667
        QualityCase{1, {255, 255, 255, 255, 255, 255}, {255, 255, 255, 255, 255, 255}},
        QualityCase{100, std::vector<int>(64, 1), std::vector<int>(64, 1)}));

TEST(JpegSettings, QualityOutsideOneToHundredChangesNothing) {
    cJpeg j;
    j.setQuality(90);
    const auto before = j.quantTable(0);
    for (const int q : {0, 101, -5})
        j.setQuality(q);
    EXPECT_EQ(j.Quality(), 90);
    EXPECT_EQ(j.quantTable(0), before);
}

TEST(JpegSettings, SamplingFactorsAreCheckedBeforeAnythingChanges) {
    cJpeg j;
    expectError([&] { j.SetSamplingFrequencies(5, 1, 1, 1, 1, 1); }, "Invalid Sampling Value");
    expectError([&] { j.SetSamplingFrequencies(1, 0, 0, 0, 0, 0); }, "Invalid Sampling Value");
    expectError([&] { j.SetSamplingFrequencies(2, 2, 0, 1, 1, 1); }, "Invalid Sampling Value");
    expectError([&] { j.SetSamplingFrequencies(2, 2, 1, 1, 1, 5); }, "Invalid Sampling Value");
    EXPECT_EQ(j.componentCount(), 3);
    EXPECT_EQ(j.component(0).H, 2);
    EXPECT_EQ(j.component(0).V, 2);

    j.SetSamplingFrequencies(1, 1, 0, 0, 0, 0);
    EXPECT_EQ(j.componentCount(), 1);
    j.SetSamplingFrequencies(4, 2, 1, 1, 1, 1);
    EXPECT_EQ(j.componentCount(), 3);
    EXPECT_EQ(j.component(0).H, 4);
    EXPECT_EQ(j.component(2).Tq, 1);
}

TEST(JpegSettings, CommentHoldsAtMost65533BytesOfUtf8) {
    cJpeg j;
    j.setComment(QString(65533, QLatin1Char('a')));
    EXPECT_EQ(j.Comment().size(), 65533);
    expectError([&] { j.setComment(QString(65534, QLatin1Char('b'))); }, "Illegal Comment Length");
    // 32,767 accented letters are 65,534 bytes: counted as bytes, refused.
    expectError([&] { j.setComment(QString(32767, QChar(0xE9))); }, "Illegal Comment Length");
    EXPECT_EQ(j.Comment(), QString(65533, QLatin1Char('a'))) << "a refused comment keeps the old one";
}

} // namespace
