#pragma once
// The list reports of the songs the main grid shows (by artist, by song, by path) written into
// the report window's box, and the number of song lines a printed page holds.
//
// A report lists exactly the grid's rows, whatever view the grid shows (a category, a find, the
// selected songs, a play list, the missing files, a duplicate view), each once, sorted by the
// report's order in the catalogue's text order.
#include <QByteArray>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace platform::db {
class Recordset;
}
namespace platform::richtext {
class RichTextBox;
}
namespace songlist {
class NameList;
}

namespace reports {

// One row of a report: the five fields it shows.
struct ReportRow {
    QVariant Artist, SongName, PathName, FileName, Duration;
};

class ListReports {
public:
    explicit ListReports(songlist::NameList &w) : w_(w) {}

    // Report kinds, compared exactly.
    static inline const QString Artist = QStringLiteral("Artist");
    static inline const QString Song = QStringLiteral("Song");
    static inline const QString Path = QStringLiteral("Path");

    // Asks, builds the report of the grid's rows and shows the report window.
    void ShowListReport(const QString &ReportType);
    // Asks for the song lines per page and stores a valid answer.
    void mnuRptLinesPerPage_Click();

    // The grid's rows in the report's order: Artist, SongName / SongName, Artist in the
    // catalogue's text order, PathName, FileName in its path order; Nulls first. The artist
    // report sorts by its heading (the trimmed, upper-cased artist) before the stored artist.
    static std::vector<ReportRow> rowsOf(const platform::db::Recordset &grid, const QString &ReportType);
    static void sortRows(std::vector<ReportRow> &rows, const QString &ReportType);

    // Puts the report of `rows` in the box in the place of what it held, starting from its
    // insertion format. `linesPerPage` is the numeric value of
    // the setting (0: no breaks by count). `progress` is told each row's 1-based number.
    static void writeReport(platform::richtext::RichTextBox &box, const std::vector<ReportRow> &rows,
                            const QString &ReportType, double linesPerPage,
                            const std::function<void(long done, long total)> &progress = {});

    // The number a text stands for as the C locale or the user's locale writes it; nullopt when
    // it is no number.
    static std::optional<double> numericValue(const QString &text);
    // The message that refuses a lines-per-page answer (already trimmed, not empty); "" when
    // the answer is accepted.
    static QString linesPerPageError(const QString &answer);

private:
    songlist::NameList &w_;
};

} // namespace reports
