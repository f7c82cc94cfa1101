// The save's rename or move of a song's music file: the file and only its own play-list tracks
// follow; a file already at the new path, renaming switched off, a new record and a later
// refusal leave the disk alone; a failed write puts the file back.
#include "EditorFixture.h"

#include "core/FileError.h"
#include "core/mCommon.h"
#include "editor/SongFileMove.h"

#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

using editor::NameEdit;
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
        GTEST_SKIP() << "permissions do not bind the superuser";
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

TEST(SongFileMoveTest, TheCopyRoadLeavesOneWholeFileOrTheOldOneAlone) {
    QTemporaryDir dir;
    const QString a = dir.path() + QStringLiteral("/a.mp3"), b = dir.path() + QStringLiteral("/sub/b.mp3");
    QDir().mkpath(dir.path() + QStringLiteral("/sub"));
    QFile f(a);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(3 << 20, 'm'));
    f.close();
    SongFileMove::moveByCopy(a, b);
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(QFileInfo(b).size(), 3 << 20);
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/sub")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A file in the way: refused with 58, both files as they were.
    QFile g(a);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("a");
    g.close();
    for (auto move : {&SongFileMove::move, &SongFileMove::moveByCopy}) {
        try {
            move(a, b);
            ADD_FAILURE() << "moved over a file";
        } catch (const core::FileError &err) {
            EXPECT_EQ(err.number(), 58);
        }
        EXPECT_EQ(QFileInfo(a).size(), 1);
        EXPECT_EQ(QFileInfo(b).size(), 3 << 20);
    }
}

} // namespace
