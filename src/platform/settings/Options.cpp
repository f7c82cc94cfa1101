#include "platform/settings/Options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <unistd.h>

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

namespace {
// Why the store's file cannot be written, in the system's words: the file itself when it
// exists, otherwise the nearest folder that exists on the way to it.
QString writeProblem(const QString &file) {
    QString path = file;
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QStringLiteral("the file could not be written");
}
} // namespace

SaveStatus SaveSetting(const QString &section, const QString &key, const QString &value) {
    QSettings s = store();
    const QString at = address(section, key);
    const QVariant before = s.value(at);
    s.setValue(at, value);
    s.sync();
    if (s.status() == QSettings::NoError)
        return {};
    // The store keeps unwritten changes in memory for every later reader (and writes them at the
    // next write that succeeds): put back what it held, so the change is not read as made.
    const SaveStatus failed{false, s.fileName(),
                            s.status() == QSettings::FormatError ? QStringLiteral("the file is not a settings file")
                                                                 : writeProblem(s.fileName())};
    if (before.isValid())
        s.setValue(at, before);
    else
        s.remove(at);
    return failed;
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
