// The picture window's plain rules: the fit into the 4:3 box, the layouts for each density and
// screen shape, the slots Next and Previous reach, and the names pictures are stored under.
#include "pictures/PictureRules.h"

#include <gtest/gtest.h>

#include <set>

using namespace pictures;

namespace {

// A screen of the given pixels at the given twips per pixel.
ScreenInfo screenOf(int w, int h, double tpp) { return {w * tpp, h * tpp, tpp, tpp}; }

} // namespace

struct FitCase {
    const char *what;
    int w, h;
    double factor;
    long width, height;
};

TEST(PictureFitRule, KeepsTheShapeAndFillsTheDesignBoxsHeightOrWidth) {
    const FitCase cases[] = {
        {"4:3 fills the box", 1024, 768, OpeningFactor, 12286, 9216},
        {"4:3 with the commands' factor", 1024, 768, CommandFactor, 12286, 9216},
        {"square: 9214.5 rounds to the even 9214", 1000, 1000, OpeningFactor, 9214, 9216},
        {"square picture", 500, 500, OpeningFactor, 9214, 9216},
        {"2:1 gets the full width and two thirds of the height", 2000, 1000, OpeningFactor, 12286, 6144},
        {"tall 3:4 keeps its shape at the full height", 300, 400, OpeningFactor, 6911, 9216},
        {"a small picture is enlarged to the full height", 100, 100, CommandFactor, 9214, 9216},
        {"very wide", 4000, 100, OpeningFactor, 12286, 307},
    };
    for (const auto &c : cases) {
        const FittedSize s = fitRule(c.w, c.h, 12286, 9216, c.factor);
        EXPECT_EQ(s.width, c.width) << c.what;
        EXPECT_EQ(s.height, c.height) << c.what;
    }
}

TEST(PictureFitRule, AnEmptyPictureGetsNoSizeInsteadOfDividingByZero) {
    const FittedSize s = fitRule(0, 0, 12286, 9216, OpeningFactor);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.height, 0);
}

TEST(PictureLayoutRules, DensityScalesTheWindowAndTheBoxOnly) {
    const PictureLayout at15 = layoutFor(screenOf(1920, 1080, 15));
    EXPECT_DOUBLE_EQ(at15.picResized.width, 15357.5);
    EXPECT_DOUBLE_EQ(at15.picResized.height, 11520);
    EXPECT_DOUBLE_EQ(at15.windowWidth, float(14865 * 15.0 / 12.0));
    EXPECT_DOUBLE_EQ(at15.windowHeight, float(9195 * 15.0 / 12.0));
    EXPECT_DOUBLE_EQ(at15.cmdCancel.width, 1548);
    EXPECT_EQ(long(at15.picResized.width / 15 + 0.5), 1024);

    const PictureLayout at12 = layoutFor(screenOf(1920, 1080, 12));
    EXPECT_DOUBLE_EQ(at12.picResized.width, 12286);
    EXPECT_DOUBLE_EQ(at12.windowWidth, 14865);

    const PictureLayout at10 = layoutFor(screenOf(1920, 1080, 10));
    EXPECT_DOUBLE_EQ(at10.picResized.width, float(12286 * 10.0 / 12.0));
    EXPECT_DOUBLE_EQ(at10.picResized.height, 7680);

    const PictureLayout at9 = layoutFor(screenOf(1920, 1080, 9));
    EXPECT_DOUBLE_EQ(at9.picResized.width, 12286);
}

TEST(PictureLayoutRules, ScreensBelow1280By800MakeTheWindowAsLargeAsTheScreen) {
    const double designW = float(14865 * 15.0 / 12.0);
    EXPECT_DOUBLE_EQ(layoutFor(screenOf(1280, 800, 15)).windowWidth, designW);
    EXPECT_DOUBLE_EQ(layoutFor(screenOf(1279, 800, 15)).windowWidth, 1279 * 15);
    EXPECT_DOUBLE_EQ(layoutFor(screenOf(1279, 800, 15)).windowHeight, 800 * 15);
    EXPECT_DOUBLE_EQ(layoutFor(screenOf(1280, 799, 15)).windowWidth, 1280 * 15);
    EXPECT_DOUBLE_EQ(layoutFor(screenOf(1280, 799, 15)).windowHeight, 799 * 15);
}

TEST(PictureLayoutRules, AWideScreenPutsTheButtonsInAColumnRightOfTheBox) {
    const PictureLayout l = layoutFor(screenOf(1920, 1080, 15));
    EXPECT_FALSE(l.turned);
    const double left = (l.windowWidth - l.picResized.width) / 2 + l.picResized.width - 1548 / 2.0;
    for (const TwipsRect &r : {l.cmdCancel, l.cmdClose, l.cmdLoadFile, l.cmdDelete, l.cmdClipboardPaste, l.cmdPrev})
        EXPECT_DOUBLE_EQ(r.left, left);
    EXPECT_DOUBLE_EQ(l.cmdNext.left + l.cmdNext.width, l.cmdCancel.left + l.cmdCancel.width);
    EXPECT_DOUBLE_EQ(l.cmdDelete.top, 5064); // design tops kept
}

// At 150 % on 1366 x 768 the screen is 910 x 512 of the window's pixels, narrower than the box:
// the column moved past the window's edge and no button could be pressed.
TEST(PictureLayoutRules, AScreenNarrowerThanTheBoxKeepsTheButtonsInsideTheWindow) {
    const PictureLayout l = layoutFor(screenOf(910, 512, 15));
    EXPECT_FALSE(l.turned);
    EXPECT_DOUBLE_EQ(l.windowWidth, 910 * 15);
    for (const TwipsRect &r : {l.cmdCancel, l.cmdClose, l.cmdLoadFile, l.cmdDelete, l.cmdClipboardPaste, l.cmdPrev}) {
        EXPECT_DOUBLE_EQ(r.left, l.cmdCancel.left);
        EXPECT_LE(r.left + r.width, l.windowWidth);
    }
    EXPECT_LE(l.cmdNext.left + l.cmdNext.width, l.windowWidth);
}

TEST(PictureLayoutRules, ASquareOrTallScreenTurnsTheWindowAndLinesTheButtonsUpUnderTheBox) {
    struct Case {
        ScreenInfo screen;
        double width, height; // the turned window
    };
    // 1600 x 1600: the 96 DPI window turned; 1200 x 1920 is a small screen first.
    for (const Case &c : {Case{screenOf(1600, 1600, 15), 11493.75, 18581 - 4000},
                          Case{screenOf(1200, 1920, 15), 1920 * 15, 1200 * 15 - 4000}}) {
        const PictureLayout l = layoutFor(c.screen);
        EXPECT_TRUE(l.turned);
        EXPECT_DOUBLE_EQ(l.windowWidth, c.width);
        EXPECT_DOUBLE_EQ(l.windowHeight, c.height);
        const double row = l.picResized.height + 500;
        EXPECT_DOUBLE_EQ(l.cmdCancel.left, 500);
        const TwipsRect order[] = {l.cmdCancel, l.cmdClose, l.cmdLoadFile, l.cmdDelete, l.cmdClipboardPaste};
        for (int i = 0; i < 5; ++i) {
            EXPECT_DOUBLE_EQ(order[i].top, row);
            if (i) {
                EXPECT_DOUBLE_EQ(order[i].left, order[i - 1].left + order[i - 1].width + 300);
            }
        }
        EXPECT_DOUBLE_EQ(l.cmdPrev.top, l.picResized.height + 50);
        EXPECT_DOUBLE_EQ(l.cmdPrev.left, l.windowWidth / 2 - 720);
        EXPECT_DOUBLE_EQ(l.cmdNext.left, l.windowWidth / 2 + 720);
    }
}

TEST(PictureSlotSteps, NextAndPreviousTryOnlyTheSlotsTheirTableLists) {
    struct Case {
        int from;
        std::set<int> stored;
        int next, previous;
    };
    const Case cases[] = {
        {1, {3}, 3, 0},        // Next from 1 skips an empty 2
        {3, {1}, 0, 1},        // Previous from 3 skips an empty 2
        {2, {4}, 0, 0},        // Next from 2 never goes on to 4
        {5, {3, 6}, 6, 0},     // Previous from 5 does not go back past 4
        {8, {1, 7}, 0, 7},
        {1, {2, 3}, 2, 0},
        {0, {1, 2}, 0, 0},     // no slot
        {9, {8}, 0, 0},
    };
    for (const Case &c : cases) {
        const auto counts = [&](int n) { return c.stored.count(n) > 0; };
        EXPECT_EQ(nextSlot(c.from, counts), c.next) << "from " << c.from;
        EXPECT_EQ(previousSlot(c.from, counts), c.previous) << "from " << c.from;
    }
}

TEST(PictureNames, StoredNamesEndInJpgWithoutEatingTheName) {
    const std::pair<const char *, const char *> cases[] = {
        {"Cover.jpg", "Cover.jpg"},   {"Cover.JPG", "Cover.jpg"}, {"Cover.jpeg", "Cover.jpg"},
        {"Cover.gif", "Cover.jpg"},   {"README", "README.jpg"},   {"a.b.png", "a.b.jpg"},
        {"Joe's \"Song\"", "Joe's \"Song\".jpg"}, {"Été.bmp", "Été.jpg"},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(storedName(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(PictureNames, PastedNamesAreTrimmedCheckedAndGetJpgOnce) {
    EXPECT_EQ(pasteName(QStringLiteral("Cover")), QStringLiteral("Cover.jpg"));
    EXPECT_EQ(pasteName(QStringLiteral("  Cover  ")), QStringLiteral("Cover.jpg"));
    EXPECT_EQ(pasteName(QStringLiteral("Cover.JPG")), QStringLiteral("Cover.JPG"));
    EXPECT_EQ(pasteName(QStringLiteral("Joe's Song")), QStringLiteral("Joe's Song.jpg"));
    EXPECT_EQ(pasteName(QStringLiteral("   ")), QString());
    EXPECT_EQ(pasteName(QStringLiteral("a:b")), QStringLiteral("a:b.jpg")); // legal in a name here
    EXPECT_EQ(pasteName(QStringLiteral("a/b")), QString());
    EXPECT_EQ(pasteName(QStringLiteral("../x")), QString());
    EXPECT_EQ(pasteName(QString(200, QLatin1Char('x'))), QString(200, QLatin1Char('x')) + QStringLiteral(".jpg"));
}

TEST(PictureNames, OnlyBareNamesCanNameAStoredPicture) {
    EXPECT_TRUE(isBareFileName(QStringLiteral("a.jpg")));
    EXPECT_TRUE(isBareFileName(QStringLiteral("Joe's \"x\".jpg")));
    for (const char *bad : {"", "   ", ".", "..", "../x.jpg", "sub/x.jpg", "c:\\x.jpg", "/etc/passwd"})
        EXPECT_FALSE(isBareFileName(QString::fromLatin1(bad))) << bad;
}

TEST(PictureNames, FreeNamesCountUpPastTheTakenOnes) {
    const std::set<QString> taken{QStringLiteral("Cover (2).jpg"), QStringLiteral("Cover (3).jpg")};
    EXPECT_EQ(freeName(QStringLiteral("Cover.jpg"), [&](const QString &n) { return taken.count(n) > 0; }),
              QStringLiteral("Cover (4).jpg"));
    EXPECT_EQ(freeName(QStringLiteral("x.jpg"), [](const QString &) { return false; }), QStringLiteral("x (2).jpg"));
}
