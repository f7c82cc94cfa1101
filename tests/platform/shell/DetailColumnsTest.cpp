// The column tables and the size, duration and bit-rate texts.
#include "platform/shell/DetailColumns.h"

#include <gtest/gtest.h>

using namespace platform::shell;

TEST(SizeText, BytesBelowOneKilobyteThenThreeDigitsCutNotRounded) {
    const std::pair<qint64, const char *> cases[] = {
        {0, "0 bytes"},          {512, "512 bytes"},        {1023, "1023 bytes"},
        {1024, "1.00 KB"},       {1535, "1.49 KB"},         {10239, "9.99 KB"},
        {10240, "10.0 KB"},      {865280, "845 KB"},        {1023999, "999 KB"},
        {1024000, "0.97 MB"},    {1048575, "0.99 MB"},      {1048576, "1.00 MB"},
        {4740000, "4.52 MB"},    {47400000, "45.2 MB"},     {1048575999, "999 MB"}, {1048576000, "0.97 GB"},
        {1100000000, "1.02 GB"}, {2000LL << 30, "2000 GB"},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(sizeText(bytes), QString::fromLatin1(text)) << bytes;
}

TEST(DurationText, AlwaysEightCharacters) {
    EXPECT_EQ(durationText(0), "00:00:00");
    EXPECT_EQ(durationText(227), "00:03:47");
    EXPECT_EQ(durationText(3723), "01:02:03");
    EXPECT_EQ(durationText(100 * 3600), "99:59:59");
    EXPECT_EQ(durationText(-1), "");
}

TEST(ColumnTables, EachVersionNumbersTheDetailsItsOwnWay) {
    struct Row {
        Detail detail;
        int before6;
        int from6;
    };
    const Row rows[] = {
        {Detail::Name, 0, 0},       {Detail::Size, 1, 1},        {Detail::Type, 2, 2},
        {Detail::Attributes, 6, 6}, {Detail::Title, 10, 21},     {Detail::Artist, 16, 13},
        {Detail::Album, 17, 14},    {Detail::Genre, 20, 16},     {Detail::Duration, 21, 27},
        {Detail::Year, 18, 15},     {Detail::Comment, 14, 24},   {Detail::BitRate, 22, 28},
        {Detail::Track, 19, 26},    {Detail::Composer, -1, 220}, {Detail::BPM, -1, 237},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(columnOfDetail(r.detail, 5), r.before6) << int(r.detail);
        EXPECT_EQ(columnOfDetail(r.detail, 6), r.from6) << int(r.detail);
        if (r.before6 >= 0) {
            EXPECT_EQ(detailOfColumn(r.before6, 4), r.detail);
        }
        EXPECT_EQ(detailOfColumn(r.from6, 10), r.detail);
    }
    for (int other : {231, 219, 204, 243, 235, 227, 3, 500})
        EXPECT_EQ(detailOfColumn(other, 6), Detail::None) << other;
    EXPECT_FALSE(isTagDetail(Detail::Size));
    EXPECT_TRUE(isTagDetail(Detail::Duration));
}
