#pragma once
// The program's QApplication: the last line of defence that keeps an exception from crossing the
// Qt event loop. Handlers catch what they expect themselves; anything that still escapes an event
// handler is reported here with the program's usual error box instead of ending the program.
#include <QApplication>
#include <exception>

namespace platform::ui {

class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the error box for an exception that reached the event loop: the error's text followed
    // by "    Error number: " and its number for a database error, titled "Error".
    static void reportUncaught(std::exception_ptr error);
};

} // namespace platform::ui
