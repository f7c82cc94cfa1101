#include "categories/RecordFilter.h"

#include "categories/CriteriaText.h"
#include "core/AppState.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QLabel>
#include <QPushButton>

namespace categories {

namespace db = platform::db;
namespace ui = platform::ui;

RecordFilter::RecordFilter(songlist::NameList &w) : w_(w), saved_(songlist::RecordSourceParts::capture()) {
    core::g().SavedRecordSource = w_.Data1->recordSource();
}

bool RecordFilter::isInvalidCriteria(int errorNumber) {
    return errorNumber == db::err::TooFewParameters || errorNumber == db::err::SyntaxError || errorNumber == 525 ||
           errorNumber == 13;
}

void RecordFilter::restoreView() {
    // Every part goes back with the record source, so the parts keep describing the grid (a
    // later sort or view built from them shows what the user saw before the filter).
    saved_.restore();
    w_.Data1->setRecordSource(core::g().SavedRecordSource);
    w_.Data1->refresh();
}

RecordFilter::Result RecordFilter::apply(const QString &criteriaText) {
    auto &s = core::g();
    ui::DefaultPointerAtEnd pointer;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    if (criteriaText.isEmpty()) {
        s.CriteriaClause.clear();
        return Result::Cleared;
    }
    try {
        const CriteriaText::View v = CriteriaText::view(criteriaText, s.RecordSourceName, s.CategoryClause, s.OrderByClause);
        s.CriteriaClause = v.CriteriaClause;
        s.WhereClause = v.WhereClause;
        w_.Data1->setRecordSource(v.RecordSource);
        w_.Data1->refresh();
    } catch (const db::DbError &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        const bool invalid = isInvalidCriteria(e.number()) || e.number() == db::err::QueryTooComplex;
        if (e.number() == db::err::QueryTooComplex)
            ui::msgBox(db::tooComplexDescription() + QStringLiteral("  Try again."), ui::Buttons::OK,
                       ui::Icon::Exclamation, QStringLiteral("Invalid syntax"));
        else if (invalid)
            ui::msgBox(QStringLiteral("The criteria you specified are invalid.  Try again."), ui::Buttons::OK,
                       ui::Icon::Exclamation, QStringLiteral("Invalid syntax"));
        else
            ui::msgBox(db::withErrorNumber(e.description(), QStringLiteral(".  Error number:"), e.number()),
                       ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
        restoreView();
        return invalid ? Result::Invalid : Result::Failed;
    } catch (...) {
        restoreView();
        throw;
    }
    if (w_.Data1->recordCount() == 0) {
        ui::msgBox(QStringLiteral("No records found that meet the criteria you specified.  Try again."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("No records found"));
        restoreView();
        return Result::NoRecords;
    }
    s.LastCriteriaText = criteriaText;
    w_.lblFilterMsg->setText(QStringLiteral("Filter is limiting records displayed."));
    w_.lblFilterMsg->show();
    if (w_.lblCategory->text().left(18) == QLatin1String("Records containing"))
        w_.setCategoryCaption(QString());
    w_.clearArtistButton();
    return Result::Applied;
}

} // namespace categories
