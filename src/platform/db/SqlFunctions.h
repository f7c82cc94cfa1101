#pragma once
// The SQL functions translated Jet SQL calls (jet_like, jet_cat, jet_left, ...), and the value
// texts they share with the rest of the layer.
#include <QDateTime>
#include <QString>
#include <optional>

struct sqlite3;

namespace platform::db::jet {

// The text of a Jet date literal (between the # signs) as a stored date text
// "yyyy-MM-dd HH:mm:ss". Jet reads m/d/yyyy (US order; d/m when the first number cannot be a
// month), yyyy-mm-dd, d.m.yyyy, an optional time with AM/PM; a time alone falls on 1899-12-30.
std::optional<QString> parseDateLiteral(const QString &text);

// A stored date text ("yyyy-MM-dd HH:mm:ss" or "yyyy-MM-dd") as a date and time.
std::optional<QDateTime> parseStoredDate(const QString &text);

// A date as the user's locale shows it: the short date with a four-digit year, then the time
// unless it is midnight. The grid shows this text and Like compares it.
QString localeDateText(const QDateTime &dt);
// A Double as the user's locale shows it (its decimal separator, no grouping).
QString localeNumberText(double d);

// Jet's Like: * ? # [..] [!..], case-blind for every letter.
bool jetLike(const QString &value, const QString &pattern);

// Jet's Format for dates and numbers: named formats ("Short Date", "Long Time", "Fixed" ...) or a
// custom pattern ("yyyy-mm-dd hh:nn", "dd mmm yyyy", "0.00", "#,##0").
QString formatDate(const QDateTime &dt, const QString &format);
QString formatNumber(double d, const QString &format);

// Registers the jet_* functions on a connection (JetSql.h registerFunctions adds the collations).
void registerSqlFunctions(sqlite3 *db);

} // namespace platform::db::jet
