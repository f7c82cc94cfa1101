// The save command: its refusals in their order, what closes without a write, the folder's
// final "/", the ID rule, a new song's category, and where the window and the grid stand after.
#include "EditorFixture.h"

#include "editor/SaveCommand.h"

using editor::NameEdit;
using editor::SaveCommand;
namespace ui = platform::ui;

namespace {

class SaveTest : public EditorTest {
protected:
    // Saves with the Save button's road (close after the write) or the record commands'.
    bool save(bool closeAfter = true) { return e->cmdSave_Click(closeAfter); }
    QString storedOf(const char *song, const char *f) { return field(idOf(QString::fromLatin1(song)), QString::fromLatin1(f)).toString(); }
};

TEST_F(SaveTest, EachRefusalInStepOrderKeepsTheWindowAndWritesNothing) {
    struct Case {
        std::function<void(NameEdit *)> set;
        const char *text;
        const char *title;
        ui::Icon icon;
        const char *focus;
    };
    const QString other = music + QStringLiteral("other/");
    QDir().mkpath(other);
    const Case cases[] = {
        {[](NameEdit *form) { NameEdit::setBoxText(form->txtSongName, QStringLiteral("   ")); },
         "You cannot add a Song that does not have a Name.", "Song Name was not specified", ui::Icon::Exclamation, ""},
        {[](NameEdit *form) { NameEdit::setBoxText(form->txtFileName, QStringLiteral("a/b.mp3")); },
         "File Name contains illegal characters.  Please correct it.", "Invalid File Name", ui::Icon::Exclamation,
         "txtFileName"},
        {[](NameEdit *form) { NameEdit::setBoxText(form->txtFileName, QStringLiteral("  ")); },
         "File Name is blank.  Please correct it.", "Blank File Name", ui::Icon::Exclamation, "txtFileName"},
        {[](NameEdit *form) { NameEdit::setBoxText(form->txtPathName, QStringLiteral("/no/such/")); },
         "The Path name does not exist.", "Invalid Path Name", ui::Icon::Exclamation, ""},
        {[](NameEdit *form) {
             NameEdit::setBoxText(form->txtPathName, QStringLiteral(" "));
         },
         "The Path name cannot be blank if the File name is not blank.", "Invalid Path Name", ui::Icon::Exclamation, ""},
        {[](NameEdit *form) { NameEdit::setBoxText(form->txtID, QStringLiteral("ID-2")); },
         "You cannot have a Song with the same ID number as an existing Song.", "Duplicate ID", ui::Icon::Critical,
         "txtID"},
    };
    core::g().Db->execute(QStringLiteral("Update tblContacts Set ID = 'ID-2' Where SongName = 'Plain Two'"));
    const QString before = storedOf("Full Song", "DateUpdated");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        prompts.clear();
        edit(idOf(QStringLiteral("Full Song")));
        e->txtArtist->setFocus();
        c.set(e);
        NameEdit::RecordWritten = true;
        EXPECT_FALSE(save());
        ASSERT_EQ(prompts.messageTexts(), QStringList{QString::fromLatin1(c.text)});
        EXPECT_EQ(lastBox().title, QString::fromLatin1(c.title));
        EXPECT_EQ(lastBox().icon, c.icon);
        if (*c.focus) {
            EXPECT_EQ(e->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        EXPECT_EQ(NameEdit::RecordWritten, QByteArray(c.title) != "Duplicate ID");
        EXPECT_TRUE(core::g().RecordChanged || QByteArray(c.title) == "Song Name was not specified");
        EXPECT_FALSE(core::g().RecordSaved);
        ui::flushUnloadedForms();
        ASSERT_TRUE(editorLoaded());
        closeEditor();
    }
    EXPECT_EQ(storedOf("Full Song", "DateUpdated"), before);
    EXPECT_TRUE(QFile::exists(music + QStringLiteral("full.mp3")));

    // A folder without a file name (a new record, so no rename is tried first).
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("New"));
    NameEdit::setBoxText(e->txtPathName, music);
    EXPECT_FALSE(save());
    EXPECT_EQ(lastBox().text, QStringLiteral("The File name cannot be blank if the Path name is not blank."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Invalid File Name"));
}

TEST_F(SaveTest, NothingChangedOrADuplicateViewClosesWithoutChecksOrWrite) {
    const QString before = storedOf("Plain One", "DateUpdated"); // its folder does not exist
    edit(idOf(QStringLiteral("Plain One")));
    EXPECT_FALSE(save());
    EXPECT_TRUE(prompts.asked().isEmpty());
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());

    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongs"));
    edit(idOf(QStringLiteral("Plain One")));
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Changed"));
    EXPECT_FALSE(save());
    EXPECT_TRUE(prompts.asked().isEmpty());
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    EXPECT_EQ(storedOf("Plain One", "DateUpdated"), before);
    EXPECT_EQ(storedOf("Plain One", "Artist"), QString());
}

TEST_F(SaveTest, AFolderTypedWithoutItsSlashIsStoredWithIt) {
    const QString folder = music.chopped(1);
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("New One"));
    NameEdit::setBoxText(e->txtPathName, folder);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("full.mp3"));
    ASSERT_TRUE(save());
    EXPECT_EQ(storedOf("New One", "PathName"), music);

    // An existing song whose stored folder was blank.
    const long id = idOf(QStringLiteral("Plain Two"));
    edit(id);
    NameEdit::setBoxText(e->txtPathName, folder);
    NameEdit::setBoxText(e->txtFileName, QStringLiteral("full.mp3"));
    ASSERT_TRUE(save());
    EXPECT_EQ(field(id, QStringLiteral("PathName")).toString(), music);
}

TEST_F(SaveTest, TheIdRuleIgnoresTheSongsOwnRowAndComparesNamesTrimmedAndCaseBlind) {
    core::g().Db->execute(QStringLiteral("Update tblContacts Set ID = 'Q\"1' Where SongName = 'Plain Two'"));
    const long full = idOf(QStringLiteral("Full Song"));
    struct Case {
        long song;
        const char *name;
        const char *id;
        bool saved;
    };
    const Case cases[] = {
        {full, "Full Song", "Q\"1", false},  // another song's ID, with a quote
        {0, "New Song", "q\"1", false},      // IDs compare without case
        {full, "Renamed", "ID-1", true},     // its own ID under a new name
        {full, " plain two ", "Q\"1", true}, // the same song name: no refusal
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        edit(c.song);
        NameEdit::setBoxText(e->txtSongName, QString::fromLatin1(c.name));
        NameEdit::setBoxText(e->txtID, QString::fromLatin1(c.id));
        EXPECT_EQ(save(), c.saved);
        EXPECT_EQ(prompts.messageTexts().contains(
                      QStringLiteral("You cannot have a Song with the same ID number as an existing Song.")),
                  !c.saved);
        if (editorLoaded())
            closeEditor();
    }
}

TEST_F(SaveTest, ANewSongJoinsTheCategoryOnScreenOnly) {
    struct Case {
        long song;
        const char *clause;
        long rows;
    };
    open();
    const Case cases[] = {{0, " CategoryNumber = 3 ", 1}, {0, "", 0}, {idOf(QStringLiteral("Plain Two")), " CategoryNumber = 3 ", 0}};
    EXPECT_EQ(SaveCommand::categoryNumber(QStringLiteral(" CategoryNumber = 12 ")), QStringLiteral("12"));
    EXPECT_EQ(SaveCommand::categoryNumber(QStringLiteral("CategoryNumber")), QString());
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.clause);
        core::g().CategoryClause = QString::fromLatin1(c.clause);
        edit(c.song);
        const QString name = QStringLiteral("Song %1").arg(++n);
        NameEdit::setBoxText(e->txtSongName, name);
        ASSERT_TRUE(save());
        const long id = idOf(name);
        EXPECT_EQ(count(QStringLiteral("Select count(*) from tblCategoryID Where ID = %1 And CategoryNumber = 3").arg(id)),
                  c.rows);
    }
    core::g().CategoryClause.clear();
}

TEST_F(SaveTest, AfterTheSaveButtonTheGridStandsOnTheSavedSongAndItsCategoryWindowOpens) {
    standIn(songlist::OtherWindows::CategoryAssign);
    edit(0);
    core::g().AssignCatgOnAdd = 1;
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Zed New"));
    ASSERT_TRUE(save());
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    EXPECT_EQ(currentId(), idOf(QStringLiteral("Zed New")));
    EXPECT_EQ(opened, QStringList{QStringLiteral("CategoryAssign")});
    EXPECT_TRUE(core::g().RecordSaved);
    EXPECT_FALSE(core::g().NewRecordAdded);

    // A filter that hides the new song: the grid cannot stand on it, so no window opens.
    opened.clear();
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'Full Song'"));
    w->Data1->refresh();
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Hidden New"));
    ASSERT_TRUE(save());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_GT(idOf(QStringLiteral("Hidden New")), 0);
}

TEST_F(SaveTest, TheRecordCommandsSaveStaysOpenOnTheSavedSongAndLaterEditsAreAskedAbout) {
    const long id = idOf(QStringLiteral("Plain Two"));
    edit(id);
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("First"));
    w->Data1->moveFirst();
    go(id);
    ASSERT_TRUE(save(false));
    EXPECT_TRUE(editorLoaded());
    EXPECT_EQ(currentId(), id);
    EXPECT_FALSE(core::g().RecordChanged);
    EXPECT_EQ(field(id, QStringLiteral("Artist")).toString(), QStringLiteral("First"));

    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Second"));
    prompts.answer(ui::Answer::No);
    e->close();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Lose any changes?"));
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    prompts.answer(ui::Answer::Yes);
    w->Data1->moveFirst();
    e->close();
    EXPECT_EQ(currentId(), id); // the close still finds the saved song
    EXPECT_EQ(field(id, QStringLiteral("Artist")).toString(), QStringLiteral("First"));
}

TEST_F(SaveTest, AFailedWriteKeepsTheWindowAndTheEditsAndSetsNoSavedMark) {
    const long id = idOf(QStringLiteral("Plain Two"));
    edit(id);
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Kept"));
    core::g().Db->execute(QStringLiteral("Delete from tblContacts Where RecordID = %1").arg(id));
    EXPECT_FALSE(save());
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_FALSE(core::g().RecordSaved);
    EXPECT_TRUE(core::g().RecordChanged);
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    EXPECT_EQ(e->txtArtist->text(), QStringLiteral("Kept"));
    prompts.answer(ui::Answer::No);
    e->close();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Lose any changes?"));
}

} // namespace
