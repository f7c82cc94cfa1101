#include "platform/ui/DbGrid.h"

#include "platform/ui/DataControl.h"
#include "platform/ui/GridCellDelegate.h"
#include "platform/ui/GridStyle.h"
#include "platform/ui/PromptService.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>
#include <utility>

namespace platform::ui {

using platform::db::Bookmark;
using platform::db::DbError;

namespace {
// Runs a signal emission from an event handler: nothing may cross the event loop.
template <class F>
void guarded(F &&f) {
    try {
        f();
    } catch (const DbError &e) {
        msgBox(e.description(), Buttons::OK, Icon::Critical, QCoreApplication::applicationName());
    } catch (const std::exception &e) {
        msgBox(QString::fromUtf8(e.what()), Buttons::OK, Icon::Critical, QCoreApplication::applicationName());
    } catch (...) {
    }
}
} // namespace

DbGrid::DbGrid(QWidget *parent) : QTableView(parent), model_(new GridModel(this)) {
    setModel(model_);
    setItemDelegate(new GridCellDelegate(this));
    // The grid's solid lines are filled as rectangles (paintGridLines): the view's own pen draws
    // them a pixel at a time, a sixth of a repaint. The view keeps its room for them.
    setGridStyle(Qt::NoPen);
    if (QStyle *style = GridStyle::instance()) {
        setStyle(style);
        verticalScrollBar()->setStyle(style);
        horizontalScrollBar()->setStyle(style);
    }
    // Rows are the selection unit; the user selects nothing by clicking (the selected rows are
    // the bookmarks the program puts in selBookmarks).
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setSortingEnabled(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(2);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // A caption wider than its column wraps at word breaks instead of being cut; the head
    // grows to the lines it needs (fitHeadHeight).
    horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    headFont_ = font();
    setRowHeightTwips(rowHeight_);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { guarded([&] { emit headClick(section); }); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int newSize) {
        if (sizing_ || section < 0 || section >= columnCount() || newSize <= 0)
            return;
        model_->columnRef(section).Width = newSize * twipsPerPixel();
        fitHeadHeight();
        guarded([&] { emit colResize(section); });
    });
    connect(model_, &GridModel::cellWritten, this, [this](int column) { emit afterColUpdate(column); });
    connect(model_, &GridModel::writeFailed, this, [](const QString &message) {
        msgBox(message, Buttons::OK, Icon::Exclamation, QCoreApplication::applicationName());
    });
}

void DbGrid::setDataSource(DataControl *dc) {
    if (dc_)
        disconnect(dc_, nullptr, this, nullptr);
    dc_ = dc;
    if (dc_) {
        connect(dc_, &DataControl::recordsetReplaced, this, &DbGrid::onRecordsetReplaced);
        connect(dc_, &DataControl::currentRowMoved, this, &DbGrid::onCurrentRowMoved);
        connect(dc_, &DataControl::dataChanged, this, &DbGrid::onDataChanged);
        connect(dc_, &DataControl::rowValuesChanged, this, &DbGrid::onRowValuesChanged);
        connect(dc_, &QObject::destroyed, this, [this] { dc_ = nullptr; model_->setDataControl(nullptr); });
    }
    model_->setDataControl(dc_);
    onRecordsetReplaced();
}

// ---- columns ----------------------------------------------------------------------------

GridColumn DbGrid::column(int index) const {
    if (index < 0 || index >= columnCount())
        throw DbError(platform::db::err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return model_->columns().at(index);
}

void DbGrid::setColumns(const QList<GridColumn> &columns) {
    sizing_ = true;
    model_->setColumns(columns);
    sizing_ = false;
    applyAllColumnViews();
    fitHeadHeight();
}

namespace {
void checkIndex(const DbGrid &g, int index) {
    if (index < 0 || index >= g.columnCount())
        throw DbError(platform::db::err::ItemNotFound, QStringLiteral("Item not found in this collection."));
}
} // namespace

void DbGrid::setColumnCaption(int index, const QString &caption) {
    checkIndex(*this, index);
    model_->columnRef(index).Caption = caption;
    model_->columnChanged(index);
    fitHeadHeight();
}

void DbGrid::setColumnDataField(int index, const QString &field) {
    checkIndex(*this, index);
    model_->columnRef(index).DataField = field;
    model_->columnChanged(index);
}

void DbGrid::setColumnWidthTwips(int index, double twips) {
    checkIndex(*this, index);
    model_->columnRef(index).Width = twips;
    applyColumnView(index);
    fitHeadHeight();
}

void DbGrid::setColumnAlignment(int index, int alignment) {
    checkIndex(*this, index);
    model_->columnRef(index).Alignment = alignment;
    model_->columnChanged(index);
}

void DbGrid::setColumnDividerStyle(int index, int style) {
    checkIndex(*this, index);
    model_->columnRef(index).DividerStyle = style;
}

void DbGrid::setColumnVisible(int index, bool visible) {
    checkIndex(*this, index);
    model_->columnRef(index).Visible = visible;
    applyColumnView(index);
}

void DbGrid::addColumn(int index) {
    if (index < 0 || index > columnCount())
        throw DbError(platform::db::err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    sizing_ = true;
    model_->insertGridColumn(index, GridColumn{});
    sizing_ = false;
    applyAllColumnViews();
    fitHeadHeight();
}

void DbGrid::removeColumn(int index) {
    checkIndex(*this, index);
    sizing_ = true;
    model_->removeGridColumn(index);
    sizing_ = false;
    applyAllColumnViews();
    fitHeadHeight();
}

void DbGrid::applyColumnView(int index) {
    if (index < 0 || index >= columnCount())
        return;
    const GridColumn &c = model_->columns().at(index);
    sizing_ = true;
    setColumnWidth(index, std::max(0, toPixels(c.Width)));
    setColumnHidden(index, !c.Visible);
    sizing_ = false;
}

void DbGrid::applyAllColumnViews() {
    for (int i = 0; i < columnCount(); ++i)
        applyColumnView(i);
}

void DbGrid::fitHeadHeight() {
    QHeaderView *head = horizontalHeader();
    const QFontMetrics fm(head->font());
    const int margin = 2 * head->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head);
    int lines = 1;
    for (int i = 0; i < columnCount(); ++i) {
        if (head->isSectionHidden(i))
            continue;
        const int room = std::max(1, head->sectionSize(i) - margin);
        const QRect r = fm.boundingRect(QRect(0, 0, room, 100000), int(Qt::AlignCenter | Qt::TextWordWrap),
                                        model_->columns().at(i).Caption);
        lines = std::max(lines, int((r.height() + fm.height() - 1) / fm.height()));
    }
    // One line keeps the style's own height; each further line adds a line's height.
    head->setMinimumHeight(lines > 1 ? head->sizeHint().height() + (lines - 1) * fm.height() : 0);
}

// ---- rows, fonts, editing -------------------------------------------------------------------

double DbGrid::twipsPerPixel() const {
    const int dpi = logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int DbGrid::toPixels(double twips) const { return int(std::lround(twips / twipsPerPixel())); }

void DbGrid::setRowHeightTwips(double twips) {
    rowHeight_ = twips;
    verticalHeader()->setDefaultSectionSize(std::max(1, toPixels(twips)));
}

void DbGrid::setHeadFont(const QFont &f) {
    headFont_ = f;
    horizontalHeader()->setFont(f);
    fitHeadHeight();
}

void DbGrid::setAllowUpdate(bool on) {
    if (!on)
        endCellEdit();
    model_->setAllowUpdate(on);
    setEditTriggers(on ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}

void DbGrid::endCellEdit() {
    if (!editing_)
        return;
    QWidget *fw = QApplication::focusWidget();
    if (fw && fw != this && fw != viewport() && isAncestorOf(fw)) {
        commitData(fw);
        closeEditor(fw, QAbstractItemDelegate::NoHint);
    }
    if (editing_) {
        editing_ = false;
        const int c = editingCol_;
        editingCol_ = -1;
        guarded([&] { emit afterColEdit(c); });
    }
}

// ---- current cell -------------------------------------------------------------------------

int DbGrid::col() const { return currentIndex().isValid() ? currentIndex().column() : wantedCol_; }

void DbGrid::setCol(int column) {
    if (column < 0 || column >= columnCount())
        return;
    wantedCol_ = column;
    const QModelIndex cur = currentIndex();
    if (cur.isValid() && cur.column() != column)
        selectionModel()->setCurrentIndex(model_->index(cur.row(), column), QItemSelectionModel::NoUpdate);
}

int DbGrid::firstRow() const {
    const int r = rowAt(0);
    return r >= 0 ? r : std::max(0, verticalScrollBar()->value());
}

int DbGrid::row() const {
    const QModelIndex cur = currentIndex();
    return cur.isValid() ? cur.row() - firstRow() : -1;
}

void DbGrid::setRow(int visibleRow) {
    const int pos = firstRow() + visibleRow;
    if (dc_ && pos >= 0 && pos < model_->rowCount())
        dc_->setAbsolutePosition(pos);
}

int DbGrid::currentPosition() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

Bookmark DbGrid::bookmark() const {
    const QModelIndex cur = currentIndex();
    if (!cur.isValid() || !dc_ || !dc_->recordset())
        return {};
    try {
        return dc_->recordset()->bookmarkAt(cur.row());
    } catch (const DbError &) {
        return {};
    }
}

void DbGrid::setBookmark(const Bookmark &b) {
    if (dc_)
        dc_->setBookmark(b);
}

void DbGrid::addSelBookmark(const Bookmark &b) {
    if (!selBookmarks_.contains(b))
        selBookmarks_.append(b);
    reselect();
}

void DbGrid::removeSelBookmark(int index) {
    if (index < 0 || index >= selBookmarks_.size())
        throw DbError(platform::db::err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    selBookmarks_.removeAt(index);
    reselect();
}

void DbGrid::clearSelBookmarks() {
    selBookmarks_.clear();
    reselect();
}

void DbGrid::reselect() {
    selectionModel()->clearSelection();
    if (!dc_ || !dc_->recordset())
        return;
    for (const Bookmark &b : selBookmarks_) {
        long pos = -1;
        try { pos = dc_->recordset()->positionOf(b); } catch (const DbError &) {}
        if (pos >= 0 && pos < model_->rowCount())
            selectionModel()->select(model_->index(int(pos), 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

Bookmark DbGrid::rowBookmark(int visibleRow) const {
    const int pos = firstRow() + visibleRow;
    if (!dc_ || !dc_->recordset() || visibleRow < 0 || pos >= model_->rowCount())
        return {};
    try {
        return dc_->recordset()->bookmarkAt(pos);
    } catch (const DbError &) {
        return {};
    }
}

int DbGrid::rowContaining(int y) const {
    const int r = rowAt(y);
    return r < 0 ? -1 : r - firstRow();
}

int DbGrid::visibleRows() const {
    const int h = std::max(1, verticalHeader()->defaultSectionSize());
    const int fit = (viewport()->height() + h - 1) / h;
    return std::max(0, std::min(fit, model_->rowCount() - firstRow()));
}

void DbGrid::scrollGrid(int columns, int rows) {
    if (rows != 0) {
        QScrollBar *v = verticalScrollBar();
        v->setValue(std::clamp(v->value() + rows, v->minimum(), v->maximum()));
    }
    if (columns != 0) {
        const int first = std::max(0, columnAt(0));
        const int target = std::clamp(first + columns, 0, std::max(0, columnCount() - 1));
        horizontalScrollBar()->setValue(horizontalHeader()->sectionPosition(target));
    }
}

// ---- following the data control ---------------------------------------------------------

void DbGrid::onRecordsetReplaced() {
    endCellEdit();
    selBookmarks_.clear();
    lastBookmark_.clear();
    sizing_ = true;
    model_->reload();
    sizing_ = false;
    applyAllColumnViews();
    followDataControl();
}

void DbGrid::onCurrentRowMoved() { followDataControl(); }

void DbGrid::onDataChanged() {
    const int wasRows = model_->rowCount();
    auto *rs = dc_ ? dc_->recordset() : nullptr;
    long rows = 0;
    try { rows = rs ? rs->recordCount() : 0; } catch (const DbError &) {}
    if (rows != wasRows) {
        // Rows were added or removed: rebuild the rows, keep the selection by bookmark.
        const auto sel = selBookmarks_;
        const int top = firstRow();
        sizing_ = true;
        model_->reload();
        sizing_ = false;
        applyAllColumnViews();
        verticalScrollBar()->setValue(top);
        selBookmarks_ = sel;
        reselect();
        followDataControl();
    } else {
        model_->reload();
        applyAllColumnViews();
        reselect();
        followDataControl();
    }
}

void DbGrid::onRowValuesChanged(long position) {
    if (position < 0 || position >= model_->rowCount())
        return;
    if (editing_) {
        if (!rowsToRefresh_.contains(int(position)))
            rowsToRefresh_.append(int(position));
        return;
    }
    model_->refreshRow(int(position));
}

void DbGrid::followDataControl() {
    auto *rs = dc_ ? dc_->recordset() : nullptr;
    int pos = -1;
    if (rs) {
        try {
            if (rs->recordCount() > 0 && !rs->eof() && !rs->bof())
                pos = int(rs->absolutePosition());
        } catch (const DbError &) {
            pos = -1;
        }
    }
    if (pos < 0 || pos >= model_->rowCount()) {
        if (currentIndex().isValid()) {
            following_ = true;
            selectionModel()->clearCurrentIndex();
            following_ = false;
        }
        model_->setCurrentRow(-1);
        return;
    }
    if (currentIndex().isValid() && currentIndex().row() == pos)
        return;
    const int c = currentIndex().isValid() ? currentIndex().column()
                                           : std::clamp(wantedCol_, 0, std::max(0, columnCount() - 1));
    following_ = true;
    selectionModel()->setCurrentIndex(model_->index(pos, c), QItemSelectionModel::NoUpdate);
    following_ = false;
    scrollTo(currentIndex());
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    model_->setCurrentRow(current.isValid() ? current.row() : -1);
    if (current.isValid())
        wantedCol_ = current.column();
    if (current == previous)
        return;
    if (!following_ && current.isValid() && dc_ && dc_->recordset() &&
        (!previous.isValid() || previous.row() != current.row())) {
        // The user moved the cell cursor: the data control follows.
        try {
            if (dc_->recordset()->absolutePosition() != current.row()) {
                following_ = true;
                dc_->setAbsolutePosition(current.row());
                following_ = false;
            }
        } catch (const DbError &) {
            following_ = false;
        }
    }
    const Bookmark last = lastBookmark_;
    lastBookmark_ = bookmark();
    const int lastCol = previous.isValid() ? previous.column() : -1;
    guarded([&] { emit rowColChange(last, lastCol); });
}

bool DbGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) {
    const bool starting = index.isValid() && !editing_ && model_->allowUpdate() &&
                          (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger)) &&
                          (model_->flags(index) & Qt::ItemIsEditable);
    if (starting) {
        bool cancel = false;
        guarded([&] { emit beforeColEdit(index.column(), cancel); });
        if (cancel)
            return false;
    }
    const bool opened = QTableView::edit(index, trigger, event);
    if (starting && opened) {
        editing_ = true;
        editingCol_ = index.column();
    }
    return opened;
}

void DbGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    const QList<int> rows = std::exchange(rowsToRefresh_, {});
    for (int r : rows)
        if (r < model_->rowCount())
            model_->refreshRow(r);
    if (editing_) {
        editing_ = false;
        const int c = editingCol_;
        editingCol_ = -1;
        guarded([&] { emit afterColEdit(c); });
    }
}

void DbGrid::keyboardSearch(const QString &) {}

// ---- keys and mouse -----------------------------------------------------------------------

int DbGrid::shiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int DbGrid::virtualKey(const QKeyEvent *e) {
    const int k = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return k;
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return keypad ? 96 + (k - Qt::Key_0) : k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Asterisk: return keypad ? 106 : 56;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: case Qt::Key_Less: return 188;
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Greater: return 190;
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    case Qt::Key_Exclam: return 49;
    case Qt::Key_At: return 50;
    case Qt::Key_NumberSign: return 51;
    case Qt::Key_Dollar: return 52;
    case Qt::Key_Percent: return 53;
    case Qt::Key_AsciiCircum: return 54;
    case Qt::Key_Ampersand: return 55;
    case Qt::Key_ParenLeft: return 57;
    case Qt::Key_ParenRight: return 48;
    default: break;
    }
    // A key outside the mapping that still types text (an accented letter, a dead-key result,
    // an input method's text) is known by its text alone.
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127)
        return VkPacket;
    return 0;
}

void DbGrid::keyPressEvent(QKeyEvent *e) {
    const int vk = virtualKey(e);
    if (vk != 0) {
        int code = vk;
        guarded([&] { emit keyDown(code, shiftState(e->modifiers())); });
        if (code == 0) {
            e->accept();
            return;
        }
    }
    const QString text = e->text();
    if (!text.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        int ascii = text.at(0).unicode();
        guarded([&] { emit keyPress(ascii); });
        if (ascii == 0) {
            e->accept();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void DbGrid::mousePressEvent(QMouseEvent *e) {
    // The right button does not move the cell cursor; the program decides (popup menus).
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QTableView::mousePressEvent(e);
}

void DbGrid::mouseReleaseEvent(QMouseEvent *e) {
    QTableView::mouseReleaseEvent(e);
    const int button = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::RightButton ? 2
                       : e->button() == Qt::MiddleButton ? 4 : 0;
    const QPoint p = e->position().toPoint();
    guarded([&] { emit mouseUp(button, shiftState(e->modifiers()), p.x(), p.y()); });
    if (e->button() == Qt::LeftButton && indexAt(p).isValid())
        guarded([&] { emit gridClick(); });
}

void DbGrid::paintEvent(QPaintEvent *e) {
    QTableView::paintEvent(e);
    if (showGrid() && gridStyle() == Qt::NoPen)
        paintGridLines(e->region());
}

// The lines the view draws with a solid pen one pixel wide, at the same places and in the same
// colour, each as the rectangle its pen covers: a line drawn without antialiasing fills the
// pixels right of and below its points, from its first point to its last, at any scale.
void DbGrid::paintGridLines(const QRegion &region) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor colour = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *cols = horizontalHeader();
    if (rows->count() == 0 || cols->count() == 0)
        return;
    const bool rightToLeft = isRightToLeft();
    const int lastY = rows->length() - rows->offset() - 1;
    const int lastX = cols->length() - cols->offset() - (rightToLeft ? 0 : 1);
    QPainter painter(viewport());
    for (QRect dirty : region) {
        dirty.setBottom(qMin(dirty.bottom(), lastY));
        if (rightToLeft)
            dirty.setLeft(qMax(dirty.left(), viewport()->width() - lastX));
        else
            dirty.setRight(qMin(dirty.right(), lastX));
        if (!dirty.isValid())
            continue;
        int left = cols->visualIndexAt(dirty.left());
        int right = cols->visualIndexAt(dirty.right());
        if (rightToLeft)
            std::swap(left, right);
        if (left == -1)
            left = 0;
        if (right == -1)
            right = cols->count() - 1;
        int bottom = rows->visualIndexAt(dirty.bottom());
        if (bottom == -1)
            bottom = rows->count() - 1;
        const int top = rows->visualIndexAt(dirty.top());
        if (top == -1 || top > bottom)
            continue;
        while (bottom > 0 && rows->isSectionHidden(rows->logicalIndex(bottom)))
            --bottom;
        for (int v = top; v <= bottom; ++v) {
            const int row = rows->logicalIndex(v);
            if (rows->isSectionHidden(row))
                continue;
            const int y = rowViewportPosition(row) + QTableView::rowHeight(row) - 1;
            painter.fillRect(QRect(dirty.left(), y, dirty.width(), 1), colour);
        }
        for (int h = left; h <= right; ++h) {
            const int col = cols->logicalIndex(h);
            if (cols->isSectionHidden(col))
                continue;
            const int x = columnViewportPosition(col) + (rightToLeft ? 0 : QTableView::columnWidth(col) - 1);
            painter.fillRect(QRect(x, dirty.top(), 1, dirty.height()), colour);
        }
    }
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent *e) {
    QTableView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && indexAt(e->position().toPoint()).isValid())
        guarded([&] { emit gridDblClick(); });
}

} // namespace platform::ui
