#include "platform/ui/OnScreenKeyboard.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace platform::ui {

namespace {
std::function<void()> &launcher() {
    static std::function<void()> f;
    return f;
}
} // namespace

void setOnScreenKeyboardLauncher(std::function<void()> f) { launcher() = std::move(f); }

void startOnScreenKeyboard() {
    if (launcher()) {
        launcher()();
        return;
    }
    for (const char *name : {"onboard", "florence", "matchbox-keyboard"}) {
        const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!exe.isEmpty()) {
            QProcess::startDetached(exe, QStringList{});
            return;
        }
    }
}

} // namespace platform::ui
