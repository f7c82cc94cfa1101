#pragma once
// The small texts and values the parts of a recordset share: how a bookmark is written, how a
// SELECT's parts are read (ORDER BY terms, aggregates, joins), and the comparison a Seek and a
// deleted row's place use to stand rows in an index's order.
#include "platform/db/DbInternal.h"
#include "platform/db/Recordset.h"

#include <limits>

namespace platform::db::detail {

// A key part that is Null, in key lists and key tuples.
inline constexpr qint64 kNullKey = std::numeric_limits<qint64>::min();
// Rows a lazy recordset keeps read; past it the cache starts again.
inline constexpr size_t kCacheLimit = 4096;
// A key list this long has read a whole index or sorted the whole source.
inline constexpr size_t kReleaseAfterKeys = 100000;
// Pages read into the cache by a key list that walked a whole index (a megabyte of 4 KB pages),
// and by one that filled the cache (16 MB).
inline constexpr int kIndexBroughtIn = 256;
inline constexpr int kCacheFilled = 4096;
// The end of a walk's statement: it starts at the position bound to ?1.
inline const QString kWalkOffset = QStringLiteral(" LIMIT -1 OFFSET ?1");

// Resets a cached statement when the scope ends, so no read stays open.
struct Reset {
    sqlite3_stmt *s;
    ~Reset() { sqlite3_reset(s); }
};

[[noreturn]] void noCurrent();

QString stripBrackets(QString s);
// A bookmark is the row's serial (a table-type recordset's: its rowid) in eight bytes.
QByteArray encodeBookmark(qint64 serial);
std::optional<qint64> decodeBookmark(const QByteArray &b);
// Whether a result column reads as True.
bool truthy(sqlite3_stmt *s, int col);
bool hasAggregate(const QString &columns);
bool orderByOrdinal(const QString &orderBy);
bool containsWord(const QString &text, const char *word);
// Top-level terms of an ORDER BY text.
QStringList orderTerms(const QString &orderBy);
// The ORDER BY a key list is read with when no index serves the sort whole.
QString keyOrder(const QString &orderBy);
bool multiTable(const QString &from);
// The place of the parenthesis that closes the one `text` opens with (quotes and brackets
// skipped), or -1.
qsizetype closingParenthesis(const QString &text);
// How rows compare with a key in the order of an index over `columns` (Nulls lowest, each field
// by its own collation, the key's later values breaking ties): the condition that a row's fields
// stand `op` ("<", "<=", ">", ">=") the key bound to ?first, ?first+1, ...
QString indexCompare(const QStringList &columns, const QString &op, int first);

} // namespace platform::db::detail
