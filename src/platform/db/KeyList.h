#pragma once
// The rows of a recordset in order and where it stands among them.
//
// `serials` gives each row a number that no other row of this recordset ever gets (a table-type
// recordset's is the rowid), rising along the list as read, so a bookmark is a serial and finds
// its row by halves; rows added through the recordset go at the end with new numbers. `keys`
// holds keyWidth parts per row, in the same order. `bookmarkBase`: serials below it were given
// before the last Requery and are refused, so an old bookmark never leads to another row.
//
// `pos` is the current position: -1 before the first row, serials.size() past the last. After a
// Delete (`curDeleted`) there is no current row and `pos` is the place of the row that followed.
//
// A table-type recordset orders one table by its current index (`indexCols`, then rowid). Its
// list is read only when positions are used and read again when anything was written since
// (`keysGen`); a Seek or a Bookmark places it on `curSerial` without the list (`posValid` false).
// Rows deleted after a Seek stay in the list as `holes` until positions are used again. The
// `anchor` keeps the index values of the current row, so a row deleted by anyone leaves the
// recordset at its place in the index.
//
// A rollback gives back the list as it was before the recordset changed it in the transaction
// (`undo`): after it the recordset lists what it listed before BeginTrans.
#include "platform/db/DbInternal.h"
#include "platform/db/RawRow.h"
#include "platform/db/SerialList.h"

#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace platform::db::detail {

// The list as it was before this recordset first changed it in a transaction (its own additions,
// deletes, requery, edits of rows read whole).
struct Undo {
    quint64 trans = 0;
    SerialList serials;
    std::vector<qint64> keys;
    std::vector<RawRow> rows;
    qint64 bookmarkBase = 0;
    bool lazy = false;
    bool rowsEdited = false;
};

// The index values of a table-type recordset's current row as last seen: the Seek or the
// Bookmark that found the row takes them, or they are read just before a write on the
// connection might take the row away.
struct Anchor {
    qint64 row = 0;
    quint64 gen = 0; // the connection's write count when the values were read
    QVariantList values; // the index fields, then the rowid
};

struct KeyList {
    SerialList serials;
    std::vector<qint64> keys; // keyWidth per row
    qint64 nextSerial = 0;
    qint64 bookmarkBase = 0;
    long pos = -1;
    bool curDeleted = false;
    qint64 deletedSerial = -1; // the row deleted last, while curDeleted
    // The connection's gen when the key list was read in the source's order. While nothing has
    // been written since, the list is in that order and can be searched by halves.
    std::optional<quint64> keysOrderedGen;
    std::optional<Undo> undo;

    // table-type
    const TableInfo *tinfo = nullptr;
    QString indexName;
    QStringList indexCols;
    std::vector<Kind> indexKinds; // of indexCols
    std::map<QString, Stmt> seekStmts;
    bool keysLoaded = false;
    quint64 keysGen = 0;
    bool haveCur = false; // positioned on curSerial
    qint64 curSerial = 0;
    bool posValid = true;
    std::unordered_map<qint64, long> posIndex; // row id → position
    bool posIndexValid = false;
    std::vector<qint64> holes;
    std::optional<Anchor> anchor;
};

} // namespace platform::db::detail
