#pragma once
// What the main grid does on its own events (other than the row change): the cell-edit flag,
// the DateUpdated stamp after a cell edit, stepping off the mark column, the double click, the
// column resize, the two-click column move, the key rules and the right-button popup menu.
#include "platform/ui/GridModel.h"

#include <QString>

namespace platform::ui {
class DataControl;
class DbGrid;
} // namespace platform::ui

namespace songlist {

class NameList;

class GridEvents {
public:
    explicit GridEvents(NameList &w) : w_(w) {}

    void BeginCellEdit();
    void EndCellEdit();
    // An edited cell was written: the record gets the current date and time in DateUpdated.
    void StampDateUpdated();
    void SkipMarkColumn();
    void ColumnResized();
    void OpenEditor();
    // A header click on column C: starts a move, or ends the pending one.
    void MoveColumn(int C);
    // Key rules. KeyText is what the key types ("" for keys that type nothing); set KeyCode to 0
    // to swallow the key.
    void KeyDown(int &KeyCode, int Shift, const QString &KeyText);
    void ShowPopupMenu(int Button, int Shift, int X, int Y);

    // ---- parts that need no window ---------------------------------------------------------
    // Sets DateUpdated of the data control's current record to now; false without a row.
    static bool stampDateUpdated(platform::ui::DataControl &data);
    // Removes column `from` and re-creates it at index `to` from the saved values.
    static void moveColumn(platform::ui::DbGrid &grid, int from, int to, const platform::ui::GridColumn &saved);
    // The text a key typed in the grid puts into the search box: letters as capitals, control
    // characters dropped; "" when the key types nothing.
    static QString forwardedText(const QString &keyText);
    // What a key of that code types when no text came with it: letters (as capitals), digits
    // and the space; "" for every other key.
    static QString keyTextFor(int keyCode);

private:
    NameList &w_;
};

} // namespace songlist
