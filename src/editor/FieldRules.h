#pragma once
// The editor's typing rules: what is checked as the focus leaves the duration, file-name,
// folder and BPM boxes and the two date boxes, the capitals typed into the name boxes, and what
// a double click in the notes box or a misc field opens.
#include <QString>

class QLineEdit;

namespace editor {

class NameEdit;

class FieldRules {
public:
    explicit FieldRules(NameEdit &w) : w_(w) {}

    // Leave checks: Cancel = true keeps the focus in the box.
    void txtDuration_Validate(bool &Cancel);
    void txtFileName_Validate(bool &Cancel);
    void txtPathName_Validate(bool &Cancel);
    void txtBPM_Validate(bool &Cancel);
    // Lost-focus check of a date box; true when the focus is to go back into it.
    bool dateLostFocus(QLineEdit *box);
    // A key typed into a name box (song name, artist, album, composer).
    void nameKeyPress(QLineEdit *box, int &KeyAscii);
    void txtNotes_DblClick();
    // Opens a misc field's text: a mail address, else a file or web address, else nothing.
    void OpenFieldLink(const QString &Text);

private:
    NameEdit &w_;
};

} // namespace editor
