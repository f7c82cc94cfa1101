// The data-bound grid: rows read on demand, columns by index, the current row shared with the
// data control both ways, cell editing written through the recordset, selected rows, keys.
#include "common/TestEnv.h"
#include "platform/db/Database.h"
#include "platform/db/LocaleDate.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/GridStyle.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyledItemDelegate>

using namespace platform::ui;
using platform::db::Database;

namespace {

class DbGridTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        testenv::copyEmptyCatalogue(tmp.file("OVdata.mdb"));
        db = Database::open(tmp.file("OVdata.mdb"));
        db->beginTrans();
        for (int i = 0; i < 300; ++i)
            db->execute(QStringLiteral("Insert Into tblContacts (SongName, Artist, Year) Values ('Song %1', 'Artist %2', '19%3')")
                            .arg(i, 3, 10, QLatin1Char('0'))
                            .arg(i % 7)
                            .arg(i % 100, 2, 10, QLatin1Char('0')));
        db->commitTrans();
        dc.setDatabase(db.get());
        dc.setRecordSource(QStringLiteral("Select * from  tblContacts Order By SongName"));
        dc.refresh();
        grid.setColumns({{"x", "Selected", 165}, {"Song Name", "SongName", 3000}, {"Artist", "Artist", 2000}});
        grid.resize(600, 300);
        grid.setDataSource(&dc);
    }
    QString cell(int row, int col) { return grid.model()->index(row, col).data().toString(); }

    std::unique_ptr<Database> db;
    DataControl dc;
    DbGrid grid;
    ScriptedPrompts prompts;
};

TEST_F(DbGridTest, RowsComeFromTheRecordsetInItsOrder) {
    EXPECT_EQ(grid.model()->rowCount(), 300);
    EXPECT_EQ(cell(0, 1), QStringLiteral("Song 000"));
    EXPECT_EQ(cell(299, 2), QStringLiteral("Artist 5"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Song Name"));
}

TEST_F(DbGridTest, ColumnsAreAddedAndRemovedByIndexAndKeepTheirTwips) {
    grid.addColumn(2);
    grid.setColumnCaption(2, QStringLiteral("Year"));
    grid.setColumnDataField(2, QStringLiteral("Year"));
    grid.setColumnWidthTwips(2, 570);
    EXPECT_EQ(grid.columnCount(), 4);
    EXPECT_EQ(cell(1, 2), QStringLiteral("1901"));
    EXPECT_EQ(grid.columnDataField(3), QStringLiteral("Artist"));
    EXPECT_DOUBLE_EQ(grid.columnWidth(2), 570) << "the width is kept as set, not as drawn";
    EXPECT_EQ(grid.columnAlignment(2), AlignGeneral) << "a new column has the default alignment";
    grid.removeColumn(1);
    EXPECT_EQ(grid.columnDataField(1), QStringLiteral("Year"));
    EXPECT_EQ(grid.columnWidth(2), 2000) << "the other columns keep their widths after a removal";
    EXPECT_EQ(grid.horizontalHeader()->sectionSize(2), qRound(2000 / grid.twipsPerPixel()));
    EXPECT_THROW(grid.removeColumn(9), platform::db::DbError);
}

TEST_F(DbGridTest, CurrentRowIsSharedWithTheDataControlBothWays) {
    QList<int> lastCols;
    QObject::connect(&grid, &DbGrid::rowColChange, [&](const platform::db::Bookmark &, int lastCol) { lastCols << lastCol; });
    dc.findFirst(QStringLiteral("SongName = 'Song 150'"));
    EXPECT_EQ(grid.currentPosition(), 150);
    EXPECT_EQ(grid.bookmark(), dc.recordset()->bookmark());
    grid.setCurrentIndex(grid.model()->index(20, 1));
    EXPECT_EQ(dc.recordset()->value(QStringLiteral("SongName")).toString(), QStringLiteral("Song 020"));
    dc.refresh();
    EXPECT_EQ(grid.currentPosition(), 0);
    ASSERT_FALSE(lastCols.isEmpty());
    EXPECT_EQ(lastCols.last(), -1) << "after a new recordset there was no previous cell";
}

TEST_F(DbGridTest, RowNumbersCountFromTheTopVisibleRow) {
    grid.setRowHeightTwips(225.0709);
    grid.scrollGrid(0, 40);
    EXPECT_EQ(grid.firstRow(), 40);
    grid.setRow(2);
    EXPECT_EQ(grid.currentPosition(), 42);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.rowBookmark(2), dc.recordset()->bookmarkAt(42));
    const int y = grid.rowViewportPosition(42) + 2;
    EXPECT_EQ(grid.rowContaining(y), 2);
    EXPECT_EQ(grid.rowContaining(100000), -1);
    EXPECT_DOUBLE_EQ(grid.rowHeightTwips(), 225.0709);
    grid.scrollGrid(0, -1000);
    EXPECT_EQ(grid.firstRow(), 0) << "scrolling past the top stops there";
}

TEST_F(DbGridTest, EditedCellIsWrittenThroughTheRecordset) {
    int updated = -1;
    QObject::connect(&grid, &DbGrid::afterColUpdate, [&](int col) { updated = col; });
    const QModelIndex idx = grid.model()->index(3, 2);
    EXPECT_FALSE(grid.model()->setData(idx, QStringLiteral("New"), Qt::EditRole)) << "editing is off by default";
    grid.setAllowUpdate(true);
    ASSERT_TRUE(grid.model()->setData(idx, QStringLiteral("New Artist"), Qt::EditRole));
    EXPECT_EQ(updated, 2);
    auto rs = db->openRecordset(QStringLiteral("Select Artist from tblContacts Where SongName = 'Song 003'"));
    EXPECT_EQ(rs->value(0).toString(), QStringLiteral("New Artist"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("New Artist"));
}

TEST_F(DbGridTest, SelectedBookmarksAreKeptAndClearedByANewRecordset) {
    const auto b = dc.recordset()->bookmarkAt(7);
    grid.addSelBookmark(b);
    grid.addSelBookmark(b);
    EXPECT_EQ(grid.selBookmarkCount(), 1);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(7, {}));
    grid.removeSelBookmark(0);
    EXPECT_EQ(grid.selBookmarkCount(), 0);
    grid.addSelBookmark(b);
    dc.refresh();
    EXPECT_EQ(grid.selBookmarkCount(), 0);
}

TEST_F(DbGridTest, KeyDownHandlerCanSwallowAKey) {
    grid.setCurrentIndex(grid.model()->index(5, 1));
    QList<int> codes;
    QObject::connect(&grid, &DbGrid::keyDown, [&](int &code, int) {
        codes << code;
        if (code == 40)
            code = 0;
    });
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&grid, &down);
    EXPECT_EQ(grid.currentPosition(), 5) << "the swallowed Down key does not move";
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(&grid, &up);
    EXPECT_EQ(grid.currentPosition(), 4);
    EXPECT_EQ(codes, (QList<int>{40, 38}));
}

TEST(GridCells, DateAndTimeShowWithoutATimeZone) {
    const QLocale saved;
    for (const QLocale &loc : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
                               QLocale::c()}) {
        QLocale::setDefault(loc);
        const QString text = GridModel::displayText(QDateTime(QDate(2024, 1, 5), QTime(6, 17, 8)));
        const QString date = loc.toString(QDate(2024, 1, 5), platform::db::LocaleDate::shortDateFormat(loc));
        EXPECT_TRUE(date.contains(QStringLiteral("2024"))) << date.toStdString();
        EXPECT_TRUE(text.startsWith(date)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("17:08"))) << text.toStdString();
        const QString zone = QDateTime(QDate(2024, 1, 5), QTime(6, 17, 8)).timeZoneAbbreviation();
        EXPECT_FALSE(text.contains(zone)) << "the zone only widens the cell: " << text.toStdString();
        EXPECT_EQ(text, text.trimmed());
        EXPECT_EQ(GridModel::displayText(QDateTime(QDate(2024, 1, 5), QTime(0, 0))), date)
            << "midnight shows the date alone";
    }
    QLocale::setDefault(saved);
}

TEST_F(DbGridTest, TypedKeysNeverRunTheGridsOwnSearch) {
    dc.setAbsolutePosition(5);
    grid.setCol(1);
    for (const char *text : {"S", "s", "ö", "'"}) {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(text));
        QCoreApplication::sendEvent(&grid, &e);
        EXPECT_EQ(grid.currentPosition(), 5) << text;
    }
    EXPECT_EQ(dc.recordset()->absolutePosition(), 5);
}

TEST_F(DbGridTest, RowWrittenWhileACellIsEditedIsRedrawnAfterTheEditorCloses) {
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    dc.setAbsolutePosition(2);
    db->execute(QStringLiteral("Update tblContacts Set Artist = 'Changed' Where SongName = 'Song 002'"));
    dc.currentRowValuesChanged();
    EXPECT_EQ(cell(2, 2), QStringLiteral("Changed"));
    EXPECT_EQ(resets.count(), 0) << "one row is redrawn, the others are kept";
}

// The grid keeps its texts laid out between paints, fills its lines itself and draws its panels
// past Fusion; what it paints must still be what the stock delegate, the view's own lines and
// the application's style paint, at 100 % and 150 %, in a light and a dark palette, under the
// program's scroll bar sheet, a sheet that pads and colours items and one that colours the
// lines, in a font whose line is a fraction of a pixel high, with texts cut to narrow columns
// (left- and right-aligned), a hidden column, alternating rows, right to left, the current
// row's colours and a row that changed since the last paint.
TEST_F(DbGridTest, CellsPaintAsTheStockDelegatePaintsThem) {
    ASSERT_TRUE(GridStyle::instance()) << "the tests run under Fusion";
    const auto shot = [&](qreal scale) {
        QImage img(grid.viewport()->size() * scale, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(scale);
        img.fill(Qt::magenta);
        grid.viewport()->render(&img);
        return img;
    };
    const auto same = [&](const char *what) {
        for (const qreal scale : {1.0, 1.5}) {
            // A new style lays the view out again at once, as a new sheet, palette or font does
            // only when the view is next shown: both sides are drawn just after one.
            grid.setStyle(GridStyle::instance());
            shot(scale); // the first paint may still lay the view out (its scroll bar, its viewport's size)
            const QImage ours = shot(scale);
            QAbstractItemDelegate *kept = grid.itemDelegate();
            QStyledItemDelegate stock;
            grid.setItemDelegate(&stock);
            grid.setGridStyle(Qt::SolidLine);
            grid.setStyle(nullptr);
            shot(scale);
            const QImage theirs = shot(scale);
            grid.setStyle(GridStyle::instance());
            grid.setGridStyle(Qt::NoPen);
            grid.setItemDelegate(kept);
            EXPECT_TRUE(ours == theirs) << what << " at " << scale;
        }
    };
    // The record number is right-aligned, and cut in a narrow column.
    grid.setColumns({{"x", "Selected", 165}, {"Song Name", "SongName", 3000}, {"Artist", "Artist", 2000}, {"No", "RecordID", 600}});
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    const QString sheet = qApp->styleSheet();
    const QString sheets[] = {QString(), QStringLiteral("QScrollBar:vertical { width: 30px; }"),
                              QStringLiteral("QTableView::item { padding-left: 9px; color: #a02020; }"),
                              QStringLiteral("QTableView { gridline-color: #3060c0; }")};
    QFont odd = grid.font();
    odd.setPointSizeF(10.3); // a line height of a fraction of a pixel
    for (const QString &extra : sheets) {
        for (const QPalette &palette : {QPalette(), dark}) {
            grid.setFont(palette == dark ? odd : QFont());
            qApp->setStyleSheet(extra);
            grid.setPalette(palette);
            const std::string under = " under \"" + extra.toStdString() + "\"";
            grid.setColumnWidthTwips(1, 3000);
            grid.setColumnWidthTwips(3, 600);
            dc.setAbsolutePosition(3);
            same(("wide columns" + under).c_str());
            grid.setColumnVisible(2, false);
            same(("a hidden column" + under).c_str());
            grid.setColumnVisible(2, true);
            grid.setAlternatingRowColors(true); // the row panels then show
            same(("alternating rows" + under).c_str());
            grid.setAlternatingRowColors(false);
            grid.setLayoutDirection(Qt::RightToLeft);
            same(("right to left" + under).c_str());
            grid.setLayoutDirection(Qt::LeftToRight);
            grid.setColumnWidthTwips(1, 600); // "Song 000" no longer fits: it is cut with an ellipsis
            grid.setColumnWidthTwips(3, 250);
            same(("a narrow column" + under).c_str());
            db->execute(QStringLiteral("Update tblContacts Set SongName = 'Song 003 renamed at length' Where SongName = 'Song 003'"));
            dc.currentRowValuesChanged();
            same(("a row changed since the last paint" + under).c_str());
            db->execute(QStringLiteral("Update tblContacts Set SongName = 'Song 003' Where SongName = 'Song 003 renamed at length'"));
            dc.currentRowValuesChanged();
        }
    }
    qApp->setStyleSheet(sheet);
}

// The grid's scroll bars keep their groove as a picture between paints, and draw a tall slider
// in bands; what they show must still be what the style draws, pixel for pixel: wherever the
// slider stands (the picture is drawn once and reused), short or a third of the bar, across and
// down, enabled or not, in a light and a dark palette, right to left, under the program's scroll
// bar sheet, at 100 %, 150 % and 175 %, and placed on a whole device pixel or between two.
TEST_F(DbGridTest, ScrollBarsPaintAsTheStyleDrawsThem) {
    QPalette dark;
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    const QString sheet = qApp->styleSheet();
    const auto shot = [](QScrollBar *bar, qreal scale, QPoint offset) {
        QImage img((bar->size() + QSize(2, 2)) * scale, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(scale);
        img.fill(Qt::magenta);
        bar->render(&img, offset);
        return img;
    };
    for (const QString &extra : {QString(), QStringLiteral("QScrollBar:vertical { width: 30px; } QScrollBar:horizontal { height: 30px; }")}) {
        qApp->setStyleSheet(extra);
        for (QScrollBar *ours : {grid.verticalScrollBar(), grid.horizontalScrollBar()}) {
            for (const QPalette &palette : {QPalette(), dark})
                for (const bool enabled : {true, false})
                    for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft})
                        for (const int range : {5000, 80}) {
                            // The grid lays its bars out at its first paint; a bar of its own is no window.
                            shot(ours, 1.0, QPoint());
                            QWidget holder;
                            QScrollBar stock(ours->orientation(), &holder);
                            stock.resize(ours->size());
                            for (QScrollBar *bar : {ours, &stock}) {
                                bar->setPalette(palette);
                                bar->setEnabled(enabled);
                                bar->setLayoutDirection(direction);
                                bar->setRange(0, range);
                                bar->setPageStep(40);
                            }
                            for (const int value : {0, range / 4, range}) {
                                ours->setValue(value);
                                stock.setValue(value);
                                for (const qreal scale : {1.0, 1.5, 1.75})
                                    for (const QPoint offset : {QPoint(0, 0), QPoint(1, 1)})
                                        EXPECT_TRUE(shot(ours, scale, offset) == shot(&stock, scale, offset))
                                            << (ours->orientation() == Qt::Vertical ? "down" : "across") << ", value "
                                            << value << " of " << range << (enabled ? "" : ", disabled")
                                            << (palette == dark ? ", dark" : "")
                                            << (direction == Qt::RightToLeft ? ", right to left" : "") << ", at "
                                            << scale << " from " << offset.x() << " under \"" << extra.toStdString()
                                            << '"';
                            }
                        }
        }
    }
    qApp->setStyleSheet(sheet);
}

TEST(DbGridKeys, VirtualKeyCodesFollowTheKeyboard) {
    struct Case { int key; Qt::KeyboardModifiers mods; int vk; } cases[] = {
        {Qt::Key_A, Qt::NoModifier, 65}, {Qt::Key_F1, Qt::NoModifier, 112}, {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Delete, Qt::NoModifier, 46}, {Qt::Key_5, Qt::KeypadModifier, 101}, {Qt::Key_5, Qt::NoModifier, 53},
        {Qt::Key_BracketLeft, Qt::NoModifier, 219}, {Qt::Key_BraceRight, Qt::ShiftModifier, 221},
    };
    for (const auto &c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(DbGrid::virtualKey(&e), c.vk) << c.key;
    }
    // Keys outside the mapping: known by their text when they type one, else by nothing.
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier, QStringLiteral("ö"));
    EXPECT_EQ(DbGrid::virtualKey(&accented), DbGrid::VkPacket);
    QKeyEvent fromInputMethod(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("日"));
    EXPECT_EQ(DbGrid::virtualKey(&fromInputMethod), DbGrid::VkPacket);
    QKeyEvent silent(QEvent::KeyPress, Qt::Key_VolumeUp, Qt::NoModifier);
    EXPECT_EQ(DbGrid::virtualKey(&silent), 0);
    EXPECT_EQ(DbGrid::shiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}

} // namespace
