// The bitmap: its layout (row sizes, bottom-up rows, grey ramps), which depths it makes and
// copies, the transforms as exact pixel permutations, resampling, grey conversion, drawing
// with raster operations, and sizes it cannot hold.
#include "pictures/QImageSurface.h"
#include "pictures/cImage.h"

#include <gtest/gtest.h>

using namespace pictures;

namespace {

// A 3 × 2 picture whose pixels are all different: A B C on top, D E F below.
const QRgb Pixels[2][3] = {{qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0)},
                           {qRgb(40, 0, 0), qRgb(50, 0, 0), qRgb(60, 0, 0)}};

std::unique_ptr<cImage> threeByTwo() {
    QImage q(3, 2, QImage::Format_RGB888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            q.setPixel(x, y, Pixels[y][x]);
    auto image = std::make_unique<cImage>();
    EXPECT_TRUE(image->CopyStdPicture(q));
    return image;
}

// The red values of a bitmap's rows, top row first, as tens: "12 3|45 6" style strings.
std::string reds(const cImage &image) {
    std::string s;
    std::vector<std::uint8_t> row(std::size_t(image.Width()) * 3);
    for (int y = 0; y < image.Height(); ++y) {
        image.readPixels(0, y, image.Width(), 1, row.data(), std::ptrdiff_t(row.size()));
        if (y)
            s += '|';
        for (int x = 0; x < image.Width(); ++x)
            s += char('0' + row[std::size_t(x) * 3 + 2] / 10);
    }
    return s;
}

TEST(Bitmap, RowSizesAtWidth33) {
    const std::pair<int, int> cases[] = {{1, 8}, {4, 20}, {8, 36}, {24, 100}};
    for (const auto &[bits, bytes] : cases) {
        cImage image;
        ASSERT_TRUE(image.Create(33, 2, bits));
        EXPECT_EQ(image.BytesPerScanLine(), bytes) << bits;
        EXPECT_EQ(image.BitCount(), bits);
    }
}

TEST(Bitmap, RowsAreStoredBottomUp) {
    auto image = threeByTwo();
    const std::uint8_t *bits = image->DIBitsPtr();
    EXPECT_EQ(bits[2], 40) << "the first row in memory is the bottom row";
    EXPECT_EQ(bits[image->BytesPerScanLine() + 2], 10);
}

TEST(Bitmap, SmallDepthsStartWithAGreyRamp) {
    cImage image;
    ASSERT_TRUE(image.Create(2, 2, 4));
    const std::vector<RgbQuad> table = image.colorTable();
    ASSERT_EQ(table.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(table[std::size_t(i)], (RgbQuad{std::uint8_t(17 * i), std::uint8_t(17 * i), std::uint8_t(17 * i), 0}));
    ASSERT_TRUE(image.Create(2, 2, 1));
    EXPECT_EQ(image.colorTable(), (std::vector<RgbQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
    ASSERT_TRUE(image.Create(2, 2, 24));
    EXPECT_TRUE(image.colorTable().empty());
}

TEST(Bitmap, OnlyOneFourEightAnd24BitsAreMade) {
    cImage image;
    ASSERT_TRUE(image.Create(5, 6, 8));
    for (const int bits : {32, 16, 2, 0}) {
        EXPECT_FALSE(image.Create(10, 10, bits)) << bits;
        EXPECT_EQ(image.hDC(), nullptr);
        EXPECT_EQ(image.DIBitsPtr(), nullptr);
        EXPECT_EQ(image.Width(), 5) << "the size of the last bitmap that got past its depth";
    }
}

TEST(Bitmap, ASizeThatCannotBeHeldFailsAndLeavesItEmpty) {
    cImage image;
    EXPECT_FALSE(image.Create(2000000000, 2000000000, 24));
    EXPECT_EQ(image.hDC(), nullptr);
    EXPECT_FALSE(image.Create(0, 10, 24));
    EXPECT_FALSE(image.Create(10, -1, 8));
    EXPECT_EQ(image.hDC(), nullptr);
    EXPECT_TRUE(image.Create(1, 1, 24)) << "usable again";
}

TEST(Bitmap, CopyingAPictureTakesItsDepth) {
    struct Case {
        QImage::Format format;
        int bits;
    };
    const Case cases[] = {{QImage::Format_RGB888, 24}, {QImage::Format_RGB16, 24}, {QImage::Format_Indexed8, 8},
                          {QImage::Format_Mono, 1}, {QImage::Format_RGB32, 0}, {QImage::Format_ARGB32, 0}};
    for (const Case &c : cases) {
        QImage q(4, 3, c.format);
        if (c.format == QImage::Format_Indexed8 || c.format == QImage::Format_Mono) {
            q.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
            q.fill(1);
        } else {
            q.fill(Qt::red);
        }
        cImage image;
        int bits = 0;
        const bool copied = image.CopyStdPicture(q, bits);
        EXPECT_EQ(copied, c.bits != 0) << c.format;
        if (!copied) {
            EXPECT_EQ(image.hDC(), nullptr);
            continue;
        }
        EXPECT_EQ(bits, c.bits);
        EXPECT_EQ(image.BitCount(), c.bits);
        std::uint8_t px[3];
        image.readPixels(2, 1, 1, 1, px, 3);
        EXPECT_EQ(px[2], 255) << c.format;
        EXPECT_EQ(px[1], 0) << c.format;
    }
}

TEST(Bitmap, AnIndexedPictureKeepsItsTableAndIndices) {
    QImage q(3, 1, QImage::Format_Indexed8);
    // Entries 1 and 2 are the same colour: the index, not the nearest colour, carries over.
    q.setColorTable({qRgb(1, 2, 3), qRgb(9, 9, 9), qRgb(9, 9, 9)});
    q.setPixel(0, 0, 2);
    q.setPixel(1, 0, 0);
    q.setPixel(2, 0, 1);
    cImage image;
    ASSERT_TRUE(image.CopyStdPicture(q));
    EXPECT_EQ(image.colorTable()[0], (RgbQuad{3, 2, 1, 0}));
    EXPECT_EQ(image.colorTable()[3], (RgbQuad{3, 3, 3, 0})) << "the rest of the ramp stays";
    const std::uint8_t *row = image.DIBitsPtr();
    EXPECT_EQ(row[0], 2);
    EXPECT_EQ(row[1], 0);
    EXPECT_EQ(row[2], 1);

    // A depth asked for draws the picture in with the nearest entries of the grey ramp.
    int bits = 1;
    ASSERT_TRUE(image.CopyStdPicture(q, bits));
    EXPECT_EQ(image.DIBitsPtr()[0], 0x00) << "three dark pixels are black";
}

TEST(Bitmap, CopyingASurfaceFollowsTheSizeOfItsColourTable) {
    const std::pair<int, int> cases[] = {{2, 1}, {3, 4}, {16, 4}, {17, 8}, {256, 8}, {0, 24}};
    for (const auto &[entries, bits] : cases) {
        QImage q(4, 4, entries ? QImage::Format_Indexed8 : QImage::Format_RGB888);
        if (entries) {
            QList<QRgb> table;
            for (int i = 0; i < entries; ++i)
                table.push_back(qRgb(i, 255 - i, 7));
            q.setColorTable(table);
            q.fill(1);
        } else {
            q.fill(qRgb(1, 254, 7));
        }
        QImageSurface source(q);
        cImage image;
        ASSERT_TRUE(image.CopyHDC(&source, 3, 2, 0, 1, 1));
        EXPECT_EQ(image.BitCount(), bits) << entries;
        std::uint8_t px[3];
        image.readPixels(0, 0, 1, 1, px, 3);
        EXPECT_EQ(px[2], 1) << entries;
        EXPECT_EQ(px[1], 254) << entries;
    }
}

TEST(Bitmap, ColourTablesCopyOnlyIntoSmallDepths) {
    cImage source, eight, truecolour;
    ASSERT_TRUE(source.Create(2, 2, 4));
    ASSERT_TRUE(eight.Create(2, 2, 8));
    ASSERT_TRUE(truecolour.Create(2, 2, 24));
    EXPECT_TRUE(eight.CopyPalletHDC(source.hDC()));
    EXPECT_EQ(eight.colorTable()[1], (RgbQuad{17, 17, 17, 0}));
    EXPECT_FALSE(truecolour.CopyPalletHDC(source.hDC()));
    EXPECT_FALSE(eight.CopyPalletHDC(truecolour.hDC())) << "no entries to read";
}

TEST(Bitmap, MirrorsAndTurnsMoveEveryPixel) {
    auto image = threeByTwo();
    ASSERT_EQ(reds(*image), "123|456");
    EXPECT_EQ(reds(*image->Mirror(true)), "456|123");
    EXPECT_EQ(reds(*image->Mirror(false)), "321|654");
    EXPECT_EQ(reds(*image->Rotate(90)), "36|25|14") << "a quarter turn counter-clockwise";
    EXPECT_EQ(reds(*image->Rotate(180)), "654|321");
    EXPECT_EQ(reds(*image->Rotate(270)), "41|52|63");
    EXPECT_EQ(reds(*image->Rotate(-90)), "41|52|63");
    EXPECT_EQ(reds(*image->Rotate(450)), "36|25|14");
    EXPECT_EQ(reds(*image->Rotate(-270)), "36|25|14");
    for (const int angle : {0, 45, 360, -360, 91})
        EXPECT_EQ(image->Rotate(angle), nullptr) << angle;
    EXPECT_EQ(reds(*image), "123|456") << "the source stays as it was";
}

TEST(Bitmap, TurnsOfPackedDepthsKeepIndicesAndTable) {
    cImage image;
    ASSERT_TRUE(image.Create(9, 3, 4));
    std::vector<std::uint8_t> row(9 * 3);
    for (int x = 0; x < 9; ++x)
        row[std::size_t(x) * 3] = row[std::size_t(x) * 3 + 1] = row[std::size_t(x) * 3 + 2] = std::uint8_t(17 * (x % 16));
    image.writePixels(0, 1, 9, 1, row.data(), std::ptrdiff_t(row.size()), rop::SRCCOPY);
    const auto turned = image.Rotate(90);
    ASSERT_EQ(turned->Width(), 3);
    ASSERT_EQ(turned->Height(), 9);
    EXPECT_EQ(turned->BitCount(), 4);
    std::uint8_t px[3];
    for (int x = 0; x < 9; ++x) {
        turned->readPixels(1, 8 - x, 1, 1, px, 3);
        EXPECT_EQ(px[0], 17 * x) << x;
    }
}

TEST(Bitmap, ResampleToTheSameSizeCopiesPixelForPixel) {
    cImage image;
    ASSERT_TRUE(image.Create(7, 5, 24));
    std::vector<std::uint8_t> pixels(7 * 5 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 37);
    image.writePixels(0, 0, 7, 5, pixels.data(), 21, rop::SRCCOPY);
    const auto copy = image.Resample(7, 5);
    ASSERT_EQ(copy->BytesPerScanLine() * copy->Height(), image.BytesPerScanLine() * image.Height());
    EXPECT_TRUE(std::equal(image.DIBitsPtr(), image.DIBitsPtr() + image.BytesPerScanLine() * 5, copy->DIBitsPtr()));
}

TEST(Bitmap, ShrinkingAveragesAndGrowingInterpolates) {
    cImage image;
    ASSERT_TRUE(image.Create(4, 2, 24));
    const std::uint8_t pixels[] = {0, 0, 0, 100, 100, 100, 10, 10, 10, 11, 11, 11,
                                   0, 0, 0, 100, 100, 100, 10, 10, 10, 11, 11, 11};
    image.writePixels(0, 0, 4, 2, pixels, 12, rop::SRCCOPY);
    const auto half = image.Resample(2, 1);
    std::uint8_t px[6];
    half->readPixels(0, 0, 2, 1, px, 6);
    EXPECT_EQ(px[0], 50);
    EXPECT_EQ(px[3], 11) << "10.5 rounds up";

    const auto wide = half->Resample(4, 1);
    std::uint8_t w[12];
    wide->readPixels(0, 0, 4, 1, w, 12);
    EXPECT_EQ(w[0], 50) << "the edge is held";
    EXPECT_EQ(w[3], 40);
    EXPECT_EQ(w[6], 21);
    EXPECT_EQ(w[9], 11);
}

TEST(Bitmap, GreyscaleTakesTheRoundedMeanOfTheThreeColours) {
    cImage image;
    ASSERT_TRUE(image.Create(3, 1, 24));
    const std::uint8_t pixels[] = {0, 0, 255, 1, 1, 0, 30, 20, 10}; // means 85, 0.67, 20
    image.writePixels(0, 0, 3, 1, pixels, 9, rop::SRCCOPY);
    const auto grey = image.Greyscale();
    EXPECT_EQ(grey->BitCount(), 8);
    EXPECT_EQ(grey->DIBitsPtr()[0], 85);
    EXPECT_EQ(grey->DIBitsPtr()[1], 1);
    EXPECT_EQ(grey->DIBitsPtr()[2], 20);
}

TEST(Bitmap, DrawingIntoAPaletteTakesTheNearestEntry) {
    cImage image;
    ASSERT_TRUE(image.Create(3, 1, 1));
    const std::uint8_t pixels[] = {100, 100, 100, 200, 200, 130, 0, 0, 0};
    image.writePixels(0, 0, 3, 1, pixels, 9, rop::SRCCOPY);
    EXPECT_EQ(image.DIBitsPtr()[0], 0x40) << "dark, light, black: 010 in the high bits";
}

TEST(Bitmap, PaintCombinesByTheRasterOperation) {
    auto source = threeByTwo();
    cImage target;
    ASSERT_TRUE(target.Create(4, 3, 24));
    std::vector<std::uint8_t> white(4 * 3 * 3, 0xFF);
    target.writePixels(0, 0, 4, 3, white.data(), 12, rop::SRCCOPY);
    source->PaintHDC(&target, 1, 1, rop::SRCAND);
    std::uint8_t px[3];
    target.readPixels(3, 2, 1, 1, px, 3);
    EXPECT_EQ(px[2], 60);
    EXPECT_EQ(px[1], 0);
    target.readPixels(0, 0, 1, 1, px, 3);
    EXPECT_EQ(px[2], 255) << "outside the painted rectangle";
    source->PaintHDC(&target, 1, 1, rop::SRCINVERT);
    source->PaintHDC(&target, 1, 1, rop::SRCINVERT);
    target.readPixels(3, 2, 1, 1, px, 3);
    EXPECT_EQ(px[2], 60) << "inverting twice gives the pixel back";
    source->PaintHDC(&target, 3, 2, rop::NOTSRCCOPY); // clipped at the edge
    target.readPixels(3, 2, 1, 1, px, 3);
    EXPECT_EQ(px[2], 255 - 10);
    source->PaintHDC(&target, 0, 0, rop::BLACKNESS);
    target.readPixels(0, 0, 1, 1, px, 3);
    EXPECT_EQ(px[2], 0);
}

TEST(Bitmap, TheQImageSurfaceIsDrawnIntoToo) {
    QImage q(2, 2, QImage::Format_RGB32);
    q.fill(Qt::white);
    QImageSurface surface(q);
    auto source = threeByTwo();
    source->PaintHDC(&surface, -1, 0, rop::SRCCOPY);
    EXPECT_EQ(surface.image().pixel(0, 0), qRgb(20, 0, 0));
    EXPECT_EQ(surface.image().pixel(1, 1), qRgb(60, 0, 0));
}

} // namespace
