#include "common/TestEnv.h"

#include "core/AppState.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mRecursiveDir.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTest>

class FolderBrowser : public OrvalisTest {
protected:
    platform::ui::ScriptedPrompts prompts;
};

TEST_F(FolderBrowser, ChosenFolderEndsInOneSlash) {
    prompts.answerFolder(QString("/music/rock"));
    prompts.answerFolder(QString("/"));
    prompts.answerFolder(std::nullopt);
    EXPECT_EQ(mBrowseDirectorysOnly::BrowseForFolder(nullptr, "Select a Folder", "/music/",
                                                     "Add a Folder of Music Files including subfolders"),
              "/music/rock/");
    const auto &req = prompts.lastAsked()->folder;
    EXPECT_EQ(req.prompt, "Select a Folder");
    EXPECT_EQ(req.startFolder, "/music/");
    EXPECT_EQ(req.caption, "Add a Folder of Music Files including subfolders");
    EXPECT_EQ(mBrowseDirectorysOnly::BrowseForFolder(nullptr, "p", "/", "c"), "/");
    EXPECT_EQ(mBrowseDirectorysOnly::BrowseForFolder(nullptr, "p", "/music/", "c"), "");
}

class FolderWalk : public OrvalisTest {
protected:
    // A with subfolders B and C, B with D; files beside them; a hidden folder.
    void SetUp() override {
        OrvalisTest::SetUp();
        root = tmp.path() + "/A";
        for (const char *d : {"A/B/D", "A/C", "A/.hidden/E"})
            QDir(tmp.path()).mkpath(d);
        testenv::writeFile(root + "/song.mp3", "x");
        testenv::writeFile(root + "/B/b.mp3", "x");
    }
    QStringList walk(const QString &folder) {
        QStringList result;
        mRecursiveDir::GetAllSubFolders(folder, result);
        return result;
    }
    QString root;
};

TEST_F(FolderWalk, BreadthFirstWithTheStartFolderFirst) {
    EXPECT_EQ(walk(root), QStringList({root + "/", root + "/B/", root + "/C/", root + "/B/D/"}));
    EXPECT_EQ(walk(root + "/").first(), root + "/");
}

TEST_F(FolderWalk, FollowsALinkToAFolderButEndsALinkLoop) {
    QDir(tmp.path()).mkpath("Elsewhere/F");
    ASSERT_TRUE(QFile::link(tmp.path() + "/Elsewhere", root + "/C/linked"));
    ASSERT_TRUE(QFile::link(root, root + "/B/D/up"));
    EXPECT_EQ(walk(root), QStringList({root + "/", root + "/B/", root + "/C/", root + "/B/D/", root + "/C/linked/",
                                       root + "/C/linked/F/"}));
}

TEST_F(FolderWalk, LinksToTheTreeOrAboveItAreNotFollowedOthersAreUnderTheLinksPath) {
    QDir(tmp.path()).mkpath("Elsewhere/F");
    ASSERT_TRUE(QFile::link(root + "/C", root + "/B/sibling"));       // into the tree: C is walked as C
    ASSERT_TRUE(QFile::link(root, root + "/C/start"));                 // the start folder
    ASSERT_TRUE(QFile::link(tmp.path(), root + "/C/above"));           // an ancestor
    ASSERT_TRUE(QFile::link(tmp.path() + "/Elsewhere", root + "/out")); // outside: followed
    ASSERT_TRUE(QFile::link(root + "/B", tmp.path() + "/Elsewhere/back")); // back into the tree
    EXPECT_EQ(walk(root), QStringList({root + "/", root + "/B/", root + "/C/", root + "/out/", root + "/B/D/",
                                       root + "/out/F/"}));
}

TEST_F(FolderWalk, AVolumeWalkDoesNotDescendIntoAnotherFileSystem) {
    ASSERT_TRUE(QFile::link("/proc/self", root + "/C/process"));
    QStringList volume;
    mRecursiveDir::GetAllSubFolders(root, volume, mRecursiveDir::Reach::OneVolume);
    EXPECT_EQ(volume, QStringList({root + "/", root + "/B/", root + "/C/", root + "/B/D/"}));
}

TEST_F(FolderWalk, SkipsAFolderItMayNotRead) {
    QDir(root).mkpath("C/closed/inner");
    QFile::setPermissions(root + "/C/closed", QFile::WriteOwner);
    if (QDir(root + "/C/closed").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() > 0) {
        QFile::setPermissions(root + "/C/closed", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "root ignores the permission bits";
    }
    const QStringList r = walk(root);
    QFile::setPermissions(root + "/C/closed", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(r, QStringList({root + "/", root + "/B/", root + "/C/", root + "/B/D/"}));
}

TEST_F(FolderWalk, CancelLeftSetEndsTheWalkAfterTheFirstEntry) {
    core::g().CancelScan = true;
    // The first entry of A is B: it is taken, then the walk stops.
    EXPECT_EQ(walk(root), QStringList({root + "/", root + "/B/"}));
}

TEST_F(FolderWalk, CancelSetWhileTheWalkYieldsStopsItAtTheNextEntry) {
    QTest::qWait(60); // let the throttled yield run at the first entry
    QMetaObject::invokeMethod(qApp, [] { core::g().CancelScan = true; }, Qt::QueuedConnection);
    // First entry B, then the yield sets the flag; the second entry C is taken and the walk ends.
    EXPECT_EQ(walk(root), QStringList({root + "/", root + "/B/", root + "/C/"}));
}

