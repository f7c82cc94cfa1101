// Marks: the toggle on a row change into the mark column, the count, and the show, hide and
// clear commands, also from a category view and in a duplicate view.
#include "CommandsFixture.h"

#include "songlist/SelectionMarks.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using songlist::SelectionMarks;

namespace {

class SelectionMarksTest : public CommandsTest {
protected:
    // A click in the mark column of the row found by the criteria, with the toggle armed.
    void clickMark(const QString &criteria) {
        go(criteria);
        w->MarkColumnClicked = true;
        w->Table1->setCol(1);
        w->Table1->setCol(0);  // the row change into column 0
    }
    QString marks() { return value(QStringLiteral("Select Count(*) from tblContacts Where Selected = 'x'")); }
};

TEST_F(SelectionMarksTest, ToggleMarksAndUnmarksKeepingTheCountAndTheButton) {
    open();
    clickMark(QStringLiteral("SongName = 'Cherry'"));
    EXPECT_EQ(value(QStringLiteral("Select Selected from tblContacts Where SongName = 'Cherry'")), "x");
    EXPECT_EQ(core::g().SelectedCount, 1);
    EXPECT_TRUE(w->cmdShowSelected->isVisibleTo(w));
    EXPECT_EQ(w->Table1->col(), 1);
    EXPECT_FALSE(w->MarkColumnClicked);
    clickMark(QStringLiteral("SongName = 'Cherry'"));
    EXPECT_EQ(marks(), "0");
    EXPECT_EQ(core::g().SelectedCount, 0);
    EXPECT_FALSE(w->cmdShowSelected->isVisibleTo(w));

    // A mark left from an earlier run counts down to 0, never below.
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Selected='x' Where SongName='zebra'"));
    w->Data1->refresh();
    clickMark(QStringLiteral("SongName = 'zebra'"));
    EXPECT_EQ(core::g().SelectedCount, 0);
    EXPECT_EQ(marks(), "0");

    // Without the armed flag (a key moved the row) nothing toggles.
    go(QStringLiteral("SongName = 'Elder'"));
    w->Table1->setCol(0);
    EXPECT_EQ(marks(), "0");
}

TEST_F(SelectionMarksTest, RowChangeFillsTheNameBoxAndTheArtistButton) {
    open();
    go(QStringLiteral("SongName = 'Fig & Date'"));
    EXPECT_EQ(SelectionMarks::nameBoxText(*w->Data1->recordset()),
              QStringLiteral("Fig & Date\r\nSimon & Co\r\nFruit\r\n/music/Fig & Date.mp3"));
    EXPECT_EQ(w->txtName->toPlainText(), QStringLiteral("Fig & Date\nSimon & Co\nFruit\n/music/Fig & Date.mp3"));
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QStringLiteral("Show all songs by Simon && Co"));
    go(QStringLiteral("SongName = 'Elder'"));
    EXPECT_FALSE(w->cmdShowArtistSongs->isVisibleTo(w));

    // A name of a million characters (a foreign catalogue's) shows its start: the box would lay
    // the whole name out for over a minute. A name with a character outside the BMP at the cut
    // keeps it whole or leaves it out.
    const QString huge = QString(SelectionMarks::NameBoxFieldLimit - 1, u'N') + QString::fromUcs4(U"🎵") +
                         QString(1'000'000, u'n');
    core::g().Db->execute(QStringLiteral("Insert Into tblContacts (SongName, Artist) Values (?, 'Very Long')"),
                          {huge});
    w->Data1->refresh();
    go(QStringLiteral("Artist = 'Very Long'"));
    const QString shown = SelectionMarks::nameBoxText(*w->Data1->recordset());
    EXPECT_EQ(shown, QString(SelectionMarks::NameBoxFieldLimit - 1, u'N') + QChar(0x2026) + "\r\nVery Long\r\n");
    EXPECT_LT(w->txtName->toPlainText().size(), 2 * SelectionMarks::NameBoxFieldLimit);
}

TEST_F(SelectionMarksTest, ShowHideAndClearFromACategoryView) {
    open();
    auto &s = core::g();
    clickMark(QStringLiteral("SongName = 'Apple Pie'"));
    clickMark(QStringLiteral("SongName = 'zebra'"));
    ASSERT_EQ(s.SelectedCount, 2);
    // A category view over the category query.
    s.RecordSourceName = QStringLiteral("qryContacts");
    s.CategoryClause = QStringLiteral(" CategoryNumber = 1 ");
    s.WhereClause = QStringLiteral(" Where ") + s.CategoryClause;

    w->cmdShowSelected_Click();
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts Where Selected = 'x' ") + s.OrderByClause);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(s.RecordSourceName, QStringLiteral("tblContacts"));
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Showing selected records only."));
    EXPECT_FALSE(w->cmdAdd->isEnabled());
    EXPECT_FALSE(w->cmdShowSelected->isVisibleTo(w));

    // Hide and clear rebuild the view from tblContacts, every song once.
    w->HideSelectedMenu_Click();
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts Where Selected < 'x' ") + s.OrderByClause);
    EXPECT_EQ(count(), 8);
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Hiding selected records."));
    w->RemoveSelectionsMenu_Click();
    EXPECT_EQ(count(), 10);
    EXPECT_EQ(s.SelectedCount, 0);
    EXPECT_EQ(marks(), "0");
    EXPECT_TRUE(s.SelectedClause.isEmpty());
    EXPECT_TRUE(w->cmdAdd->isEnabled());
}

TEST_F(SelectionMarksTest, HideAppendsToAConditionAndDuplicateViewsKeepTheirMarks) {
    open();
    auto &s = core::g();
    clickMark(QStringLiteral("SongName = 'Cherry'"));
    s.WhereClause = QStringLiteral(" Where Artist = 'ABBA'");
    w->HideSelectedMenu_Click();
    EXPECT_EQ(s.SelectedClause, QStringLiteral(" And Selected < 'x' "));
    EXPECT_EQ(count(), 1);

    // The words "inner join" in a quoted value are part of the condition, not a join.
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Artist = 'Inner Join Band' Where Artist = 'ABBA'"));
    w->ShowAllMenu_Click();
    go(QStringLiteral("SongName = 'Cherry'"));
    w->cmdShowArtistSongs_Click();
    ASSERT_EQ(count(), 2);
    w->HideSelectedMenu_Click();
    EXPECT_EQ(s.SelectedClause, QStringLiteral(" And Selected < 'x' "));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(current("SongName"), QStringLiteral("Apple Pie"));

    w->mnuShowDuplicates_Click();
    clickMark(QStringLiteral("RecordID > 0"));
    EXPECT_EQ(marks(), "1");
    w->RemoveSelectionsMenu_Click();
    w->HideSelectedMenu_Click();
    EXPECT_EQ(marks(), "1");
    EXPECT_TRUE(w->isDuplicateView());
    w->ShowSelectedOnlyMenu_Click();  // replaces the duplicate view
    EXPECT_EQ(count(), 1);
}

} // namespace
