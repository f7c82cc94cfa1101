// The files the encoder writes: every one decodes cleanly in Qt's reader and in djpeg at the
// source's size and quality; the segments byte for byte; the save's results and errors.
#include "pictures/JpegCheck.h"
#include "common/TestEnv.h"

#include "core/FileError.h"
#include "pictures/PictureError.h"
#include "pictures/QImageSurface.h"
#include "pictures/cImage.h"
#include "pictures/cJpeg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace pictures;
using namespace jpegcheck;

namespace {

class JpegFileTest : public OrvalisTest {
protected:
    // Samples the picture with the settings and saves it as `name`; returns the path.
    QString encode(const QImage &picture, const QString &name, cJpeg &jpeg) {
        QImageSurface surface(picture);
        EXPECT_EQ(jpeg.SampleHDC(&surface, picture.width(), picture.height()), 0);
        const QString path = tmp.file(name);
        EXPECT_EQ(jpeg.SaveFile(path), 0);
        return path;
    }
    QString encode(const QImage &picture, const QString &name) {
        cJpeg jpeg;
        return encode(picture, name, jpeg);
    }
};

TEST_F(JpegFileTest, DefaultSettingsGiveAFileBothDecodersReadAtTheQualityOfLibjpeg) {
    struct Case {
        const char *name;
        QImage picture;
    };
    const Case cases[] = {
        {"photo", photoLike(320, 240)},
        {"text", textLike(301, 157)},
        {"flat", flat(64, 64, QColor(30, 120, 200))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = encode(c.picture, QString::fromLatin1(c.name) + ".jpg");
        ASSERT_TRUE(decodesCleanly(path, c.picture));
        const double ours = psnr(c.picture, decodeQt(path).image), theirs = referencePsnr(c.picture);
        EXPECT_GE(ours, theirs - 0.5) << "ours " << ours << " dB, libjpeg " << theirs << " dB";
    }
}

TEST_F(JpegFileTest, GreyscaleEightByEightHasTheSegmentsOfOneComponent) {
    cJpeg jpeg;
    jpeg.SetSamplingFrequencies(1, 1, 0, 0, 0, 0);
    const QImage picture = photoLike(8, 8);
    const QString path = encode(picture, QStringLiteral("grey.jpg"), jpeg);
    const QByteArray file = readAll(path);
    const auto segs = segments(file);
    EXPECT_EQ(markers(file), (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xC0, 0xC4, 0xC4, 0xDA, 0xD9}));
    ASSERT_EQ(segs.size(), 9u);
    EXPECT_EQ(file.left(20), QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000"));
    EXPECT_EQ(segs[2].body, cJpeg::fixedComment());
    EXPECT_TRUE(segs[2].body.startsWith("JPEG Encoder Class\r\n"));
    EXPECT_EQ(segs[2].body.count("\r\n"), 2);
    EXPECT_EQ(segs[3].length + 2, 69) << "DQT";
    EXPECT_EQ(segs[3].body[0], 0);
    for (int z = 0; z < 64; ++z)
        EXPECT_EQ(uchar(segs[3].body[1 + z]), jpeg.quantTable(0)[std::size_t(z)]);
    EXPECT_EQ(segs[4].length, 11) << "SOF0";
    EXPECT_EQ(segs[4].body, QByteArray::fromHex("080008000801011100"));
    EXPECT_EQ(uchar(segs[5].body[0]), 0x00);
    EXPECT_EQ(uchar(segs[6].body[0]), 0x10);
    EXPECT_EQ(segs[7].body, QByteArray::fromHex("010100003f00"));
    EXPECT_TRUE(file.endsWith(QByteArray::fromHex("ffd9")));
    EXPECT_TRUE(decodesCleanly(path, picture));
}

TEST_F(JpegFileTest, UserCommentStandsBeforeTheFixedOneOnlyWhenGiven) {
    const QImage picture = flat(8, 8, Qt::red);
    cJpeg jpeg;
    jpeg.setComment(QStringLiteral("abc"));
    const QByteArray withComment = readAll(encode(picture, QStringLiteral("c.jpg"), jpeg));
    EXPECT_EQ(withComment.mid(20, 7), QByteArray::fromHex("fffe0005616263"));
    EXPECT_EQ(withComment.mid(27, 2), QByteArray::fromHex("fffe"));

    jpeg.setComment(QString());
    const QByteArray without = readAll(encode(picture, QStringLiteral("n.jpg"), jpeg));
    EXPECT_EQ(without.mid(20, 4), withComment.mid(27, 4)) << "the fixed comment follows APP0 at once";

    jpeg.setComment(QStringLiteral("Café"));
    const QByteArray utf8 = readAll(encode(picture, QStringLiteral("u.jpg"), jpeg));
    EXPECT_EQ(utf8.mid(20, 9), QByteArray::fromHex("fffe0007436166c3a9"));
}

TEST_F(JpegFileTest, DefaultSettingsWriteComponentsOneTwoThreeInOneInterleavedScan) {
    const QByteArray file = readAll(encode(photoLike(33, 17), QStringLiteral("d.jpg")));
    const auto segs = segments(file);
    EXPECT_EQ(markers(file), (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));
    ASSERT_EQ(segs.size(), 12u);
    EXPECT_EQ(segs[4].body[0], 1);
    EXPECT_EQ(segs[5].body, QByteArray::fromHex("080011002103012200021101031101"));
    QByteArray tables;
    for (int i = 6; i < 10; ++i)
        tables.append(segs[std::size_t(i)].body[0]);
    EXPECT_EQ(tables, QByteArray::fromHex("00100111"));
    EXPECT_EQ(segs[10].body, QByteArray::fromHex("03010002110311003f00"));
}

TEST_F(JpegFileTest, QualityTablesAreWrittenAsSet) {
    for (const int q : {1, 3, 10, 16, 50, 75, 90, 100}) {
        cJpeg jpeg;
        jpeg.setQuality(q);
        const QImage picture = photoLike(24, 16, unsigned(q));
        const QString path = encode(picture, QStringLiteral("q%1.jpg").arg(q), jpeg);
        const auto segs = segments(readAll(path));
        ASSERT_GE(segs.size(), 5u);
        for (int t = 0; t < 2; ++t)
            for (int z = 0; z < 64; ++z)
                ASSERT_EQ(uchar(segs[std::size_t(3 + t)].body[1 + z]), jpeg.quantTable(t)[std::size_t(z)]) << q;
        EXPECT_TRUE(decodesCleanly(path, picture)) << q;
    }
}

TEST_F(JpegFileTest, AwkwardSizesAndFactorsDecodeCleanly) {
    struct Case {
        int w, h;
        int factors[6];
        int quality;
    };
    const Case cases[] = {
        {1, 1, {2, 2, 1, 1, 1, 1}, 75},       {17, 9, {2, 2, 1, 1, 1, 1}, 75},
        {20, 20, {2, 2, 1, 1, 1, 1}, 75},     {4097, 3, {2, 2, 1, 1, 1, 1}, 75},
        {3, 4097, {2, 2, 1, 1, 1, 1}, 75},    {17, 9, {4, 4, 1, 1, 1, 1}, 75},
        {45, 23, {4, 2, 1, 1, 1, 1}, 75},     {45, 23, {1, 1, 0, 0, 0, 0}, 75},
        {30, 30, {1, 2, 2, 1, 1, 1}, 75},     {33, 21, {3, 1, 1, 1, 1, 1}, 75},
        {64, 48, {2, 2, 1, 1, 1, 1}, 1},      {64, 48, {2, 2, 1, 1, 1, 1}, 100},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " factors " << c.factors[0] << c.factors[1]
                                        << " quality " << c.quality);
        cJpeg jpeg;
        jpeg.SetSamplingFrequencies(c.factors[0], c.factors[1], c.factors[2], c.factors[3], c.factors[4],
                                    c.factors[5]);
        jpeg.setQuality(c.quality);
        const QImage picture = photoLike(c.w, c.h, unsigned(c.w * 7 + c.h));
        EXPECT_TRUE(decodesCleanly(encode(picture, QStringLiteral("%1.jpg").arg(++n), jpeg), picture));
    }
}

TEST_F(JpegFileTest, LargeLuminanceFactorsGiveASingleScanThenAChromaScan) {
    cJpeg jpeg;
    jpeg.SetSamplingFrequencies(4, 4, 1, 1, 1, 1);
    const QImage picture = photoLike(70, 40);
    const QString path = encode(picture, QStringLiteral("44.jpg"), jpeg);
    std::vector<QByteArray> scans;
    for (const Segment &s : segments(readAll(path)))
        if (s.marker == 0xDA)
            scans.push_back(s.body);
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[0], QByteArray::fromHex("010100003f00"));
    EXPECT_EQ(scans[1], QByteArray::fromHex("0202110311003f00"));
    EXPECT_TRUE(decodesCleanly(path, picture));
}

TEST_F(JpegFileTest, PlainPicturesDecodeToTheirColour) {
    const QColor colours[] = {Qt::black, Qt::white, QColor(128, 128, 128), QColor(12, 200, 77)};
    for (const QColor &c : colours) {
        const QImage picture = flat(40, 24, c);
        const QString path = encode(picture, c.name().mid(1) + ".jpg");
        ASSERT_TRUE(decodesCleanly(path, picture));
        const QColor got = decodeQt(path).image.pixelColor(17, 11);
        EXPECT_NEAR(got.red(), c.red(), 2) << c.name().toStdString();
        EXPECT_NEAR(got.green(), c.green(), 2) << c.name().toStdString();
        EXPECT_NEAR(got.blue(), c.blue(), 2) << c.name().toStdString();
    }
}

TEST_F(JpegFileTest, OneColourAt4000By3000) {
    const QImage picture = flat(4000, 3000, QColor(70, 110, 150));
    cImage image;
    ASSERT_TRUE(image.CopyStdPicture(picture));
    cJpeg jpeg;
    ASSERT_EQ(jpeg.SampleHDC(image.hDC(), image.Width(), image.Height()), 0);
    const QString path = tmp.file(QStringLiteral("big.jpg"));
    ASSERT_EQ(jpeg.SaveFile(path), 0);
    EXPECT_TRUE(decodesCleanly(path, picture));
}

TEST_F(JpegFileTest, NoEndOfBlockCodeIsMissingWhenEveryRealBlockEndsOnItsLastCoefficient) {
    // A checkerboard at quality 100 sets coefficient 63 of every luminance block, so no real
    // block ends with EOB; the dummy blocks of width 8 (two luminance columns per MCU) do.
    QImage picture(8, 16, QImage::Format_RGB888);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            picture.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
    cJpeg jpeg;
    jpeg.setQuality(100);
    QImageSurface surface(picture);
    ASSERT_EQ(jpeg.SampleHDC(&surface, 8, 16), 0);
    const auto &y = jpeg.component(0).coefficients;
    for (std::size_t b = 0; b < y.size(); b += 64)
        ASSERT_NE(y[b + 63], 0);
    const QString path = tmp.file(QStringLiteral("eob.jpg"));
    ASSERT_EQ(jpeg.SaveFile(path), 0);
    EXPECT_TRUE(decodesCleanly(path, picture));
}

TEST_F(JpegFileTest, TheLargestSidesTheFormatHoldsAreWrittenWhole) {
    // libjpeg refuses sides over 65,500, so these are checked by their markers and sizes. With
    // factors 4, 2 a mid-grey 8 × 65,535 picture needs more than the first size estimate.
    struct Case {
        int w, h;
        int H1, V1;
        QColor colour;
    };
    const Case cases[] = {{8, 65535, 2, 2, QColor(128, 128, 128)}, {65535, 8, 2, 2, QColor(128, 128, 128)},
                          {8, 65535, 4, 2, QColor(128, 128, 128)}, {65535, 8, 4, 2, QColor(128, 128, 128)},
                          {65535, 8, 2, 2, QColor(10, 200, 30)}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " factors " << c.H1 << c.V1);
        cJpeg jpeg;
        jpeg.SetSamplingFrequencies(c.H1, c.V1, 1, 1, 1, 1);
        const QImage picture = flat(c.w, c.h, c.colour);
        const QString path = encode(picture, QStringLiteral("side.jpg"), jpeg);
        const QByteArray file = readAll(path);
        const auto segs = segments(file);
        ASSERT_EQ(markers(file), (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));
        EXPECT_EQ(segs[5].body.mid(1, 4), QByteArray::fromHex(QByteArray::number(c.h, 16).rightJustified(4, '0') +
                                                               QByteArray::number(c.w, 16).rightJustified(4, '0')));
        EXPECT_EQ(segs.back().offset + 2, file.size());
        QFile::remove(path);
    }
}

TEST_F(JpegFileTest, ASideOver65535IsAnOverflowAndWritesNothing) {
    for (const QSize size : {QSize(65536, 8), QSize(8, 65536)}) {
        cJpeg jpeg;
        const QImage picture = flat(size.width(), size.height(), Qt::gray);
        QImageSurface surface(picture);
        ASSERT_EQ(jpeg.SampleHDC(&surface, size.width(), size.height()), 0);
        const QString path = tmp.file(QStringLiteral("over.jpg"));
        try {
            jpeg.SaveFile(path);
            ADD_FAILURE() << "no overflow";
        } catch (const PictureError &e) {
            EXPECT_EQ(e.number(), 6);
            EXPECT_EQ(e.description(), QStringLiteral("Overflow"));
        }
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST_F(JpegFileTest, SaveRefusesAnEmptyNameAnExistingFileAndAnEmptyEncoder) {
    cJpeg jpeg;
    try {
        jpeg.SaveFile(tmp.file(QStringLiteral("none.jpg")));
        ADD_FAILURE() << "saved without samples";
    } catch (const PictureError &e) {
        EXPECT_EQ(e.number(), 9);
    }
    EXPECT_FALSE(QFile::exists(tmp.file(QStringLiteral("none.jpg"))));

    const QImage picture = photoLike(16, 16);
    QImageSurface surface(picture);
    ASSERT_EQ(jpeg.SampleHDC(&surface, 16, 16), 0);
    EXPECT_EQ(jpeg.SaveFile(QString()), 1);
    for (const QString &name : {QStringLiteral("there.jpg"), QStringLiteral(".hidden.jpg"), QStringLiteral("locked.jpg")}) {
        const QString path = tmp.file(name);
        testenv::writeFile(path, "old");
        if (name == QStringLiteral("locked.jpg"))
            QFile::setPermissions(path, QFile::ReadOwner);
        EXPECT_EQ(jpeg.SaveFile(path), 2) << name.toStdString();
        EXPECT_EQ(readAll(path), QByteArray("old"));
    }
    // The same samples save again under another name, to the same bytes.
    ASSERT_EQ(jpeg.SaveFile(tmp.file(QStringLiteral("a.jpg"))), 0);
    ASSERT_EQ(jpeg.SaveFile(tmp.file(QStringLiteral("b.jpg"))), 0);
    EXPECT_EQ(readAll(tmp.file(QStringLiteral("a.jpg"))), readAll(tmp.file(QStringLiteral("b.jpg"))));
}

TEST_F(JpegFileTest, AFileThatCannotBeWrittenIsAFileErrorAndLeavesNothing) {
    const QImage picture = photoLike(16, 16);
    QImageSurface surface(picture);
    cJpeg jpeg;
    ASSERT_EQ(jpeg.SampleHDC(&surface, 16, 16), 0);
    const auto number = [&](const QString &path) {
        try {
            jpeg.SaveFile(path);
        } catch (const core::FileError &e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(number(tmp.file(QStringLiteral("missing/p.jpg"))), 76);
    EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("missing"))));
    QDir(tmp.path()).mkdir(QStringLiteral("folder.jpg"));
    EXPECT_EQ(number(tmp.file(QStringLiteral("folder.jpg"))), 75);

    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores the permission bits";
    const QString locked = tmp.file(QStringLiteral("locked"));
    QDir(tmp.path()).mkdir(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(number(locked + QStringLiteral("/p.jpg")), 70);
    EXPECT_TRUE(QDir(locked).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
