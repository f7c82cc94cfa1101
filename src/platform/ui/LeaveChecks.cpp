#include "platform/ui/LeaveChecks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <QWidget>

namespace platform::ui {

LeaveChecks::LeaveChecks(QWidget *window) : QObject(window), window_(window) {
    // The application sees every event before the widget it is for: a click or a key can be
    // stopped before the control under it reacts.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &LeaveChecks::focusChanged);
}

LeaveChecks::~LeaveChecks() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void LeaveChecks::setCheck(QWidget *control, Check check) {
    if (check)
        checks_.insert(control, std::move(check));
    else
        checks_.remove(control);
}

void LeaveChecks::setLostFocusCheck(QWidget *control, LostFocusCheck check) {
    if (check)
        lostFocus_.insert(control, std::move(check));
    else
        lostFocus_.remove(control);
}

void LeaveChecks::setCausesChecks(QWidget *control, bool causes) {
    if (causes)
        quiet_.remove(control);
    else
        quiet_.insert(control);
}

bool LeaveChecks::inWindow(const QWidget *w) const { return w && window_ && w->window() == window_; }

QWidget *LeaveChecks::controlOf(QWidget *w) const {
    for (QWidget *p = w; p && p != window_; p = p->parentWidget())
        if (checks_.contains(p) || lostFocus_.contains(p) || quiet_.contains(p))
            return p;
    return w;
}

QWidget *LeaveChecks::current() const {
    if (!window_)
        return nullptr;
    QWidget *f = window_->focusWidget();
    return f ? controlOf(f) : nullptr;
}

QWidget *LeaveChecks::focusTarget(QWidget *clicked) const {
    // The widget a click gives the focus to: the clicked one or the nearest parent that takes
    // the focus by a click; none for a label or the window's background.
    for (QWidget *w = clicked; w && w != window_ && inWindow(w); w = w->parentWidget()) {
        if (!w->isEnabled())
            continue;
        if ((w->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus)
            return w->focusProxy() ? w->focusProxy() : w;
    }
    return nullptr;
}

bool LeaveChecks::mayLeaveFor(QWidget *target) {
    QWidget *from = current();
    if (!from || !target || running_)
        return true;
    QWidget *to = controlOf(target);
    if (to == from || from->isAncestorOf(to) || quiet_.contains(to))
        return true;
    const auto it = checks_.constFind(from);
    if (it == checks_.cend())
        return true;
    const Check check = it.value(); // a copy: the check may replace the checks
    running_ = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{running_};
    return !check();
}

QWidget *LeaveChecks::nextInTabOrder(bool forward) const {
    if (!window_)
        return nullptr;
    QWidget *start = window_->focusWidget();
    if (!start)
        start = window_;
    QWidget *w = start;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == start)
            return nullptr;
        if (w != window_ && inWindow(w) && w->isEnabled() && w->isVisibleTo(window_) && !w->focusProxy() &&
            (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            return w;
    }
}

bool LeaveChecks::tab(bool forward) {
    QWidget *target = nextInTabOrder(forward);
    if (!target || !mayLeaveFor(target))
        return false;
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool LeaveChecks::moveFocus(QWidget *target) {
    if (!target || !mayLeaveFor(target))
        return false;
    target->setFocus(Qt::OtherFocusReason);
    return true;
}

bool LeaveChecks::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::KeyPress &&
        type != QEvent::Shortcut)
        return false;
    if (running_ || !window_)
        return false;
    QWidget *target = nullptr;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        // A click gives the focus before any filter sees it at the widget, so it is taken where
        // it reaches the window and matched to the control under it.
        if (watched != window_->windowHandle())
            return false;
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        QWidget *under = window_->childAt(at);
        target = focusTarget(under ? under : window_.data());
        if (!target)
            return false;
        if (!mayLeaveFor(target)) {
            event->accept();
            return true;
        }
        // Still held: the press goes on to the control as usual.
        if (QGuiApplication::mouseButtons() & static_cast<QMouseEvent *>(event)->button())
            return false;
        // The check asked in a box and the mouse button was let go there: the press alone would
        // reach the control without its release, the focus would stay behind and the next click
        // would ask again. The click is finished here instead, once.
        target->setFocus(Qt::MouseFocusReason);
        if (auto *button = qobject_cast<QAbstractButton *>(target)) {
            QMetaObject::invokeMethod(
                this,
                [b = QPointer<QAbstractButton>(button)] {
                    if (b && b->isEnabled() && b->isVisible())
                        b->click();
                },
                Qt::QueuedConnection);
        }
        event->accept();
        return true;
    }
    if (!watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    if (!inWindow(w))
        return false;

    switch (type) {
    case QEvent::Shortcut:
        // An accelerator: the focus goes to the control that owns it (a button).
        target = w->focusProxy() ? w->focusProxy() : w;
        break;
    case QEvent::KeyPress: {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (k->key() == Qt::Key_Tab)
            target = nextInTabOrder(!(k->modifiers() & Qt::ShiftModifier));
        else if (k->key() == Qt::Key_Backtab)
            target = nextInTabOrder(false);
        else
            return false;
        break;
    }
    default:
        return false;
    }
    if (!target || mayLeaveFor(target))
        return false;
    event->accept();
    return true; // refused: the focus stays and the control under the event never sees it
}

void LeaveChecks::focusChanged(QWidget *old, QWidget *now) {
    // Only a move to another control of this window counts; a message box, a menu or another
    // window taking the focus does not.
    if (!inWindow(old) || !inWindow(now))
        return;
    QWidget *control = controlOf(old);
    if (controlOf(now) == control)
        return;
    const auto it = lostFocus_.constFind(control);
    if (it == lostFocus_.cend())
        return;
    const LostFocusCheck check = it.value();
    if (!check())
        return;
    QPointer<QWidget> back(control);
    QMetaObject::invokeMethod(
        this,
        [back] {
            if (back)
                back->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
}

} // namespace platform::ui
