#include "player/PlayerTexts.h"

#include "core/AppState.h"
#include "platform/ui/PromptService.h"
#include "player/PlayForm.h"
#include "songlist/NameList.h"

#include <QAction>

namespace player {

QString songText(const QString &title, const QString &artist) {
    return artist.isEmpty() ? title : title + QStringLiteral(" <> ") + artist;
}

QString fileNotFoundText(const QString &path) {
    QString menu = QStringLiteral("Change Music File Locations ...");
    if (auto *main = songlist::NameList::instance(); main && main->mnuChangePaths)
        menu = main->mnuChangePaths->text();
    menu.chop(4);
    const QString q = QStringLiteral("\"");
    return q + path + q + QStringLiteral("\r\nnot found.\r\n") +
           QStringLiteral("It may have been deleted or moved to a new location.  You can globally change music file "
                          "locations by choosing:\r\n") +
           q + menu + q + QStringLiteral(" from the Edit menu.");
}

void showFileNotFound(const QString &path) {
    platform::ui::msgBox(fileNotFoundText(path), platform::ui::Buttons::OK, platform::ui::Icon::Exclamation,
                         QStringLiteral("File not found to play"));
}

QString playerQuery(const QString &recordSource) {
    static const QString from = QStringLiteral(" * from ");
    static const QString columns = QStringLiteral(" FileName, PathName, SongName, Artist from ");
    QString out;
    out.reserve(recordSource.size() + 40);
    QChar quote;  // the quote of the literal being read, or null outside one
    for (qsizetype i = 0; i < recordSource.size();) {
        const QChar c = recordSource.at(i);
        if (!quote.isNull()) {
            // A doubled quote inside a literal is one character of it.
            if (c == quote && !(i + 1 < recordSource.size() && recordSource.at(i + 1) == quote))
                quote = QChar();
            else if (c == quote)
                out += c, ++i;
            out += c;
            ++i;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            out += c;
            ++i;
            continue;
        }
        if (QStringView(recordSource).mid(i, from.size()).compare(from, Qt::CaseInsensitive) == 0) {
            out += columns;
            i += from.size();
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString tempListPath() { return core::g().DataFolder + QLatin1String(PlayForm::TempListName); }

} // namespace player
