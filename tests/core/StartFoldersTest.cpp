// Where dialogs start before the user picked a folder: the desktop's music folder, never the
// process's working folder, and the home folder where there is no music folder.
#include "common/TestEnv.h"

#include "core/StartFolders.h"

#include <QDir>
#include <QStandardPaths>

using core::StartFolders;

namespace {

class StartFoldersTest : public OrvalisTest {
protected:
    void TearDown() override {
        QDir(QDir::homePath() + QStringLiteral("/Music")).removeRecursively();
        OrvalisTest::TearDown();
    }
};

TEST_F(StartFoldersTest, MusicFolderWhereItExistsElseHomeButNeverTheWorkingFolder) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    EXPECT_EQ(StartFolders::music(), QDir::homePath());
    QDir().mkpath(QDir::homePath() + QStringLiteral("/Music"));
    EXPECT_EQ(StartFolders::music(), QDir::homePath() + QStringLiteral("/Music"));
    QDir::setCurrent(before);
}

TEST_F(StartFoldersTest, DialogStartsWhereItLastChoseThisRunEachOnItsOwn) {
    EXPECT_EQ(StartFolders::lastUsed(QStringLiteral("Save report")), StartFolders::music());
    StartFolders::used(QStringLiteral("Save report"), tmp.file(QStringLiteral("out/Report.rtf")));
    StartFolders::used(QStringLiteral("Export CSV"), QString()); // a cancelled dialog
    EXPECT_EQ(StartFolders::lastUsed(QStringLiteral("Save report")), tmp.file(QStringLiteral("out")));
    EXPECT_EQ(StartFolders::lastUsed(QStringLiteral("Export CSV")), StartFolders::music());
}

} // namespace
