#include "core/mMouseScrollWheel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

namespace mMouseScrollWheel {

namespace {

const char *const HookName = "mMouseScrollWheelHook";
const char *const RemainderProperty = "mMouseScrollWheelRemainder";

int mouseKeysOf(const QWheelEvent &e) {
    int k = 0;
    if (e.buttons() & Qt::LeftButton) k |= 0x01;
    if (e.buttons() & Qt::RightButton) k |= 0x02;
    if (e.modifiers() & Qt::ShiftModifier) k |= 0x04;
    if (e.modifiers() & Qt::ControlModifier) k |= 0x08;
    if (e.buttons() & Qt::MiddleButton) k |= 0x10;
    if (e.buttons() & Qt::XButton1) k |= 0x20;
    if (e.buttons() & Qt::XButton2) k |= 0x40;
    return k;
}

// The hook: an application event filter owned by the hooked window (it goes with the window).
// Wheel events reach a window's children first; a child that does not scroll passes the event
// on to its parents, so the window sees every turn its children leave alone. Grids are the
// exception: they would scroll themselves, so their events are taken before they do.
class WheelFilter : public QObject {
public:
    WheelFilter(QWidget *window, core::WheelTarget *target) : QObject(window), window_(window), target_(target) {
        setObjectName(QLatin1String(HookName));
        qApp->installEventFilter(this);
    }
    void setTarget(core::WheelTarget *t) { target_ = t; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType())
            return false;
        try {
            auto *w = static_cast<QWidget *>(watched);
            if (!window_ || (w != window_ && !window_->isAncestorOf(w)))
                return false;
            auto *we = static_cast<QWheelEvent *>(event);
            if (we->angleDelta().y() == 0)
                return false; // sideways: the widget's own business
            const bool inGrid = w != window_ && gridOf(w);
            if (w != window_ && !inGrid)
                return false; // the child's own turn; what it ignores comes back to the window
            forward(*we);
            if (inGrid) {
                we->accept();
                return true;
            }
        } catch (...) {
        }
        return false;
    }

private:
    QTableView *gridOf(QWidget *w) const {
        for (; w && w != window_; w = w->parentWidget())
            if (auto *t = qobject_cast<QTableView *>(w))
                return t;
        return nullptr;
    }

    void forward(const QWheelEvent &e) {
        core::WheelTarget *target = target_ ? target_ : dynamic_cast<core::WheelTarget *>(window_.data());
        if (!target)
            return;
        const QPoint global = e.globalPosition().toPoint();
        if (!IsOver(window_, global.x(), global.y()))
            return;
        int keys = mouseKeysOf(e);
        int rotation = e.angleDelta().y();
        int x = global.x();
        int y = global.y();
        target->MouseWheel(keys, rotation, x, y);
    }

    QPointer<QWidget> window_;
    core::WheelTarget *target_;
};

WheelFilter *hookOf(const QWidget *window) {
    return window ? window->findChild<WheelFilter *>(QLatin1String(HookName), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

void WheelHook(QWidget *window, core::WheelTarget *target) {
    if (!window)
        return;
    if (WheelFilter *existing = hookOf(window)) {
        existing->setTarget(target);
        return;
    }
    new WheelFilter(window, target);
}

void WheelUnHook(QWidget *window) {
    if (WheelFilter *f = hookOf(window)) {
        qApp->removeEventFilter(f);
        f->setParent(nullptr);
        delete f;
    }
}

bool IsHooked(const QWidget *window) { return hookOf(window) != nullptr; }

bool IsOver(const QWidget *window, int X, int Y) {
    if (!window)
        return false;
    const QRect r = window->isWindow() ? window->frameGeometry()
                                       : QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    return X >= r.left() && X <= r.left() + r.width() && Y >= r.top() && Y <= r.top() + r.height();
}

void GridScroll(QAbstractItemView *grid, int MouseKeys, int Rotation, int Xpos, int Ypos) {
    Q_UNUSED(MouseKeys);
    Q_UNUSED(Xpos);
    Q_UNUSED(Ypos);
    if (!grid || Rotation == 0)
        return;
    try {
        // Whole notches scroll at once; the finer steps of smooth wheels are kept on the grid
        // until they add up to one.
        const int total = grid->property(RemainderProperty).toInt() + Rotation;
        const int notches = total / 120;
        grid->setProperty(RemainderProperty, total - notches * 120);
        if (notches == 0)
            return;
        const int rows = -3 * notches;
        QScrollBar *bar = grid->verticalScrollBar();
        if (grid->verticalScrollMode() == QAbstractItemView::ScrollPerItem) {
            bar->setValue(bar->value() + rows);
        } else {
            int rowHeight = grid->sizeHintForRow(0);
            if (auto *table = qobject_cast<QTableView *>(grid))
                rowHeight = table->verticalHeader()->defaultSectionSize();
            bar->setValue(bar->value() + rows * std::max(rowHeight, 1));
        }
    } catch (...) {
    }
}

} // namespace mMouseScrollWheel
