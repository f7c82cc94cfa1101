#include "platform/settings/SystemMetrics.h"

#include <QSettings>
#include <cstdlib>

namespace platform::settings {

namespace {
QString address(const QString &name) { return QStringLiteral("WindowMetrics/") + name; }
} // namespace

QString metric(const QString &name) {
    const QSettings s(QStringLiteral("Orvalis"), QStringLiteral("Orvalis"));
    return s.value(address(name)).toString();
}

void setMetric(const QString &name, const QString &value) {
    QSettings s(QStringLiteral("Orvalis"), QStringLiteral("Orvalis"));
    s.setValue(address(name), value);
    s.sync();
}

std::optional<int> scrollBarWidth() {
    bool ok = false;
    const int v = metric(QStringLiteral("ScrollWidth")).trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return std::abs(v);
}

} // namespace platform::settings
