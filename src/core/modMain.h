#pragma once
// Small shared procedures that sit beside the start-up procedure.
#include <QString>
#include <QVariant>

class QComboBox;

namespace modMain {

// Drops the combo box's list down when it holds at least one item; an empty one stays closed.
// Tab in the dropped list closes it and moves the focus on from the box.
void ShowComboDropDown(QComboBox *combo);

// "" for a database Null (an invalid QVariant), else the value itself with its own type.
QVariant NullToEmpty(const QVariant &value);

// Null for the empty text, else the value itself (a Null stays Null; a number is never "").
QVariant EmptyToNull(const QVariant &value);

// Replaces every occurrence of `find` in `text` (case-sensitive, in place). The search goes on
// after each inserted replacement, so the replacement is never searched again. An empty
// `find` leaves the text alone.
void ReplaceText(QString &text, const QString &find, const QString &replacement);

} // namespace modMain
