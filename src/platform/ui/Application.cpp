#include "platform/ui/Application.h"

#include "platform/db/DbError.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

namespace platform::ui {

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportUncaught(std::current_exception());
    }
    return false;
}

void Application::reportUncaught(std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError &e) {
        text = e.description() + QStringLiteral("    Error number: ") + QString::number(e.number());
    } catch (const std::exception &e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("An unexpected error occurred.");
    }
    try {
        setMousePointer(MousePointer::Default);
        msgBox(text, Buttons::OK, Icon::Critical, QStringLiteral("Error"));
    } catch (...) {
        // Nothing more can be done from inside the event loop.
    }
}

} // namespace platform::ui
