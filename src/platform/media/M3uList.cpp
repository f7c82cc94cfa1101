#include "platform/media/M3uList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>

namespace platform::media {

bool M3uList::isList(const QString &url) { return url.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive); }

QStringList M3uList::read(const QString &listPath) {
    QFile f(listPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parse(f.readAll());
}

QStringList M3uList::parse(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QStringList entries;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        const QStringView line = QStringView(text).mid(start, i - start);
        // CR LF is one line end: skip the LF after a CR.
        if (i + 1 < n && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        entries.append(line.toString());
    }
    return entries;
}

QString M3uList::resolve(const QString &listPath, const QString &entry) {
    if (entry.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(entry).toLocalFile();
    if (QDir::isAbsolutePath(entry))
        return entry;
    return QDir::cleanPath(QFileInfo(listPath).absolutePath() + QLatin1Char('/') + entry);
}

QString M3uList::baseName(const QString &path) { return QFileInfo(path).completeBaseName(); }

} // namespace platform::media
