#pragma once
// The editor's record commands: Add New (blank or from the template song), Next and Previous
// through the main grid's rows, Delete, making and clearing the template, and Categories.
//
// The editor has no rows of its own: these commands move the current row of the main window's
// data control and show it, so the grid always stands on the song the editor shows. A changed
// record is saved first; when that save refuses, the command stops and the edits stay.
#include <QString>

namespace editor {

class NameEdit;

class RecordNavigation {
public:
    explicit RecordNavigation(NameEdit &w) : w_(w) {}

    void cmdAddNew_Click();
    void cmdNext_Click();
    void cmdPrev_Click();
    void cmdDelete_Click();
    void cmdMakeDefault_Click();
    void cmdClearDefault_Click();
    void cmdCategories_Click();

    // Empties every text box of the window but the editable field labels; the picture boxes
    // are always emptied.
    static void blankTextBoxes(NameEdit &w);
    // "DELETE FROM tblContacts WHERE RecordID = ?"
    static QString deleteSql();

private:
    enum class Step { Next, Previous };
    void step(Step direction);
    // The checks and the save Next and Previous begin with; false when the command stops.
    bool leaveShownRecord();
    bool gridIsEmpty();
    void showAddMode();
    void writeTemplate(long recordId);

    NameEdit &w_;
};

} // namespace editor
