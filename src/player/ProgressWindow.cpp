#include "player/ProgressWindow.h"

#include "core/AppState.h"
#include "core/MsgForm.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>

namespace player {

namespace ui = platform::ui;

ProgressWindow::ProgressWindow(QWidget *owner, const QString &caption, const QString &message, QList<QWidget *> toHide) {
    auto *m = ui::form<core::MsgForm>();
    m->Msg->setFont(QFont(QStringLiteral("Arial"), 20));
    m->Frame1->setVisible(true);
    m->Label1->setVisible(true);
    m->setWindowTitle(caption);
    m->Msg->setText(message);
    ui::setMousePointer(ui::MousePointer::Hourglass);
    for (QWidget *w : toHide) {
        if (w && w->isVisible()) {
            hidden_ << QPointer<QWidget>(w);
            // QWidget's own hide: a dialog shown modally stays in its modal display.
            w->QWidget::setVisible(false);
        }
    }
    ui::showModeless(m, owner);
    msg_ = m;
    // An earlier progress window's unload raised the flag; only this window's closing counts.
    core::g().CancelScan = false;
    QCoreApplication::processEvents();
}

ProgressWindow::~ProgressWindow() {
    if (msg_)
        ui::unloadForm(msg_);
    for (const QPointer<QWidget> &w : hidden_)
        if (w)
            w->QWidget::setVisible(true);
    ui::setMousePointer(ui::MousePointer::Default);
}

void ProgressWindow::advance(long done, long total) {
    if (msg_)
        msg_->advanceProgress(done, total);
}

bool ProgressWindow::cancelled() const { return core::g().CancelScan; }

} // namespace player
