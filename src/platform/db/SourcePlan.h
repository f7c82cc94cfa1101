#pragma once
// What a recordset reads and how: the connection and the source as opened, the SELECT split into
// its parts, the fields with the tables they come from, how each table's rows are known (row id
// or key fields), and the statements that read the key list and one row by its key.
//
// Set up once when the recordset opens (a Requery of a recordset read whole opens it anew) and
// left alone after: nothing here goes stale when rows are written. `lazy` says the recordset
// keeps keys and reads rows on demand; otherwise its rows are read whole into the row cache.
// `keyWidth` is the number of key parts of a row (0 for a recordset read whole without keys);
// the key list holds that many for each row.
#include "platform/db/DbInternal.h"
#include "platform/db/Recordset.h"

#include <QHash>
#include <memory>
#include <optional>
#include <vector>

namespace platform::db::detail {

struct Col {
    QString name;       // as the recordset shows it
    QString sqlName;    // as SQLite names the result column
    int tab = -1;       // owning table (index into tabs); -1 for a computed column
    QString origin;     // the column's name in its table
    int tcol = -1;      // the column's place in its table's TableInfo; -1 when unknown
    Kind kind = Kind::Unknown;
    QString collation;  // of the table column ("JETTEXT" ...), for evaluating criteria on read rows
    bool counter = false;
};

struct Tab {
    QString name;
    QString folded;               // the name's case-blind key, for the connection's write counts
    const TableInfo *info = nullptr;
    bool identified = false;
    bool viaRowid = false;
    QStringList keyCols;          // "rowid" or the table's key columns
    QStringList keyExprs;         // the same in the query's FROM scope
    std::vector<int> keyOrdinals; // result columns holding the key parts
    int keyOffset = 0;
};

// A snapshot's statement and the description of its fields, kept by the connection for the
// next snapshot of the same SELECT.
struct SnapshotPlan {
    Stmt stmt;
    std::vector<Col> cols;
    std::vector<Tab> tabs;
    QHash<QString, int> ordinals;
    std::optional<jet::SelectParts> parts;
    bool inUse = false;
};

struct SourcePlan {
    std::shared_ptr<Conn> conn; // first, so it outlives every statement of the recordset
    RecordsetType type = RecordsetType::Dynaset;
    QString source;
    QVariantList params; // bound to the source's ? marks in every statement built from it
    bool isOpen = true;
    bool updatable = false;
    bool lazy = false;   // keys kept, rows read on demand
    bool table = false;  // table-type

    QString sql;
    std::optional<jet::SelectParts> parts;
    std::vector<Col> cols;
    std::vector<Tab> tabs;
    QHash<QString, int> ordinals; // folded name → ordinal
    mutable QHash<QString, int> ordinalMemo; // names as callers spell them → ordinal
    int keyWidth = 0;
    int primaryTab = -1;
    int oneTable = -1; // whether the rows come from one table: -1 not known yet
    QString keySql;
    // keySql as prepared while the plan was made, for the first reading of the key list.
    Stmt keyStmt;
    bool keysSortedHere = false; // keySql gives row ids in any order; loadKeys sorts them
    QString fetchSql;
    Stmt fetchStmt;
    bool whereInFetch = false; // the fetch tests the view's condition (through a join)
    QString matchFrom; // "FROM ... WHERE (...)" body used by Find in lazy mode
    // The keys of another recordset over the same rows, in its order (a kept view), while it opens.
    const Recordset::Impl *keysFrom = nullptr;

    sqlite3 *db() const { return conn->db; }
};

} // namespace platform::db::detail
