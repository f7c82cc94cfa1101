// Find across all fields: the WHERE body, quotes and dates in the text, the result view, the
// empty result and Enter on it, a cancelled prompt and the error path.
#include "CommandsFixture.h"

#include "songlist/FindAllFields.h"
#include "platform/db/LocaleDate.h"

#include <QLabel>
#include <QPushButton>

#include <functional>

using songlist::FindAllFields;
using platform::db::LocaleDate;

namespace {

using FindAllFieldsTest = CommandsTest;

TEST_F(FindAllFieldsTest, BodySkipsTheFirstAndTheUnsearchedFieldsAndDoublesQuotes) {
    const QStringList fields = {"RecordID", "SongName", "Date2_Desc", "Selected", "TrackNum", "bitRate",
                                "PurchaseDate", "CategoryNumber", "Lyrics", "Notes"};
    EXPECT_EQ(FindAllFields::whereBody(fields, QStringLiteral(" say \"hi")),
              QStringLiteral(" (SongName Like \"* say \"\"hi*\" OR Notes Like \"* say \"\"hi*\" )"));
}

TEST_F(FindAllFieldsTest, DateTextIsWrittenUnambiguouslyInADayFirstLocale) {
    setLocale(QLocale::English, QLocale::UnitedKingdom);
    const auto d = LocaleDate::parse(QStringLiteral("05/01/2024"));
    ASSERT_TRUE(d);
    EXPECT_EQ(LocaleDate::jetLiteral(*d), QStringLiteral("#2024-01-05#"));
    EXPECT_EQ(FindAllFields::whereBody({"RecordID", "PurchaseDate", "Year"}, QStringLiteral("05/01/2024")),
              QStringLiteral(" (PurchaseDate=#2024-01-05# OR Year Like \"*05/01/2024*\" )"));
    EXPECT_FALSE(LocaleDate::isDate(QStringLiteral("31/02/2024")));
    setLocale(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(LocaleDate::jetLiteral(*LocaleDate::parse(QStringLiteral("1/5/24 10:30 PM"))),
              QStringLiteral("#2024-01-05 22:30:00#"));
}

TEST_F(FindAllFieldsTest, FindShowsEverySongWithTheTextInAnyFieldInTheCurrentSort) {
    open();
    core::g().CategoryClause = QStringLiteral(" CategoryNumber = 1 ");
    prompts.answerInput(QStringLiteral("arriv"));
    w->FindEditMenu_Click();
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked().at(0).title, QStringLiteral("Specify text to find"));
    EXPECT_EQ(prompts.asked().at(0).text, FindAllFields::prompt());
    EXPECT_TRUE(FindAllFields::prompt().contains(QStringLiteral("use the \"Filter\" feature.")));
    EXPECT_EQ(count(), 2);  // the two songs of the album "Arrival"
    EXPECT_TRUE(source().startsWith(QStringLiteral("Select DISTINCTROW * from  tblContacts Where  (SongName Like")));
    EXPECT_TRUE(source().endsWith(core::g().OrderByClause));
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Records containing arriv"));
    EXPECT_FALSE(w->cmdAdd->isEnabled());
    EXPECT_TRUE(core::g().CategoryClause.isEmpty());
}

TEST_F(FindAllFieldsTest, QuotesInTheTextFindTheSongInsteadOfFailing) {
    open();
    prompts.answerInput(QStringLiteral("\"Q\""));
    w->FindEditMenu_Click();
    EXPECT_EQ(prompts.asked().size(), 1);  // no error box
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(current("Artist"), QStringLiteral("The \"Q\" Band"));
}

TEST_F(FindAllFieldsTest, DateFindsTheRightDayInADayFirstLocale) {
    setLocale(QLocale::English, QLocale::UnitedKingdom);
    open();
    prompts.answerInput(QStringLiteral("05/01/2024"));
    w->FindEditMenu_Click();
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(current("SongName"), QStringLiteral("Apple Pie"));
}

TEST_F(FindAllFieldsTest, NoMatchLeavesTheViewEmptyAndSaysHowToLeaveIt) {
    open();
    prompts.answerInput(QStringLiteral("nothing like it"));
    w->FindEditMenu_Click();
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(lastBox().text, QStringLiteral("No records found.\r\nPress Show All to see every song again."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No records to display"));
}

// A NUL cut the statement short and failed as a syntax error; a lone surrogate (pasted half of
// a character) became "?", which matched every song. No song holds either, so nothing is found.
TEST_F(FindAllFieldsTest, NulOrLoneSurrogateFindsNothing) {
    open();
    for (const QString &text : {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QString(QChar(0xD83D)),
                                QStringLiteral("x") + QChar(0xDE00)}) {
        SCOPED_TRACE(text.size());
        prompts.clear();
        w->ShowAllMenu_Click();
        prompts.answerInput(text);
        w->FindEditMenu_Click();
        EXPECT_EQ(count(), 0);
        EXPECT_EQ(lastBox().text, QStringLiteral("No records found.\r\nPress Show All to see every song again."));
        EXPECT_EQ(lastBox().title, QStringLiteral("No records to display"));
    }
}

TEST_F(FindAllFieldsTest, EnterOnTheEmptyViewSaysWhyWhereverTheFocusIs) {
    registerWindow(songlist::OtherWindows::NameEdit);
    open();
    prompts.answerInput(QStringLiteral("nothing like it"));
    w->FindEditMenu_Click();
    ASSERT_EQ(count(), 0);
    const std::pair<const char *, std::function<void(int &)>> ways[] = {
        {"search box", [this](int &key) { w->txtLocate_KeyPress(key); }},
        {"grid", [this](int &key) { w->Table1_KeyDown(key, 0); }},
        {"name box", [this](int &key) { w->txtName_KeyDown(key, 0); }},
    };
    for (const auto &[where, press] : ways) {
        prompts.clear();
        int key = 13;
        press(key);
        ASSERT_EQ(prompts.messageTexts().size(), 1) << where;
        EXPECT_EQ(lastBox().title, QStringLiteral("No records to View or Edit")) << where;
        EXPECT_TRUE(lastBox().text.startsWith(QStringLiteral("There are no records displayed"))) << where;
    }
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(FindAllFieldsTest, BlankOrCancelledTextChangesNothing) {
    open();
    const QString before = source();
    prompts.answerInput(QStringLiteral("   "));
    w->FindEditMenu_Click();
    prompts.answerInput(std::nullopt);
    w->FindEditMenu_Click();
    EXPECT_EQ(source(), before);
    EXPECT_EQ(count(), 10);
}

TEST_F(FindAllFieldsTest, EngineErrorRestoresTheEarlierView) {
    open();
    core::g().WhereClause = QStringLiteral(" Where Artist = 'ABBA'");
    // A view with a column tblContacts does not have: the find's condition on it fails.
    w->Data1->setRecordSource(QStringLiteral("Select tblContacts.*, SongName AS Extra from  tblContacts Where Artist = "
                                             "'ABBA'") + core::g().OrderByClause);
    w->Data1->refresh();
    const QString before = source();
    prompts.answerInput(QStringLiteral("pie"));
    w->FindEditMenu_Click();
    ASSERT_EQ(prompts.asked().size(), 2);
    EXPECT_EQ(lastBox().title, QStringLiteral("Find command failed"));
    EXPECT_TRUE(lastBox().text.startsWith(
        QStringLiteral("The FIND command failed.  The error message generated by Microsoft explaining the cause of "
                       "the error follows:  ")));
    EXPECT_EQ(source(), before);
    EXPECT_EQ(core::g().WhereClause, QStringLiteral(" Where Artist = 'ABBA'"));
    EXPECT_EQ(count(), 2);
}

} // namespace
