#include "platform/ui/WebSearch.h"

namespace platform::ui {

namespace {
// The search engine whose address forms ("/search?newwindow=1&q=..." and the image-search
// variant) the look-ups use.
constexpr const char *kSearchHost = "https://www.google.com";
} // namespace

QString searchPart(const QString &text) {
    const QByteArray utf8 = text.trimmed().toUtf8();
    QString out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += QLatin1Char('+');
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '.' || c == '_' || c == '~') {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QLatin1Char('%');
            out += QString::number(c, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        }
    }
    return out;
}

QUrl searchAddress(SearchKind kind, const QString &query) {
    const QString path = kind == SearchKind::Web
                             ? QStringLiteral("/search?newwindow=1&q=")
                             : QStringLiteral("/search?newwindow=1&site=imghp&tbm=isch&source=hp&q=");
    // The query is already encoded: keep it byte for byte.
    return QUrl(QString::fromLatin1(kSearchHost) + path + query, QUrl::StrictMode);
}

} // namespace platform::ui
