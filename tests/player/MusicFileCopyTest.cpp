// Copying music files to a folder: the displayed songs (each file name once, never over a file
// already there), one song (overwrite question, refusal onto itself by any spelling, replace
// through a temporary name), and a play list's files; a failed copy keeps what was copied and
// gives the windows back.
#include "common/FatMount.h"
#include "common/FileSizeLimit.h"
#include "common/ScopedSystemCalls.h"
#include "PlayListFixture.h"

#include "core/FileError.h"
#include "core/MsgForm.h"
#include "platform/ui/MousePointer.h"
#include "player/MusicFileCopy.h"
#include "songlist/OtherWindows.h"
#include "core/StartFolders.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>
#include <unistd.h>

namespace ui = platform::ui;
using player::MusicFileCopy;

namespace {
QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class MusicFileCopyTest : public PlayListTest {
protected:
    void SetUp() override {
        PlayListTest::SetUp();
        MusicFileCopy::registerCommands();
        music = tmp.file(QStringLiteral("music")) + QLatin1Char('/');
        target = tmp.file(QStringLiteral("stick")) + QLatin1Char('/');
        QDir().mkpath(target);
    }
    void TearDown() override {
        songlist::OtherWindows::clear();
        PlayListTest::TearDown();
    }
    // A catalogue song whose file lies in music/<folder>/ with `bytes` (no file for null bytes).
    void song(const QString &name, const QString &folder, const QString &fileName, const QByteArray &bytes) {
        const QString path = music + folder + QLatin1Char('/');
        if (!bytes.isNull())
            testenv::writeFile(path + fileName, bytes);
        addSong({{"SongName", name}, {"PathName", path}, {"FileName", fileName}});
    }
    long copied() const { return QDir(target).entryList(QDir::Files).size(); }

    QString music, target;
};

// ---------------------------------------------------------------- the displayed songs

TEST_F(MusicFileCopyTest, DisplayedSongsCopyEachFileNameOnceAndNeverReplace) {
    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("same.mp3"), "first");
    song(QStringLiteral("B"), QStringLiteral("two"), QStringLiteral("same.mp3"), "second");
    song(QStringLiteral("C"), QStringLiteral("three"), QStringLiteral("same.mp3"), "third");
    song(QStringLiteral("D"), QStringLiteral("one"), QStringLiteral("gone.mp3"), QByteArray());
    song(QStringLiteral("E"), QStringLiteral("one"), QStringLiteral("kept #1 \"é\".flac"), "new");
    song(QStringLiteral("F"), QStringLiteral("one"), QStringLiteral("there.mp3"), "new");
    testenv::writeFile(target + QStringLiteral("there.mp3"), "already");
    open();
    prompts.clear();
    prompts.answerFolder(target);
    prompts.answer(ui::Answer::Yes);
    w->mnuFileCopy_Click();

    ASSERT_EQ(prompts.asked().size(), 3);
    EXPECT_EQ(prompts.asked()[0].folder.prompt, QStringLiteral("Select a Folder"));
    EXPECT_EQ(prompts.asked()[0].folder.caption, QStringLiteral("Copy Music Files"));
    EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("Confirmation.  Number of files to copy: 6"));
    EXPECT_EQ(prompts.asked()[1].text, QStringLiteral("This will copy all 6 files displayed on the Grid to:\r\n") +
                                           target +
                                           QStringLiteral(" except any duplicate file names will only be copied "
                                                          "once.\r\n\r\nProceed?"));
    EXPECT_EQ(prompts.asked()[2].title, QStringLiteral("Done"));
    EXPECT_EQ(prompts.asked()[2].text, QStringLiteral("Number of files copied to folder\r\n") + target +
                                           QStringLiteral(" = 2"));
    EXPECT_EQ(readAll(target + QStringLiteral("there.mp3")), QByteArray("already"));
    EXPECT_EQ(readAll(target + QStringLiteral("kept #1 \"é\".flac")), QByteArray("new"));
    EXPECT_EQ(copied(), 3);
    EXPECT_EQ(core::g().LastCopyFolder, target);
    EXPECT_EQ(ui::findForm<core::MsgForm>(), nullptr);
}

TEST_F(MusicFileCopyTest, NoCancelAndAnEmptyGrid) {
    open();
    prompts.clear();
    w->mnuFileCopy_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No files to copy"));

    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("a.mp3"), "a");
    w->ShowAllMenu_Click();
    prompts.clear();
    const QString before = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    core::g().ProgramFolderOverride = tmp.file(QStringLiteral("elsewhere"));
    w->mnuFileCopy_Click();  // the folder choice cancelled: silent
    QDir::setCurrent(before);
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(core::g().LastCopyFolder, core::StartFolders::music()); // not the process's folder

    prompts.answerFolder(target);
    prompts.answer(ui::Answer::No);
    w->mnuFileCopy_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Number of files copied to folder\r\n") + target +
                                         QStringLiteral(" = 0"));
    EXPECT_EQ(copied(), 0);
}

TEST_F(MusicFileCopyTest, AFullTargetStopsWithTheReasonAndKeepsWhatWasCopied) {
    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("a.mp3"), "small");
    song(QStringLiteral("B"), QStringLiteral("one"), QStringLiteral("b.mp3"), QByteArray(64 * 1024, 'x'));
    open();
    prompts.clear();
    prompts.answerFolder(target);
    prompts.answer(ui::Answer::Yes);
    {
        FileSizeLimit full(16 * 1024);
        w->mnuFileCopy_Click();
    }
    // The cause, the file, and how many files the folder got before the copy stopped.
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Could not copy \"b.mp3\" to \"") + target +
                                         QStringLiteral("b.mp3\": the disk is full\r\n\r\n"
                                                        "Number of files copied to folder\r\n") +
                                         target + QStringLiteral(" = 1"));
    EXPECT_EQ(readAll(target + QStringLiteral("a.mp3")), QByteArray("small"));
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.mp3")});
    EXPECT_EQ(ui::findForm<core::MsgForm>(), nullptr);
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

// ---------------------------------------------------------------- one song

TEST_F(MusicFileCopyTest, OneSongAsksBeforeReplacingAndReplacesWhole) {
    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("a.mp3"), "fresh");
    open();
    prompts.clear();
    prompts.answerFolder(target);
    w->mnuPopupCopyFile_Click();
    EXPECT_EQ(prompts.asked()[0].folder.prompt, QStringLiteral("Select Destination Folder"));
    EXPECT_EQ(prompts.asked()[0].folder.caption, QStringLiteral("Copy to:"));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File Copied"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("File \"a.mp3\"\r\ncopied to folder\r\n") + target);

    testenv::writeFile(target + QStringLiteral("a.mp3"), "older and longer");
    prompts.clear();
    prompts.answerFolder(target);
    prompts.answer(ui::Answer::No);
    w->mnuPopupCopyFile_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Replace existing file?"));
    EXPECT_EQ(prompts.lastAsked()->defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Copying to selected folder:\r\n") + target +
                                         QStringLiteral("\r\nA file with the same name already exists in the "
                                                        "selected folder.\r\nOverwrite?"));
    EXPECT_EQ(readAll(target + QStringLiteral("a.mp3")), QByteArray("older and longer"));

    prompts.answerFolder(target);
    prompts.answer(ui::Answer::Yes);
    w->mnuPopupCopyFile_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File Copied"));
    EXPECT_EQ(readAll(target + QStringLiteral("a.mp3")), QByteArray("fresh"));
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(MusicFileCopyTest, AFailedReplaceKeepsTheOldFileWhole) {
    for (const int size : {8 * 1024, 3 * 1024 * 1024}) {  // through the write buffer, and past it
        testenv::writeFile(music + QStringLiteral("big.mp3"), QByteArray(size, 'n'));
        testenv::writeFile(target + QStringLiteral("big.mp3"), "old");
        {
            FileSizeLimit full(4 * 1024);
            EXPECT_THROW(MusicFileCopy::copyReplacing(music + QStringLiteral("big.mp3"), target + QStringLiteral("big.mp3")),
                         core::FileError);
        }
        EXPECT_EQ(readAll(target + QStringLiteral("big.mp3")), QByteArray("old"));
        EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST_F(MusicFileCopyTest, OneSongIsNeverCopiedOntoItselfByAnySpelling) {
    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("a.mp3"), "the only copy");
    const QString link = tmp.file(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(music + QStringLiteral("one"), link));
    open();
    for (const QString &folder : {music + QStringLiteral("one/"), link + QLatin1Char('/'),
                                  music + QStringLiteral("./one/")}) {
        prompts.clear();
        prompts.answerFolder(folder);
        prompts.answer(ui::Answer::Yes);
        w->mnuPopupCopyFile_Click();
        EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("Replace existing file?")) << folder.toStdString();
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Source and destination folders are the same")) << folder.toStdString();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("File can not be copied onto itself."));
        EXPECT_EQ(readAll(music + QStringLiteral("one/a.mp3")), QByteArray("the only copy")) << folder.toStdString();
    }
}

TEST_F(MusicFileCopyTest, OneSongWithoutItsFileSaysSo) {
    song(QStringLiteral("A"), QStringLiteral("one"), QStringLiteral("gone.mp3"), QByteArray());
    open();
    prompts.clear();
    w->mnuPopupCopyFile_Click();
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File does not exist"));
    EXPECT_EQ(prompts.lastMessage(),
              QStringLiteral("File not found to copy.  It may have been moved or deleted since last cataloged."));
}

// ---------------------------------------------------------------- a play list

TEST_F(MusicFileCopyTest, PlayListCopiesInTrackOrderOnceByName) {
    testenv::writeFile(music + QStringLiteral("x/song.mp3"), "x");
    testenv::writeFile(music + QStringLiteral("y/song.mp3"), "y");
    const long id = addList(QStringLiteral("Trip"));
    const QStringList files{music + QStringLiteral("y/song.mp3"), QString(), music + QStringLiteral("x/song.mp3"),
                            music + QStringLiteral("missing.mp3")};
    for (int i = 0; i < files.size(); ++i)
        db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, FileName) "
                                    "Values (?, ?, 'T', ?)"),
                     {qlonglong(id), qlonglong(i + 1), files[i].isEmpty() ? QVariant() : QVariant(files[i])});
    openPlayLists();
    w->show();
    pl->show();
    chooseList(QStringLiteral("Trip"));
    prompts.clear();
    prompts.answerFolder(target);
    pl->mnuFileCopyMusic_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Done"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Number of files copied to folder\r\n") + target +
                                         QStringLiteral(" = 1"));
    EXPECT_EQ(readAll(target + QStringLiteral("song.mp3")), QByteArray("y"));
    EXPECT_TRUE(w->isVisible() && pl->isVisible());

    // A failure part way: the windows show again and the progress window is gone.
    QFile::remove(target + QStringLiteral("song.mp3"));
    testenv::writeFile(music + QStringLiteral("y/song.mp3"), QByteArray(64 * 1024, 'y'));
    prompts.clear();
    prompts.answerFolder(target);
    {
        FileSizeLimit full(16 * 1024);
        pl->mnuFileCopyMusic_Click();
    }
    EXPECT_TRUE(prompts.lastMessage().contains(QStringLiteral("song.mp3"))) << prompts.lastMessage().toStdString();
    EXPECT_TRUE(w->isVisible() && pl->isVisible());
    EXPECT_EQ(ui::findForm<core::MsgForm>(), nullptr);
    EXPECT_EQ(copied(), 0);
}

// ---------------------------------------------------------------- a copy cut by a kill

// The copy goes on until this many bytes are copied; the program is then killed.
struct KillAt {
    static inline off64_t bytes = 0;
    static inline off64_t copied = 0;
};

TEST_F(MusicFileCopyTest, ACopyKilledInTheMiddleOfAFileLeavesNoCutSongAndTheNextCopyMakesItWhole) {
    QByteArray big;
    for (int i = 0; i < (4 << 20) / 4; ++i)
        big.append(reinterpret_cast<const char *>(&i), 4);
    const QStringList names{QStringLiteral("a.mp3"), QStringLiteral("big.mp3"), QStringLiteral("c.mp3")};
    const long id = addList(QStringLiteral("Trip"));
    for (int i = 0; i < names.size(); ++i) {
        song(names[i], QStringLiteral("one"), names[i], names[i] == QLatin1String("big.mp3") ? big : names[i].toUtf8());
        db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, FileName) "
                                    "Values (?, ?, 'T', ?)"),
                     {qlonglong(id), qlonglong(i + 1), music + QStringLiteral("one/") + names[i]});
    }
    openPlayLists();
    w->show();
    pl->show();
    chooseList(QStringLiteral("Trip"));
    // The usual stick: FAT, with neither the no-replace rename nor hard links.
    testenv::FatMount fat(tmp.path(), 64 << 20);
    const QString stick = fat.path() + QStringLiteral("/");
    QString into;
    const auto playList = [&] {
        prompts.answerFolder(into);
        pl->mnuFileCopyMusic_Click();
    };
    const auto displayed = [&] {
        prompts.answerFolder(into);
        prompts.answer(ui::Answer::Yes);
        w->mnuFileCopy_Click();
    };
    struct Case {
        const char *what;
        QString folder;
        std::function<void()> copy;
    };
    std::vector<Case> cases{{"play list", target, playList}, {"displayed songs", target, displayed}};
    if (fat.mounted())
        cases.push_back({"play list onto a FAT stick", stick, playList});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        into = c.folder;
        for (const QString &name : QDir(into).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(into + name);
        // Killed when 2 MB of the large file are copied, in a child process: by the kernel, or
        // (between file systems) in pieces read and written.
        const auto killedInTheMiddle = [&] {
            ScopedSystemCalls calls;
            KillAt::bytes = 2 << 20;
            calls->copy_file_range = [](int in, off64_t *inAt, int out, off64_t *outAt, size_t n, unsigned flags) {
                if (KillAt::copied >= KillAt::bytes)
                    ::raise(SIGKILL);
                const ssize_t done = ::copy_file_range(in, inAt, out, outAt, std::min(n, size_t(1) << 20), flags);
                KillAt::copied += std::max<ssize_t>(done, 0);
                return done;
            };
            calls->write = [](int fd, const void *bytes, size_t n) {
                if (KillAt::copied >= KillAt::bytes)
                    ::raise(SIGKILL);
                const ssize_t done = ::write(fd, bytes, n);
                KillAt::copied += std::max<ssize_t>(done, 0);
                return done;
            };
            c.copy();
        };
        EXPECT_EXIT(killedInTheMiddle(), ::testing::KilledBySignal(SIGKILL), "");

        // Under a real name only whole songs; the cut one lies under a hidden temporary name.
        EXPECT_EQ(QDir(into).entryList(QDir::Files), QStringList{QStringLiteral("a.mp3")});
        EXPECT_EQ(readAll(into + QStringLiteral("a.mp3")), QByteArray("a.mp3"));
        const QStringList left = QDir(into).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(left.size(), 2) << left.join(u' ').toStdString();
        EXPECT_TRUE(core::NoReplaceFiles::isCutCopyName(left[0])) << left[0].toStdString();
        EXPECT_EQ(QFileInfo(into + left[0]).size(), 2 << 20);

        // Copied again: the cut song arrives whole and what the kill left goes.
        prompts.clear();
        c.copy();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Number of files copied to folder\r\n") + into +
                                             QStringLiteral(" = 2"));
        EXPECT_EQ(readAll(into + QStringLiteral("big.mp3")), big);
        EXPECT_EQ(readAll(into + QStringLiteral("c.mp3")), QByteArray("c.mp3"));
        EXPECT_EQ(QDir(into).entryList(QDir::Files | QDir::Hidden), names);
    }
    if (!fat.mounted())
        GTEST_SKIP() << "no FAT file system: " << fat.whyNot().toStdString();
}

TEST_F(MusicFileCopyTest, EmptyPlayListHasNoFilesToCopy) {
    addList(QStringLiteral("Empty"));
    openPlayLists();
    chooseList(QStringLiteral("Empty"));
    prompts.clear();
    pl->mnuFileCopyMusic_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{QStringLiteral("No files to copy")});
}
