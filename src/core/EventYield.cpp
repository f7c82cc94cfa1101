#include "core/EventYield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace core {

void yieldForInput() {
    if (!QCoreApplication::instance())
        return;
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 50)
        return;
    sinceLast.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace core
