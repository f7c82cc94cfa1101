#pragma once
// The Jet SQL dialect in, SQLite SQL out.
//
// Conventions the translated SQL and the engine share:
// - Dates are stored as text "yyyy-MM-dd HH:mm:ss"; a #date# literal becomes such a text.
// - Booleans are stored as -1 and 0; True/False become -1/0.
// - Text columns are declared COLLATE JETTEXT (case-blind for every letter); the path columns
//   COLLATE JETPATH (case-blind order, ties broken by exact code points, so equality is exact).
// - Like becomes jet_like(value, pattern): Jet patterns (*, ?, #, [..], [!..]) case-blind; a number
//   or a stored date is compared as the text the user's locale shows for it.
#include <QString>
#include <functional>
#include <optional>

struct sqlite3;

namespace platform::db::jet {

// Returns the Jet SQL of a saved query (name matched case-blind), or nullopt.
using SavedQueryLookup = std::function<std::optional<QString>(const QString &name)>;

// Where bound values go: each ? outside a literal becomes the parameter "?<base + n>" (n counted
// from 1 in the order the ? stand), and `count` tells how many there were. The base keeps them
// apart from the numbered parameters the layer adds to statements it builds from this text.
// Without placeholders a ? is refused with 3075, so a user's filter never holds an unbound value.
struct Placeholders {
    int base = 0;
    int count = 0;
};

// The SQL an unqualified name in find criteria stands for (a recordset's own output column), or
// nullopt to leave it to the tables of the FROM clause.
using NameResolver = std::function<std::optional<QString>(const QString &name)>;

// The counter field of a table (its key, given in the order rows were added), or nullopt.
using KeyLookup = std::function<std::optional<QString>(const QString &table)>;

// Translates one Jet statement (SELECT, UPDATE, DELETE, INSERT) into one SQLite statement.
// Saved queries named in FROM / JOIN are expanded at run time as "(<translated text>) AS name",
// so a saved query may name one saved after it. Throws DbError 3075 with a message that names
// the problem for text that does not parse, and refuses a second statement.
// With `keys`, the ORDER BY of a SELECT over the rows of a table with a counter (directly, or
// through a saved query or sub-select that shows the counter) ends with that counter in the
// direction of its last key, so rows that tie on every key keep one order: unless a key already
// is the counter, or the rows are groups, or DISTINCT would hide the counter.
QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup);
QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup, Placeholders *params);
QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup, Placeholders *params, const KeyLookup &keys);

// Translates a Jet expression (FindFirst criteria, a filter's WHERE body) into an SQLite
// expression. Anything that is not one expression (a statement separator, a second statement,
// a sub-select that writes) is refused with DbError 3075.
QString translateExpression(const QString &jetExpression);
QString translateExpression(const QString &jetExpression, Placeholders *params, const NameResolver &resolve);

// The SQL value a quoted text stands for where the criteria compare it (=, <>, <, >, Between, In)
// with the named field: Jet reads the text as the field's kind of value (a number, a date, Yes or
// No). nullopt compares the text as it is written.
using LiteralForField = std::function<std::optional<QString>(const QString &field, const QString &text)>;
QString translateExpression(const QString &jetExpression, Placeholders *params, const NameResolver &resolve,
                            const LiteralForField &literalFor);

// A text as a double-quoted Jet literal, every " inside doubled: the one way the program puts a
// value it does not bind into a statement that is kept and read back later (a record source).
QString quoted(const QString &text);

// The top-level clauses of a translated SELECT (texts without their keywords), so a recordset
// can rebuild it (select only keys, count, append criteria). nullopt when not a plain SELECT.
struct SelectParts {
    bool distinct = false;
    QString columns;  // "*", "tblContacts.*, x AS y", ...
    QString from;     // everything after FROM up to WHERE / GROUP BY / ORDER BY
    QString where;
    QString groupBy;
    QString having;
    QString orderBy;
};
std::optional<SelectParts> splitSelect(const QString &sqliteSelect);

// Collations (JETTEXT, JETPATH) and SQL functions (jet_like, UCase, LCase, Left, Right, Mid, Len,
// Trim, InStr, IIf, Nz, Val, Year, Month, Day, Date, Now, Format, ...) that translated SQL uses.
// Called on every connection right after it opens.
void registerFunctions(sqlite3 *db);

} // namespace platform::db::jet
