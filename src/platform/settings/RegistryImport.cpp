#include "platform/settings/RegistryImport.h"

#include "platform/settings/SystemMetrics.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace platform::settings {

bool importRegistryFile(const QString &path, QString *error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QStringList lines = QString::fromLatin1(f.readAll()).split(QRegularExpression(QStringLiteral("\r?\n")));
    if (lines.isEmpty() || !lines.first().trimmed().startsWith(QLatin1String("Windows Registry Editor"))) {
        if (error)
            *error = QStringLiteral("The file is not a registry import text.");
        return false;
    }
    static const QRegularExpression value(QStringLiteral(R"re(^\s*"([^"]+)"\s*=\s*"([^"]*)"\s*$)re"));
    bool inMetrics = false;
    for (const QString &line : lines) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('['))) {
            inMetrics = t.compare(QLatin1String("[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]"),
                                  Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inMetrics)
            continue;
        const auto m = value.match(t);
        if (m.hasMatch())
            setMetric(m.captured(1), m.captured(2));
    }
    return true;
}

} // namespace platform::settings
