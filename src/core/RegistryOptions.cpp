#include "core/RegistryOptions.h"

#include "platform/settings/Options.h"

#include <QDir>

namespace core {

namespace ps = platform::settings;

namespace {
QString key(const char *name) { return QString::fromLatin1(name); }

std::optional<int> number(const char *name) {
    bool ok = false;
    const int v = RegistryOptions::get(key(name)).trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}
} // namespace

QString RegistryOptions::get(const QString &k, const QString &defaultValue) {
    return ps::GetSetting(ps::OptionsSection, k, defaultValue);
}

void RegistryOptions::save(const QString &k, const QString &value) { ps::SaveSetting(ps::OptionsSection, k, value); }

QString RegistryOptions::databaseLocation() { return get(key(DatabaseLocationKey)); }
void RegistryOptions::setDatabaseLocation(const QString &folder) { save(key(DatabaseLocationKey), folder); }
QString RegistryOptions::defaultDataFolder() { return QDir::homePath() + QStringLiteral("/Orvalis/"); }

QString RegistryOptions::font() { return get(key(FontKey)); }
void RegistryOptions::setFont(const QString &fontName) { save(key(FontKey), fontName); }
QString RegistryOptions::defaultFont(int winMajorVersion) {
    return winMajorVersion < 6 ? QStringLiteral("MS Sans Serif") : QStringLiteral("Arial");
}

QString RegistryOptions::rptLinesPerPage() { return get(key(RptLinesPerPageKey)); }
void RegistryOptions::setRptLinesPerPage(const QString &lines) { save(key(RptLinesPerPageKey), lines); }

bool RegistryOptions::rememberWindowSize() { return ps::textIsTrue(get(key(RememberWindowSizeKey), QStringLiteral("0"))); }
void RegistryOptions::setRememberWindowSize(bool on) { save(key(RememberWindowSizeKey), ps::boolText(on)); }

std::optional<RegistryOptions::Placement> RegistryOptions::gridScreenPlacement() {
    const auto top = number(GridScreenTopKey);
    const auto left = number(GridScreenLeftKey);
    const auto width = number(GridScreenWidthKey);
    const auto height = number(GridScreenHeightKey);
    if (!top || !left || !width || !height)
        return std::nullopt;
    return Placement{*top, *left, *width, *height};
}

void RegistryOptions::setGridScreenPlacement(const Placement &p) {
    save(key(GridScreenTopKey), QString::number(p.top));
    save(key(GridScreenLeftKey), QString::number(p.left));
    save(key(GridScreenWidthKey), QString::number(p.width));
    save(key(GridScreenHeightKey), QString::number(p.height));
}

bool RegistryOptions::fileRenameDisabled() { return ps::textIsTrue(get(key(FileRenameDisabledKey), QStringLiteral("0"))); }
void RegistryOptions::setFileRenameDisabled(bool disabled) { save(key(FileRenameDisabledKey), ps::boolText(disabled)); }

QString RegistryOptions::warningCheckbox(const QString &k) { return get(k, QStringLiteral("0")); }
bool RegistryOptions::warningSilenced(const QString &k) { return warningCheckbox(k).trimmed() == QLatin1String("1"); }
void RegistryOptions::setWarningCheckbox(const QString &k, const QString &value) { save(k, value); }

void RegistryOptions::resetWarnings() {
    save(key(FileNameWarningKey), QStringLiteral("0"));
    save(key(PathNameWarningKey), QStringLiteral("0"));
}

} // namespace core
