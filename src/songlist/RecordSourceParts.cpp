#include "songlist/RecordSourceParts.h"

#include "core/AppState.h"

namespace songlist {

RecordSourceParts RecordSourceParts::capture() {
    const auto &s = core::g();
    return {s.RecordSourceName, s.WhereClause, s.CriteriaClause, s.CategoryClause, s.SelectedClause, s.OrderByClause};
}

void RecordSourceParts::restore() const {
    auto &s = core::g();
    s.RecordSourceName = RecordSourceName;
    s.WhereClause = WhereClause;
    s.CriteriaClause = CriteriaClause;
    s.CategoryClause = CategoryClause;
    s.SelectedClause = SelectedClause;
    s.OrderByClause = OrderByClause;
}

} // namespace songlist
