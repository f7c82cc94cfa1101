#pragma once
// The shared "please wait" window of long jobs. The caller sets its caption and message, shows
// it without waiting, may widen its progress bar, and unloads it at the end. A click, a key or
// the close box closes it for the user: the window is hidden and CancelScan raised, so a job
// that polls the flag stops, but the window object lives on until the caller unloads it, so a
// job that holds its pointer can go on writing to it. Every unload raises CancelScan too.
#include "platform/ui/Forms.h"

#include <QDialog>

class QFrame;
class QLabel;

namespace core {

class MsgForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit MsgForm(QWidget *parent = nullptr);

    QLabel *Msg = nullptr;      // the message
    QFrame *Frame1 = nullptr;   // frame of the progress bar (hidden until a caller shows it)
    QLabel *Label1 = nullptr;   // the progress bar inside Frame1; its width grows

    // Width of the progress bar in twips.
    int label1Width() const { return label1Width_; }
    void setLabel1Width(int twips);
    // Shows the progress bar and sets it to done / total of its full 6300 twips, as long as it
    // is still narrower than its frame.
    void advanceProgress(long done, long total);

    static constexpr int FrameWidth = 6456;
    static constexpr int BarFullWidth = 6300;

    // Closed by the user (a click, a key, the close box): hidden, CancelScan raised, still loaded.
    void closeByUser();

protected:
    void formUnload() override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int label1Width_ = 12;
};

} // namespace core
