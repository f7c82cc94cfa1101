#pragma once
// Checks a window runs as the focus leaves one of its boxes.
//
// A leave check runs before the focus moves from its control to another control of the same
// window: a click on a control that takes the focus, Tab or Shift+Tab, an accelerator key, or a
// move the window makes itself through tab() or moveFocus(). When it refuses, the focus stays
// where it is and the event that tried to move it is swallowed, so a click on a button that was
// refused never reaches the button; a click let go while the check asked in a box and let the move
// go on is finished once, on the control it was meant for. A control can be marked as not causing
// checks: moving to it runs none.
//
// A lost-focus check runs after the focus has gone to another control of the window (not to a
// message box, a menu or another window). When it asks for it, the focus is put back into its
// control by a queued call, once the move that took it away is over.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>

class QWidget;

namespace platform::ui {

class LeaveChecks : public QObject {
    Q_OBJECT
public:
    // Returns true to keep the focus in the control (the check's Cancel).
    using Check = std::function<bool()>;
    // Returns true to put the focus back into the control.
    using LostFocusCheck = std::function<bool()>;

    explicit LeaveChecks(QWidget *window);
    ~LeaveChecks() override;

    void setCheck(QWidget *control, Check check);
    void setLostFocusCheck(QWidget *control, LostFocusCheck check);
    // Moving the focus to this control runs no leave check (default: every control causes them).
    void setCausesChecks(QWidget *control, bool causes);

    // Runs the leave check of the control that has the focus for a move to `target`; true when
    // the move may go on (no check, no move, the target causes no checks, or the check let go).
    bool mayLeaveFor(QWidget *target);
    // The control Tab (forward) or Shift+Tab would give the focus to; nullptr when none.
    QWidget *nextInTabOrder(bool forward) const;
    // Moves the focus as Tab or Shift+Tab does, after the leave check; false when refused.
    bool tab(bool forward);
    // Moves the focus to a control after the leave check; false when refused.
    bool moveFocus(QWidget *target);

    // The registered control a widget belongs to (a combo box for its own line edit), or the
    // widget itself.
    QWidget *controlOf(QWidget *w) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusChanged(QWidget *old, QWidget *now);
    bool inWindow(const QWidget *w) const;
    QWidget *focusTarget(QWidget *clicked) const;
    QWidget *current() const;

    QPointer<QWidget> window_;
    QHash<QWidget *, Check> checks_;
    QHash<QWidget *, LostFocusCheck> lostFocus_;
    QSet<QWidget *> quiet_;
    bool running_ = false;
};

} // namespace platform::ui
