#include "categories/SavedFilters.h"

#include "core/InputForm.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "import/SongFields.h"
#include "platform/db/Collations.h"
#include "platform/ui/PromptService.h"

namespace categories {

namespace ui = platform::ui;
using core::SettingsRows;

namespace {

const QString kTitle = QStringLiteral("Filter Name");

// The answer trimmed and cut to `limit` characters, with the notice of the cut.
QString limitedName(const QString &answer, int limit, const QString &noticeTitle) {
    QString name = mCommon::TrimBlanks(answer);
    if (name.size() > limit) {
        name = import::firstChars(name, limit);
        ui::msgBox(QStringLiteral("The name you entered for this Filter has been truncated to the maximum length of ") +
                       QString::number(limit) + QStringLiteral(" characters."),
                   ui::Buttons::OK, ui::Icon::Information, noticeTitle);
    }
    return SavedFilters::storedName(name);
}

} // namespace

QString SavedFilters::storedName(QString name) {
    modMain::ReplaceText(name, QStringLiteral("'"), QString(QChar(0x00B4)));
    return name;
}

QStringList SavedFilters::names() { return SettingsRows::filterNames(); }

std::optional<QString> SavedFilters::criteria(const QString &name) { return SettingsRows::filterCriteria(name); }

SavedFilters::Saved SavedFilters::save(const QString &criteria, const QString &proposedName, QString *name) {
    const QString answer = modMain::ShowInputForm(
        QStringLiteral("Enter a descriptive name for this Filter, then press the OK button to save it.\r\n\r\n"
                       "Descriptions can be up to 100 characters long."),
        kTitle, proposedName);
    if (mCommon::TrimBlanks(answer).isEmpty())
        return Saved::Nothing;
    const QString stored = limitedName(answer, SaveNameLimit, QStringLiteral("Name truncated to 100 characters"));
    const bool exists = SettingsRows::filterCriteria(stored).has_value();
    if (exists && ui::msgBox(QStringLiteral("Replace existing Filter?"), ui::Buttons::YesNo, ui::Icon::Question,
                             QStringLiteral("Update confirmation"), ui::DefaultButton::First) != ui::Answer::Yes)
        return Saved::Nothing;
    SettingsRows::saveFilter(stored, criteria);
    if (name)
        *name = stored;
    return exists ? Saved::Replaced : Saved::Added;
}

std::optional<QString> SavedFilters::rename(const QString &oldName) {
    const QString answer = modMain::ShowInputForm(
        QStringLiteral("Enter a new name for this Filter, then press the OK button to save it.\r\n\r\n"
                       "Descriptions can be up to 50 characters long."),
        kTitle, oldName);
    if (mCommon::TrimBlanks(answer).isEmpty())
        return std::nullopt;
    const QString stored = limitedName(answer, RenameNameLimit, QStringLiteral("Name truncated to 50 characters"));
    // Two rows of one name could not be told apart: every lookup finds the first, so the other
    // could never be chosen and deleting one might remove the wrong one. The filter's own name in
    // another letter case is the same row.
    const bool sameFilter = platform::db::jet::compareText(stored, oldName) == 0;
    if (!sameFilter && SettingsRows::filterCriteria(stored).has_value()) {
        ui::msgBox(QStringLiteral("A Filter with that same name (") + stored +
                       QStringLiteral(") already exists.  Choose a different name."),
                   ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        return std::nullopt;
    }
    if (!SettingsRows::renameFilter(oldName, stored))
        return std::nullopt;
    return stored;
}

bool SavedFilters::remove(const QString &name) {
    if (ui::msgBox(QStringLiteral("Are you sure you want to delete filter: ") + name + QLatin1Char('?'),
                   ui::Buttons::YesNo, ui::Icon::None, QStringLiteral("Delete Confirmation"),
                   ui::DefaultButton::First) != ui::Answer::Yes)
        return false;
    return SettingsRows::deleteFilter(name);
}

} // namespace categories
