#pragma once
// A data-bound grid over a DataControl: columns by index (caption, bound field, width in twips,
// alignment, divider style, visibility), row height, head and cell fonts, cell editing that
// writes through the recordset, the current cell (Col, Row, Bookmark), the selected-row
// bookmarks, and the grid's events as signals. The grid's current row is the data control's
// current row: moving one moves the other.
#include "platform/db/Recordset.h"
#include "platform/ui/GridModel.h"

#include <QFont>
#include <QList>
#include <QTableView>

class QKeyEvent;

namespace platform::ui {

class DataControl;

class DbGrid : public QTableView {
    Q_OBJECT
public:
    explicit DbGrid(QWidget *parent = nullptr);

    void setDataSource(DataControl *dc);
    DataControl *dataSource() const { return dc_; }
    GridModel *gridModel() const { return model_; }

    // Columns by index.
    int columnCount() const { return int(model_->columns().size()); }
    GridColumn column(int index) const;
    void setColumns(const QList<GridColumn> &columns);
    QString columnCaption(int index) const { return column(index).Caption; }
    QString columnDataField(int index) const { return column(index).DataField; }
    double columnWidth(int index) const { return column(index).Width; }
    int columnAlignment(int index) const { return column(index).Alignment; }
    int columnDividerStyle(int index) const { return column(index).DividerStyle; }
    bool columnVisible(int index) const { return column(index).Visible; }
    void setColumnCaption(int index, const QString &caption);
    void setColumnDataField(int index, const QString &field);
    void setColumnWidthTwips(int index, double twips);
    void setColumnAlignment(int index, int alignment);
    void setColumnDividerStyle(int index, int style);
    void setColumnVisible(int index, bool visible);
    // Columns.Add: a new column with default settings at `index`; Columns.Remove.
    void addColumn(int index);
    void removeColumn(int index);

    // Row height in twips (kept as set; drawn at the nearest whole pixel).
    double rowHeightTwips() const { return rowHeight_; }
    void setRowHeightTwips(double twips);
    QFont headFont() const { return headFont_; }
    void setHeadFont(const QFont &f);
    // The cell font is the widget's font (QWidget::font / setFont).

    bool allowUpdate() const { return model_->allowUpdate(); }
    void setAllowUpdate(bool on);
    bool isCellEditing() const { return editing_; }
    // Writes and closes a cell editor that is open.
    void endCellEdit();

    // The current cell. Col is a column index; Row is the current row's place among the
    // visible rows (0 = the top visible row), -1 when there is no current row.
    int col() const;
    void setCol(int column);
    int row() const;
    void setRow(int visibleRow);
    // The current row's bookmark (empty when none); setting it moves the data control.
    platform::db::Bookmark bookmark() const;
    void setBookmark(const platform::db::Bookmark &b);
    // The current row's position in the recordset (-1 none).
    int currentPosition() const;

    // The selected rows (highlighted), by bookmark.
    QList<platform::db::Bookmark> selBookmarks() const { return selBookmarks_; }
    int selBookmarkCount() const { return int(selBookmarks_.size()); }
    void addSelBookmark(const platform::db::Bookmark &b);
    void removeSelBookmark(int index);
    void clearSelBookmarks();

    // The bookmark of the row shown at a visible row number (empty when none).
    platform::db::Bookmark rowBookmark(int visibleRow) const;
    // The visible row number at a vertical position in viewport pixels (the y of mouseUp),
    // -1 when no row is there.
    int rowContaining(int y) const;
    // Number of rows that fit in the grid, the partly shown last one included.
    int visibleRows() const;
    // Position of the top visible row in the recordset.
    int firstRow() const;
    // Scrolls the grid by whole columns and rows without moving the current row.
    void scrollGrid(int columns, int rows);

    // Windows virtual-key code of a key event (0 when it has none; a key that types text and has
    // no key of its own, such as an accented letter or input-method text, gets VkPacket) and
    // the shift-state bits
    // (1 Shift, 2 Ctrl, 4 Alt) the grid's key events pass.
    static constexpr int VkPacket = 231;
    static int virtualKey(const QKeyEvent *e);
    static int shiftState(Qt::KeyboardModifiers m);
    double twipsPerPixel() const;

    // The grid never searches its own cells as keys are typed: typing in the grid belongs to
    // the program's search box (or to the cell being edited).
    void keyboardSearch(const QString &search) override;

signals:
    // A cell is about to enter edit mode; set cancel to keep it out.
    void beforeColEdit(int column, bool &cancel);
    // A cell left edit mode.
    void afterColEdit(int column);
    // An edited cell was written to its record.
    void afterColUpdate(int column);
    void gridClick();
    void gridDblClick();
    void headClick(int column);
    // The user changed a column's width.
    void colResize(int column);
    // Set keyCode (or keyAscii) to 0 to swallow the key.
    void keyDown(int &keyCode, int shift);
    void keyPress(int &keyAscii);
    // button: 1 left, 2 right, 4 middle; x, y in viewport pixels.
    void mouseUp(int button, int shift, int x, int y);
    // The current cell moved to another row or column. lastColumn is -1 when there was no
    // current cell before (a new recordset was bound).
    void rowColChange(const platform::db::Bookmark &lastRow, int lastColumn);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void paintGridLines(const QRegion &region);
    void onRecordsetReplaced();
    void onCurrentRowMoved();
    void onDataChanged();
    void onRowValuesChanged(long position);
    void followDataControl();
    void applyColumnView(int index);
    // Makes the head tall enough for each caption wrapped at word breaks within its column.
    void fitHeadHeight();
    void applyAllColumnViews();
    void reselect();
    int toPixels(double twips) const;

    DataControl *dc_ = nullptr;
    GridModel *model_ = nullptr;
    double rowHeight_ = 225;
    QFont headFont_;
    QList<platform::db::Bookmark> selBookmarks_;
    platform::db::Bookmark lastBookmark_;
    int wantedCol_ = 0;
    bool following_ = false;   // the grid is moving to the data control's row
    bool sizing_ = false;      // widths are being set from code
    bool editing_ = false;
    int editingCol_ = -1;
    // Rows whose values changed while a cell editor was open; redrawn once it has closed, so
    // that the editor commits into the model it was opened on.
    QList<int> rowsToRefresh_;
};

} // namespace platform::ui
