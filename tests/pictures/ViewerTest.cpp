// The three-picture viewer beside the main window: what the grid's current song puts into it,
// the Pictures button's toggle and window placement, the viewer's own layout, zoom and closes,
// and emptying the deleted-pictures folder.
#include "songlist/SongListFixture.h"

#include "pictures/Pics3.h"
#include "pictures/PictureForm.h"
#include "platform/ui/ImageControl.h"
#include "songlist/OtherWindows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <unistd.h>

using pictures::Pics3;
namespace ui = platform::ui;

class ViewerTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        screen(15);
        pics = core::g().DataFolder + QStringLiteral("Pictures/");
        QDir().mkpath(pics);
        pictures::registerWindows();
    }
    void TearDown() override {
        SongListTest::TearDown();
        pictures::PictureForm::setScreenOverride(std::nullopt);
        songlist::OtherWindows::clear();
    }

    static void screen(double twipsPerPixel) {
        pictures::PictureForm::setScreenOverride(
            pictures::ScreenInfo{1920 * twipsPerPixel, 1080 * twipsPerPixel, twipsPerPixel, twipsPerPixel});
    }
    void picture(const QString &name, QColor colour = Qt::red) {
        QImage i(64, 48, QImage::Format_RGB32);
        i.fill(colour);
        ASSERT_TRUE(i.save(pics + name, "JPEG"));
    }
    // Moves the grid to the song (the grid's row change fills the viewer).
    void goTo(const QString &song) {
        ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("SongName = \"%1\"").arg(song))) << song.toStdString();
    }
    Pics3 *viewer() const { return ui::findForm<Pics3>(); }
    // Which of the three images show a picture ("1-3" for the first and the third).
    QString shown() const {
        QString out;
        for (int n = 1; n <= 3; ++n)
            out += viewer()->image(n)->picture().isNull() ? QLatin1Char('-') : QChar(QLatin1Char('0' + n));
        return out;
    }
    const ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }

    QString pics;
};

// ---------------------------------------------------------------- filling the viewer

TEST_F(ViewerTest, TheRowChangeFillsOnlyImagesWhoseSlotNamesANormalReadableStoredFile) {
    picture(QStringLiteral("a.jpg"), Qt::red);
    picture(QStringLiteral("b.jpg"), Qt::blue);
    picture(QStringLiteral(".hidden.jpg"));
    testenv::writeFile(pics + QStringLiteral("broken.jpg"), "no picture at all");
    QDir().mkpath(pics + QStringLiteral("folder.jpg"));
    // A readable picture just outside the pictures folder.
    QFile::copy(pics + QStringLiteral("a.jpg"), core::g().DataFolder + QStringLiteral("outside.jpg"));
    const struct {
        const char *song;
        QVariant p1, p2, p3, p4;
        const char *shown;
    } cases[] = {
        {"All three", "a.jpg", "b.jpg", "a.jpg", {}, "123"},
        {"Second missing", "a.jpg", "gone.jpg", "b.jpg", {}, "1-3"},
        {"Only later slots", {}, {}, {}, "a.jpg", "---"},
        {"Unreadable, hidden, folder", "broken.jpg", ".hidden.jpg", "folder.jpg", {}, "---"},
        {"Empty text, blanks, a path", "", "   ", "../outside.jpg", {}, "---"},
    };
    for (const auto &c : cases)
        addSong({{"SongName", QString::fromLatin1(c.song)}, {"PicturePath1", c.p1}, {"PicturePath2", c.p2},
                 {"PicturePath3", c.p3}, {"PicturePath4", c.p4}});
    open();
    ASSERT_NE(viewer(), nullptr) << "the first row change loads the viewer";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.song);
        goTo(QString::fromLatin1(c.song));
        EXPECT_EQ(shown(), QString::fromLatin1(c.shown));
        EXPECT_EQ(viewer()->windowTitle(), QString::fromLatin1(c.song));
        EXPECT_FALSE(viewer()->isVisible());
        EXPECT_TRUE(prompts.asked().isEmpty());
    }
    goTo(QStringLiteral("All three"));
    EXPECT_GT(viewer()->Image2->picture().pixelColor(10, 10).blue(), 200);
}

// The viewer decodes a picture at about the size of its zoomed image: the picture it keeps
// must be the whole picture, scaled with its own aspect, and small pictures are not enlarged.
TEST_F(ViewerTest, ALargePictureIsKeptAtAboutTheZoomedImageSizeWithItsOwnAspect) {
    // Gradients both ways and a checker, so that a crop, a stretch or a wrong scale shows.
    const auto save = [this](const QString &name, int width, int height) {
        QImage big(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                big.setPixel(x, y, qRgb(x * 255 / (width - 1), y * 255 / (height - 1), (x / 100 + y / 100) % 2 ? 200 : 40));
        ASSERT_TRUE(big.save(pics + name, "JPEG", 95));
    };
    save(QStringLiteral("wide.jpg"), 1600, 1000);
    save(QStringLiteral("double.jpg"), 2048, 1536);
    picture(QStringLiteral("small.jpg"));
    addSong({{"SongName", "Song"}, {"PicturePath1", "wide.jpg"}, {"PicturePath2", "double.jpg"}, {"PicturePath3", "small.jpg"}});
    open();
    // The zoomed image, 15290 x 11120 twips at 15 twips per pixel.
    const QSize box = viewer()->largestImageSize();
    EXPECT_EQ(box, QSize(1019, 741));

    const auto meanDifference = [this](const QImage &shown, const QString &name) {
        const QImage expected = QImage(pics + name)
                                    .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_RGB32);
        const QImage actual = shown.convertToFormat(QImage::Format_RGB32);
        double difference = 0;
        for (int y = 0; y < actual.height(); ++y)
            for (int x = 0; x < actual.width(); ++x) {
                const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(e)) + std::abs(qGreen(a) - qGreen(e)) + std::abs(qBlue(a) - qBlue(e));
            }
        return difference / (3.0 * actual.width() * actual.height());
    };
    // Fitted into the box.
    const QImage wide = viewer()->Image1->picture();
    EXPECT_EQ(wide.size(), QSize(1600, 1000).scaled(box, Qt::KeepAspectRatio));
    EXPECT_NEAR(double(wide.width()) / wide.height(), 1.6, 0.005);
    EXPECT_LT(meanDifference(wide, QStringLiteral("wide.jpg")), 4.0) << "not the same picture";
    // Halved by the reader: a little larger than the fitted 988 x 741, with no resampling.
    const QImage halved = viewer()->Image2->picture();
    EXPECT_EQ(halved.size(), QSize(1024, 768));
    EXPECT_LT(meanDifference(halved, QStringLiteral("double.jpg")), 4.0) << "not the same picture";
    // Never enlarged.
    EXPECT_EQ(viewer()->Image3->picture().size(), QSize(64, 48));

    // A zoom shows the picture already kept.
    viewer()->Image1_DblClick();
    EXPECT_EQ(viewer()->Image1->picture().cacheKey(), wide.cacheKey());
}

TEST_F(ViewerTest, APictureChangedOnDiskIsReadAgainNotShownFromMemory) {
    const QString a = pics + QStringLiteral("a.jpg");
    // Files written long ago, as most stored pictures are: the viewer may keep them.
    const auto age = [&a](int year) {
        QFile f(a);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(year, 1, 1), QTime(12, 0)), QFileDevice::FileModificationTime));
    };
    picture(QStringLiteral("a.jpg"), Qt::red);
    age(2020);
    picture(QStringLiteral("b.jpg"), Qt::green);
    addSong({{"SongName", "One"}, {"PicturePath1", "a.jpg"}});
    addSong({{"SongName", "Two"}, {"PicturePath1", "b.jpg"}});
    open();
    const auto colourOfOne = [this] {
        goTo(QStringLiteral("Two"));
        goTo(QStringLiteral("One"));
        return viewer()->Image1->picture().pixelColor(10, 10);
    };
    EXPECT_GT(colourOfOne().red(), 200);
    EXPECT_GT(colourOfOne().red(), 200);

    // Rewritten in place (the same file) with another time.
    picture(QStringLiteral("a.jpg"), Qt::blue);
    age(2021);
    EXPECT_GT(colourOfOne().blue(), 200);

    // Rewritten just now, twice within the file system clock's tick: the time and the size may
    // not tell the two apart, so a file this recent is read every time.
    picture(QStringLiteral("a.jpg"), Qt::green);
    EXPECT_GT(colourOfOne().green(), 200);
    picture(QStringLiteral("a.jpg"), Qt::red);
    EXPECT_GT(colourOfOne().red(), 200);

    // Replaced by another file given the same time.
    picture(QStringLiteral("c.jpg"), Qt::yellow);
    QFile c(pics + QStringLiteral("c.jpg"));
    ASSERT_TRUE(c.open(QIODevice::ReadWrite));
    ASSERT_TRUE(c.setFileTime(QDateTime(QDate(2021, 1, 1), QTime(12, 0)), QFileDevice::FileModificationTime));
    c.close();
    ASSERT_EQ(::rename(QFile::encodeName(c.fileName()).constData(), QFile::encodeName(a).constData()), 0);
    const QColor replaced = colourOfOne();
    EXPECT_GT(replaced.red(), 200);
    EXPECT_GT(replaced.green(), 200);
    EXPECT_LT(replaced.blue(), 60);
}

TEST_F(ViewerTest, TheCaptionIsTheSongNameEmptyWhenNullAndWholeWhenLong) {
    const QString longName(300, QLatin1Char('n'));
    addSong({{"SongName", longName}, {"Artist", "A"}});
    addSong({{"SongName", QVariant()}, {"Artist", "B"}});
    open();
    ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("Artist = \"A\"")));
    EXPECT_EQ(viewer()->windowTitle(), longName);
    ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("Artist = \"B\"")));
    EXPECT_EQ(viewer()->windowTitle(), QString());
}

TEST_F(ViewerTest, AnEmptyGridLoadsNoViewerAndThePicturesButtonSaysSo) {
    open();
    w->LoadSongPictures();
    EXPECT_EQ(viewer(), nullptr);
    w->cmdPictures->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("There are no pictures to display"));
    EXPECT_EQ(lastBox().title, QStringLiteral("No pictures"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::OK);
    EXPECT_EQ(viewer(), nullptr);
    EXPECT_EQ(w->cmdPictures->toolTip(), QStringLiteral("Display or Hide Pictures"));
}

// ---------------------------------------------------------------- the Pictures button

TEST_F(ViewerTest, ThePicturesButtonRefillsAndShowsOrHidesTheViewerAndClearsItsPlaceEachTime) {
    addSong({{"SongName", "Song"}, {"PicturePath1", "late.jpg"}});
    open();
    w->show();
    ASSERT_EQ(shown(), QStringLiteral("---"));
    picture(QStringLiteral("late.jpg")); // stored after the row change filled the viewer
    viewer()->moveTo(0, 0);
    w->move(600, 40); // 9000 twips: clear of the viewer's 4008
    w->cmdPictures->click();
    EXPECT_TRUE(viewer()->isVisible());
    EXPECT_EQ(shown(), QStringLiteral("1--"));
    EXPECT_EQ(w->focusWidget(), w->cmdPictures);
    EXPECT_EQ(w->pos(), QPoint(600, 40));
    w->move(20, 40);
    w->cmdPictures->click();
    ASSERT_NE(viewer(), nullptr);
    EXPECT_FALSE(viewer()->isVisible());
    EXPECT_EQ(w->pos(), QPoint(267, 40)) << "moved to 4009 twips also when hiding";
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(ViewerTest, AMaximisedMainWindowStandsBesideTheViewer600TwipsShorterThanTheScreen) {
    addSong({{"SongName", "Song"}});
    open();
    w->show();
    w->showMaximized();
    ASSERT_TRUE(w->isMaximized());
    w->cmdPictures->click();
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(viewer()->pos(), QPoint(0, 0));
    EXPECT_EQ(viewer()->formLeft(), 0);
    const int viewerWidth = viewer()->frameGeometry().width();
    EXPECT_EQ(viewer()->width(), 263); // the designed client area, 3945 twips, inside the frame
    EXPECT_EQ(w->frameGeometry(), QRect(viewerWidth, 0, 1920 - viewerWidth, 1080 - 40));
}

// ---------------------------------------------------------------- the viewer's layout and zoom

TEST_F(ViewerTest, TheViewerLoadsInTheThreePictureLayoutJustLeftOfTheMainWindow) {
    addSong({{"SongName", "Song"}});
    open();
    const struct {
        int mainLeftPixels;
        double viewerLeft;
    } cases[] = {{133, 0}, {400, 1992}}; // the main window at 1995 and 6000 twips
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mainLeftPixels);
        ui::unloadForm(QStringLiteral("Pics3"));
        ui::flushUnloadedForms();
        w->move(c.mainLeftPixels, 300);
        Pics3 *v = ui::form<Pics3>();
        EXPECT_EQ(v->formLeft(), c.viewerLeft);
        EXPECT_EQ(v->formTop(), 0);
        EXPECT_EQ(v->formWidth(), 4008);
        EXPECT_EQ(v->formHeight(), 9360);
        EXPECT_EQ(v->size(), QSize(263, 598)); // the designed client area, 3945 x 8970
        for (int n = 1; n <= 3; ++n) {
            const pictures::TwipsRect r = v->imageRect(n);
            EXPECT_EQ((std::array<double, 4>{r.left, r.top, r.width, r.height}),
                      (std::array<double, 4>{0, (n - 1) * 3000.0, 3936, 2952}));
            EXPECT_TRUE(v->image(n)->isVisibleTo(v));
        }
        EXPECT_FALSE(v->isVisible());
    }
}

TEST_F(ViewerTest, AZoomFillsTheWindowAt1024By768ScreenPixels) {
    addSong({{"SongName", "Song"}, {"PicturePath1", "cover.jpg"}});
    open();
    const struct {
        double tpp;
        double width, height, imageWidth, imageHeight;
    } cases[] = {{12, 12288, 9216, 12218, 8816}, {15, 15360, 11520, 15290, 11120}, {10, 10240, 7680, 10170, 7280}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tpp);
        ui::unloadForm(QStringLiteral("Pics3"));
        ui::flushUnloadedForms();
        screen(c.tpp);
        Pics3 *v = ui::form<Pics3>();
        v->Image1_DblClick();
        EXPECT_TRUE(v->zoomed());
        EXPECT_EQ(v->formWidth(), c.width);
        EXPECT_EQ(v->formHeight(), c.height);
        EXPECT_EQ(v->imageRect(1).width, c.imageWidth);
        EXPECT_EQ(v->imageRect(1).height, c.imageHeight);
        EXPECT_EQ(v->windowTitle(), QStringLiteral("cover.jpg"));
    }
}

TEST_F(ViewerTest, TheUsersCloseReturnsFromTheZoomAndTheSecondCloses) {
    addSong({{"SongName", "Song"}, {"PicturePath3", "third.jpg"}});
    open();
    w->cmdPictures->click();
    Pics3 *v = viewer();
    v->moveTo(1500, 300);
    QTest::mouseDClick(v->Image3, Qt::LeftButton);
    EXPECT_TRUE(v->zoomed());
    EXPECT_EQ(v->imageRect(3).top, 0);
    EXPECT_FALSE(v->Image1->isVisibleTo(v));
    EXPECT_FALSE(v->Image2->isVisibleTo(v));
    EXPECT_EQ(v->windowTitle(), QStringLiteral("third.jpg"));

    v->close(); // the close box
    ASSERT_TRUE(ui::isLoaded(v));
    EXPECT_FALSE(v->zoomed());
    EXPECT_EQ(v->formWidth(), 4008);
    EXPECT_EQ(v->imageRect(3).top, 6000);
    EXPECT_EQ(v->imageRect(3).width, 3936);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(v->image(n)->isVisibleTo(v));
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Song"));
    EXPECT_EQ(v->formLeft(), 1500);
    EXPECT_EQ(v->formTop(), 300);

    v->close();
    EXPECT_FALSE(ui::isLoaded(v));
}

TEST_F(ViewerTest, ANullSlotOrNoCurrentRowIgnoresTheDoubleClickAndAnEmptyTextZooms) {
    addSong({{"SongName", "Song"}, {"PicturePath1", ""}});
    open();
    Pics3 *v = viewer();
    v->Image2_DblClick(); // Null
    EXPECT_FALSE(v->zoomed());
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Song"));
    v->Image1_DblClick(); // empty text
    EXPECT_TRUE(v->zoomed());
    EXPECT_EQ(v->windowTitle(), QString());

    // The grid loses its rows while zoomed: the close still returns, with an empty caption.
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where RecordID < 0"));
    w->Data1->refresh();
    v->close();
    ASSERT_TRUE(ui::isLoaded(v));
    EXPECT_FALSE(v->zoomed());
    EXPECT_EQ(v->windowTitle(), QString());
    v->Image1_DblClick();
    EXPECT_FALSE(v->zoomed());
}

TEST_F(ViewerTest, TheProgramsUnloadsCloseAZoomedViewer) {
    addSong({{"SongName", "Song"}, {"PicturePath1", "a.jpg"}});
    open();
    viewer()->Image1_DblClick();
    ASSERT_TRUE(viewer()->zoomed());
    EXPECT_TRUE(ui::unloadForm(QStringLiteral("Pics3"))); // the imports' unload
    EXPECT_EQ(viewer(), nullptr);

    w->LoadSongPictures();
    viewer()->Image1_DblClick();
    ASSERT_TRUE(viewer()->zoomed());
    w->close(); // the main window's unload
    EXPECT_EQ(viewer(), nullptr);
    EXPECT_EQ(programEnded, 1);
}

// ---------------------------------------------------------------- emptying the deleted pictures

class EmptyDeletedPicturesTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        deleted = core::g().DataFolder + QStringLiteral("Deleted Pictures/");
        open();
        prompts.clear(); // the empty catalogue's welcome
    }
    QStringList left() const {
        return QDir(deleted).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                       QDir::Name);
    }
    QString question() const {
        return QStringLiteral("Are you sure you want to delete all files from the \r\n") + deleted +
               QStringLiteral(" folder?");
    }
    QString deleted;
};

TEST_F(EmptyDeletedPicturesTest, AMissingFolderOrOneWithoutFilesHasNoDeletedPictures) {
    w->EmptyDeletedPicturesFolder->trigger();
    QDir().mkpath(deleted + QStringLiteral("sub"));
    testenv::writeFile(deleted + QStringLiteral("sub/inner.jpg"), "x");
    w->EmptyDeletedPicturesFolder_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList(2, QStringLiteral("No Deleted Pictures exist.")));
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    EXPECT_EQ(left(), QStringList{QStringLiteral("sub")});
}

TEST_F(EmptyDeletedPicturesTest, YesDeletesEveryFileAndLinkButNoSubFolderOrLinkedFile) {
    testenv::writeFile(deleted + QStringLiteral("a.jpg"), "a");
    testenv::writeFile(deleted + QStringLiteral(".hidden.jpg"), "h");
    testenv::writeFile(deleted + QStringLiteral("sub/inner.jpg"), "i");
    testenv::writeFile(deleted + QStringLiteral("readonly"), "r");
    QFile::setPermissions(deleted + QStringLiteral("readonly"), QFile::ReadOwner);
    const QString target = tmp.path() + QStringLiteral("/kept.jpg");
    testenv::writeFile(target, "k");
    QFile::setPermissions(target, QFile::ReadOwner);
    ASSERT_TRUE(QFile::link(target, deleted + QStringLiteral("link.jpg")));

    prompts.answer(ui::Answer::No);
    w->EmptyDeletedPicturesFolder_Click();
    EXPECT_EQ(lastBox().text, question());
    EXPECT_EQ(lastBox().title, QStringLiteral("Delete Confirmation"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(lastBox().icon, ui::Icon::Question);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(left().size(), 5);

    prompts.clear();
    prompts.answer(ui::Answer::Yes);
    w->EmptyDeletedPicturesFolder_Click();
    EXPECT_EQ(prompts.messageTexts(), (QStringList{question(), QStringLiteral("Files deleted.")}));
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    EXPECT_EQ(left(), QStringList{QStringLiteral("sub")});
    EXPECT_TRUE(QFile::exists(deleted + QStringLiteral("sub/inner.jpg")));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_FALSE(QFile::permissions(target).testFlag(QFile::WriteOwner)) << "the link's target is left as it was";
}

TEST_F(EmptyDeletedPicturesTest, AFileThatCannotBeDeletedEndsTheCommandSilently) {
    testenv::writeFile(deleted + QStringLiteral("a.jpg"), "a");
    testenv::writeFile(deleted + QStringLiteral("b.jpg"), "b");
    const QString locked = deleted + QStringLiteral("b.jpg");
    const bool superuser = ::geteuid() == 0;
    // Only an immutable file stops the superuser; others are stopped by a read-only folder.
    if (superuser ? QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), locked}) != 0
                  : !QFile::setPermissions(deleted, QFile::ReadOwner | QFile::ExeOwner))
        GTEST_SKIP() << "no way to protect a file here";
    prompts.answer(ui::Answer::Yes);
    w->EmptyDeletedPicturesFolder_Click();
    if (superuser)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), locked});
    else
        QFile::setPermissions(deleted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(prompts.messageTexts(), QStringList{question()});
    EXPECT_TRUE(QFile::exists(locked));
    EXPECT_EQ(QFile::exists(deleted + QStringLiteral("a.jpg")), !superuser) << "files before the failure stay deleted";
}
