#include "platform/ui/DragListWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

namespace platform::ui {

namespace {
// How near the top or bottom edge (pixels) the pointer scrolls the list while dragging.
constexpr int kScrollMargin = 12;
} // namespace

DragListWidget::DragListWidget(QWidget *parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    scrollTimer_.setInterval(50);
    connect(&scrollTimer_, &QTimer::timeout, this, [this] { autoScroll(); });
}

QCursor DragListWidget::dragCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    // An arrow from the top left corner with a small sheet below it: "a line is carried".
    const QPoint arrow[] = {{0, 0}, {0, 14}, {4, 10}, {7, 16}, {9, 15}, {6, 9}, {11, 9}};
    p.drawPolygon(arrow, 7);
    p.drawRect(12, 18, 16, 10);
    p.drawLine(14, 21, 26, 21);
    p.drawLine(14, 24, 26, 24);
    p.end();
    return QCursor(pm, 0, 0);
}

int DragListWidget::lineAt(const QPoint &viewportPos) const {
    if (!viewport()->rect().contains(viewportPos))
        return -1;
    const QModelIndex idx = indexAt(viewportPos);
    return idx.isValid() ? idx.row() : -1;
}

void DragListWidget::mousePressEvent(QMouseEvent *e) {
    QListWidget::mousePressEvent(e);
    if (!dragReorder_ || e->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    dragging_ = false;
    pressPos_ = e->position().toPoint();
    startIndex_ = lineAt(pressPos_);
}

void DragListWidget::mouseMoveEvent(QMouseEvent *e) {
    if (!pressed_) {
        QListWidget::mouseMoveEvent(e);
        return;
    }
    if (!(e->buttons() & Qt::LeftButton)) {
        endDrag();
        emit dragCancelled();
        return;
    }
    lastPos_ = e->position().toPoint();
    if (!dragging_) {
        if ((lastPos_ - pressPos_).manhattanLength() < QApplication::startDragDistance())
            return;
        dragging_ = true;
        viewport()->setCursor(dragCursor());
        scrollTimer_.start();
    }
    emit dragMoved();
    autoScroll();
    const int idx = lineAt(lastPos_);
    if (idx != insertIndex_) {
        insertIndex_ = idx;
        viewport()->update();
    }
}

void DragListWidget::autoScroll() {
    if (!dragging_)
        return;
    QScrollBar *bar = verticalScrollBar();
    if (lastPos_.y() < kScrollMargin)
        bar->setValue(bar->value() - 1);
    else if (lastPos_.y() > viewport()->height() - kScrollMargin)
        bar->setValue(bar->value() + 1);
    else
        return;
    const int idx = lineAt(lastPos_);
    if (idx != insertIndex_) {
        insertIndex_ = idx;
        viewport()->update();
    }
}

void DragListWidget::mouseReleaseEvent(QMouseEvent *e) {
    if (!pressed_ || e->button() != Qt::LeftButton) {
        QListWidget::mouseReleaseEvent(e);
        return;
    }
    const bool wasDragging = dragging_;
    const int start = startIndex_;
    endDrag();
    if (!wasDragging) {
        QListWidget::mouseReleaseEvent(e);
        return;
    }
    const int idx = lineAt(e->position().toPoint());
    if (idx != start)
        emit dropped(idx);
}

void DragListWidget::keyPressEvent(QKeyEvent *e) {
    if (dragging_ && e->key() == Qt::Key_Escape) {
        endDrag();
        emit dragCancelled();
        return;
    }
    QListWidget::keyPressEvent(e);
}

void DragListWidget::focusOutEvent(QFocusEvent *e) {
    if (pressed_) {
        endDrag();
        emit dragCancelled();
    }
    QListWidget::focusOutEvent(e);
}

bool DragListWidget::viewportEvent(QEvent *e) {
    // The grab went elsewhere (another window popped up): the drag is over, nothing dropped.
    if (e->type() == QEvent::UngrabMouse && pressed_) {
        endDrag();
        emit dragCancelled();
    }
    return QListWidget::viewportEvent(e);
}

void DragListWidget::endDrag() {
    pressed_ = false;
    dragging_ = false;
    startIndex_ = -1;
    insertIndex_ = -1;
    scrollTimer_.stop();
    viewport()->unsetCursor();
    viewport()->update();
}

void DragListWidget::paintEvent(QPaintEvent *e) {
    QListWidget::paintEvent(e);
    if (!dragging_ || insertIndex_ < 0)
        return;
    const QRect r = visualRect(model()->index(insertIndex_, 0));
    QPainter p(viewport());
    p.setPen(QPen(palette().color(QPalette::Text), 2));
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top() - 3, r.left(), r.top() + 3);
    p.drawLine(r.right(), r.top() - 3, r.right(), r.top() + 3);
}

} // namespace platform::ui
