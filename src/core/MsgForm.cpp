#include "core/MsgForm.h"

#include "core/AppState.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>

namespace core {

using namespace platform::ui;

MsgForm::MsgForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setClientSizeTwips(this, 7275, 2595);

    Msg = new QLabel(QStringLiteral(" "), this);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Msg->setWordWrap(true);
    Msg->setAutoFillBackground(true);
    Msg->setBackgroundRole(QPalette::Base);
    Msg->setForegroundRole(QPalette::Text);
    placeTwips(Msg, 420, 192, 6396, 1740);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setAutoFillBackground(true);
    Frame1->setBackgroundRole(QPalette::Base);
    placeTwips(Frame1, 384, 2052, FrameWidth, 396);
    Frame1->hide();

    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::Highlight);
    placeTwips(Label1, 48, 120, label1Width_, 240);
    Label1->hide();

    Msg->installEventFilter(this);

    // Load: centred on the screen, in the screen font.
    centreOnScreen(this);
    applyScreenFont(this, g().ScreenFontName);
}

void MsgForm::setLabel1Width(int twips) {
    label1Width_ = twips;
    placeTwips(Label1, 48, 120, twips, 240);
}

void MsgForm::advanceProgress(long done, long total) {
    Frame1->show();
    Label1->show();
    if (total <= 0 || label1Width_ >= FrameWidth)
        return;
    // More items than announced must not push the bar past its frame.
    const double part = std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0);
    setLabel1Width(static_cast<int>(part * BarFullWidth));
}

void MsgForm::formUnload() { g().CancelScan = true; }

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
    Form<QDialog>::closeEvent(event);
}

void MsgForm::mousePressEvent(QMouseEvent *event) {
    // A click on the window itself (not on the progress frame) closes it.
    QWidget *hit = childAt(event->position().toPoint());
    if (!hit || hit == Msg) {
        closeByUser();
        return;
    }
    Form<QDialog>::mousePressEvent(event);
}

void MsgForm::keyPressEvent(QKeyEvent *) { closeByUser(); }

bool MsgForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Msg && event->type() == QEvent::MouseButtonPress) {
        closeByUser();
        return true;
    }
    return Form<QDialog>::eventFilter(watched, event);
}

} // namespace core
