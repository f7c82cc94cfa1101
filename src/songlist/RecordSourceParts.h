#pragma once
// A copy of the shared parts the grid's record source is built from, taken before a view
// rewrites them so that leaving the view (or failing to enter it) can put every one back.
#include <QString>

namespace songlist {

struct RecordSourceParts {
    QString RecordSourceName;
    QString WhereClause;
    QString CriteriaClause;
    QString CategoryClause;
    QString SelectedClause;
    QString OrderByClause;

    // The parts now in core::g().
    static RecordSourceParts capture();
    // Writes every part back into core::g().
    void restore() const;
    bool operator==(const RecordSourceParts &) const = default;
};

} // namespace songlist
