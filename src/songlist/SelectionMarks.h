#pragma once
// Selection marks and the grid's row change: the mark toggle in the mark column, the text box
// under the grid, the artist button, and the show / hide / clear commands for marked songs.
#include "platform/db/Recordset.h"

#include <QString>

namespace songlist {

class NameList;

class SelectionMarks {
public:
    explicit SelectionMarks(NameList &w) : w_(w) {}

    void CurrentRowChanged(const platform::db::Bookmark &LastRow, int LastCol);
    void ShowSelectedOnlyMenu_Click();
    void cmdShowSelected_Click();
    void HideSelectedMenu_Click();
    void RemoveSelectionsMenu_Click();

    // ---- parts that need no window ---------------------------------------------------------
    // Flips the current record's mark ("x" <-> " ", anything else becomes "x") and keeps
    // SelectedCount (never below 0). Returns the new mark.
    static QString toggleMark(platform::db::Recordset &rs);
    // The four lines under the grid: song, artist, album, then path and file name. A field
    // longer than NameBoxFieldLimit characters shows its start and an ellipsis.
    static QString nameBoxText(const platform::db::Recordset &rs);
    static constexpr qsizetype NameBoxFieldLimit = 1000;

private:
    NameList &w_;
};

} // namespace songlist
