#pragma once
// The one road for every message box, input box, file, folder, colour and font dialog, and
// for opening a URL in the user's browser. The program calls prompts(); tests install a
// ScriptedPrompts that answers from a queue and records every question.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QPrinter;

namespace platform::ui {

enum class Buttons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Icon { None, Critical, Question, Exclamation, Information };
// The values the message-box function returns.
enum class Answer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
enum class DefaultButton { First, Second, Third };

struct MessageRequest {
    QString text;
    QString title;
    Buttons buttons = Buttons::OK;
    Icon icon = Icon::None;
    DefaultButton defaultButton = DefaultButton::First;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
    bool masked = false;
    // The text box's font when the caller wants one other than the input window's own.
    std::optional<QFont> inputFont;
};

// Open and save dialogs. `filter` is in the "description|pattern|description|pattern" form the
// program's callers use; the Qt implementation converts it.
struct FileDialogRequest {
    QString title;
    QString fileName;          // initial file name
    QString filter;
    int filterIndex = 1;       // 1-based
    QString initialDir;
    QString defaultExt;
    bool fileMustExist = false;
    bool pathMustExist = false;
    bool multiSelect = false;
    bool overwritePrompt = false;
    bool readOnly = false;
    bool hideReadOnly = true;
};

struct FileDialogResult {
    QString fileName;          // full path (the first when several)
    QStringList fileNames;     // every chosen file when multiSelect
    QString fileTitle;         // name without folder
    int filterIndex = 1;
    bool readOnly = false;
};

struct FolderRequest {
    QString prompt;            // shown above the folder tree
    QString startFolder;
    QString caption;           // the browser window's title ("" = a default title)
};

// The font dialog. With `offerColor` a colour choice stands beside the font choice; sizes are
// kept within minSize..maxSize points when maxSize is above 0.
struct FontRequest {
    QString title;             // "" = the dialog's own title
    QFont font;
    bool offerColor = false;
    QColor color = Qt::black;
    int minSize = 0;
    int maxSize = 0;
};

struct FontChoice {
    QFont font;
    QColor color;              // the request's colour when no colour was offered
};

class PromptService {
public:
    virtual ~PromptService() = default;
    virtual Answer message(const MessageRequest &request) = 0;
    // nullopt = Cancel
    virtual std::optional<QString> input(const InputRequest &request) = 0;
    virtual std::optional<FileDialogResult> openFile(const FileDialogRequest &request) = 0;
    virtual std::optional<FileDialogResult> saveFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> browseFolder(const FolderRequest &request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontRequest &request) = 0;
    // The printer dialog on `printer`, which it sets up as the user chose; false = Cancel.
    virtual bool choosePrinter(QPrinter &printer) = 0;
    // Opens a web page, a mail address or a local document with the desktop's program.
    virtual bool openUrl(const QUrl &url) = 0;
};

// Message texts break lines with CR or CR LF, as the program's texts were written; Qt's labels
// break only at LF. Windows that show a message text pass it through this first.
inline QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The service in use; a Qt implementation unless a test installed another.
PromptService &prompts();
// Installs `service` (not owned); nullptr puts the Qt implementation back.
void setPrompts(PromptService *service);

// Shorthand for the common message box.
inline Answer msgBox(const QString &text, Buttons buttons = Buttons::OK, Icon icon = Icon::None,
                     const QString &title = {}, DefaultButton def = DefaultButton::First) {
    return prompts().message({text, title, buttons, icon, def});
}

} // namespace platform::ui
