#include "core/ProgressWindow.h"

#include "core/AppState.h"
#include "core/MsgForm.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"

#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>

namespace core {

namespace ui = platform::ui;

ProgressWindow::ProgressWindow(QWidget *owner, const QString &caption, const QString &message, QList<QWidget *> toHide)
    : ProgressWindow(ui::form<MsgForm>(), owner, caption, message, toHide, true) {}

ProgressWindow::ProgressWindow(ProgressForm *form, QWidget *owner, const QString &caption, const QString &message)
    : ProgressWindow(form, owner, caption, message, {}, false) {}

ProgressWindow::ProgressWindow(ProgressForm *form, QWidget *owner, const QString &caption, const QString &message,
                               const QList<QWidget *> &toHide, bool busyPointer) {
    form->Msg->setFont(QFont(QStringLiteral("Arial"), 20));
    form->Frame1->setVisible(true);
    form->Label1->setVisible(true);
    form->setWindowTitle(caption);
    form->Msg->setText(message);
    if (busyPointer)
        ui::setMousePointer(ui::MousePointer::Hourglass);
    for (QWidget *w : toHide) {
        if (w && w->isVisible()) {
            hidden_ << QPointer<QWidget>(w);
            // QWidget's own hide: a dialog shown modally stays in its modal display.
            w->QWidget::setVisible(false);
        }
    }
    ui::showModeless(form, owner);
    form_ = form;
    // An earlier progress window's unload raised the flag; only this window's closing counts.
    g().CancelScan = false;
    QCoreApplication::processEvents();
}

ProgressWindow::~ProgressWindow() {
    if (form_)
        ui::unloadForm(form_);
    for (const QPointer<QWidget> &w : hidden_)
        if (w)
            w->QWidget::setVisible(true);
    ui::setMousePointer(ui::MousePointer::Default);
}

void ProgressWindow::advance(long done, long total) {
    if (form_)
        form_->advanceProgress(done, total);
}

bool ProgressWindow::cancelled() const { return g().CancelScan; }

} // namespace core
