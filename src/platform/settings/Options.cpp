#include "platform/settings/Options.h"

#include <QSettings>

namespace platform::settings {

namespace {
// Always the program's own address, whatever organisation or application name the process
// happens to carry.
QSettings store() { return QSettings(QStringLiteral("Orvalis"), QStringLiteral("Orvalis")); }

QString address(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }
} // namespace

QString GetSetting(const QString &section, const QString &key, const QString &defaultValue) {
    const QSettings s = store();
    const QVariant v = s.value(address(section, key));
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

void SaveSetting(const QString &section, const QString &key, const QString &value) {
    QSettings s = store();
    s.setValue(address(section, key), value);
    s.sync();
}

QString boolText(bool on) { return on ? QStringLiteral("-1") : QStringLiteral("0"); }

bool textIsTrue(const QString &text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && d != 0.0;
}

} // namespace platform::settings
