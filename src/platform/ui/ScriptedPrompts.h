#pragma once
// A prompt service for tests: answers from queues and records every question asked, so a test
// can script the user's answers and assert the exact message texts.
#include "platform/ui/PromptService.h"

#include <QList>
#include <deque>
#include <functional>

namespace platform::ui {

class ScriptedPrompts : public PromptService {
public:
    struct Asked {
        enum class Kind { Message, Input, OpenFile, SaveFile, Folder, Color, Font, Url } kind;
        QString title;
        QString text;              // message text, input prompt, dialog title or URL
        Buttons buttons = Buttons::OK;
        Icon icon = Icon::None;
        DefaultButton defaultButton = DefaultButton::First;
        MessageRequest message;
        InputRequest inputRequest;
        FileDialogRequest file;
        FolderRequest folder;
        FontRequest fontRequest;
    };

    // Installs itself as the service; puts the previous one back when destroyed.
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Queue the next answers. A message box without a queued answer gets its default button
    // (OK for OK-only); an input, file or folder prompt without one is cancelled.
    void answer(Answer a) { answers_.push_back(a); }
    void answerInput(std::optional<QString> text) { inputs_.push_back(std::move(text)); }
    void answerFile(std::optional<QString> path);
    void answerFolder(std::optional<QString> path) { folders_.push_back(std::move(path)); }
    void answerColor(std::optional<QColor> c) { colors_.push_back(c); }
    // A font chosen without a colour keeps the colour the request offered.
    void answerFont(std::optional<QFont> f);
    void answerFont(const QFont &f, const QColor &color) { fonts_.push_back(FontChoice{f, color}); }
    // Runs before an answer is taken, e.g. to act on a window while a box is "open".
    void onMessage(std::function<void(const MessageRequest &)> f) { onMessage_ = std::move(f); }

    const QList<Asked> &asked() const { return asked_; }
    QStringList messageTexts() const;  // texts of every message box, in order
    QString lastMessage() const;       // text of the last message box ("" when none)
    const Asked *lastAsked() const { return asked_.isEmpty() ? nullptr : &asked_.last(); }
    void clear();
    QList<QUrl> openedUrls;
    // What openUrl reports: false plays a desktop with no program to open the address.
    bool urlsOpen = true;

    Answer message(const MessageRequest &request) override;
    std::optional<QString> input(const InputRequest &request) override;
    std::optional<FileDialogResult> openFile(const FileDialogRequest &request) override;
    std::optional<FileDialogResult> saveFile(const FileDialogRequest &request) override;
    std::optional<QString> browseFolder(const FolderRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const FontRequest &request) override;
    bool openUrl(const QUrl &url) override;

private:
    std::optional<FileDialogResult> takeFile(const FileDialogRequest &request, Asked::Kind kind);

    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> files_;
    std::deque<std::optional<QString>> folders_;
    std::deque<std::optional<QColor>> colors_;
    std::deque<std::optional<FontChoice>> fonts_;
    std::function<void(const MessageRequest &)> onMessage_;
    QList<Asked> asked_;
    PromptService *previous_ = nullptr;
};

} // namespace platform::ui
