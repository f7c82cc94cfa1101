#pragma once
// The songs the main grid shows, exported as a comma-separated text file for mail merge and
// spreadsheets: a header line, then one line per row in the grid's order, every value quoted.
//
// The file is UTF-8 without a byte-order mark, lines end in CR LF, quotes inside values become
// apostrophes (they are never doubled), and dates are the user's short date with a four-digit
// year (yyyy-MM-dd when no locale is set). It is written under a temporary name and renamed
// over the chosen file at the end, so a failed export leaves the old file as it was.
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

class QIODevice;

namespace platform::db {
class Recordset;
}
namespace songlist {
class NameList;
}

namespace reports {

class CsvExport {
public:
    explicit CsvExport(songlist::NameList &w) : w_(w) {}

    // Asks, lets the user name the file and writes the grid's rows into it.
    void ExportToCsv(bool WithNotes);

    // The header texts: 21 columns, 22 with the notes.
    static QStringList headers(bool WithNotes);
    // A text column's value: Null as "", blanks trimmed, double quotes made apostrophes.
    static QString textValue(const QVariant &v);
    // A date column's value: the date alone in the short date, "" for Null or empty.
    static QString dateValue(const QVariant &v, const QLocale &locale = QLocale());
    // The locale's short date format with the year written in four digits; yyyy-MM-dd in the
    // C locale (no locale set), whose short date writes the month as a name.
    static QString shortDateFormat(const QLocale &locale);
    // One line of the file appended to `out`: each value in double quotes, commas between, CR LF
    // at the end.
    static void appendLine(QByteArray &out, const QStringList &values);
    // Writes the header and every row of the grid's recordset (read by position, so the grid's
    // current row stays). Throws DbError for a view without one of the columns.
    static void write(const platform::db::Recordset &grid, bool WithNotes, QIODevice &out);

private:
    songlist::NameList &w_;
};

} // namespace reports
