#include "platform/ui/MousePointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform::ui {

namespace {
// One override cursor at most, whatever the number of calls: the pointer is a single setting
// of the screen, not a stack.
MousePointer current = MousePointer::Default;
} // namespace

void setMousePointer(MousePointer pointer) {
    if (pointer == current)
        return;
    if (pointer == MousePointer::Hourglass)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
    current = pointer;
}

MousePointer mousePointer() { return current; }

HourglassPointer::HourglassPointer() : previous_(current) { setMousePointer(MousePointer::Hourglass); }

HourglassPointer::~HourglassPointer() { setMousePointer(previous_); }

} // namespace platform::ui
