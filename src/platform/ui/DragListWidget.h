#pragma once
// A list box whose lines the user reorders by dragging with the left button. It only reports:
// the line under the pointer when the button went down, that a drag is moving (the owner marks
// its order as changed), and the line the drag was dropped on when that differs from the start
// line. Moving the line is the owner's business, so the drop lands exactly where the owner's
// rule puts it (Qt's own internal move drops differently).
//
// While dragging, an insert mark is drawn above the line under the pointer, the list scrolls
// when the pointer nears its top or bottom edge, and a 32 x 32 cursor with its hot spot at the
// top left is shown. Escape or a lost mouse grab cancels the drag without a drop.
#include <QCursor>
#include <QListWidget>
#include <QTimer>

namespace platform::ui {

class DragListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit DragListWidget(QWidget *parent = nullptr);

    // Off: a plain list box on which dragging does nothing.
    void setDragReorder(bool on) { dragReorder_ = on; }
    bool dragReorder() const { return dragReorder_; }

    bool isDragging() const { return dragging_; }
    // The line the drag started on (-1 when the press was on no line or none is under way).
    int dragStartIndex() const { return startIndex_; }
    // The line the insert mark stands before (-1 for none).
    int insertMarkIndex() const { return insertIndex_; }
    // The line under a point of the viewport, -1 when the point is on no line.
    int lineAt(const QPoint &viewportPos) const;

    // The drag cursor (32 x 32, hot spot top left).
    static QCursor dragCursor();

signals:
    void dragMoved();                       // each move of a drag past the drag distance
    void dropped(int index);                // the drop line, only when it differs from the start
    void dragCancelled();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void endDrag();
    void autoScroll();

    bool dragReorder_ = true;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressPos_;
    QPoint lastPos_;
    int startIndex_ = -1;
    int insertIndex_ = -1;
    QTimer scrollTimer_;
};

} // namespace platform::ui
