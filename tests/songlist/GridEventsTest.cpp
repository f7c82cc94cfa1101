// The grid's own events: the key rules (with the text a key types), the cell-edit stamp, the
// step off the mark column, the two-click column move and the right-button popup.
#include "CommandsFixture.h"

#include "songlist/GridEvents.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QMenu>

using songlist::GridEvents;
namespace ui = platform::ui;

namespace {

using GridEventsTest = CommandsTest;

TEST(GridEventsKeys, GridKeysTypeTheirOwnTextIntoTheSearchBox) {
    struct Case { const char *text; int code; const char *keys; };
    const Case cases[] = {
        {"a", 65, "A"},       // letters arrive as capitals
        {"1", 97, "1"},       // keypad digit: its digit, not the letter of code 97
        {"+", 107, "+"},      // keypad plus
        {"", 112, ""},        // F1 types nothing
        {"", 65, "A"},        // no text given: derived from the code
        {"é", 0, "É"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GridEvents::forwardedText(QString::fromUtf8(c.text).isEmpty() ? GridEvents::keyTextFor(c.code)
                                                                                 : QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.keys))
            << c.text << " " << c.code;
}

TEST_F(GridEventsTest, KeyRulesSwallowEditingKeysOpenTheEditorAndCancelAMove) {
    open();
    registerWindow(songlist::OtherWindows::NameEdit);
    int key = 36;  // Home, no cell being edited
    w->PendingMoveColumn = 5;
    w->MarkColumnClicked = true;
    w->Table1_KeyDown(key, 0);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(w->PendingMoveColumn, 0);
    EXPECT_FALSE(w->MarkColumnClicked);
    EXPECT_TRUE(prompts.asked().isEmpty());
    w->GridCellEditing = true;
    key = 46;
    w->Table1_KeyDown(key, 0);
    EXPECT_EQ(key, 46);
    key = 40;
    w->Table1_KeyDown(key, 0);
    EXPECT_EQ(key, 40);
    key = 13;
    w->txtName_KeyDown(key, 0);
    EXPECT_EQ(opened, QStringList{QStringLiteral("NameEdit:View/Edit an Existing Record")});
    key = 97;  // keypad 1 with grid editing off: the grid does not keep it
    w->Table1_KeyDown(key, 0, QStringLiteral("1"));
    EXPECT_EQ(key, 0);
    w->Table1->setAllowUpdate(true);
    key = 65;
    w->Table1_KeyDown(key, 0, QStringLiteral("a"));
    EXPECT_EQ(key, 65);
}

TEST_F(GridEventsTest, CellEditStampsDateUpdatedOnTheCurrentRecord) {
    open();
    go(QStringLiteral("SongName = 'Cherry'"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w->Table1_StampDateUpdated();
    const QDateTime stamped =
        core::g().Db->openRecordset(QStringLiteral("Select DateUpdated from tblContacts Where SongName='Cherry'"))
            ->value(0).toDateTime();
    EXPECT_GE(stamped, before);
    EXPECT_EQ(value(QStringLiteral("Select Count(*) from tblContacts Where DateUpdated Is Not Null")), "1");
}

namespace {
QStringList *warnings = nullptr;
void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (warnings && type == QtWarningMsg)
        *warnings << text;
}
} // namespace

TEST_F(GridEventsTest, CellEditCommittedWithEnterKeepsTheFocusInTheGrid) {
    open();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->GridEditMenu_Click();
    go(QStringLiteral("SongName = 'Cherry'"));
    const qint64 id = w->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong();
    const int row = w->Table1->currentPosition();
    w->Table1->setCol(1);
    w->Table1->setFocus();
    QStringList seen;
    warnings = &seen;
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    QTest::keyClick(w->Table1, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, w->Table1);
    ASSERT_TRUE(w->GridCellEditing);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Cherry Ripe"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits and closes from a queued call
    qInstallMessageHandler(previous);
    warnings = nullptr;
    EXPECT_TRUE(seen.isEmpty()) << seen.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(value(QStringLiteral("Select SongName from tblContacts Where RecordID = %1").arg(id)),
              QStringLiteral("Cherry Ripe"));
    EXPECT_NE(value(QStringLiteral("Select DateUpdated from tblContacts Where RecordID = %1").arg(id)), QString());
    EXPECT_FALSE(w->GridCellEditing);
    EXPECT_EQ(QApplication::focusWidget(), w->Table1);
    EXPECT_EQ(w->Table1->model()->index(row, 1).data().toString(), QStringLiteral("Cherry Ripe"));
    QTest::keyClick(w->Table1, Qt::Key_Down);
    EXPECT_EQ(w->Table1->currentPosition(), row + 1) << "the arrows move the grid again";
    w->hide();
}

TEST_F(GridEventsTest, ClickInTheMarkColumnStepsToColumnOneAndArmsTheToggle) {
    open();
    w->GridJustLoaded = true;
    w->Table1->setCol(0);
    w->Table1_SkipMarkColumn();
    EXPECT_EQ(w->Table1->col(), 0);  // the first click after loading stays
    EXPECT_TRUE(w->MarkColumnClicked);
    w->Table1_SkipMarkColumn();
    EXPECT_EQ(w->Table1->col(), 1);
    core::g().PlayListAddSongMode = true;
    w->Table1_SkipMarkColumn();
    EXPECT_FALSE(w->MarkColumnClicked);
    EXPECT_FALSE(core::g().PlayListAddSongMode);
}

TEST_F(GridEventsTest, TwoClickMoveLandsBesideTheClickedColumnAndMarksTheLayout) {
    open();
    auto fields = [&] {
        QStringList f;
        for (int i = 0; i < w->Table1->columnCount(); ++i)
            f << w->Table1->columnDataField(i);
        return f;
    };
    const QStringList start = fields();
    w->Table1_MoveColumn(2);  // the three left-most columns do not move
    EXPECT_EQ(w->PendingMoveColumn, 0);
    w->Table1_MoveColumn(5);
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(lastBox().title, QStringLiteral("Column move started"));
    EXPECT_EQ(lastBox().text, QStringLiteral("The next column heading you click will cause the ") +
                                  w->Table1->columnCaption(5) +
                                  QStringLiteral(" column to move beside that column. You cannot move to the 3 "
                                                 "left-most columns."));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::OKCancel);
    w->Table1_MoveColumn(8);
    QStringList expected = start;
    expected.move(5, 8);  // right of the column that was 8
    EXPECT_EQ(fields(), expected);
    EXPECT_EQ(w->Table1->columnDividerStyle(8), ui::DividerInset);
    EXPECT_TRUE(w->ColumnsChanged);

    w->Table1_MoveColumn(8);
    w->Table1_MoveColumn(5);
    EXPECT_EQ(fields(), start);  // left of the column at 5

    prompts.answer(ui::Answer::Cancel);
    w->Table1_MoveColumn(6);
    EXPECT_EQ(w->PendingMoveColumn, 0);
}

TEST_F(GridEventsTest, RightClickBelowTheRowsClearsTheSelectionAndShowsNoMenu) {
    open();
    core::g().CurrentPlayList = QStringLiteral("Road");
    w->Table1->addSelBookmark(w->Table1->rowBookmark(1));
    w->Table1_ShowPopupMenu(2, 0, 5, 100000);
    EXPECT_TRUE(core::g().PlayListAddSongMode);
    EXPECT_EQ(w->Table1->selBookmarkCount(), 0);
    EXPECT_FALSE(w->mnuPopup->isVisible());
    EXPECT_EQ(w->mnuPopupAddToPlaylist->text(), QStringLiteral("Add song to play list \"Road\""));

    w->Table1_ShowPopupMenu(2, 0, 5, w->Table1->rowViewportPosition(2) + 1);
    EXPECT_EQ(w->Table1->selBookmarkCount(), 1);
    EXPECT_EQ(w->Table1->currentPosition(), 2);
    EXPECT_TRUE(w->mnuPopup->isVisible());
    w->mnuPopup->hide();
}

} // namespace
