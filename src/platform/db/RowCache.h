#pragma once
// The rows' values. A recordset read whole holds every row in `rows`, in list order, and they
// change only through the recordset itself. A lazy recordset reads a row by its key when asked
// and keeps recent rows in `cache` (serial → row; nullopt for a row that is gone or no longer in
// the source). The cache holds what the catalogue held at the connection's write count
// `cacheGen`: a write since (to the recordset's table, for rows of one table) empties it before
// the next read. A walk reads rows ahead in batches of up to kBatch, in the direction it moves;
// the batch grows while nothing is written between reads and falls back to single rows after
// every write, so an edit walk does not read rows it will have to read again.
#include "platform/db/RawRow.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace platform::db::detail {

struct RowCache {
    static constexpr int kBatch = 64;
    std::vector<RawRow> rows; // values, when read whole
    std::unordered_map<qint64, std::optional<RawRow>> cache;
    quint64 cacheGen = 0;
    // The batch read: kept by the connection when no source values are bound to it (its text
    // is then the same for every view of the table, and a new view finds it prepared), else
    // by the recordset.
    QString batchSql;
    Stmt batchStmt;
    bool batchShared = false;
    bool batchTried = false;
    int readAhead = 1;
    long lastRead = -1;
    // For the invariant check: the catalogue's data version when last checked, and whether
    // another connection wrote since the cache was last emptied (its rows may then differ).
    unsigned int checkedVersion = 0;
    bool foreignWriteSeen = false;
};

} // namespace platform::db::detail
