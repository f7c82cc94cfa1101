#pragma once
// The 23 sort orders of the song grid: the name shown in the sort list, the ORDER BY tail the
// grid's record source ends in, and the index of ContactsTable that the incremental search
// reads back as the field to search in.
#include <QList>
#include <QString>
#include <QStringList>

namespace songlist {

struct SortOrder {
    QString name;     // as listed in cmbSort
    QString orderBy;  // the OrderByClause, starting with a blank
    QString index;    // index of ContactsTable
};

class SortOrders {
public:
    // Every sort, in the order of the sort list.
    static const QList<SortOrder> &all();
    static QStringList names();
    // The sort of a list text (exact, case-sensitive); any other text, the empty one included,
    // gives "Song Name".
    static const SortOrder &lookup(const QString &name);
    // A sort name that names a date field ("DATE" in its upper-cased text).
    static bool isDate(const QString &name);

    // Position of the first "Order By" (case-blind) that stands outside a quoted literal, or -1.
    static qsizetype findOrderBy(const QString &recordSource);
    // The record source with its ORDER BY tail replaced by `orderBy`: everything before the
    // first "Order By" outside a quoted literal is kept. A text with no tail keeps all of itself.
    static QString replaceOrderBy(const QString &recordSource, const QString &orderBy);
};

} // namespace songlist
