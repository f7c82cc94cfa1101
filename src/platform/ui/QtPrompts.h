#pragma once
// The prompt service on Qt's own dialogs.
#include "platform/ui/PromptService.h"

namespace platform::ui {

class QtPrompts : public PromptService {
public:
    Answer message(const MessageRequest &request) override;
    std::optional<QString> input(const InputRequest &request) override;
    std::optional<FileDialogResult> openFile(const FileDialogRequest &request) override;
    std::optional<FileDialogResult> saveFile(const FileDialogRequest &request) override;
    std::optional<QString> browseFolder(const FolderRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    bool openUrl(const QUrl &url) override;
};

} // namespace platform::ui
