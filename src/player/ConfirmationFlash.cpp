#include "player/ConfirmationFlash.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace player {

namespace {
int pauseOverride = -1;
}

void ConfirmationFlash::setPauseOverride(int ms) { pauseOverride = ms; }

int ConfirmationFlash::pause(int ms) { return pauseOverride >= 0 ? pauseOverride : ms; }

void ConfirmationFlash::flash(QWidget *box, int ms) {
    if (!box)
        return;
    QPointer<QWidget> guard(box);
    box->setVisible(true);
    box->raise();
    if (const int wait = pause(ms); wait > 0) {
        // A timer of its own ends the wait, so the loop neither spins nor outlives the pause;
        // a nested flash (a second press) ends first and the outer one hides the box after it.
        QEventLoop loop;
        QTimer::singleShot(wait, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (guard)
        guard->setVisible(false);
}

} // namespace player
