#include "core/PictureFormats.h"

#include <QImageReader>
#include <QStringList>

namespace core {

QString picturePatterns() {
    QStringList formats;
    for (const QByteArray &f : QImageReader::supportedImageFormats())
        formats << QString::fromLatin1(f).toLower();
    QStringList patterns;
    for (const char *first : {"png", "jpg", "jpeg", "gif", "bmp"})
        if (formats.removeAll(QLatin1String(first)) > 0)
            patterns << QStringLiteral("*.") + QLatin1String(first);
    formats.removeDuplicates();
    for (const QString &f : formats)
        patterns << QStringLiteral("*.") + f;
    return patterns.join(QLatin1Char(';'));
}

QString pictureFilter(const QString &description) {
    const QString patterns = picturePatterns();
    return description + QStringLiteral(" (") + patterns + QStringLiteral(")|") + patterns;
}

} // namespace core
