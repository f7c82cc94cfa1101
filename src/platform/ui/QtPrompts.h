#pragma once
// The prompt service on Qt's own dialogs. Every dialog is shown through showModal (Forms.h), so
// tests can drive this implementation too.
#include "platform/ui/PromptService.h"

#include <functional>

namespace platform::ui {

class QtPrompts : public PromptService {
public:
    Answer message(const MessageRequest &request) override;
    std::optional<QString> input(const InputRequest &request) override;
    std::optional<FileDialogResult> openFile(const FileDialogRequest &request) override;
    std::optional<FileDialogResult> saveFile(const FileDialogRequest &request) override;
    std::optional<QString> browseFolder(const FolderRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const FontRequest &request) override;
    bool openUrl(const QUrl &url) override;

    // The window that asks for a text: the program installs its own input window; without one
    // a plain input dialog is used. nullopt = cancelled.
    using InputWindow = std::function<std::optional<QString>(const InputRequest &)>;
    static void setInputWindow(InputWindow window);
};

} // namespace platform::ui
