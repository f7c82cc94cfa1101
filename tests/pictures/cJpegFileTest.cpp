// The files the encoder writes: every one decodes cleanly in Qt's reader and in djpeg at the
// source's size and quality; the segments byte for byte; the save's results and errors.
#include "pictures/JpegCheck.h"
#include "common/TestEnv.h"

#include "core/FileError.h"
#include "pictures/PictureError.h"
#include "pictures/QImageSurface.h"
#include "pictures/cImage.h"
#include "pictures/cJpeg.h"

#include <QFile>

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

} // namespace
