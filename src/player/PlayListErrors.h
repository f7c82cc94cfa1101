#pragma once
// Database errors of the play-list windows' commands that have no trap of their own: shown as
// a message, so no exception reaches the event loop.
#include "platform/db/DbError.h"
#include "platform/ui/PromptService.h"

#include <exception>
#include <functional>

namespace player {

inline void runCommand(const std::function<void()> &command) {
    namespace ui = platform::ui;
    try {
        command();
    } catch (const platform::db::DbError &e) {
        ui::msgBox(QStringLiteral("Error number:") + QString::number(e.number()) + QStringLiteral(".  ") +
                       e.description(),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
    } catch (const std::exception &e) {
        ui::msgBox(QString::fromUtf8(e.what()), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
    }
}

// A slot that runs the command through runCommand.
inline auto guarded(std::function<void()> command) {
    return [command = std::move(command)] { runCommand(command); };
}

} // namespace player
