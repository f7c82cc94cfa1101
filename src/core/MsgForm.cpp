#include "core/MsgForm.h"

#include "core/AppState.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>

namespace core {

using namespace platform::ui;

MsgForm::MsgForm(QWidget *parent) : ProgressForm(2052, parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setClientSizeTwips(this, 7275, 2595);

    // The message and the bar's frame stand on the window's text background.
    Msg->setAutoFillBackground(true);
    Msg->setBackgroundRole(QPalette::Base);
    Msg->setForegroundRole(QPalette::Text);
    Frame1->setAutoFillBackground(true);
    Frame1->setBackgroundRole(QPalette::Base);

    Msg->installEventFilter(this);

    // Load: centred on the screen, in the screen font.
    centreOnScreen(this);
    applyScreenFont(this, g().ScreenFontName);
}

void MsgForm::closeByUser() {
    // The job that showed the window may be inside a yield and still hold it: destroying it here
    // would leave that job writing to freed memory. Only the caller's unload destroys it.
    hide();
    g().CancelScan = true;
}

void MsgForm::closeEvent(QCloseEvent *event) {
    // Only the caller's unload destroys the window; any other close (the close box) is the
    // user's.
    if (!unloadingForm(this)) {
        event->ignore();
        closeByUser();
        return;
    }
    ProgressForm::closeEvent(event);
}

void MsgForm::mousePressEvent(QMouseEvent *event) {
    // A click on the window itself (not on the progress frame) closes it.
    QWidget *hit = childAt(event->position().toPoint());
    if (!hit || hit == Msg) {
        closeByUser();
        return;
    }
    ProgressForm::mousePressEvent(event);
}

void MsgForm::keyPressEvent(QKeyEvent *) { closeByUser(); }

bool MsgForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Msg && event->type() == QEvent::MouseButtonPress) {
        closeByUser();
        return true;
    }
    return ProgressForm::eventFilter(watched, event);
}

} // namespace core
