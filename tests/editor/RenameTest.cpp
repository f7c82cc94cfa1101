// The save's rename or move of a song's music file: the file and only its own play-list tracks
// follow; a file already at the new path (a link or its target included), renaming switched
// off, a new record and a later refusal leave the disk alone; a failed write puts the file
// back; a save stopped between the move and the commit is finished at the next start; other
// songs of the same file follow it only when the user says so.
#include "EditorFixture.h"

#include "common/FatMount.h"

#include "core/FileError.h"
#include "core/PendingFileMoves.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "editor/SaveCommand.h"
#include "editor/SongFileMove.h"
#include "platform/db/Database.h"
#include "common/FatMount.h"
#include "common/ScopedSystemCalls.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using editor::NameEdit;
using editor::SaveCommand;
using editor::SongFileMove;
namespace ui = platform::ui;

namespace {

class RenameTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        full = idOf(QStringLiteral("Full Song"));
        old = music + QStringLiteral("full.mp3");
        auto &db = *core::g().Db;
        db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values ('L')"));
        const QString tracks[] = {old, old, music + QStringLiteral("other.mp3")};
        int n = 0;
        for (const QString &t : tracks)
            db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, FileName) Values (1, ?, ?)"),
                       {++n, t});
    }
    long tracksAt(const QString &path) {
        return core::g().Db->openRecordset(QStringLiteral("Select count(*) from tblPlayListDetail Where FileName = ?"), {path})
            ->value(0)
            .toLongLong();
    }
    QString stored(const char *f) { return field(full, QString::fromLatin1(f)).toString(); }
    void storeAt(long id, const QString &folder, const QString &name) {
        core::g().Db->execute(QStringLiteral("Update tblContacts Set PathName=?, FileName=? Where RecordID=?"),
                              {folder, name, qint64(id)});
    }
    // Renames the stored song in the editor and saves with the Save button's road.
    bool renameTo(const QString &folder, const QString &name) {
        edit(full);
        NameEdit::setBoxText(e->txtPathName, folder);
        NameEdit::setBoxText(e->txtFileName, name);
        return e->cmdSave_Click();
    }
    static QByteArray bytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    long full = 0;
    QString old;
};

TEST_F(RenameTest, ARenameOrMoveTakesTheFileAndItsOwnTracksAlong) {
    const QString moved = music + QStringLiteral("sub \"q\"/");
    QDir().mkpath(moved);
    struct Case {
        QString folder, name;
    };
    const Case cases[] = {{music, QStringLiteral("renamed.mp3")}, {moved, QStringLiteral("renamed.mp3")}};
    QString from = old;
    for (const Case &c : cases) {
        edit(full);
        NameEdit::setBoxText(e->txtPathName, c.folder);
        NameEdit::setBoxText(e->txtFileName, c.name);
        ASSERT_TRUE(e->cmdSave_Click());
        const QString to = c.folder + c.name;
        EXPECT_FALSE(QFile::exists(from));
        EXPECT_TRUE(QFile::exists(to));
        EXPECT_EQ(tracksAt(to), 2);
        EXPECT_EQ(tracksAt(from), 0);
        EXPECT_EQ(stored("PathName"), c.folder);
        EXPECT_EQ(stored("FileName"), c.name);
        from = to;
    }
    EXPECT_EQ(tracksAt(music + QStringLiteral("other.mp3")), 1);
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(RenameTest, AFileAlreadyAtTheNewPathRefusesTheSave) {
    testenv::writeFile(music + QStringLiteral("taken.mp3"), "other song");
    edit(full);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("taken.mp3"));
    EXPECT_FALSE(e->cmdSave_Click());
    EXPECT_EQ(lastBox().text, QStringLiteral("The file \"%1taken.mp3\" already exists.  This song's file was not renamed "
                                             "or moved.\r\nTo point this song at that file, turn off file renaming in "
                                             "the Options menu, then save.")
                                  .arg(music));
    EXPECT_EQ(lastBox().title, QStringLiteral("File already exists"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(e->focusWidget(), e->txtFileName);
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_EQ(QFileInfo(music + QStringLiteral("taken.mp3")).size(), 10);
    EXPECT_EQ(stored("FileName"), QStringLiteral("full.mp3"));
    EXPECT_EQ(tracksAt(old), 2);
}

TEST_F(RenameTest, TheSameFileUnderAnotherSpellingIsNoClash) {
    // A linked folder: the new path names the very file, so the save goes on and stores it.
    const QString link = tmp.path() + QStringLiteral("/linked");
    ASSERT_TRUE(QFile::link(music.chopped(1), link));
    EXPECT_TRUE(mCommon::SameFile(old, link + QStringLiteral("/full.mp3")));
    EXPECT_FALSE(mCommon::SameFile(old, music + QStringLiteral("missing.mp3")));
    EXPECT_FALSE(mCommon::SameFile(QString(), old));
    edit(full);
    NameEdit::setBoxText(e->txtPathName, link + QLatin1Char('/'));
    ASSERT_TRUE(e->cmdSave_Click());
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_EQ(stored("PathName"), link + QLatin1Char('/'));
    EXPECT_EQ(tracksAt(link + QStringLiteral("/full.mp3")), 2);
}

TEST_F(RenameTest, AHardLinkIsOneEntryAndRenamesAsAnotherSpelling) {
    const QString hard = music + QStringLiteral("hard.mp3");
    ASSERT_EQ(::link(QFile::encodeName(old).constData(), QFile::encodeName(hard).constData()), 0);
    EXPECT_TRUE(mCommon::SameEntry(old, hard));
    ASSERT_TRUE(renameTo(music, QStringLiteral("hard.mp3")));
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(bytes(hard), QByteArray("ID3"));
    EXPECT_EQ(stored("FileName"), QStringLiteral("hard.mp3"));
    EXPECT_EQ(tracksAt(hard), 2);
}

TEST_F(RenameTest, ALinkAndItsTargetAreTwoEntriesAndNeitherIsReplaced) {
    // The music lies in real.mp3; link.mp3 points at it (relatively, or absolutely from
    // another folder). Renaming either onto the other once left a link to itself.
    const QString other = music + QStringLiteral("other/");
    QDir().mkpath(other);
    const QString real = music + QStringLiteral("real.mp3");
    testenv::writeFile(real, "MUSIC");
    ASSERT_TRUE(QFile::link(QStringLiteral("real.mp3"), music + QStringLiteral("link.mp3")));
    ASSERT_TRUE(QFile::link(real, other + QStringLiteral("real.mp3")));
    EXPECT_TRUE(mCommon::SameFile(real, music + QStringLiteral("link.mp3")));
    EXPECT_FALSE(mCommon::SameEntry(real, music + QStringLiteral("link.mp3")));
    struct Case {
        const char *what;
        QString storedFolder, storedName, folder, name;
    };
    const Case cases[] = {
        {"link renamed to its target's name", music, QStringLiteral("link.mp3"), music, QStringLiteral("real.mp3")},
        {"target renamed to its link's name", music, QStringLiteral("real.mp3"), music, QStringLiteral("link.mp3")},
        {"absolute link moved to its target's folder", other, QStringLiteral("real.mp3"), music,
         QStringLiteral("real.mp3")},
        {"target moved to its link's folder", music, QStringLiteral("real.mp3"), other, QStringLiteral("real.mp3")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        storeAt(full, c.storedFolder, c.storedName);
        prompts.clear();
        EXPECT_FALSE(renameTo(c.folder, c.name));
        EXPECT_EQ(lastBox().title, QStringLiteral("File already exists"));
        EXPECT_EQ(stored("FileName"), c.storedName);
        EXPECT_EQ(stored("PathName"), c.storedFolder);
        EXPECT_FALSE(QFileInfo(real).isSymLink());
        EXPECT_EQ(bytes(real), QByteArray("MUSIC"));
        EXPECT_EQ(QFileInfo(music + QStringLiteral("link.mp3")).symLinkTarget(), real);
        EXPECT_EQ(QFileInfo(other + QStringLiteral("real.mp3")).symLinkTarget(), real);
        EXPECT_TRUE(core::PendingFileMoves::recorded().isEmpty());
        closeEditor();
    }
    // The move itself refuses too, should anything call it past the save's check; so does a
    // link to nothing.
    ASSERT_TRUE(QFile::link(music + QStringLiteral("gone.mp3"), music + QStringLiteral("dangling.mp3")));
    for (const QString &to : {music + QStringLiteral("link.mp3"), music + QStringLiteral("dangling.mp3")}) {
        try {
            SongFileMove::move(real, to);
            ADD_FAILURE() << "replaced " << to.toStdString();
        } catch (const core::FileError &err) {
            EXPECT_EQ(err.number(), 58);
        }
    }
    EXPECT_EQ(bytes(real), QByteArray("MUSIC"));
}

TEST_F(RenameTest, ALetterCaseRenameOnACaseBlindMountRenamesTheFile) {
    testenv::FatMount fat(tmp.path());
    if (!fat.mounted())
        GTEST_SKIP() << "no FAT file system: " << fat.whyNot().toStdString();
    const QString mount = fat.path();
    const QString folder = mount + QLatin1Char('/');
    testenv::writeFile(folder + QStringLiteral("Song.mp3"), "FAT");
    storeAt(full, folder, QStringLiteral("Song.mp3"));
    ASSERT_TRUE(mCommon::SameEntry(folder + QStringLiteral("Song.mp3"), folder + QStringLiteral("song.mp3")));
    ASSERT_TRUE(renameTo(folder, QStringLiteral("song.mp3")));
    EXPECT_EQ(QDir(mount).entryList(QDir::Files), QStringList{QStringLiteral("song.mp3")});
    EXPECT_EQ(bytes(folder + QStringLiteral("song.mp3")), QByteArray("FAT"));
    EXPECT_EQ(stored("FileName"), QStringLiteral("song.mp3"));
}

TEST_F(RenameTest, ANameWithCharactersLegalHereMovesToAnotherFolder) {
    const QString name = QStringLiteral("What's Up? Live: Tokyo.mp3"), sub = music + QStringLiteral("sub\\dir/");
    QDir().mkpath(sub);
    QFile::rename(old, music + name);
    storeAt(full, music, name);
    old = music + name;
    core::g().Db->execute(QStringLiteral("Update tblPlayListDetail Set FileName=? Where FileName=?"),
                          {old, music + QStringLiteral("full.mp3")});
    // Leaving the unchanged box asks nothing.
    edit(full);
    bool Cancel = false;
    e->txtFileName_Validate(Cancel);
    EXPECT_FALSE(Cancel);
    EXPECT_TRUE(prompts.asked().isEmpty());
    closeEditor();
    ASSERT_TRUE(renameTo(sub, name));
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_TRUE(QFile::exists(sub + name));
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_EQ(stored("PathName"), sub);
    EXPECT_EQ(tracksAt(sub + name), 2);
}

TEST_F(RenameTest, ARenameOfAMissingFileSaysSoAndSavesTheNewName) {
    QFile::remove(old);
    ASSERT_TRUE(renameTo(music, QStringLiteral("renamed.mp3")));
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(lastBox().text, QStringLiteral("The music file \"%1\" was not found, so nothing was renamed or moved on "
                                             "disk.  The song was saved with its new file name and folder.")
                                  .arg(old));
    EXPECT_EQ(lastBox().title, QStringLiteral("File not found"));
    EXPECT_EQ(stored("FileName"), QStringLiteral("renamed.mp3"));
    EXPECT_FALSE(QFile::exists(music + QStringLiteral("renamed.mp3")));
    EXPECT_EQ(tracksAt(old), 2); // the tracks follow a file, and none moved
}

TEST_F(RenameTest, OtherSongsOfTheFileFollowItOnlyWhenTheUserSaysSo) {
    // A song added from the template shares the template's file.
    core::SettingsRows::write(QStringLiteral("TEMPLATE RecordID"), QString::number(full));
    core::g().TemplateRecordId = full;
    edit(idOf(QStringLiteral("Plain Two")));
    e->cmdAddNew_Click();
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("From Template"));
    ASSERT_TRUE(e->cmdSave_Click());
    const long copy = idOf(QStringLiteral("From Template"));
    ASSERT_EQ(field(copy, QStringLiteral("FileName")).toString(), QStringLiteral("full.mp3"));
    // Another letter case names another file here: not counted.
    addSong({{"SongName", QStringLiteral("Capitals")}, {"PathName", music}, {"FileName", QStringLiteral("FULL.mp3")}});
    EXPECT_EQ(SaveCommand::otherSongsText(1), QStringLiteral("1 other song uses this file."));
    EXPECT_EQ(SaveCommand::otherSongsText(2), QStringLiteral("2 other songs use this file."));

    struct Case {
        ui::Answer answer;
        bool saved;
        const char *songFile, *copyFile;
    };
    const Case cases[] = {
        {ui::Answer::Cancel, false, "full.mp3", "full.mp3"},
        {ui::Answer::Yes, true, "both.mp3", "both.mp3"},
        {ui::Answer::No, true, "mine.mp3", "both.mp3"},
    };
    const char *name[] = {"cancelled.mp3", "both.mp3", "mine.mp3"};
    int i = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(name[i]);
        prompts.clear();
        prompts.answer(c.answer);
        EXPECT_EQ(renameTo(music, QString::fromLatin1(name[i++])), c.saved);
        EXPECT_EQ(lastBox().text, QStringLiteral("1 other song uses this file.\r\n\r\nPoint them at the new name as "
                                                 "well?  Press No to rename the file for this song only, or Cancel "
                                                 "to go back without saving."));
        EXPECT_EQ(lastBox().title, QStringLiteral("File used by other songs"));
        EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNoCancel);
        EXPECT_EQ(stored("FileName"), QString::fromLatin1(c.songFile));
        EXPECT_EQ(field(copy, QStringLiteral("FileName")).toString(), QString::fromLatin1(c.copyFile));
        EXPECT_TRUE(QFile::exists(music + QString::fromLatin1(c.songFile)));
        EXPECT_EQ(field(idOf(QStringLiteral("Capitals")), QStringLiteral("FileName")).toString(),
                  QStringLiteral("FULL.mp3"));
        if (editorLoaded())
            closeEditor();
    }
    EXPECT_TRUE(core::PendingFileMoves::recorded().isEmpty());
}

TEST_F(RenameTest, ACatalogueThatCannotBeWrittenRefusesTheSaveBeforeTheDiskIsTouched) {
    edit(full);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("renamed.mp3"));
    // Another program holds the catalogue's write lock for the whole save.
    auto other = platform::db::Database::open(core::g().Db->path());
    other->beginTrans();
    other->execute(QStringLiteral("Insert Into tblSettings (Type, Name) Values ('X', 'Y')"));
    core::g().Db->setLockWait([](int) { return false; });
    bool moved = false;
    SaveCommand::afterFileMovedHook() = [&moved] { moved = true; };
    EXPECT_FALSE(e->cmdSave_Click());
    SaveCommand::afterFileMovedHook() = nullptr;
    EXPECT_FALSE(moved); // refused before the move, not undone after it
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_FALSE(QFile::exists(music + QStringLiteral("renamed.mp3")));
    other->rollback();
    core::g().Db->setLockWait({});
    EXPECT_EQ(stored("FileName"), QStringLiteral("full.mp3"));
    EXPECT_TRUE(core::PendingFileMoves::recorded().isEmpty());
}

TEST_F(RenameTest, ASaveStoppedAfterTheMoveIsFinishedAtTheNextStart) {
    struct Stopped {};
    SaveCommand::afterFileMovedHook() = [] { throw Stopped{}; };
    struct Unhook {
        ~Unhook() { SaveCommand::afterFileMovedHook() = nullptr; }
    } unhook;
    edit(full);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("renamed.mp3"));
    EXPECT_THROW(e->cmdSave_Click(), Stopped);
    const QString moved = music + QStringLiteral("renamed.mp3");
    ASSERT_TRUE(QFile::exists(moved));
    EXPECT_EQ(stored("FileName"), QStringLiteral("full.mp3")); // what a killed save leaves
    EXPECT_EQ(tracksAt(old), 2);
    closeEditor();

    core::PendingFileMoves::recover();
    EXPECT_EQ(stored("PathName"), music);
    EXPECT_EQ(stored("FileName"), QStringLiteral("renamed.mp3"));
    EXPECT_EQ(tracksAt(moved), 2);
    EXPECT_EQ(tracksAt(old), 0);
    EXPECT_EQ(tracksAt(music + QStringLiteral("other.mp3")), 1);
    EXPECT_TRUE(core::PendingFileMoves::recorded().isEmpty());
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(RenameTest, TheNextStartKeepsTheOldPathUnlessTheNewFileIsThere) {
    const QString to = music + QStringLiteral("new.mp3");
    struct Case {
        const char *what;
        bool oldThere, newThere;
        const char *fileAfter;
        bool told;
    };
    const Case cases[] = {
        {"copy across disks stopped before the old file went", true, true, "new.mp3", false},
        {"only the old file", true, false, "full.mp3", false},
        {"neither file", false, false, "full.mp3", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        storeAt(full, music, QStringLiteral("full.mp3"));
        core::g().Db->execute(QStringLiteral("Update tblPlayListDetail Set FileName=? Where FileName=?"), {old, to});
        QFile::remove(old);
        QFile::remove(to);
        if (c.oldThere)
            testenv::writeFile(old, "OLD");
        if (c.newThere)
            testenv::writeFile(to, "NEW");
        prompts.clear();
        core::PendingFileMoves::record({{full, old, to}});
        core::PendingFileMoves::recover();
        EXPECT_EQ(stored("FileName"), QString::fromLatin1(c.fileAfter));
        EXPECT_EQ(tracksAt(music + QString::fromLatin1(c.fileAfter)), 2);
        EXPECT_EQ(QFile::exists(old), c.oldThere);
        EXPECT_TRUE(core::PendingFileMoves::recorded().isEmpty());
        ASSERT_EQ(prompts.asked().size(), c.told ? 1 : 0);
        if (c.told) {
            EXPECT_EQ(lastBox().text, QStringLiteral("The music file of Full Song was not found at %1 or %2.").arg(old, to));
        }
    }
}

TEST_F(RenameTest, RenamingOffANewRecordOrALaterRefusalLeaveTheDiskAlone) {
    struct Case {
        const char *what;
        std::function<void()> setUp;
        bool saved;
    };
    const Case cases[] = {
        {"renaming off", [] { core::g().FileRenameDisabled = true; }, true},
        {"later refusal", [this] { NameEdit::setBoxText(e->txtID, QStringLiteral("ID-2")); }, false},
    };
    core::g().Db->execute(QStringLiteral("Update tblContacts Set ID = 'ID-2' Where SongName = 'Plain Two'"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        edit(full);
        NameEdit::setBoxText(e->txtFileName, QStringLiteral("new name.mp3"));
        c.setUp();
        EXPECT_EQ(e->cmdSave_Click(), c.saved);
        EXPECT_TRUE(QFile::exists(old));
        EXPECT_FALSE(QFile::exists(music + QStringLiteral("new name.mp3")));
        EXPECT_EQ(tracksAt(old), 2);
        EXPECT_EQ(stored("FileName"), c.saved ? QStringLiteral("new name.mp3") : QStringLiteral("full.mp3"));
        core::g().FileRenameDisabled = false;
        core::g().Db->execute(QStringLiteral("Update tblContacts Set FileName = 'full.mp3' Where RecordID = %1").arg(full));
        if (editorLoaded())
            closeEditor();
    }
    // A new record pointing at an existing file never moves it.
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Newcomer"));
    NameEdit::setBoxText(e->txtPathName, music);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("full.mp3"));
    ASSERT_TRUE(e->cmdSave_Click());
    EXPECT_TRUE(QFile::exists(old));
}

TEST_F(RenameTest, AFailedWriteMovesTheFileBackAndKeepsTheTracks) {
    edit(full);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("renamed.mp3"));
    NameEdit::setBoxText(e->txtDate2, QStringLiteral("not a date"));
    EXPECT_FALSE(e->cmdSave_Click());
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_TRUE(lastBox().text.contains(QStringLiteral("not a date"))) << qPrintable(lastBox().text);
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_FALSE(QFile::exists(music + QStringLiteral("renamed.mp3")));
    EXPECT_EQ(tracksAt(old), 2);
    EXPECT_EQ(stored("FileName"), QStringLiteral("full.mp3"));
    EXPECT_EQ(e->focusWidget(), e->txtFileName);
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("renamed.mp3"));
    EXPECT_FALSE(core::g().RecordSaved);
}

TEST_F(RenameTest, AFolderThatRefusesTheMoveIsReportedAndNothingMoves) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores the permission bits";
    const QString locked = music + QStringLiteral("locked/");
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    edit(full);
    NameEdit::setBoxText(e->txtPathName, locked);
    EXPECT_FALSE(e->cmdSave_Click());
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_EQ(stored("PathName"), music);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(RenameTest, ANameTooLongForTheFileSystemIsReportedAndNothingMoves) {
    edit(full);
    NameEdit::setBoxText(e->txtFileName, QString(300, QLatin1Char('x')) + QStringLiteral(".mp3"));
    EXPECT_FALSE(e->cmdSave_Click());
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_EQ(stored("FileName"), QStringLiteral("full.mp3"));
    ui::flushUnloadedForms();
    EXPECT_TRUE(editorLoaded());
}

// ---- the move's roads where a plain rename cannot serve

// A song file with bytes that differ along its length and permission bits of its own.
class SongFileMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        from = dir.path() + QStringLiteral("/a.mp3");
        sub = dir.path() + QStringLiteral("/sub");
        to = sub + QStringLiteral("/b.mp3");
        QDir().mkpath(sub);
        for (int i = 0; i < (3 << 20) / 4; ++i)
            song.append(reinterpret_cast<const char *>(&i), 4);
        testenv::writeFile(from, song);
        ASSERT_EQ(::chmod(QFile::encodeName(from).constData(), 0640), 0);
    }
    static QByteArray bytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static mode_t modeOf(const QString &path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    static nlink_t linksOf(const QString &path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_nlink : 0;
    }
    // Every entry of the target's folder, hidden ones included.
    QStringList inSub() const { return QDir(sub).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
    // The song's own rename gives EXDEV, as between two file systems; the copy's rename into
    // place, within the target's folder, is the real one.
    static void acrossFileSystems(ScopedSystemCalls &calls) {
        calls->renameat2 = [](int fromDir, const char *f, int toDir, const char *t, unsigned flags) {
            if (!ScopedSystemCalls::temporary(f)) {
                errno = EXDEV;
                return -1;
            }
            return ::renameat2(fromDir, f, toDir, t, flags);
        };
    }
    // Moves and expects the refusal `number`, with the song where it was and nothing new.
    void expectRefused(int number) {
        try {
            SongFileMove::move(from, to);
            ADD_FAILURE() << "moved";
        } catch (const core::FileError &err) {
            EXPECT_EQ(err.number(), number) << err.description().toStdString();
        }
        EXPECT_EQ(bytes(from), song);
        EXPECT_EQ(inSub(), QStringList());
    }

    QTemporaryDir dir;
    QString from, sub, to;
    QByteArray song;
};

// What the copy's sync saw: the old file still there, and the copy whole.
struct SyncSeen {
    static inline bool oldThere = false;
    static inline qint64 size = -1;
    static inline QString old;
};

TEST_F(SongFileMoveTest, TheCopyRoadLeavesOneWholeFileOrTheOldOneAlone) {
    ScopedSystemCalls calls;
    acrossFileSystems(calls);
    SyncSeen::old = from;
    calls->fsync = [](int fd) {
        struct stat st {};
        SyncSeen::size = ::fstat(fd, &st) == 0 ? qint64(st.st_size) : -1;
        SyncSeen::oldThere = QFileInfo::exists(SyncSeen::old);
        return ::fsync(fd);
    };
    SongFileMove::move(from, to);
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(bytes(to), song);
    EXPECT_EQ(modeOf(to), mode_t(0640));
    EXPECT_EQ(inSub(), QStringList{QStringLiteral("b.mp3")});
    EXPECT_EQ(linksOf(to), nlink_t(1));
    // Synced whole while the old file still stood.
    EXPECT_TRUE(SyncSeen::oldThere);
    EXPECT_EQ(SyncSeen::size, song.size());
}

TEST_F(SongFileMoveTest, TheCopyRoadKeepsOnlyTheOldFileWhenAStepFails) {
    ScopedSystemCalls calls;
    acrossFileSystems(calls);
    // A sync that fails: the copy may not be on the disk, so the old file must stay.
    calls->fsync = [](int) {
        errno = EIO;
        return -1;
    };
    expectRefused(75);
    calls->fsync = ::fsync;

    // An old file that cannot be removed: the copy goes again, no second song is left.
    calls->unlink = [](const char *path) {
        if (QFileInfo(QFile::decodeName(path)).fileName() == QLatin1String("a.mp3")) {
            errno = EACCES;
            return -1;
        }
        return ::unlink(path);
    };
    expectRefused(75);
    calls->unlink = ::unlink;

    // A file in the way, by either road: refused with 58, both files as they were.
    testenv::writeFile(to, "b");
    for (auto move : {&SongFileMove::move, &SongFileMove::moveByCopy}) {
        try {
            move(from, to);
            ADD_FAILURE() << "moved over a file";
        } catch (const core::FileError &err) {
            EXPECT_EQ(err.number(), 58);
        }
        EXPECT_EQ(bytes(from), song);
        EXPECT_EQ(bytes(to), QByteArray("b"));
        EXPECT_EQ(inSub(), QStringList{QStringLiteral("b.mp3")});
    }
}

TEST_F(SongFileMoveTest, AMoveOntoAFatStickCrossesFileSystemsAndNeverReplacesAnotherSpelling) {
    testenv::FatMount fat(dir.path(), 16 << 20);
    if (!fat.mounted())
        GTEST_SKIP() << fat.whyNot().toStdString();
    const QString stick = fat.path() + QStringLiteral("/");
    const auto onStick = [&] { return QDir(stick).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
    SongFileMove::move(from, stick + QStringLiteral("b.mp3"));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(bytes(stick + QStringLiteral("b.mp3")), song);
    EXPECT_EQ(onStick(), QStringList{QStringLiteral("b.mp3")});

    // The stick is blind to letter case: "B.MP3" is the song already there.
    testenv::writeFile(from, "another song");
    try {
        SongFileMove::move(from, stick + QStringLiteral("B.MP3"));
        ADD_FAILURE() << "moved over the song on the stick";
    } catch (const core::FileError &err) {
        EXPECT_EQ(err.number(), 58);
    }
    EXPECT_EQ(bytes(from), QByteArray("another song"));
    EXPECT_EQ(bytes(stick + QStringLiteral("b.mp3")), song);
    EXPECT_EQ(onStick(), QStringList{QStringLiteral("b.mp3")});
}

TEST_F(SongFileMoveTest, FileSystemsWithoutTheNoReplaceFlagMoveToOneNameAndNeverReplace) {
    struct Case {
        const char *what;
        bool hardLinks;
    };
    for (const Case c : {Case{"hard links", true}, Case{"no hard links (FAT)", false}}) {
        SCOPED_TRACE(c.what);
        ScopedSystemCalls calls;
        calls->renameat2 = [](int, const char *, int, const char *, unsigned) {
            errno = EINVAL;
            return -1;
        };
        if (!c.hardLinks)
            calls->link = [](const char *, const char *) {
                errno = EPERM;
                return -1;
            };
        SongFileMove::move(from, to);
        EXPECT_FALSE(QFileInfo::exists(from));
        EXPECT_EQ(bytes(to), song);
        EXPECT_EQ(linksOf(to), nlink_t(1));
        EXPECT_EQ(inSub(), QStringList{QStringLiteral("b.mp3")});

        // Back over a file in the way: refused, nothing replaced.
        testenv::writeFile(from, "in the way");
        try {
            SongFileMove::move(to, from);
            ADD_FAILURE() << "moved over a file";
        } catch (const core::FileError &err) {
            EXPECT_EQ(err.number(), 58);
        }
        EXPECT_EQ(bytes(from), QByteArray("in the way"));
        EXPECT_EQ(bytes(to), song);
        QFile::remove(to);
        testenv::writeFile(from, song);
    }
}

} // namespace
