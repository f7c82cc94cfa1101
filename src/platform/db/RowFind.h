#pragma once
// Find with Jet criteria. A lazy recordset tries the rows next to the start one by one, then in
// batches of keys sent to SQLite, then with one pass over the source; a Like on the leading sort
// field is found by halves while the key list is in the source's order. Rows read whole are
// tested on their own values, and "Field = ? And ..." with texts is matched on the stored texts
// without SQLite, through an index of the first field on a read-only recordset. A miss sets
// `noMatch` and leaves the current row where it was.
#include "platform/db/DbInternal.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::db::detail {

struct KeyHash {
    size_t operator()(const std::string &s) const { return std::hash<std::string>()(s); }
};

// The positions of rows read whole by the text of one field, as `col`'s collation compares it.
struct EqualIndex {
    int col = -1;
    std::unordered_map<std::string, std::vector<long>> positions;
};

enum class TextEq { Folded, Exact };

// What a search by halves read of the leading sort field, by position, while the key list stands
// as read in that order (`gen`): an incremental search probes the same halves at every keystroke.
// Its statements are kept with it, and the answer to whether the criteria's field is the sort's.
struct PrefixProbes {
    quint64 gen = 0;
    QString checked; // the sort term and field last checked, and whether they are one column
    bool usable = false;
    QString leadSql;
    Stmt lead;
    QString matchSql;
    Stmt match;
    // A number sorts below every text, a blob above; a text by the text collation.
    enum class Kind : char { Null, Number, Text, Blob };
    struct Value {
        Kind kind = Kind::Null;
        QByteArray text;
    };
    std::unordered_map<long, Value> at;
};

struct RowFind {
    bool noMatch = false;
    // What an unqualified name in find criteria stands for in the FROM scope: the recordset's own
    // output column of that name (case-blind) before any other column of the joined tables, so
    // "CategoryNumber" over a join that shows tblCategoryID.CategoryNumber is that column and
    // not an ambiguous name. Built on the first find.
    std::optional<QHash<QString, QString>> outputNames;
    std::optional<EqualIndex> equalIndex;
    int lastEqualCol = -1;
    // Emptied whenever the key list is read or given back.
    std::optional<PrefixProbes> prefixProbes;
};

} // namespace platform::db::detail
