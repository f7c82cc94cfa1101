#include "platform/db/RecordsetSql.h"

#include <QRegularExpression>
#include <cstring>

namespace platform::db::detail {

[[noreturn]] void noCurrent() {
    throw DbError(err::NoCurrentRecord, QStringLiteral("No current record."));
}

QString stripBrackets(QString s) {
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(u'[') && s.endsWith(u']')) s = s.mid(1, s.size() - 2);
    return s;
}

QByteArray encodeBookmark(qint64 serial) {
    QByteArray b(8, '\0');
    std::memcpy(b.data(), &serial, 8);
    return b;
}

std::optional<qint64> decodeBookmark(const QByteArray &b) {
    if (b.size() != 8) return std::nullopt;
    qint64 v = 0;
    std::memcpy(&v, b.constData(), 8);
    return v;
}

bool truthy(sqlite3_stmt *s, int col) {
    switch (sqlite3_column_type(s, col)) {
    case SQLITE_NULL: return false;
    case SQLITE_INTEGER: return sqlite3_column_int64(s, col) != 0;
    case SQLITE_FLOAT: return sqlite3_column_double(s, col) != 0;
    default: return sqlite3_column_double(s, col) != 0;
    }
}

bool hasAggregate(const QString &columns) {
    static const QRegularExpression re(
        QStringLiteral("\\b(count|sum|avg|min|max|total|group_concat)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(columns).hasMatch();
}

bool orderByOrdinal(const QString &orderBy) {
    static const QRegularExpression re(QStringLiteral("(^|,)\\s*\\d+\\s*(asc|desc)?\\s*(?=,|$)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(orderBy).hasMatch();
}

// A plain scan rather than a regular expression: it runs for every write through a joined
// view, and compiling a pattern each time cost more than the write itself.
bool containsWord(const QString &text, const char *word) {
    const QLatin1StringView w(word);
    const auto wordChar = [&](qsizetype i) { return text[i].isLetterOrNumber() || text[i] == u'_'; };
    for (qsizetype i = text.indexOf(w, 0, Qt::CaseInsensitive); i >= 0; i = text.indexOf(w, i + 1, Qt::CaseInsensitive)) {
        const qsizetype end = i + w.size();
        if ((i == 0 || !wordChar(i - 1)) && (end == text.size() || !wordChar(end))) return true;
    }
    return false;
}

QStringList orderTerms(const QString &orderBy) {
    QStringList terms;
    int depth = 0;
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < orderBy.size(); ++i) {
        const QChar c = orderBy[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            quote = c == u'[' ? QChar(u']') : c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            terms << orderBy.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    terms << orderBy.mid(start).trimmed();
    return terms;
}

// The key list of a sort that no index serves whole is read fastest by one sort of narrow rows:
// walking an index on the first field reads the table row by row and still sorts the ties, and
// walking an index only for its order, to test the view's condition on each row, reads the table
// row by row where one pass and a sort of the rows that pass cost less. "+" keeps a column's
// collation but stops the index from being chosen for the order.
QString keyOrder(const QString &orderBy) {
    const QStringList terms = orderTerms(orderBy);
    static const QRegularExpression column(
        QStringLiteral("^((\"[^\"]*\"|\\w+)\\.)?(\"[^\"]*\"|\\w+)(\\s+(ASC|DESC))?$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QString &t : terms) out << (column.match(t).hasMatch() ? u'+' + t : t);
    return out.join(QStringLiteral(", "));
}

bool multiTable(const QString &from) {
    return from.contains(u',') || containsWord(from, "JOIN");
}

// The place of the parenthesis that closes the one `text` opens with (quotes and brackets
// skipped), or -1.
qsizetype closingParenthesis(const QString &text) {
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'[') {
            quote = c == u'[' ? QChar(u']') : c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && --depth == 0) {
            return i;
        }
    }
    return -1;
}

// How rows compare with a key in the order of an index over `columns` (Nulls lowest, each field
// by its own collation, the key's later values breaking ties): the condition that a row's fields
// stand `op` ("<", "<=", ">", ">=") the key bound to ?first, ?first+1, ... Compared field by field,
// since a comparison of rows of values with a Null in them gives no answer.
QString indexCompare(const QStringList &columns, const QString &op, int first) {
    const bool below = op.startsWith(u'<');
    const bool orEqual = op.endsWith(u'=');
    QString cond;
    for (int i = int(columns.size()) - 1; i >= 0; --i) {
        const QString c = columns[i];
        const QString v = QStringLiteral("?%1").arg(first + i);
        const QString strict = below ? QStringLiteral("((%1 IS NULL AND %2 IS NOT NULL) OR %1 < %2)").arg(c, v)
                                     : QStringLiteral("((%1 IS NOT NULL AND %2 IS NULL) OR %1 > %2)").arg(c, v);
        const QString equal = QStringLiteral("%1 IS %2").arg(c, v);
        if (cond.isEmpty()) cond = orEqual ? QStringLiteral("(%1 OR %2)").arg(strict, equal) : strict;
        else cond = QStringLiteral("(%1 OR (%2 AND %3))").arg(strict, equal, cond);
    }
    return cond;
}


} // namespace platform::db::detail
