#pragma once
// Bulk changes of one text column in every row of a table: count the rows that hold a text,
// replace it everywhere, empty the rows that hold it, or fill the empty rows.
//
// The texts are bound, never written into the statement, and matched literally (a "[", "*",
// "#" or "?" is that character, not a pattern). Columns that hold file-system paths match and
// replace in exact case, since "/music/" and "/Music/" are two folders; other columns ignore
// case, as every other comparison of the catalogue does. The writes report the rows whose
// value actually changed, so a replacement that leaves a value as it was is not counted.
// Callers run the writes of one command inside one transaction.
#include <QString>

namespace platform::db {
class Database;
}

namespace reports {

struct TextColumn {
    QString table;
    QString field;
    bool exactCase = false;

    // tblContacts.PathName and tblPlayListDetail.FileName: the stored folders and track paths.
    static TextColumn songFolders() { return {QStringLiteral("tblContacts"), QStringLiteral("PathName"), true}; }
    static TextColumn trackPaths() { return {QStringLiteral("tblPlayListDetail"), QStringLiteral("FileName"), true}; }
    // A field of the songs; PathName and FileName keep their exact case.
    static TextColumn songField(const QString &field);
};

class ColumnTextChange {
public:
    // Rows whose column holds `text`.
    static long countContaining(platform::db::Database &db, const TextColumn &c, const QString &text);
    // Rows whose column is Null or empty.
    static long countEmpty(platform::db::Database &db, const TextColumn &c);

    // Replaces every occurrence of `find` by `with` in every row; returns the rows changed.
    static long replaceAll(platform::db::Database &db, const TextColumn &c, const QString &find, const QString &with);
    // Sets the column of every row that holds `find` to the empty text; returns the rows changed.
    static long clearContaining(platform::db::Database &db, const TextColumn &c, const QString &find);
    // Sets the column of every Null or empty row to `with`; returns the rows written.
    static long fillEmpty(platform::db::Database &db, const TextColumn &c, const QString &with);

    // The statements (Jet SQL with ? marks), for the tests and the benchmark.
    static QString countSql(const TextColumn &c);
    static QString replaceSql(const TextColumn &c);
};

} // namespace reports
