// The music import on generated folder trees: what it stores, what it skips, what it counts,
// how it ends (normally, cancelled, with failures), and its small rules.
#include "ImportFixture.h"

#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "platform/shell/DetailColumns.h"
#include "platform/ui/MousePointer.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace importtest;
namespace ui = platform::ui;

namespace {

QString done(long added, long present) {
    return QStringLiteral("Number of songs added to database: %1\r\n"
                          "Number of songs not added because they were already in database: %2\r\n")
        .arg(added)
        .arg(present);
}

} // namespace

class ImportTreeTest : public ImportTest {
protected:
    // Music of every kind in nested folders, with things the import must pass over.
    void makeTree() {
        put("id3v24-utf8.mp3", "a.mp3");
        put("untagged.mp3", "Track.MP3");
        put("empty.mp3", "empty.mp3");              // no audio, no tags
        put("zeros.flac", "damaged.flac");          // a FLAC file that is all zeros
        putText("notes.txt");
        putText("cover.jpg");
        putText("flac");                            // a name whose tail only looks like an extension
        QDir().mkpath(music + "album.mp3");         // a folder named like a music file
        put("flac-utf8.flac", "sub/b.flac");
        put("vorbis-utf8.ogg", "sub/c.ogg");
        put("m4a-faststart.m4a", "sub/deeper/d.m4a");
        put("wav-id3-info.wav", "sub/deeper/e.wav");
        put("id3v24-utf8.mp3", ".hidden/x.mp3");    // hidden folders are not walked
        put("id3v24-utf8.mp3", "sub/.y.mp3");       // nor hidden files listed
        QFile::link(music, music + "sub/loop");     // a link back up the tree
    }
    static constexpr long TreeSongs = 9; // a, Track, empty, damaged, flac, b, c, d, e
};

TEST_F(ImportTreeTest, FolderTreeStoresEveryMusicFileOnceWithItsFields) {
    makeTree();
    const auto r = importFolder(music);

    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.added, TreeSongs);
    EXPECT_EQ(songCount(), TreeSongs); // the link loop added nothing twice
    const auto all = songs();
    EXPECT_EQ(all.size(), TreeSongs);
    for (const QString &p : all.keys())
        EXPECT_FALSE(p.contains("/loop/") || p.contains(".hidden") || p.endsWith(".txt") || p.endsWith(".y.mp3")) << p.toStdString();

    const QVariantMap a = all.value(music + "a.mp3");
    EXPECT_EQ(a.value("PathName").toString(), music);
    EXPECT_EQ(a.value("FileName").toString(), "a.mp3");
    EXPECT_EQ(a.value("FileType").toString(), "MP3");
    EXPECT_EQ(a.value("SongName").toString(), QString::fromUtf8("Żółw tańczy"));
    EXPECT_EQ(a.value("Artist").toString(), QString::fromUtf8("Sigrún Ødegård"));
    EXPECT_EQ(a.value("AlbumName").toString(), QString::fromUtf8("Café 東京"));
    const qint64 bytes = QFileInfo(music + "a.mp3").size();
    EXPECT_DOUBLE_EQ(a.value("FileSizeNum").toDouble(), double(bytes) / 1048576.0);
    EXPECT_EQ(a.value("FileSize").toString(), platform::shell::sizeText(bytes));
    EXPECT_TRUE(a.value("DateUpdated").toDateTime().isValid());
    const QString bitRate = a.value("bitRate").toString();
    EXPECT_TRUE(bitRate.isEmpty() || import::leadingNumber(bitRate) >= 99 || bitRate.startsWith(QLatin1Char('0'))) << bitRate.toStdString();

    const QVariantMap upper = all.value(music + "Track.MP3");
    EXPECT_EQ(upper.value("FileType").toString(), "MP3");
    EXPECT_EQ(upper.value("SongName").toString(), "Track.MP3"); // untagged: the file name
    EXPECT_EQ(upper.value("Artist").toString(), "Unknown");

    // Damaged files are stored with what could be read.
    EXPECT_EQ(all.value(music + "empty.mp3").value("SongName").toString(), "empty.mp3");
    EXPECT_EQ(all.value(music + "empty.mp3").value("Duration").toString(), "");  // no length, not 00:00:00
    EXPECT_EQ(all.value(music + "damaged.flac").value("Duration").toString(), "");
    EXPECT_EQ(all.value(music + "damaged.flac").value("FileType").toString(), "FLAC");
    EXPECT_EQ(all.value(music + "flac").value("FileType").toString(), "FLAC");

    EXPECT_EQ(all.value(music + "sub/b.flac").value("Artist").toString(), QString::fromUtf8("Sigrún Ødegård"));
    EXPECT_EQ(all.value(music + "sub/deeper/d.m4a").value("FileType").toString(), "M4A");
    EXPECT_EQ(all.value(music + "sub/deeper/e.wav").value("PathName").toString(), music + "sub/deeper/");

    ASSERT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(TreeSongs, 0))) << prompts.lastMessage().toStdString();
    EXPECT_EQ(prompts.lastAsked()->title, "Done");
}

TEST_F(ImportTreeTest, SecondImportAddsNothingAndCountsEverySongAsPresent) {
    makeTree();
    importFolder(music);
    prompts.clear();

    const auto r = importFolder(music);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.present, TreeSongs);
    EXPECT_EQ(songCount(), TreeSongs);
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(0, TreeSongs)));
}

TEST_F(ImportTreeTest, FileCataloguedBeforeIsCountedNotAdded) {
    put("id3v24-utf8.mp3", "a.mp3");
    put("untagged.mp3", "b.mp3");
    core::g().Db->execute(QStringLiteral("Insert Into tblContacts (PathName, FileName, SongName) Values ('%1', 'a.mp3', 'mine')").arg(music));

    const auto r = importFolder(music);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(songs().value(music + "a.mp3").value("SongName").toString(), "mine");
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(1, 1)));
}

TEST_F(ImportTreeTest, EndsWithMainWindowShownAndAllSongsInTheGrid) {
    makeTree();
    importFolder(music);
    EXPECT_EQ(host.visibility, (QList<bool>{false, true}));
    EXPECT_EQ(host.showAll, 1);
    EXPECT_EQ(host.songsAtShowAll, TreeSongs);
    EXPECT_EQ(host.artistButton, 1);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));
    EXPECT_FALSE(core::g().CancelScan);
    EXPECT_EQ(core::g().LastCopyFolder, music);
    EXPECT_FALSE(core::g().Db->inTransaction());
}

TEST_F(ImportTreeTest, WhileItRunsTheFolderScanWindowShowsTheScanItsCountsAndItsBarUnderTheNormalPointer) {
    for (int i = 0; i < 24; ++i)
        put("untagged.mp3", QStringLiteral("f%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
    QStringList seen;
    host.yield = [&] {
        auto *f = ui::findForm<import::ScanFolderForm>();
        if (!f || !seen.isEmpty() || f->lblRecsRead->text() != QLatin1String("20"))
            return;
        seen << f->windowTitle() << f->Msg->text() << f->Msg->font().family()
             << QString::number(f->Msg->font().pointSize()) << f->lblRecsReadLabel->text() << f->lblRecsRead->text()
             << f->lblRecsAddedLabel->text() << f->lblRecsAdded->text() << QString::number(f->label1Width());
        EXPECT_TRUE(f->isVisible());
        EXPECT_TRUE(f->Frame1->isVisible() && f->Label1->isVisible());
        // The Cancel button must not look busy.
        EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
    };
    importFolder(music);
    // The bar: 20 of the 24 items the listing announced, of its full 6300 twips.
    EXPECT_EQ(seen, (QStringList{"Add a Folder of Music Files", "Scanning in progress...\nPlease wait...", "Arial",
                                 "20", "Files read:", "20", "Songs found:", "10", "5250"}));
}

TEST_F(ImportTreeTest, EmptyTreeReportsZeroes) {
    putText("readme.txt");
    const auto r = importFolder(music);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.read, 1);
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(0, 0)));
}

TEST_F(ImportTreeTest, LongPathIsStoredWholeSoTheNextImportFindsIt) {
    QString deep;
    while (deep.size() < 300)
        deep += QStringLiteral("a-rather-long-folder-name-for-music/");
    put("id3v24-utf8.mp3", deep + "song-with-a-long-name.mp3");

    importFolder(music);
    const auto all = songs();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all.first().value("PathName").toString(), music + deep);
    EXPECT_TRUE(QFileInfo::exists(all.firstKey()));

    importFolder(music);
    EXPECT_EQ(songCount(), 1);
    EXPECT_EQ(host.last.present, 1);
}

TEST_F(ImportTreeTest, NamesThatAreNotValidUtf8AreCountedAndShownInTheDoneBox) {
    // Latin-1 names, as an older system or a share mounted without UTF-8 writes them.
    QFile fixture(QStringLiteral(ORVALIS_TEST_DATA_DIR "/untagged.mp3"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray song = fixture.readAll();
    // Qt cannot name them, so the temporary folder's own removal would leave them behind.
    struct RawNames {
        QList<QByteArray> paths;
        ~RawNames() {
            for (auto it = paths.crbegin(); it != paths.crend(); ++it)
                it->endsWith('/') ? ::rmdir(it->constData()) : ::unlink(it->constData());
        }
    } made;
    const auto putRaw = [&](const QByteArray &relative) {
        const QByteArray path = QFile::encodeName(music) + relative;
        made.paths << path;
        if (relative.endsWith('/')) {
            ASSERT_EQ(::mkdir(path.constData(), 0755), 0);
            return;
        }
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, song.constData(), size_t(song.size())), song.size());
        ::close(fd);
    };
    put("id3v24-utf8.mp3", "a.mp3");
    put("untagged.mp3", QString::fromUtf8("Café.mp3")); // valid UTF-8: stored
    put("untagged.mp3", "sub/b.mp3");
    putRaw("Chanson \xe9t\xe9.mp3");
    putRaw("cover \xe9.jpg"); // no music: not counted
    putRaw("Caf\xe9/");
    putRaw("Caf\xe9/inside.mp3");
    putRaw("sub/d\xfc.flac");
    const QString skipped = QStringLiteral("Not added because their names are not valid UTF-8 (rename them to add "
                                           "them): ");
    struct Case {
        const char *what;
        QString fileName;
        bool drive;
        long added;
        QString text;
    };
    const Case cases[] = {
        {"folder tree", {}, false, 3,
         skipped + "2 music files, 1 folder with all it holds\r\n    Caf\\xE9/\r\n    Chanson \\xE9t\\xE9.mp3\r\n"
                   "    sub/d\\xFC.flac"},
        {"whole drive", {}, true, 3,
         skipped + "2 music files, 1 folder with all it holds\r\n    Caf\\xE9/\r\n    Chanson \\xE9t\\xE9.mp3\r\n"
                   "    sub/d\\xFC.flac"},
        {"one file", QString::fromUtf8(QByteArray("Chanson \xe9t\xe9.mp3")), false, 0,
         skipped + "1 music file\r\n    Chanson \\xE9t\\xE9.mp3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        core::g().Db->execute(QStringLiteral("Delete From tblContacts"));
        prompts.clear();
        const auto r = importFolder(music, c.fileName, c.drive);
        EXPECT_EQ(r.added, c.added);
        EXPECT_EQ(r.undecodableFiles + r.undecodableFolders, c.fileName.isEmpty() ? 3 : 1);
        EXPECT_EQ(prompts.lastAsked()->title, "Done");
        EXPECT_TRUE(prompts.lastMessage().startsWith(done(c.added, 0) + "\r\n" + c.text + "\r\n\r\nTotal elapsed time: "))
            << prompts.lastMessage().toStdString();
    }
    EXPECT_EQ(songCount(), 0); // the one file asked for could not be added
}

TEST_F(ImportTreeTest, RefusedRecordIsNotCountedAndTheScanGoesOn) {
    put("id3v24-utf8.mp3", "a.mp3");
    put("untagged.mp3", "b.mp3");
    put("untagged.mp3", "sub/c.mp3");
    char *error = nullptr;
    ASSERT_EQ(sqlite3_exec(core::g().Db->handle(),
                           "CREATE TRIGGER refuse BEFORE INSERT ON tblContacts WHEN NEW.FileName = 'b.mp3' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, &error),
              SQLITE_OK);

    const auto r = importFolder(music);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(songCount(), 2);
    EXPECT_TRUE(songs().contains(music + "sub/c.mp3"));
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(2, 0)));
}

TEST_F(ImportTreeTest, FolderThatVanishesOrCannotBeReadIsPassedOver) {
    put("untagged.mp3", "a/1.mp3");
    put("untagged.mp3", "b/2.mp3");
    put("untagged.mp3", "c/3.mp3");
    put("untagged.mp3", "z.mp3");
    const bool root = ::geteuid() == 0; // permissions do not stop root
    if (!root)
        QFile::setPermissions(music + "b", QFileDevice::Permissions());
    int yields = 0;
    host.yield = [&] {
        if (++yields == 1)
            QDir(music + "c").removeRecursively(); // gone between the walk and its turn
    };

    const auto r = importFolder(music);
    QFile::setPermissions(music + "b", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(songs().contains(music + "c/3.mp3"));
    EXPECT_TRUE(songs().contains(music + "a/1.mp3"));
    EXPECT_TRUE(songs().contains(music + "z.mp3"));
    EXPECT_EQ(songs().contains(music + "b/2.mp3"), root);
    EXPECT_EQ(r.added, root ? 3 : 2);
    EXPECT_FALSE(core::g().Db->inTransaction());
}

TEST_F(ImportTreeTest, CancelInAFolderKeepsWhatWasStoredThereAndBefore) {
    // music/ holds its two subfolders and 12 files (items 1-14), s1/ and s2/ 12 files each.
    for (int i = 0; i < 12; ++i) {
        put("untagged.mp3", QStringLiteral("f%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
        put("untagged.mp3", QStringLiteral("s1/f%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
        put("untagged.mp3", QStringLiteral("s2/f%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
    }
    host.yield = [] {
        auto *f = ui::findForm<import::ScanFolderForm>();
        if (f && f->lblRecsRead->text() == QLatin1String("20"))
            f->cmdCancel->click();
    };

    const auto r = importFolder(music);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.read, 20);
    EXPECT_EQ(songCount(), 12 + 6); // the 20th item (s1's 6th file) was still taken
    EXPECT_TRUE(prompts.messageTexts().isEmpty()); // no summary
    EXPECT_EQ(host.showAll, 1);
    EXPECT_TRUE(host.visible);
    EXPECT_FALSE(core::g().CancelScan);
    EXPECT_FALSE(core::g().Db->inTransaction());
    ui::flushUnloadedForms();
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));
}

TEST_F(ImportTreeTest, CancelWhileListingFoldersAddsNothing) {
    makeTree();
    // Closing the scan window as soon as it is shown: the walk stops at once.
    QTimer::singleShot(0, [] {
        if (auto *f = ui::findForm<import::ScanFolderForm>())
            f->close();
    });
    const auto r = importFolder(music);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(songCount(), 0);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(host.showAll, 1);
}

TEST_F(ImportTreeTest, OneFileModeAddsOnlyThatFileOfTheFolder) {
    put("id3v24-utf8.mp3", "a.mp3");
    put("untagged.mp3", "b.mp3");
    put("untagged.mp3", "sub/a.mp3");
    for (int i = 0; i < 8; ++i) // enough items for a progress write after the file was taken
        putText(QStringLiteral("z%1.txt").arg(i));
    QString title;
    host.yield = [&] {
        if (auto *f = ui::findForm<import::ScanFolderForm>())
            title = f->windowTitle();
    };
    const auto r = importFolder(music, "a.mp3");
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(songs().keys(), QStringList{music + "a.mp3"});
    EXPECT_EQ(title, "Add One Music File");
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(1, 0)));
    // The name is compared exactly.
    importFolder(music, "B.mp3");
    EXPECT_EQ(songCount(), 1);
}

TEST_F(ImportTreeTest, VolumeModeUsesTheDriveWindowAndLeavesItOpenWithExit) {
    makeTree();
    auto *drive = ui::form<import::ScanDriveForm>();
    drive->cmdExit->setText("Cancel");
    const auto r = importFolder(music, {}, true);
    EXPECT_EQ(r.added, TreeSongs);
    EXPECT_EQ(r.expected, 0);
    EXPECT_EQ(drive->lblRecsAddedLabel->text(), "Songs found:");
    EXPECT_EQ(drive->lblRecsReadLabel->text(), "Files read:");
    EXPECT_EQ(drive->cmdExit->text(), "Exit");
    EXPECT_TRUE(ui::isLoaded(drive));
    EXPECT_GE(drive->progressWidth(), 100);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));
    EXPECT_TRUE(prompts.lastMessage().startsWith(done(TreeSongs, 0)));
}

// ---- the small rules

TEST(ImportRules, AcceptedExtensionsAreJudgedByTheLastFourCharacters) {
    const std::pair<const char *, const char *> cases[] = {
        {"a.mp3", ".mp3"}, {"A.MP3", ".mp3"}, {"b.Flac", ".flac"}, {"xflac", ".flac"}, {"c.ogg", ".ogg"},
        {"d.mp4", ".mp4"}, {"e.aac", ".aac"},  {"f.wma", ".wma"},   {"g.wav", ".wav"},   {"h.m4a", ".m4a"},
        {"i.txt", ""},     {"mp3", ""},        {"j.mp3.bak", ""},   {"k.opus", ""}};
    for (const auto &[name, ext] : cases)
        EXPECT_EQ(import::acceptedExtension(QString::fromUtf8(name)), QString::fromUtf8(ext)) << name;
}

TEST(ImportRules, TypeTextGivesTheExtensionWhenNamesHideIt) {
    EXPECT_EQ(import::extensionFromTypeText("MP3 Format Sound", "/nowhere/", "Song"), ".mp3");
    EXPECT_EQ(import::extensionFromTypeText("MPEG-4 Audio", "/nowhere/", "Song"), ".m4a");
    EXPECT_EQ(import::extensionFromTypeText("Windows Media Audio file", "/nowhere/", "Song"), ".wma");
    EXPECT_EQ(import::extensionFromTypeText("Text Document", "/nowhere/", "Song"), "");
    EXPECT_EQ(import::extensionFromTypeText("Video clip", "/nowhere/", "Song"), "");
}

TEST(ImportRules, LeadingNumberAndBitRatePadding) {
    const std::pair<const char *, double> numbers[] = {{"96kbps", 96},  {" 1 28kbps", 128}, {"4.35 MB", 4.35},
                                                       {"1,234 KB", 1}, {"-2.5.1", -2.5},   {"kbps", 0},
                                                       {"", 0},         {"+7", 7}};
    for (const auto &[text, value] : numbers)
        EXPECT_DOUBLE_EQ(import::leadingNumber(QString::fromUtf8(text)), value) << text;

    EXPECT_EQ(import::finishedBitRate(QVariant()), "");
    EXPECT_EQ(import::finishedBitRate(QString("96kbps")), "096kbps");
    EXPECT_EQ(import::finishedBitRate(QString("98kbps")), "098kbps");
    EXPECT_EQ(import::finishedBitRate(QString("99kbps")), "99kbps");
    EXPECT_EQ(import::finishedBitRate(QString("128kbps")), "128kbps");
    EXPECT_EQ(import::finishedBitRate(QString("")), "");
}

TEST(ImportRules, DoneTextCountsAndElapsedTime) {
    EXPECT_EQ(import::doneText(3, 2, 1),
              "Number of songs added to database: 3\r\n"
              "Number of songs not added because they were already in database: 2\r\n\r\n"
              "Total elapsed time: 1 second (about 0 min.)\r\n\r\n"
              "After loading many songs, it is a good idea to choose Compact Database from the File menu.  "
              "This will remove unused space from your database file.");
    EXPECT_TRUE(import::doneText(0, 0, 61).contains("Total elapsed time: 61 seconds (about 1 min.)"));
    EXPECT_EQ(import::elapsedSeconds(86390, 5), 15); // past midnight
    EXPECT_EQ(import::elapsedSeconds(100, 161), 61);
    EXPECT_EQ(import::secondsSinceMidnight(QTime(0, 1, 2, 600)), 63);
}

TEST(ImportRules, ANameThatIsNotUtf8ShowsItsBadBytesAsEscapes) {
    const std::pair<QByteArray, const char *> names[] = {
        {"Caf\xe9", "Caf\\xE9"},
        {"Caf\xc3\xa9 \xe9", "Café \\xE9"},          // the valid part as characters
        {"\xf0\x9f\x8e\xb5\xf0\x9f\x8e", "🎵\\xF0\\x9F\\x8E"}, // a sequence cut short
        {"\xc0\xaf", "\\xC0\\xAF"},                  // an overlong "/"
        {"\xed\xa0\x80", "\\xED\\xA0\\x80"},         // a surrogate
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // above U+10FFFF
        {"two\nlines\x7f", "two\\x0Alines\\x7F"},   // control characters would break the box's lines
    };
    for (const auto &[bytes, shown] : names)
        EXPECT_EQ(import::escapedName(bytes), QString::fromUtf8(shown)) << shown;

    EXPECT_EQ(import::undecodableText(0, 0, {}), "");
    EXPECT_EQ(import::undecodableText(6, 1, {"1", "2", "3", "4", "5"}),
              "Not added because their names are not valid UTF-8 (rename them to add them): 6 music files, 1 folder "
              "with all it holds\r\n    1\r\n    2\r\n    3\r\n    4\r\n    5\r\n    ... and 2 more");
    EXPECT_TRUE(import::undecodableText(0, 2, {"a/", "b/"}).contains(": 2 folders with all they hold\r\n    a/\r\n"));
}
