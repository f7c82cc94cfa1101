#pragma once
// Dates as the user types them: whether a text is a date in the user's locale, and the
// unambiguous literal the database reads whatever the locale's day and month order. The one rule
// for a date typed as text: the find, a text stored into a date field, and IsDate, DateValue and
// CDate in expressions all read it here. The short date the grid shows and Like compares is
// written here too, always with a four-digit year.
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace platform::db {

class LocaleDate {
public:
    // The date (and time) a text stands for in the user's locale: its short or long date
    // format (two- or four-digit years), or yyyy-mm-dd, optionally followed by a time.
    // Two-digit years below 30 fall in the 2000s. nullopt when the text is not a whole date.
    static std::optional<QDateTime> parse(const QString &text);
    static bool isDate(const QString &text) { return parse(text).has_value(); }

    // The locale's short date format with the year in four digits: the date text the grid shows
    // and Like compares, so "*2024*" finds the dates of 2024 whatever width the locale gives years.
    static QString shortDateFormat(const QLocale &locale);

    // The locale's short time with the seconds after the minutes ("h:mm:ss AP", "HH.mm.ss"):
    // how a time whose seconds are not zero is shown, so that parse() reads it back whole.
    static QString secondsTimeFormat(const QLocale &loc);

    // "#yyyy-mm-dd#", or "#yyyy-mm-dd hh:nn:ss#" when the time is not midnight.
    static QString jetLiteral(const QDateTime &dt);
};

} // namespace platform::db
