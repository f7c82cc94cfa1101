#pragma once
// The shared "please wait" window of long jobs. The caller sets its caption and message, shows
// it without waiting, may widen its progress bar, and unloads it at the end. A click, a key or
// the close box closes it for the user: the window is hidden and CancelScan raised, so a job
// that polls the flag stops, but the window object lives on until the caller unloads it, so a
// job that holds its pointer can go on writing to it. Every unload raises CancelScan too.
#include "core/ProgressForm.h"

namespace core {

class MsgForm : public ProgressForm {
    Q_OBJECT
public:
    explicit MsgForm(QWidget *parent = nullptr);

    // Closed by the user (a click, a key, the close box): hidden, CancelScan raised, still loaded.
    void closeByUser();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace core
