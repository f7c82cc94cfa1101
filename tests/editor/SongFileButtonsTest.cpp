// The Rename, Move and Edit tags buttons: the file dialog's start folder, the rename prompt and
// its extension rule, the folder browser with the move warning, and the folder handed to the
// file manager.
#include "EditorFixture.h"

#include "core/frmMessage.h"
#include "editor/SongFileButtons.h"
#include "core/StartFolders.h"

using editor::NameEdit;
using editor::SongFileButtons;
namespace ui = platform::ui;
using Kind = ui::ScriptedPrompts::Asked::Kind;

namespace {

TEST(SongFileButtonsRules, TheRenamedFileKeepsTheCurrentExtension) {
    struct Case {
        const char *answer, *current, *result;
    };
    const Case cases[] = {
        {"new", "song.mp3", "new.mp3"},
        {"new.MP3", "song.mp3", "new.MP3"},
        {"song.wav", "song.mp3", "song.wav.mp3"},
        {"new", "song.flac", "new.flac"},
        {"new.flac", "song.FLAC", "new.flac"},
        {"new", "mysong", "new"},              // no extension: nothing appended
        {"a.b", "x.longext", "a.b.longext"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SongFileButtons::renamedFileName(QString::fromLatin1(c.answer), QString::fromLatin1(c.current)),
                  QString::fromLatin1(c.result))
            << c.answer << " " << c.current;
}

TEST_F(EditorTest, RenameAsksForTheNewNameWithTheSongNameAsDefault) {
    edit(idOf(QStringLiteral("Full Song")));
    prompts.answerInput(QStringLiteral("Better Name"));
    e->cmdBrowseFile_Click();
    const auto &asked = lastBox();
    EXPECT_EQ(asked.kind, Kind::Input);
    EXPECT_EQ(asked.inputRequest.prompt,
              QStringLiteral("Enter the new name for this file, then press the OK button.\r\n\r\nFile will not be "
                             "renamed until you Save this record.\r\n\r\nTo rename to the Song Name, just press OK."));
    EXPECT_EQ(asked.inputRequest.title, QStringLiteral("Rename existing file"));
    EXPECT_EQ(asked.inputRequest.defaultText, QStringLiteral("Full Song"));
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("Better Name.mp3"));
    EXPECT_EQ(e->focusWidget(), e->txtFileName);
    EXPECT_TRUE(QFile::exists(music + QStringLiteral("full.mp3"))); // renamed only by a save

    prompts.answerInput(std::nullopt);
    e->cmdBrowseFile_Click();
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("Better Name.mp3"));
}

TEST_F(EditorTest, BrowseForAMusicFileStartsWhereTheFolderBoxSays) {
    auto &s = core::g();
    s.DataFolder = tmp.path() + QStringLiteral("/");
    struct Case {
        QString folder, start;
    };
    const Case cases[] = {
        {music, music}, {QStringLiteral("/no/such/"), s.DataFolder}, {QString(), core::StartFolders::music()}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        edit(0);
        NameEdit::setBoxText(e->txtPathName, c.folder);
        prompts.answerFile(std::nullopt);
        e->cmdBrowseFile_Click();
        const auto &asked = lastBox();
        ASSERT_EQ(asked.kind, Kind::OpenFile);
        EXPECT_EQ(asked.file.title, QStringLiteral("Select a music file"));
        EXPECT_EQ(asked.file.initialDir, c.start);
        EXPECT_EQ(asked.file.filter, SongFileButtons::musicFilter());
        EXPECT_EQ(asked.file.filterIndex, 1);
        EXPECT_TRUE(asked.file.fileMustExist);
        EXPECT_FALSE(asked.file.multiSelect);
        EXPECT_EQ(e->txtPathName->text(), c.folder);
        closeEditor();
    }
    edit(0);
    prompts.answerFile(music + QStringLiteral("full.mp3"));
    e->cmdBrowseFile_Click();
    EXPECT_EQ(e->txtPathName->text(), music);
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("full.mp3"));
    EXPECT_EQ(e->focusWidget(), e->txtFileName);

    NameEdit::setBoxText(e->txtFileName, QString());
    prompts.answerFile(music + QStringLiteral("gone.mp3"));
    e->cmdBrowseFile_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("The file name you selected cannot be displayed in Orvalis, likely because "
                                             "it contains invalid characters in the file name.\r\nRename this file on "
                                             "your computer first."));
    EXPECT_EQ(lastBox().title, QStringLiteral("File name not changed"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(e->txtFileName->text(), QString());
}

TEST_F(EditorTest, MovePicksAFolderFromTheLastOneAndWarnsForAnExistingSong) {
    auto &s = core::g();
    const QString other = music + QStringLiteral("other/");
    QDir().mkpath(other);
    s.LastCopyFolder.clear();
    edit(idOf(QStringLiteral("Plain Two"))); // no folder: the browser starts in the music folder
    prompts.answerFolder(std::nullopt);
    e->cmdBrowsePath_Click();
    EXPECT_EQ(s.LastCopyFolder, core::StartFolders::music());
    EXPECT_EQ(lastBox().folder.prompt, QStringLiteral("Select a Folder"));
    EXPECT_EQ(lastBox().folder.caption, QStringLiteral("Pick a folder to move this file into"));
    EXPECT_EQ(lastBox().folder.startFolder, core::StartFolders::music());
    closeEditor();

    // Cancel in the warning puts the stored folder back; OK keeps the choice.
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel);
        edit(idOf(QStringLiteral("Full Song")));
        prompts.answerFolder(other);
        int warnings = 0;
        ui::ScopedModalHook hook([&](QWidget *wnd) {
            if (auto *m = qobject_cast<core::frmMessage *>(wnd)) {
                ++warnings;
                EXPECT_EQ(m->windowTitle(), QStringLiteral("Warning"));
                EXPECT_EQ(m->lblMessage->text(),
                          ui::displayText(QStringLiteral(
                              "Changing the Path name here will move this file to the specified Path/Folder on your "
                              "computer disk when you save this record.\r\n\r\nYou can change this behavior in the "
                              "Options menu.")));
                cancel ? m->cmdCancel_Click() : m->cmdOK_Click();
            }
        });
        e->cmdBrowsePath_Click();
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(lastBox().folder.startFolder, music); // the song's own folder
        EXPECT_EQ(s.LastCopyFolder, music);             // the choice does not change it
        EXPECT_EQ(e->txtPathName->text(), cancel ? music : other);
        closeEditor();
    }
}

TEST_F(EditorTest, EditTagsOpensTheSongsFolderInTheFileManager) {
    edit(idOf(QStringLiteral("Full Song")));
    e->cmdEditTags_Click();
    ASSERT_EQ(prompts.openedUrls.size(), 1);
    EXPECT_EQ(prompts.openedUrls[0], QUrl::fromLocalFile(music));
    closeEditor();
    edit(idOf(QStringLiteral("Plain One"))); // its folder is gone
    e->cmdEditTags_Click();
    EXPECT_EQ(prompts.openedUrls.size(), 1);
}

} // namespace
