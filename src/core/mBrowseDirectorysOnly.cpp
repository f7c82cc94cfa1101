#include "core/mBrowseDirectorysOnly.h"

#include "platform/ui/PromptService.h"

namespace mBrowseDirectorysOnly {

QString BrowseForFolder(QWidget *Owner, const QString &Prompt, const QString &StartFolder, const QString &Caption) {
    Q_UNUSED(Owner); // the prompt service places its dialogs itself
    platform::ui::FolderRequest request;
    request.prompt = Prompt;
    request.startFolder = StartFolder;
    request.caption = Caption;
    const std::optional<QString> chosen = platform::ui::prompts().browseFolder(request);
    if (!chosen || chosen->isEmpty())
        return {};
    // The root folder already ends in its separator: no second one.
    QString path = *chosen;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace mBrowseDirectorysOnly
