#pragma once
// A progress window for the length of a long command: a progress form, shown without waiting
// over the window that runs the command, with the command's caption, its message in large type
// and its bar. Whatever way the command ends (its end, an error), the form is unloaded, the
// windows hidden meanwhile show again and the pointer is back to the default. Closing the form
// asks the command to stop.
#include <QList>
#include <QPointer>
#include <QString>

class QWidget;

namespace core {

class ProgressForm;

class ProgressWindow {
public:
    // The shared MsgForm, which the user closes with a click or a key. The pointer is the
    // hourglass meanwhile and the windows of `toHide` are hidden.
    ProgressWindow(QWidget *owner, const QString &caption, const QString &message, QList<QWidget *> toHide = {});
    // A command's own progress form, which has a button to stop it (the import's scan window).
    // The pointer is left as it is, so that the button does not look busy.
    ProgressWindow(ProgressForm *form, QWidget *owner, const QString &caption, const QString &message);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    // Widens the bar to done / total.
    void advance(long done, long total);
    // The user closed the window since it was shown.
    bool cancelled() const;

private:
    ProgressWindow(ProgressForm *form, QWidget *owner, const QString &caption, const QString &message,
                   const QList<QWidget *> &toHide, bool busyPointer);

    QPointer<ProgressForm> form_;
    QList<QPointer<QWidget>> hidden_;
};

} // namespace core
