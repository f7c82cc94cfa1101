// The import in awkward places: folder links, volumes and the kernel's file systems, removable
// drives in the drive list, and a catalogue that refuses writes (locked, read-only, full disk).
#include "ImportFixture.h"
#include "common/FileSizeLimit.h"

#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

using namespace importtest;
namespace ui = platform::ui;

// ---- links and volumes

TEST_F(ImportTest, FolderLinksGiveOneRecordPerFileUnderItsOwnPath) {
    put("untagged.mp3", "real/a.mp3");
    const QString elsewhere = tmp.path() + "/elsewhere/";
    QDir().mkpath(elsewhere);
    QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/untagged.mp3"), elsewhere + "b.mp3");
    ASSERT_TRUE(QFile::link(music + "real", music + "alias"));        // a sibling, listed before it
    ASSERT_TRUE(QFile::link(music, music + "real/up"));              // the chosen folder
    ASSERT_TRUE(QFile::link(tmp.path(), music + "real/above"));      // above it
    ASSERT_TRUE(QFile::link(elsewhere, music + "outside"));          // outside the tree

    auto r = importFolder(music);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(songs().keys(), QStringList({music + "outside/b.mp3", music + "real/a.mp3"}));

    // The sibling link gone, nothing is new.
    QFile::remove(music + "alias");
    r = importFolder(music);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.present, 2);
}

TEST_F(ImportTest, TheChosenFolderKeepsThePathItWasGivenBy) {
    put("untagged.mp3", "sub/a.mp3");
    const QString byLink = tmp.path() + "/shortcut";
    ASSERT_TRUE(QFile::link(music, byLink));
    importFolder(byLink + "/");
    EXPECT_EQ(songs().keys(), QStringList{byLink + "/sub/a.mp3"});
}

TEST_F(ImportTest, AVolumeScanStaysOnItsFileSystem) {
    // The scan's own process folder, reached through the kernel's view of the process, holds a
    // song that must not be catalogued under a path that ends with the process.
    put("untagged.mp3", "a.mp3");
    const QString work = tmp.path() + "/work/";
    QDir().mkpath(work);
    QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/untagged.mp3"), work + "Track.MP3");
    ASSERT_TRUE(QFile::link("/proc/self", music + "process"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(work);
    auto *drive = ui::form<import::ScanDriveForm>();
    drive->cmdExit->setText("Cancel");
    const auto r = importFolder(music, {}, true);
    QDir::setCurrent(before);
    EXPECT_EQ(songs().keys(), QStringList{music + "a.mp3"});
    EXPECT_EQ(r.added, 1);
}

TEST(OfferedVolumes, EveryVolumeWithOrdinaryFilesIsOfferedWhereverItIsMounted) {
    using import::Mount;
    const QList<Mount> mounts = {
        {"/", "ext4", "", true},
        {"/run/media/ann/USB STICK", "vfat", "USB STICK", true},
        {"/media/ann/Backup", "exfat", "Backup", true},
        {"/mnt/nas", "nfs4", "", true},
        {"/proc", "proc", "", true},
        {"/sys/fs/cgroup", "cgroup2", "", true},
        {"/dev", "devtmpfs", "", true},
        {"/run", "tmpfs", "", true},
        {"/run/user/1000", "tmpfs", "", true},
        {"/home", "ext4", "", true},
        {"/home/", "ext4", "", true},
        {"/media/cdrom", "iso9660", "", false},  // no disc in the drive
    };
    QStringList roots;
    for (const auto &v : import::offeredVolumes(mounts))
        roots << v.rootPath;
    EXPECT_EQ(roots, QStringList({"/", "/run/media/ann/USB STICK/", "/media/ann/Backup/", "/mnt/nas/", "/home/"}));
}

// ---- a catalogue that refuses writes

class RefusingCatalogueTest : public ImportTest {
protected:
    void TearDown() override {
        release();
        ImportTest::TearDown();
    }
    // Another program takes the catalogue's write lock and keeps it.
    void lock() {
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(core::g().DatabasePath).constData(), &other,
                                  SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void release() {
        if (other)
            sqlite3_close_v2(other);
        other = nullptr;
    }
    sqlite3 *other = nullptr;
};

TEST_F(RefusingCatalogueTest, ALockedCatalogueStopsTheImportAtItsFirstWriteAndSaysWhatWasNotAdded) {
    put("untagged.mp3", "0.mp3");  // listed before the new ones: counted as present
    importFolder(music);
    put("untagged.mp3", "a.mp3");
    put("untagged.mp3", "s1/b.mp3");
    put("untagged.mp3", "s2/c.mp3");
    prompts.clear();
    lock();
    host.lockWaitMs = 0;

    const auto r = importFolder(music);
    ASSERT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(prompts.lastMessage(), "3 songs were not added: the catalogue " + core::g().DatabasePath +
                                         " cannot be written (it is locked by another program).\r\n\r\n"
                                         "Number of songs added to database: 0\r\n"
                                         "Number of songs not added because they were already in database: 1")
        << prompts.lastMessage().toStdString();
    EXPECT_EQ(prompts.lastAsked()->title, "Error");
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Critical);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.notAdded, 3);
    EXPECT_FALSE(core::g().Db->inTransaction());
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(host.showAll, 2);
    ui::flushUnloadedForms();
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));

    release();
    EXPECT_EQ(songCount(), 1);
    EXPECT_EQ(importFolder(music).added, 3);  // nothing was half stored
}

TEST_F(RefusingCatalogueTest, CancelAnswersWhileAWriteWaitsForTheLock) {
    put("untagged.mp3", "a.mp3");
    lock();
    host.lockWaitMs = 60000;  // far longer than the test may take
    int yields = 0;
    host.yield = [&yields] {
        // The first yield is the item's own; the next ones come from the wait for the lock.
        if (++yields == 3)
            ui::findForm<import::ScanFolderForm>()->cmdCancel->click();
    };
    const auto r = importFolder(music);
    EXPECT_TRUE(r.cancelled);
    EXPECT_GE(yields, 3);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_FALSE(core::g().CancelScan);
    EXPECT_FALSE(core::g().Db->inTransaction());
    release();
    EXPECT_EQ(songCount(), 0);
}

TEST_F(RefusingCatalogueTest, AFolderWhoseCommitIsCancelledIsNotCountedAsAdded) {
    put("untagged.mp3", "a.mp3");
    put("untagged.mp3", "b.mp3");
    // With a rollback journal (a log needs shared memory that some file systems lack), another
    // program's reading lets the songs be written and holds back only their commit.
    ASSERT_EQ(sqlite3_exec(core::g().Db->handle(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(core::g().DatabasePath).constData(), &other, SQLITE_OPEN_READWRITE,
                              nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN; SELECT count(*) FROM tblContacts", nullptr, nullptr, nullptr), SQLITE_OK);
    host.lockWaitMs = 60000;
    int yields = 0;
    host.yield = [&yields] {
        // The first yield is the first item's; after the second item the commit waits.
        if (++yields == 3)
            ui::findForm<import::ScanFolderForm>()->cmdCancel->click();
    };
    const auto r = importFolder(music);
    EXPECT_GE(yields, 3);
    EXPECT_EQ(r.added, 0);
    EXPECT_TRUE(prompts.lastMessage().startsWith("Number of songs added to database: 0\r\n"))
        << prompts.lastMessage().toStdString();
    EXPECT_FALSE(core::g().Db->inTransaction());
    release();
    EXPECT_EQ(songCount(), 0);
}

TEST_F(RefusingCatalogueTest, AReadOnlyCatalogueStopsTheImportTheSameWay) {
    auto &s = core::g();
    s.Db.reset();
    QFile::setPermissions(s.DatabasePath, QFile::ReadOwner);
    if (::access(QFile::encodeName(s.DatabasePath).constData(), W_OK) == 0) {
        QFile::setPermissions(s.DatabasePath, QFile::ReadOwner | QFile::WriteOwner);
        GTEST_SKIP() << "root ignores the permission bits";
    }
    s.Db = platform::db::Database::open(s.DatabasePath);
    put("untagged.mp3", "a.mp3");
    put("untagged.mp3", "b.mp3");
    const auto r = importFolder(music);
    QFile::setPermissions(s.DatabasePath, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(prompts.lastMessage(), "2 songs were not added: the catalogue " + s.DatabasePath +
                                         " cannot be written (it is read-only).\r\n\r\n"
                                         "Number of songs added to database: 0\r\n"
                                         "Number of songs not added because they were already in database: 0");
    EXPECT_EQ(r.notAdded, 2);
}

TEST_F(RefusingCatalogueTest, AFullDiskStopsTheImportKeepsTheFoldersStoredBeforeAndSaysSo) {
    put("untagged.mp3", "a.mp3");     // the first two folders, stored before the disk fills
    put("untagged.mp3", "s0/x.mp3");
    for (int i = 0; i < 12; ++i)
        put("untagged.mp3", QStringLiteral("s1/%1.mp3").arg(i));
    put("untagged.mp3", "s2/c.mp3");
    // The catalogue's log may not grow any more once the first folders are committed (the first
    // yield after that comes in s1): the disk is full from then on, as for every write of
    // whatever size.
    const QString log = core::g().DatabasePath + "-wal";
    const qint64 logBefore = QFileInfo(log).size();
    std::optional<FileSizeLimit> full;
    host.yield = [&] {
        if (!full && QFileInfo(log).size() > logBefore)
            full.emplace(rlim_t(QFileInfo(log).size()));
    };

    const auto r = importFolder(music);
    full.reset();
    ASSERT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(prompts.lastMessage(), "13 songs were not added: the catalogue " + core::g().DatabasePath +
                                         " cannot be written (the disk is full).\r\n\r\n"
                                         "Number of songs added to database: 2\r\n"
                                         "Number of songs not added because they were already in database: 0")
        << prompts.lastMessage().toStdString();
    EXPECT_EQ(prompts.lastAsked()->title, "Error");
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Critical);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.notAdded, 13);
    EXPECT_FALSE(core::g().Db->inTransaction());
    EXPECT_TRUE(host.visible);
    ui::flushUnloadedForms();
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));
    // The folders stored before are in the file, whole, as the next start of the program reads it.
    const QStringList stored{music + "a.mp3", music + "s0/x.mp3"};
    EXPECT_EQ(songs().keys(), stored);
    {
        auto again = platform::db::Database::open(core::g().DatabasePath);
        auto rows = again->openRecordset(QStringLiteral("Select PathName, FileName, FileType from tblContacts "
                                                        "Order By PathName, FileName"));
        QStringList seen;
        for (; !rows->eof(); rows->moveNext())
            seen << rows->value(0).toString() + rows->value(1).toString() + u'|' + rows->value(2).toString();
        EXPECT_EQ(seen, QStringList({stored[0] + "|MP3", stored[1] + "|MP3"}));
    }
    host.yield = nullptr;
    EXPECT_EQ(importFolder(music).added, 13);  // with room again: nothing was half stored
}
