#pragma once
// The progress window of the longer commands of the player and play lists: the shared
// core::MsgForm with its bar, shown without waiting over the window that runs the command,
// while the windows the command names are hidden. Whatever way the command ends (its end, an
// error), the progress window is unloaded, the hidden windows show again and the pointer is
// back to the default. The user closes it with a click or a key, which asks the command to stop.
#include <QList>
#include <QPointer>
#include <QString>

class QWidget;

namespace core {
class MsgForm;
}

namespace player {

class ProgressWindow {
public:
    ProgressWindow(QWidget *owner, const QString &caption, const QString &message, QList<QWidget *> toHide = {});
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    // Widens the bar to done / total.
    void advance(long done, long total);
    // The user closed the window since it was shown.
    bool cancelled() const;

private:
    QPointer<core::MsgForm> msg_;
    QList<QPointer<QWidget>> hidden_;
};

} // namespace player
