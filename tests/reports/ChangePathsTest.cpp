// The two windows that rewrite stored folders and play-list paths: literal, exact-case
// matching with every occurrence replaced, the rows changed counted, the texts shown as typed,
// the refusals, the folder pickers, and a failed change that leaves every row as it was.
#include "CleanupFixture.h"

#include "reports/frmChangeFileNamePath.h"
#include "reports/frmChangeFilePath.h"
#include "core/StartFolders.h"

#include <QLineEdit>
#include <QPushButton>

using reports::frmChangeFileNamePath;
using reports::frmChangeFilePath;
namespace ui = platform::ui;

class ChangePathsTest : public CleanupTest {
protected:
    void SetUp() override {
        CleanupTest::SetUp();
        songAt(QStringLiteral("Plain"), QStringLiteral("/music/Old/"), QStringLiteral("a.mp3"));
        songAt(QStringLiteral("Twice"), QStringLiteral("/music/Old/Old/music/Old/"), QStringLiteral("b.mp3"));
        songAt(QStringLiteral("Longer"), QStringLiteral("/music/OldTwo/"), QStringLiteral("c.mp3"));
        songAt(QStringLiteral("Other case"), QStringLiteral("/Music/Old/"), QStringLiteral("d.mp3"));
        songAt(QStringLiteral("Brackets"), QStringLiteral("/music/Live [2019]/"), QStringLiteral("e.mp3"));
        songAt(QStringLiteral("Look-alike"), QStringLiteral("/music/Live 2/"), QStringLiteral("f.mp3"));
        track(QStringLiteral("/music/Old/a.mp3"));
        track(QStringLiteral("/music/Old/x/music/Old/y.mp3"));
        track(QStringLiteral("/MUSIC/OLD/z.mp3"));
        open();
    }
    QString folders() { return raw(QStringLiteral("SELECT PathName FROM tblContacts ORDER BY RecordID")); }
    QString paths() { return raw(QStringLiteral("SELECT FileName FROM tblPlayListDetail ORDER BY ListTrackID")); }
    frmChangeFilePath *folderWindow(const QString &orig, const QString &repl) {
        auto *f = ui::form<frmChangeFilePath>();
        f->txtOrigPath->setText(orig);
        f->txtNewPath->setText(repl);
        return f;
    }
};

TEST_F(ChangePathsTest, FoldersAndTracksChangeInExactCaseEveryOccurrence) {
    const QString before = paths();
    prompts.answer(ui::Answer::Yes);
    auto *f = folderWindow(QStringLiteral(" /music/Old/ "), QStringLiteral("/media/New/  "));
    f->OKButton_Click();

    EXPECT_EQ(prompts.asked().first().text,
              QStringLiteral("Number of music file names that contain \" /music/Old/ \" is: 2.\r\n\r\nNumber of songs in "
                             "your play lists that contain \" /music/Old/ \" is: 2.\r\n\r\nAre you sure you want to "
                             "replace this part of the file name with \"/media/New/  \" for every one of these file "
                             "names?"));
    EXPECT_EQ(prompts.asked().first().defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Update completed. Total number of replacements made: 4"));
    EXPECT_EQ(lastTitle(), QStringLiteral("Finished"));
    EXPECT_EQ(folders(), QStringLiteral("/media/New/|/media/New/Old/media/New/|/music/OldTwo/|/Music/Old/|"
                                        "/music/Live [2019]/|/music/Live 2/"));
    EXPECT_EQ(paths(), QStringLiteral("/media/New/a.mp3|/media/New/x/media/New/y.mp3|/MUSIC/OLD/z.mp3"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE DateUpdated IS NOT NULL")), QStringLiteral("0"));
    EXPECT_FALSE(ui::isLoaded(f));
    EXPECT_NE(before, paths());
}

TEST_F(ChangePathsTest, WildcardsAndQuotesAreTextAndOnlyChangedRowsCount) {
    struct Case {
        const char *orig, *repl;
        const char *message;
        const char *folders;
    } cases[] = {
        // No trailing "/": the longer folder name changes too.
        {"/music/Old", "/m/N", "Update completed. Total number of replacements made: 5",
         "/m/N/|/m/N/Old/m/N/|/m/NTwo/|/Music/Old/|/music/Live [2019]/|/music/Live 2/"},
        {"Live [2019]", "Live \"2019\"", "Update completed. Total number of replacements made: 1",
         "/music/Old/|/music/Old/Old/music/Old/|/music/OldTwo/|/Music/Old/|/music/Live \"2019\"/|/music/Live 2/"},
        {"*", "x", "The characters you specified were not found in any file names.", nullptr},
        {"/music/Old/", "/music/Old/", "Update completed. Total number of replacements made: 0", nullptr},
    };
    const QString original = folders();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.orig);
        core::g().Db->execute(QStringLiteral("Update tblContacts Set PathName = ? Where RecordID = 5"), {"/music/Live [2019]/"});
        core::g().Db->execute(QStringLiteral("Update tblContacts Set PathName = '/music/Old/' Where RecordID = 1"));
        core::g().Db->execute(QStringLiteral("Update tblContacts Set PathName = '/music/Old/Old/music/Old/' Where RecordID = 2"));
        core::g().Db->execute(QStringLiteral("Update tblContacts Set PathName = '/music/OldTwo/' Where RecordID = 3"));
        prompts.answer(ui::Answer::Yes);
        folderWindow(QString::fromUtf8(c.orig), QString::fromUtf8(c.repl))->OKButton_Click();
        EXPECT_EQ(prompts.lastMessage(), QString::fromUtf8(c.message));
        EXPECT_EQ(folders(), c.folders ? QString::fromUtf8(c.folders) : original);
        unloadForms();
    }
}

TEST_F(ChangePathsTest, RefusalsAndNoLeaveEverythingAndTheWindowOpen) {
    const QString songs = folders(), tracks = paths();
    const struct {
        const char *orig, *repl;
        const char *title;
    } cases[] = {
        {"", "/x/", "String not specified"},
        {"/music/", "   ", "String not specified"},
        {"/nowhere/", "/x/", "Not found"},
        {"/music/", "/x/", "Confirmation"},  // No, the default
    };
    for (const auto &c : cases) {
        prompts.clear();
        auto *f = folderWindow(QString::fromUtf8(c.orig), QString::fromUtf8(c.repl));
        f->OKButton_Click();
        EXPECT_EQ(lastTitle(), QString::fromUtf8(c.title));
        EXPECT_TRUE(ui::isLoaded(f));
        EXPECT_EQ(f->txtNewPath->text(), QString::fromUtf8(c.repl));
        EXPECT_EQ(prompts.asked().size(), 1);
    }
    EXPECT_EQ(folders(), songs);
    EXPECT_EQ(paths(), tracks);
}

TEST_F(ChangePathsTest, AFailedChangeRollsBackBothTables) {
    const QString songs = folders();
    refuse("tblPlayListDetail", "UPDATE");
    prompts.answer(ui::Answer::Yes);
    auto *f = folderWindow(QStringLiteral("/music/Old/"), QStringLiteral("/new/"));
    f->OKButton_Click();
    EXPECT_EQ(prompts.lastMessage(), Refused);
    EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::None);
    EXPECT_EQ(folders(), songs);
    EXPECT_TRUE(ui::isLoaded(f));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(ChangePathsTest, BrowseStartsInTheMusicFolderAndFillsItsRow) {
    core::g().LastCopyFolder.clear();
    auto *f = folderWindow(QStringLiteral("typed"), QStringLiteral("typed too"));
    prompts.answerFolder(QStringLiteral("/media/disk/"));
    f->cmdBrowseNew_Click();
    const auto &asked = prompts.asked().last().folder;
    EXPECT_EQ(asked.prompt, QStringLiteral("Select a Folder"));
    EXPECT_EQ(asked.caption, QStringLiteral("Pick the new Folder"));
    EXPECT_EQ(asked.startFolder.chopped(asked.startFolder.endsWith(u'/') ? 1 : 0), core::StartFolders::music());
    EXPECT_EQ(core::g().LastCopyFolder, core::StartFolders::music());
    EXPECT_EQ(f->txtNewPath->text(), QStringLiteral("/media/disk/"));
    prompts.answerFolder(std::nullopt);
    f->cmdBrowseOrig_Click();
    EXPECT_EQ(prompts.asked().last().folder.caption, QStringLiteral("Pick the original Folder"));
    EXPECT_EQ(f->txtOrigPath->text(), QStringLiteral("typed"));
}

TEST_F(ChangePathsTest, PlayListPathsAloneChangeFromThePlayListWindow) {
    const QString songs = folders();
    auto *f = ui::form<frmChangeFileNamePath>();
    f->txtOrig->setText(QStringLiteral(" /music/Old/"));
    f->txtNew->setText(QStringLiteral(""));
    f->cmdOK_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Both the original text and the new replacement text must be specified."));
    EXPECT_EQ(lastTitle(), QStringLiteral("Text not specified"));
    EXPECT_EQ(f->txtOrig->text(), QStringLiteral("/music/Old/"));

    f->txtOrig->setText(QStringLiteral("/music/Gone/"));
    f->txtNew->setText(QStringLiteral("/x/"));
    f->cmdOK_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("The text you specified was not found in the FileName in any PlayList."));

    f->txtOrig->setText(QStringLiteral("/music/Old/ "));
    f->txtNew->setText(QStringLiteral("/new/"));
    prompts.answer(ui::Answer::Yes);
    f->cmdOK_Click();
    EXPECT_EQ(prompts.asked()[2].text,
              QStringLiteral("The number of records that contain  /music/Old/   is: 2.  Are you sure you want to replace "
                             "this part of the FileName with  /new/  for every one of these records in all your "
                             "PlayLists?"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Update completed."));
    EXPECT_EQ(paths(), QStringLiteral("/new/a.mp3|/new/x/new/y.mp3|/MUSIC/OLD/z.mp3"));
    EXPECT_EQ(folders(), songs);
    EXPECT_FALSE(ui::isLoaded(f));
}

TEST_F(CleanupTest, TheMenusAndThePlayListWindowOpenTheCleanUpCommands) {
    open();
    QStringList shown;
    ui::ScopedModalHook hook([&](QDialog *d) {
        shown << d->objectName();
        d->close();
    });
    w->mnuChangePaths->trigger();
    w->mnuReplace->trigger();
    songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::frmChangeFileNamePath));
    EXPECT_EQ(shown, QStringList({"frmChangeFilePath", "frmReplace", "frmChangeFileNamePath"}));
    w->OphanedPictures->trigger();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No pictures exist."));
    song(QStringLiteral("Gone"), QStringLiteral("A"));
    w->ShowAllMenu_Click();
    w->mnuFindInvalidFilenames->trigger();
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Records with invalid path/file names"));
}
