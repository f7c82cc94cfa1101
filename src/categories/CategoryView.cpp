#include "categories/CategoryView.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "platform/ui/DataControl.h"
#include "songlist/NameList.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace categories {

using core::SettingsRows;

QString CategoryView::categoryClause(qint64 number) {
    return QStringLiteral(" CategoryNumber = ") + QString::number(number) + QLatin1Char(' ');
}

std::optional<qint64> CategoryView::clauseNumber(const QString &clause) {
    static const QRegularExpression re(QStringLiteral("^\\s*CategoryNumber\\s*=\\s*(-?\\d+)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(clause);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 n = m.captured(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

bool CategoryView::shows(qint64 number) const {
    const auto &s = core::g();
    return s.RecordSourceName == QLatin1String("qryContacts") && clauseNumber(s.CategoryClause) == number &&
           s.WhereClause.simplified() == (QStringLiteral("Where ") + s.CategoryClause).simplified() &&
           w_.Data1->recordSource() == songlist::NameList::standardRecordSource();
}

std::optional<qint64> CategoryView::rememberedCategory() {
    const auto row = SettingsRows::readRow(QString::fromLatin1(SettingsRows::Category));
    if (!row || !row->setting1)
        return std::nullopt;
    return clauseNumber(*row->setting1);
}

bool CategoryView::startupBoxValue() {
    const auto on = SettingsRows::readBool(QString::fromLatin1(SettingsRows::CategoryStartup));
    return on.value_or(false);
}

void CategoryView::writeStartupBox(bool on) {
    SettingsRows::write(QString::fromLatin1(SettingsRows::CategoryStartup), on ? QStringLiteral("1") : QStringLiteral("0"));
}

void CategoryView::showCategory(qint64 number, const QString &name) {
    auto &s = core::g();
    s.CriteriaClause.clear();
    s.CategoryClause = categoryClause(number);
    w_.setCategoryCaption(name);
    w_.lblFilterMsg->setText(QString());
    w_.lblFilterMsg->hide();
    SettingsRows::write(core::SettingsRow{QString::fromLatin1(SettingsRows::Category), name, s.CategoryClause, {}});
    s.WhereClause = QStringLiteral(" Where ") + s.CategoryClause;
    s.RecordSourceName = QStringLiteral("qryContacts");
    w_.txtName->clear();
    // Another view of the main window may have disabled these; the category view needs them.
    w_.enableViewCommands();
    w_.Data1->setRecordSource(songlist::NameList::standardRecordSource());
    w_.Data1->refresh();
}

void CategoryView::showAllSongs() {
    auto &s = core::g();
    w_.setCategoryCaption(QString());
    w_.lblFilterMsg->setText(QString());
    s.WhereClause.clear();
    s.CriteriaClause.clear();
    s.CategoryClause.clear();
    SettingsRows::deleteKind(QString::fromLatin1(SettingsRows::Category));
    s.RecordSourceName = QStringLiteral("tblContacts");
    w_.Data1->setRecordSource(songlist::NameList::standardRecordSource());
    w_.Data1->refresh();
    // A duplicate view leaves commands off that all songs need.
    w_.enableViewCommands();
}

} // namespace categories
