#include "platform/ui/ScriptedPrompts.h"

#include <QFileInfo>
#include <QPrinter>

namespace platform::ui {

PromptService *currentPromptOverride();

ScriptedPrompts::ScriptedPrompts() : previous_(currentPromptOverride()) { setPrompts(this); }

ScriptedPrompts::~ScriptedPrompts() { setPrompts(previous_); }

void ScriptedPrompts::answerFile(std::optional<QString> path) { files_.push_back(std::move(path)); }

QStringList ScriptedPrompts::messageTexts() const {
    QStringList out;
    for (const Asked &a : asked_)
        if (a.kind == Asked::Kind::Message)
            out << a.text;
    return out;
}

QString ScriptedPrompts::lastMessage() const {
    for (auto it = asked_.crbegin(); it != asked_.crend(); ++it)
        if (it->kind == Asked::Kind::Message)
            return it->text;
    return {};
}

void ScriptedPrompts::clear() {
    asked_.clear();
    answers_.clear();
    inputs_.clear();
    files_.clear();
    folders_.clear();
    colors_.clear();
    fonts_.clear();
    printers_.clear();
    openedUrls.clear();
}

// The next scripted answer of a queue; an empty queue answers as Cancel does.
template <typename T>
static std::optional<T> takeNext(std::deque<std::optional<T>> &queue) {
    if (queue.empty())
        return std::nullopt;
    std::optional<T> v = std::move(queue.front());
    queue.pop_front();
    return v;
}

static Answer defaultAnswer(const MessageRequest &r) {
    static const Answer firsts[] = {Answer::OK, Answer::OK, Answer::Yes, Answer::Yes, Answer::Retry, Answer::Abort};
    static const Answer seconds[] = {Answer::OK, Answer::Cancel, Answer::No, Answer::No, Answer::Cancel, Answer::Retry};
    static const Answer thirds[] = {Answer::OK, Answer::Cancel, Answer::No, Answer::Cancel, Answer::Cancel, Answer::Ignore};
    const int b = static_cast<int>(r.buttons);
    switch (r.defaultButton) {
    case DefaultButton::First: return firsts[b];
    case DefaultButton::Second: return seconds[b];
    case DefaultButton::Third: return thirds[b];
    }
    return Answer::OK;
}

Answer ScriptedPrompts::message(const MessageRequest &request) {
    Asked a{Asked::Kind::Message, request.title, request.text, request.buttons, request.icon,
            request.defaultButton, request, {}, {}, {}, {}};
    asked_.append(a);
    if (onMessage_)
        onMessage_(request);
    if (answers_.empty())
        return defaultAnswer(request);
    Answer ans = answers_.front();
    answers_.pop_front();
    return ans;
}

std::optional<QString> ScriptedPrompts::input(const InputRequest &request) {
    Asked a{Asked::Kind::Input, request.title, request.prompt, Buttons::OKCancel, Icon::None,
            DefaultButton::First, {}, request, {}, {}, {}};
    asked_.append(a);
    return takeNext(inputs_);
}

std::optional<FileDialogResult> ScriptedPrompts::takeFile(const FileDialogRequest &request, Asked::Kind kind) {
    Asked a{kind, request.title, request.title, Buttons::OKCancel, Icon::None, DefaultButton::First,
            {}, {}, request, {}, {}};
    asked_.append(a);
    const auto v = takeNext(files_);
    if (!v)
        return std::nullopt;
    FileDialogResult r;
    r.fileName = *v;
    r.fileNames = QStringList{*v};
    r.fileTitle = QFileInfo(*v).fileName();
    r.filterIndex = request.filterIndex;
    return r;
}

std::optional<FileDialogResult> ScriptedPrompts::openFile(const FileDialogRequest &request) {
    return takeFile(request, Asked::Kind::OpenFile);
}

std::optional<FileDialogResult> ScriptedPrompts::saveFile(const FileDialogRequest &request) {
    return takeFile(request, Asked::Kind::SaveFile);
}

std::optional<QString> ScriptedPrompts::browseFolder(const FolderRequest &request) {
    Asked a{Asked::Kind::Folder, request.prompt, request.prompt, Buttons::OKCancel, Icon::None,
            DefaultButton::First, {}, {}, {}, request, {}};
    asked_.append(a);
    return takeNext(folders_);
}

std::optional<QColor> ScriptedPrompts::chooseColor(const QColor &) {
    asked_.append(Asked{Asked::Kind::Color, {}, {}, Buttons::OKCancel, Icon::None, DefaultButton::First, {}, {}, {}, {}, {}});
    return takeNext(colors_);
}

void ScriptedPrompts::answerFont(std::optional<QFont> f) {
    fonts_.push_back(f ? std::optional<FontChoice>(FontChoice{*f, QColor()}) : std::nullopt);
}

std::optional<FontChoice> ScriptedPrompts::chooseFont(const FontRequest &request) {
    asked_.append(Asked{Asked::Kind::Font, request.title, request.title, Buttons::OKCancel, Icon::None,
                        DefaultButton::First, {}, {}, {}, {}, request});
    std::optional<FontChoice> choice = takeNext(fonts_);
    if (choice && !choice->color.isValid())
        choice->color = request.color;
    return choice;
}

bool ScriptedPrompts::choosePrinter(QPrinter &printer) {
    asked_.append(Asked{Asked::Kind::Printer, {}, {}, Buttons::OKCancel, Icon::None, DefaultButton::First, {}, {}, {}, {}, {}});
    const std::optional<QString> pdf = takeNext(printers_);
    if (!pdf)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*pdf);
    return true;
}

bool ScriptedPrompts::openUrl(const QUrl &url) {
    asked_.append(Asked{Asked::Kind::Url, {}, url.toString(), Buttons::OK, Icon::None, DefaultButton::First, {}, {}, {}, {}, {}});
    openedUrls.append(url);
    return urlsOpen;
}

} // namespace platform::ui
