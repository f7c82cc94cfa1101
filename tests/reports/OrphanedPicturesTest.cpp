// The check for pictures no song names: which files count, names in any slot and any letter
// case, and the three endings (delete, move aside replacing an older copy, leave), with the
// folders missing or in the way.
#include "CleanupFixture.h"

#include "reports/OrphanedPictures.h"

#include <QFile>

using reports::OrphanedPictures;
namespace ui = platform::ui;

class OrphansTest : public CleanupTest {
protected:
    QString pics() const { return core::g().DataFolder + QStringLiteral("Pictures/"); }
    QString deleted() const { return core::g().DataFolder + QStringLiteral("Deleted Pictures/"); }
    void picture(const QString &name, const QByteArray &bytes = "new") { testenv::writeFile(pics() + name, bytes); }
    QStringList left(const QString &folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    }
    // Songs naming pictures in slots 1 and 8 and an accented name, and two orphans (one with a
    // double quote in its name) beside a hidden file and a sub-folder, which are not pictures.
    void catalogue() {
        song(QStringLiteral("One"), QStringLiteral("A"), {{"PicturePath1", QStringLiteral("cover.jpg")}});
        song(QStringLiteral("Two"), QStringLiteral("A"), {{"PicturePath8", QStringLiteral("BACK.JPG")}});
        song(QStringLiteral("Three"), QStringLiteral("A"), {{"PicturePath4", QStringLiteral("émile.jpg")}});
        for (const char *n : {"Cover.jpg", "back.jpg", "ÉMILE.jpg", "old.jpg", "say \"hi\".png", ".hidden.jpg"})
            picture(QString::fromUtf8(n));
        QDir().mkpath(pics() + QStringLiteral("sub"));
    }
};

TEST_F(OrphansTest, NoPicturesWithoutTheFolderOrWithOnlyHiddenFilesAndFolders) {
    for (int step = 0; step < 2; ++step) {
        if (step == 1) {
            QDir().mkpath(pics() + QStringLiteral("sub"));
            picture(QStringLiteral(".hidden.jpg"));
        }
        prompts.clear();
        OrphanedPictures::OphanedPictures_Click();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No pictures exist.")) << step;
        EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));
        EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::None);
    }
}

TEST_F(OrphansTest, PicturesNamedInAnySlotInAnyCaseStay) {
    song(QStringLiteral("One"), QStringLiteral("A"), {{"PicturePath1", QStringLiteral("cover.jpg")}});
    picture(QStringLiteral("COVER.jpg"));
    OrphanedPictures::OphanedPictures_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No orphaned pictures found."));
    EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));

    catalogue();
    EXPECT_EQ(OrphanedPictures::orphansAmong(*core::g().Db, OrphanedPictures::pictureFiles(pics())),
              QStringList({"old.jpg", "say \"hi\".png"}));
}

TEST_F(OrphansTest, YesDeletesTheOrphans) {
    catalogue();
    prompts.answer(ui::Answer::Yes);
    OrphanedPictures::OphanedPictures_Click();
    ASSERT_EQ(prompts.asked().size(), 2);
    const auto &q = prompts.asked().first();
    EXPECT_EQ(q.title, QStringLiteral("Clean-up Confirmation"));
    EXPECT_EQ(q.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(q.defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(q.icon, ui::Icon::Information);
    EXPECT_TRUE(q.text.startsWith(QStringLiteral("Number of orphaned pictures found: 2.\r\nThese are pictures not")));
    EXPECT_TRUE(q.text.endsWith(QStringLiteral(
        "folder.\r\n\r\nWould you like to DELETE these pictures from the Orvalis Pictures folder now?")));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Orphaned pictures deleted."));
    EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));
    EXPECT_EQ(left(pics()), QStringList({".hidden.jpg", "back.jpg", "Cover.jpg", "ÉMILE.jpg"}));
}

TEST_F(OrphansTest, MovingMakesTheFolderAndReplacesAnOlderCopy) {
    catalogue();
    prompts.answer(ui::Answer::No);
    prompts.answer(ui::Answer::Yes);
    OrphanedPictures::OphanedPictures_Click();
    EXPECT_EQ(prompts.asked()[1].text, QStringLiteral("Since you do not want to delete these orphaned pictures, would "
                                                      "you like to move them to the Deleted Pictures folder within "
                                                      "the Orvalis folder?"));
    EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("File Move Confirmation"));
    EXPECT_EQ(prompts.asked()[1].defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Orphaned pictures moved to the Orvalis Deleted Pictures folder."));
    EXPECT_EQ(left(deleted()), QStringList({"old.jpg", "say \"hi\".png"}));

    // A second orphan of the same name replaces the older file there.
    picture(QStringLiteral("old.jpg"), "newer");
    prompts.answer(ui::Answer::No);
    prompts.answer(ui::Answer::Yes);
    OrphanedPictures::OphanedPictures_Click();
    QFile moved(deleted() + QStringLiteral("old.jpg"));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), QByteArray("newer"));
    EXPECT_FALSE(QFile::exists(pics() + QStringLiteral("old.jpg")));
}

TEST_F(OrphansTest, NoTwiceLeavesThePictures) {
    catalogue();
    prompts.answer(ui::Answer::No);
    prompts.answer(ui::Answer::No);
    OrphanedPictures::OphanedPictures_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Orphaned pictures left in the Orvalis Pictures folder."));
    EXPECT_EQ(lastTitle(), QStringLiteral("Pictures not deleted."));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::None);
    EXPECT_EQ(left(pics()).size(), 6);
}

TEST_F(OrphansTest, ADeletedPicturesFileInTheWayIsReportedAndMovesNothing) {
    catalogue();
    testenv::writeFile(core::g().DataFolder + QStringLiteral("Deleted Pictures"), "a file");
    prompts.answer(ui::Answer::No);
    prompts.answer(ui::Answer::Yes);
    OrphanedPictures::OphanedPictures_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Path/File access error"));
    EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));
    EXPECT_EQ(left(pics()).size(), 6);
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}
