// The locate box: keystroke search over text, number and date sorts, the characters that stop
// it, the error box, Enter, the alphabet labels and the on-screen keyboard.
#include "CommandsFixture.h"

#include "platform/ui/OnScreenKeyboard.h"
#include "songlist/IncrementalSearch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

using songlist::IncrementalSearch;

namespace {

class IncrementalSearchTest : public CommandsTest {
protected:
    // Puts the whole text into the box as the user's edit and runs the key-up of its last key.
    void type(const QString &text, int keyCode = 0) {
        w->txtLocate->setText(text);
        w->txtLocate_Change();
        w->txtLocate_KeyUp(keyCode ? keyCode : text.isEmpty() ? 8 : text.back().toUpper().unicode(), 0);
    }
};

TEST_F(IncrementalSearchTest, TextSortLandsOnTheFirstMatchCaseBlindAndStaysPutOnNoMatch) {
    open();
    w->setSortText(QStringLiteral("Artist"));
    type(QStringLiteral("bE"));
    EXPECT_EQ(current("Artist"), QStringLiteral("Beatles"));
    EXPECT_EQ(core::g().LocateCriteria, QStringLiteral("Artist like \"bE*\""));
    type(QStringLiteral("bEx"));
    EXPECT_EQ(current("Artist"), QStringLiteral("Beatles"));
    type(QStringLiteral("Dupes  "), 32);  // trailing blanks are not searched for
    EXPECT_EQ(current("Artist"), QStringLiteral("Dupes"));
    EXPECT_TRUE(prompts.asked().isEmpty());
}

// The typed text went into the condition unquoted: a quote closed the literal and the rest became
// SQL ("x" Or SongName like "*" found the first song). It stays a value now.
TEST_F(IncrementalSearchTest, CriteriaKeepAQuoteInsideTheValue) {
    addSong({{"SongName", QStringLiteral("Say \"Hi\"")}, {"Artist", QStringLiteral("Quoted")}});
    open();
    const QString criteria =
        IncrementalSearch::criteria(QStringLiteral("SongName"), QStringLiteral("x\" Or SongName like \""));
    EXPECT_EQ(criteria, QStringLiteral("SongName like \"x\"\" Or SongName like \"\"*\""));
    w->Data1->moveLast();
    const QString last = current("SongName");
    EXPECT_FALSE(IncrementalSearch::locate(*w->Data1, criteria));
    EXPECT_EQ(current("SongName"), last);
    const QString quoted = IncrementalSearch::criteria(QStringLiteral("SongName"), QStringLiteral("say \"h"));
    EXPECT_TRUE(IncrementalSearch::locate(*w->Data1, quoted));
    EXPECT_EQ(current("Artist"), QStringLiteral("Quoted"));
}

TEST_F(IncrementalSearchTest, NumberSortMatchesTheNumberAsText) {
    open();
    w->setSortText(QStringLiteral("Track"));
    type(QStringLiteral("2"));
    EXPECT_EQ(current("SongName"), QStringLiteral("Cherry"));
    type(QStringLiteral("21"));
    EXPECT_EQ(current("SongName"), QStringLiteral("zebra"));
}

TEST_F(IncrementalSearchTest, DateSortWaitsForAWholeDateInTheUsersLocale) {
    setLocale(QLocale::English, QLocale::UnitedStates);
    open();
    w->setSortText(QStringLiteral("Purchase Date"));
    ASSERT_TRUE(core::g().SortIsDate);
    const QString first = current("SongName");
    type(QStringLiteral("5/"), 191);
    EXPECT_EQ(current("SongName"), first);
    type(QStringLiteral("5/1/24"));
    EXPECT_EQ(current("SongName"), QStringLiteral("Banana Split"));
}

TEST_F(IncrementalSearchTest, QuoteHashOrStarStopsTheSearchAndBracketsEmptyTheBox) {
    open();
    w->setSortText(QStringLiteral("Song Name"));
    for (const char *t : {"C\"", "C#", "C*"}) {
        type(QString::fromLatin1(t), 'C');
        EXPECT_EQ(current("SongName"), QStringLiteral("Apple Pie")) << t;
    }
    type(QStringLiteral("C["), 219);
    EXPECT_TRUE(w->txtLocate->text().isEmpty());
    EXPECT_EQ(current("SongName"), QStringLiteral("Apple Pie"));
}

TEST_F(IncrementalSearchTest, EveryKeyThatTypesTextSearchesAndAPasteToo) {
    addSong({{"SongName", QStringLiteral("Hyperballad")}, {"Artist", QStringLiteral("Björk")}});
    addSong({{"SongName", QStringLiteral("Lean")}, {"Artist", QStringLiteral("Bjarne")}});
    open();
    w->setSortText(QStringLiteral("Artist"));
    // Typed in the grid: the first key lands in the box as its text and searches.
    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QCoreApplication::sendEvent(w->Table1, &b);
    EXPECT_EQ(w->txtLocate->text(), QStringLiteral("B"));
    EXPECT_EQ(current("Artist"), QStringLiteral("Beatles"));
    // Then typed in the box: "j", and "ö", a key outside the key-code mapping.
    QTest::keyClicks(w->txtLocate, QStringLiteral("j"));
    EXPECT_EQ(current("Artist"), QStringLiteral("Bjarne"));
    QKeyEvent o(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier, QStringLiteral("ö"));
    QCoreApplication::sendEvent(w->txtLocate, &o);
    EXPECT_EQ(w->txtLocate->text(), QStringLiteral("Bjö"));
    EXPECT_EQ(current("Artist"), QStringLiteral("Björk"));
    // A paste is a change of the text as well.
    w->txtLocate->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("zed"));
    w->txtLocate->paste();
    EXPECT_EQ(current("Artist"), QStringLiteral("Zed"));
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(IncrementalSearchTest, BoxKeepsItsTextWhileAPopupOrAnotherWindowHasTheFocus) {
    open();
    w->txtLocate->setText(QStringLiteral("Ch"));
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(w->txtLocate, &out);
        EXPECT_EQ(w->txtLocate->text(), QStringLiteral("Ch")) << reason;
    }
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);  // another control of the window
    QCoreApplication::sendEvent(w->txtLocate, &out);
    EXPECT_TRUE(w->txtLocate->text().isEmpty());
}

TEST_F(IncrementalSearchTest, EngineErrorIsShownUnderTheBoxTitleAndNothingMoves) {
    open();
    core::g().ContactsTable.reset();  // no index to search in
    type(QStringLiteral("C"));
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(lastBox().title, QStringLiteral("NameList.txtLocate"));
    EXPECT_EQ(current("SongName"), QStringLiteral("Apple Pie"));
}

TEST_F(IncrementalSearchTest, EmptyGridIgnoresKeys) {
    open();
    core::g().ContactsTable.reset();
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    w->Data1->refresh();
    type(QStringLiteral("C"));
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(IncrementalSearchTest, EnterOpensTheEditorOnTheFoundRowAndIsSwallowed) {
    open();
    bool editingSeen = false;
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::NameEdit), [&](const QString &) {
        editingSeen = core::g().EditingExistingRecord;
    });
    w->PendingMoveColumn = 5;
    int key = 13;
    w->txtLocate_KeyPress(key);
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(editingSeen);
    EXPECT_FALSE(core::g().EditingExistingRecord);
    EXPECT_EQ(w->PendingMoveColumn, 0);
}

TEST_F(IncrementalSearchTest, AlphabetLabelsTypeLettersDigitsSpaceAndBackspace) {
    EXPECT_EQ(IncrementalSearch::alphabetKeys(0), QStringLiteral("A"));
    EXPECT_EQ(IncrementalSearch::alphabetKeys(25), QStringLiteral("Z"));
    EXPECT_EQ(IncrementalSearch::alphabetKeys(26), QStringLiteral("0"));
    EXPECT_EQ(IncrementalSearch::alphabetKeys(35), QStringLiteral("9"));
    EXPECT_EQ(IncrementalSearch::alphabetKeys(36), QStringLiteral(" "));
    EXPECT_EQ(IncrementalSearch::alphabetKeys(37), QStringLiteral("{BS}"));
}

TEST_F(IncrementalSearchTest, OnScreenKeyboardStartsOnlyWithoutMouseAndWithTouchScreen) {
    open();
    int starts = 0;
    platform::ui::setOnScreenKeyboardLauncher([&] { ++starts; });
    struct Case { bool mouse, touch; int expected; };
    for (const Case c : {Case{true, true, 0}, Case{false, false, 0}, Case{false, true, 1}}) {
        IncrementalSearch::inputDevicesHook() = [c] { return IncrementalSearch::InputDevices{c.mouse, c.touch}; };
        starts = 0;
        w->txtLocate_Click();
        EXPECT_EQ(starts, c.expected) << c.mouse << c.touch;
    }
    IncrementalSearch::inputDevicesHook() = {};
    platform::ui::setOnScreenKeyboardLauncher({});
}

} // namespace
