#pragma once
// How the editor shows dates, and the plain text rules of its boxes that need no window.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace editor {

// The locale's short date with a four-digit year: a two-digit year would be read back into
// another century when the box is saved (1925 shown as "25" comes back as 2025).
QString shortDate(const QDate &date);
// A stored date as a box shows it: the short date, followed by the time when it is not
// midnight, with its seconds when they are not zero. Null gives "", a text that is not a date is shown as it stands.
QString dateBoxText(const QVariant &value);
// Date and time, as the "Last updated" label shows them ("" for Null).
QString dateTimeText(const QVariant &value);

// What is wrong with a typed duration: it must read hh:mm:ss with numbers in characters 1-2,
// 4-5 and the last two, ":" as characters 3 and 6, and at most 59 in the last two.
enum class DurationProblem { None, Format, Seconds };
DurationProblem durationProblem(const QString &text);

// The character a name box inserts for a typed one: a lower-case a-z becomes a capital when the
// box's text is empty or ends in a blank (only the end of the whole text counts).
int properCaseKey(const QString &textBefore, int keyAscii);

} // namespace editor
