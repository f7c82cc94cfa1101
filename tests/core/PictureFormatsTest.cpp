// The patterns and filter the picture dialogs offer: every format the image reader reads, PNG
// first, so that no readable picture is hidden by the dialog.
#include "common/TestEnv.h"

#include "core/PictureFormats.h"
#include "platform/ui/FileFilter.h"

#include <QImageReader>

TEST(PictureFormatsTest, EveryReadableFormatIsListedOnceWithPngFirst) {
    const QStringList patterns = core::picturePatterns().split(QLatin1Char(';'));
    ASSERT_GE(patterns.size(), 5);
    EXPECT_EQ(patterns.mid(0, 5), (QStringList{"*.png", "*.jpg", "*.jpeg", "*.gif", "*.bmp"}));
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        EXPECT_TRUE(patterns.contains(QStringLiteral("*.") + QString::fromLatin1(format).toLower())) << format.data();
    EXPECT_EQ(QStringList(patterns).size(), QSet<QString>(patterns.begin(), patterns.end()).size());
}

TEST(PictureFormatsTest, TheFilterShowsItsPatternsAndBecomesOneQtEntry) {
    const QString patterns = core::picturePatterns();
    const QString filter = core::pictureFilter(QStringLiteral("Pictures"));
    EXPECT_EQ(filter, QStringLiteral("Pictures (") + patterns + QStringLiteral(")|") + patterns);
    const QStringList qt = platform::ui::convertFileFilter(filter);
    ASSERT_EQ(qt.size(), 1);
    EXPECT_TRUE(qt.first().startsWith(QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp")));
}
