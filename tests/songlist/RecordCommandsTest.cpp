// Add, edit, delete and count: the editor hand-over, the row kept after a delete (also in a
// duplicate view), and the count's messages and size query.
#include "CommandsFixture.h"

#include "songlist/RecordCommands.h"

#include <QPlainTextEdit>
#include <QPushButton>

using songlist::RecordCommands;
namespace ui = platform::ui;

namespace {

using RecordCommandsTest = CommandsTest;

TEST_F(RecordCommandsTest, AddAndEditHandTheEditorItsModeAndRestoreTheButtons) {
    open();
    auto &s = core::g();
    bool editing = true;
    bool buttonsOff = false;
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::NameEdit), [&](const QString &caption) {
        editing = s.EditingExistingRecord;
        buttonsOff = !w->cmdAdd->isEnabled() && !w->cmdExit->isEnabled();
        opened << caption;
    });
    w->cmdAdd->setEnabled(false);
    w->AddMenu_Click();
    EXPECT_FALSE(editing);
    EXPECT_TRUE(buttonsOff);
    EXPECT_TRUE(w->cmdAdd->isEnabled());
    w->cmdAdd->setEnabled(false);
    w->EditViewMenu_Click();
    EXPECT_TRUE(editing);
    EXPECT_FALSE(s.EditingExistingRecord);
    EXPECT_FALSE(w->cmdAdd->isEnabled());
    EXPECT_EQ(opened, (QStringList{"Add a New Record", "View/Edit an Existing Record"}));

    s.PlayerOpen = true;
    w->cmdAdd_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Cannot Add records while playing songs. End the Player first."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Add not allowed"));
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(RecordCommandsTest, EditOnAnEmptyViewTellsAnEmptyViewFromAnEmptyCatalogue) {
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    w->Data1->refresh();
    w->cmdEdit_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("No records to View or Edit"));
    core::g().Db->execute(QStringLiteral("Delete * from tblContacts"));
    core::g().ContactsTable->requery();
    w->cmdEdit_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Empty Database"));
    EXPECT_EQ(lastBox().text, QStringLiteral("Add songs automatically by choosing one of the options on the File menu."));
}

TEST_F(RecordCommandsTest, DeleteAsksAndKeepsTheNextOrThePreviousRowCurrent) {
    open();
    go(QStringLiteral("SongName = 'Cherry'"));
    prompts.answer(ui::Answer::No);
    w->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this record?\rCherry"));
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(count(), 10);

    prompts.answer(ui::Answer::Yes);
    w->cmdDelete_Click();
    EXPECT_EQ(count(), 9);
    EXPECT_EQ(current("SongName"), QStringLiteral("Dup"));
    EXPECT_EQ(w->txtName->toPlainText(), QStringLiteral("Record Deleted!"));

    go(QStringLiteral("SongName = 'zebra'"));
    prompts.answer(ui::Answer::Yes);
    w->cmdDelete_Click();
    EXPECT_EQ(current("SongName"), QStringLiteral("Say \"Hi\""));
}

TEST_F(RecordCommandsTest, DeleteInADuplicateViewReturnsToARowThatStillExists) {
    open();
    w->mnuShowDuplicates_Click();
    ASSERT_EQ(count(), 3);
    w->Data1->moveLast();
    const QString deleted = current("RecordID");
    const QString before = w->Data1->recordset()->valueAt(1, w->Data1->recordset()->fieldOrdinal("RecordID")).toString();
    prompts.answer(ui::Answer::Yes);
    w->cmdDelete_Click();
    EXPECT_EQ(value(QStringLiteral("Select Count(*) from tblContacts Where RecordID = ") + deleted), "0");
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(current("RecordID"), before);
}

TEST_F(RecordCommandsTest, CountSaysOneSongManySongsWithSizeOrDuplicatesWithoutSize) {
    setLocale(QLocale::English, QLocale::UnitedStates); // the size has the user's decimal separator
    open();
    w->cmdCount_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Record Count"));
    EXPECT_EQ(lastBox().text, QStringLiteral("There are 10 songs displayed in the current list.\r\n\r\nTotal file size "
                                             "of all songs displayed in current list: 32.0 MB."));
    w->mnuShowDuplicates_Click();
    w->cmdCount_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("There are 3 songs displayed in the current list."));
    EXPECT_EQ(RecordCommands::countText(1, false, 2.0), QStringLiteral("There is 1 record displayed in the current list."));
    EXPECT_TRUE(RecordCommands::countText(1234, false, 1234.56).startsWith(QStringLiteral("There are 1,234 songs")));
    EXPECT_TRUE(RecordCommands::countText(1234, false, 1234.56).endsWith(QStringLiteral(": 1,234.6 MB.")));
}

TEST_F(RecordCommandsTest, CountOfAFindForTheWordsOrderByGivesTheSize) {
    setLocale(QLocale::English, QLocale::UnitedStates);
    open();
    core::g().Db->execute(QStringLiteral("Update tblContacts Set AlbumName = 'Order By Mail' Where TrackNum In (1, 2)"));
    prompts.answerInput(QStringLiteral("order by"));
    w->FindEditMenu_Click();
    ASSERT_EQ(count(), 2);
    w->cmdCount_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Record Count"));
    EXPECT_EQ(lastBox().text, QStringLiteral("There are 2 songs displayed in the current list.\r\n\r\nTotal file size "
                                             "of all songs displayed in current list: 7.1 MB."));
}

TEST(RecordCommandsParts, SizeQueryKeepsFromJoinsAndWhereAndDropsSelectListAndOrder) {
    EXPECT_EQ(RecordCommands::sizeQuery(QStringLiteral("Select DISTINCTROW * from  tblContacts Where  (A Like \"*x*\" ) "
                                                       "Order By SongName, Artist")),
              QStringLiteral("SELECT Sum(FileSizeNum) AS SumOfFileSizeNum from  tblContacts Where  (A Like \"*x*\" ) "));
    EXPECT_EQ(RecordCommands::sizeQuery(QStringLiteral("Select * from  tblContacts Where Artist = \"Order By Me\"  "
                                                       "Order By SongName, Artist")),
              QStringLiteral("SELECT Sum(FileSizeNum) AS SumOfFileSizeNum from  tblContacts Where Artist = \"Order By Me\"  "));
    struct Case { const char *selected, *where, *expected; };
    const Case cases[] = {
        {"", " Where X", ""},
        {" Where Selected < 'x' ", " Where X", " And Selected < 'x' "},
        {" Where Selected = 'x' ", " Where X", " And Selected = 'x' "},
        {" And Selected < 'x' ", "", " Where Selected < 'x' "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecordCommands::normalisedSelectedClause(QString::fromLatin1(c.selected), QString::fromLatin1(c.where)),
                  QString::fromLatin1(c.expected));
}

} // namespace
