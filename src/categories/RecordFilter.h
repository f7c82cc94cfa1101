#pragma once
// Applying a criteria text to the main grid. Made when the filter window opens, it keeps the
// grid's record source and every part it was built from, so that a filter the database rejects
// or that finds nothing puts the grid and all its parts back as they were.
#include "songlist/RecordSourceParts.h"

#include <QString>

namespace songlist {
class NameList;
}

namespace categories {

class RecordFilter {
public:
    // Keeps the view the grid shows now (SavedRecordSource and its parts).
    explicit RecordFilter(songlist::NameList &w);

    enum class Result {
        Cleared,    // the text was empty: only the criteria clause was emptied
        Applied,    // the grid shows the matching songs
        NoRecords,  // nothing matched; the grid is back as it was
        Invalid,    // the database could not read the text; the grid is back as it was
        Failed,     // another database error, shown with its number; the grid is back as it was
    };
    // Runs the criteria text on the grid, with the messages of each outcome. On success the
    // text becomes the last criteria text and the main window says a filter is active.
    Result apply(const QString &criteriaText);

    // The database errors that mean the criteria text itself is wrong.
    static bool isInvalidCriteria(int errorNumber);

private:
    void restoreView();

    songlist::NameList &w_;
    songlist::RecordSourceParts saved_;
};

} // namespace categories
