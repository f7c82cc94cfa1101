#pragma once
// Writing the editor's boxes into a row of tblContacts: the row being edited or a new one,
// through a table recordset of its own. The caller runs it inside its transaction and decides
// what the window does afterwards.
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace editor {

class NameEdit;

class RecordWrite {
public:
    explicit RecordWrite(NameEdit &w) : w_(w) {}

    // Writes the record: an update of the grid's current row's RecordID in View/Edit, else a
    // new row (NewRecordAdded). Sets LastSavedRecordId and NameEdit::RecordWritten. Errors of
    // the database reach the caller; nothing is stored then.
    void MoveFormToData();

    // The TrackNum a track text gives: the trimmed text when the database reads it as a number,
    // else its first two characters when it reads them as one, else none (the field is left as
    // it is).
    static std::optional<double> trackNumber(const QString &trackText);
    // A date box's value: Null when empty, the date the box's check reads, or the text itself
    // (which the database then refuses) when it reads no date.
    static QVariant dateValue(const QString &text);

private:
    NameEdit &w_;
};

} // namespace editor
