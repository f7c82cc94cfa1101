#pragma once
// Showing a record in the editor and closing it: the load sequence, the copy of the main grid's
// current row into the boxes, the stored values the typing rules compare with, and the close
// sequence with its lose-changes questions and the grid finding a saved song again.
#include <QString>

namespace platform::db {
class Recordset;
}
namespace platform::ui {
class DataControl;
}

namespace editor {

// The main grid's data control and its rows. A main window not loaded, or a grid without rows,
// throws db::DbError 3021 "No current record.", as a grid without a current row does.
platform::ui::DataControl &mainGrid();
platform::db::Recordset &mainGridRows();

class NameEdit;

class RecordDisplay {
public:
    explicit RecordDisplay(NameEdit &w) : w_(w) {}

    // The load sequence; false when its error trap showed the error and closed the window.
    bool Form_Load();
    // Copies the main grid's current row into the controls and clears the change mark.
    void MoveDataToForm();
    // Remembers what a new record's checks compare with and put back.
    void rememberStartValues();
    // The stored value of a field: the grid's current row in View/Edit; for a new record the
    // start value of Duration and PathName, else empty.
    QString storedValue(const QString &field) const;
    // The close sequence; Cancel = true keeps the window open.
    void Form_Unload(bool &Cancel);

private:
    // The duplicate views: the record is shown in boxes that take no typing, and the browse
    // buttons that would fill them are off.
    void lookOnly();

    NameEdit &w_;
};

} // namespace editor
