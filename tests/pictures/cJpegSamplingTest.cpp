// Sampling: plane and block counts per component, edge replication, the transform's scale and
// accuracy, sub-rectangles, and a failed sampling that leaves nothing to save.
#include "pictures/JpegCheck.h"
#include "common/TestEnv.h"

#include "pictures/PictureError.h"
#include "pictures/QImageSurface.h"
#include "pictures/cJpeg.h"

#include <cmath>
#include <limits>

using namespace pictures;

namespace {

cJpeg sampled(const QImage &picture, bool grey = false, int quality = 75) {
    cJpeg j;
    if (grey)
        j.SetSamplingFrequencies(1, 1, 0, 0, 0, 0);
    j.setQuality(quality);
    QImageSurface s(picture);
    EXPECT_EQ(j.SampleHDC(&s, picture.width(), picture.height()), 0);
    return j;
}

TEST(JpegSampling, Width20GivesThreeLuminanceAndTwoChromaBlocksPerRow) {
    const cJpeg j = sampled(jpegcheck::photoLike(20, 9));
    EXPECT_EQ(j.component(0).w8, 24);
    EXPECT_EQ(j.component(0).h8, 16);
    EXPECT_EQ(j.component(0).coefficients.size(), 24u * 16u);
    for (int c = 1; c < 3; ++c) {
        EXPECT_EQ(j.component(c).w, 10);
        EXPECT_EQ(j.component(c).w8, 16);
        EXPECT_EQ(j.component(c).h, 5);
        EXPECT_EQ(j.component(c).coefficients.size(), 16u * 8u);
        EXPECT_EQ(j.component(c).C, c + 1);
    }
}

TEST(JpegSampling, UniformPicturesGiveOnlyDcAndMidGreyNothingAtAll) {
    struct Case {
        QColor colour;
        int size;
    };
    for (const Case &c : {Case{QColor(128, 128, 128), 37}, Case{QColor(200, 40, 90), 1}}) {
        const cJpeg j = sampled(jpegcheck::flat(c.size, c.size, c.colour));
        for (int k = 0; k < 3; ++k) {
            const auto &coef = j.component(k).coefficients;
            // Mid-grey has nothing at all; a single pixel repeated over its block has only DC.
            const bool grey = c.colour == QColor(128, 128, 128);
            for (std::size_t i = 0; i < coef.size(); ++i) {
                if (grey || i % 64 != 0) {
                    EXPECT_EQ(coef[i], 0) << k << " " << i;
                }
            }
        }
    }
}

TEST(JpegSampling, DcIsEightTimesTheLevelOverTheTableEntry) {
    // Grey 200 at quality 50 (luminance entry 16): 64 · 72 / 8 / 16 = 36.
    const cJpeg j = sampled(jpegcheck::flat(8, 8, QColor(200, 200, 200)), true, 50);
    EXPECT_EQ(j.component(0).coefficients[0], 36);
}

TEST(JpegSampling, CoefficientsMatchAPlainDct) {
    const QImage picture = jpegcheck::photoLike(8, 8, 7);
    const cJpeg j = sampled(picture, true, 100);
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            double sum = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    const double level = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue() - 128;
                    sum += level * std::cos((2 * x + 1) * u * M_PI / 16) * std::cos((2 * y + 1) * v * M_PI / 16);
                }
            const double cu = u ? 1 : M_SQRT1_2, cv = v ? 1 : M_SQRT1_2;
            const double expected = sum * cu * cv / 4; // quality 100: every entry 1
            EXPECT_NEAR(j.component(0).coefficients[std::size_t(j.zigZag(u, v))], expected, 0.51) << u << " " << v;
        }
}

TEST(JpegSampling, TheLastColumnAndRowAreRepeatedIntoThePadding) {
    // A 9 × 9 picture pads to 16 × 16 by repeating its edge; the same picture drawn with its
    // edge repeated by hand gives the same coefficients.
    const QImage small = jpegcheck::photoLike(9, 9, 3);
    QImage padded(16, 16, QImage::Format_RGB888);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            padded.setPixelColor(x, y, small.pixelColor(std::min(x, 8), std::min(y, 8)));
    EXPECT_EQ(sampled(small, true).component(0).coefficients, sampled(padded, true).component(0).coefficients);
}

TEST(JpegSampling, ASourceRectangleSamplesLikeThePictureCutOut) {
    const QImage whole = jpegcheck::photoLike(40, 30, 5);
    const QRect part(7, 5, 21, 17);
    cJpeg j;
    QImageSurface s(whole);
    ASSERT_EQ(j.SampleHDC(&s, part.width(), part.height(), part.x(), part.y()), 0);
    const cJpeg cut = sampled(whole.copy(part));
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(j.component(c).coefficients, cut.component(c).coefficients) << c;
}

TEST(JpegSampling, AFailedSamplingLeavesNothingToSave) {
    testenv::TempFolder tmp;
    const QImage picture = jpegcheck::photoLike(16, 16);
    QImageSurface s(picture);
    cJpeg j;
    ASSERT_EQ(j.SampleHDC(&s, 16, 16), 0);
    const struct {
        int w, h;
        const DrawingSurface *source;
    } failures[] = {{0, 16, &s}, {16, 0, &s}, {16, 16, nullptr}, {std::numeric_limits<int>::max(), 16, &s}};
    for (const auto &f : failures) {
        EXPECT_EQ(j.SampleHDC(f.source, f.w, f.h), 1);
        try {
            j.SaveFile(tmp.file(QStringLiteral("x.jpg")));
            ADD_FAILURE() << "saved the previous picture's samples";
        } catch (const PictureError &e) {
            EXPECT_EQ(e.number(), 9);
        }
        EXPECT_FALSE(QFile::exists(tmp.file(QStringLiteral("x.jpg"))));
        ASSERT_EQ(j.SampleHDC(&s, 16, 16), 0);
    }
}

} // namespace

namespace {

// The transform and quantisation written out step by step, one column or row at a time, with
// each step rounded where the encoder rounds; the encoder's faster forms must agree exactly.
void referencePass(float *d, int stride) {
    float t0 = d[7 * stride] + d[0], t1 = d[0] - d[7 * stride], t2 = d[6 * stride] + d[stride],
          t3 = d[stride] - d[6 * stride], t4 = d[5 * stride] + d[2 * stride], t5 = d[2 * stride] - d[5 * stride],
          t6 = d[4 * stride] + d[3 * stride], t7 = d[3 * stride] - d[4 * stride];
    t7 = t5 + t7;
    const float t8 = t0 - t6;
    t6 = t0 + t6;
    t0 = t4 + t2;
    t2 = float(((double(t2) - double(t4)) + double(t8)) * 0.707106781186548);
    t4 = t3 + t1;
    t3 = float((double(t5) + double(t3)) * 0.707106781186548);
    t5 = float((double(t4) - double(t7)) * 0.382683432365091);
    t7 = float(double(t7) * 0.541196100146196 - double(t5));
    t4 = float(double(t4) * 1.30656296487638 - double(t5));
    t5 = t3 + t1;
    t1 = t1 - t3;
    d[0] = t6 + t0;
    d[4 * stride] = t6 - t0;
    d[stride] = t5 + t4;
    d[7 * stride] = t5 - t4;
    d[2 * stride] = t8 + t2;
    d[6 * stride] = t8 - t2;
    d[5 * stride] = t7 + t1;
    d[3 * stride] = t1 - t7;
}

TEST(JpegSampling, CoefficientsAreRoundedExactlyStepByStep) {
    const double F[8] = {0.353553390593273, 0.25489778955208,  0.270598050073098, 0.300672443467523,
                         0.353553390593273, 0.449988111568207, 0.653281482438186, 1.28145772387074};
    for (const int quality : {100, 75, 30}) {
        // Five blocks across: the encoder transforms blocks four at a time, so a whole group
        // and a group of one are both checked.
        const QImage picture = jpegcheck::photoLike(40, 8, unsigned(quality));
        const cJpeg j = sampled(picture, true, quality);
        for (int block = 0; block < 5; ++block) {
            float work[64];
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const QColor c = picture.pixelColor(8 * block + x, y);
                    work[x + 8 * y] = float(double(0.299f) * c.red() + double(0.587f) * c.green() +
                                            double(0.114f) * c.blue() - 128.0);
                }
            for (int x = 0; x < 8; ++x)
                referencePass(work + x, 8);
            for (int y = 0; y < 8; ++y)
                referencePass(work + 8 * y, 1);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const int z = j.zigZag(x, y);
                    const float m = float(F[x] * F[y] / j.quantTable(0)[std::size_t(z)]);
                    const double expected = std::nearbyint(double(work[x + 8 * y]) * double(m));
                    EXPECT_EQ(j.component(0).coefficients[std::size_t(64 * block + z)], expected)
                        << "quality " << quality << " block " << block << " at " << x << ", " << y;
                }
        }
    }
}

} // namespace
