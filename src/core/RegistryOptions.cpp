#include "core/RegistryOptions.h"

#include "platform/settings/Options.h"
#include "platform/ui/PromptService.h"

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

bool RegistryOptions::save(const QString &k, const QString &value) {
    const ps::SaveStatus status = ps::SaveSetting(ps::OptionsSection, k, value);
    if (status)
        return true;
    namespace ui = platform::ui;
    ui::msgBox(QStringLiteral("Orvalis could not save its settings in ") + status.file + QStringLiteral(": ") +
                   status.reason,
               ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Settings not saved"));
    return false;
}

QString RegistryOptions::databaseLocation() { return get(key(DatabaseLocationKey)); }
bool RegistryOptions::setDatabaseLocation(const QString &folder) { return save(key(DatabaseLocationKey), folder); }
QString RegistryOptions::defaultDataFolder() { return QDir::homePath() + QStringLiteral("/Orvalis/"); }

QString RegistryOptions::font() { return get(key(FontKey)); }
bool RegistryOptions::setFont(const QString &fontName) { return save(key(FontKey), fontName); }
QString RegistryOptions::defaultFont(int winMajorVersion) {
    return winMajorVersion < 6 ? QStringLiteral("MS Sans Serif") : QStringLiteral("Arial");
}

QString RegistryOptions::rptLinesPerPage() { return get(key(RptLinesPerPageKey)); }
bool RegistryOptions::setRptLinesPerPage(const QString &lines) { return save(key(RptLinesPerPageKey), lines); }

bool RegistryOptions::rememberWindowSize() { return ps::textIsTrue(get(key(RememberWindowSizeKey), QStringLiteral("0"))); }
bool RegistryOptions::setRememberWindowSize(bool on) { return save(key(RememberWindowSizeKey), ps::boolText(on)); }

std::optional<RegistryOptions::Placement> RegistryOptions::gridScreenPlacement() {
    const auto top = number(GridScreenTopKey);
    const auto left = number(GridScreenLeftKey);
    const auto width = number(GridScreenWidthKey);
    const auto height = number(GridScreenHeightKey);
    if (!top || !left || !width || !height)
        return std::nullopt;
    return Placement{*top, *left, *width, *height};
}

bool RegistryOptions::setGridScreenPlacement(const Placement &p) {
    // The first refused write is reported; the others would only repeat it.
    return save(key(GridScreenTopKey), QString::number(p.top)) &&
           save(key(GridScreenLeftKey), QString::number(p.left)) &&
           save(key(GridScreenWidthKey), QString::number(p.width)) &&
           save(key(GridScreenHeightKey), QString::number(p.height));
}

bool RegistryOptions::fileRenameDisabled() { return ps::textIsTrue(get(key(FileRenameDisabledKey), QStringLiteral("0"))); }
bool RegistryOptions::setFileRenameDisabled(bool disabled) { return save(key(FileRenameDisabledKey), ps::boolText(disabled)); }

QString RegistryOptions::warningCheckbox(const QString &k) { return get(k, QStringLiteral("0")); }
bool RegistryOptions::warningSilenced(const QString &k) { return warningCheckbox(k).trimmed() == QLatin1String("1"); }
bool RegistryOptions::setWarningCheckbox(const QString &k, const QString &value) { return save(k, value); }

bool RegistryOptions::resetWarnings() {
    return save(key(FileNameWarningKey), QStringLiteral("0")) && save(key(PathNameWarningKey), QStringLiteral("0"));
}

} // namespace core
