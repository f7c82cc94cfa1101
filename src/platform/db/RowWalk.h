#pragma once
// A walk (a report, an export, the missing-files scan, an edit walk) moves row by row and reads
// a few fields of each. One statement in the recordset's order is stepped along with it and the
// fields are read where it stands, so no row is copied or looked up by key. Each row it gives is
// checked against the key list: a row the list holds a little further on (ties sorted another
// way, a row moved by the walk's own edit) is kept aside in the row cache for its turn, a row the
// list does not hold (added since) is passed over. Any write to the rows other than the walk's
// own edit of a row it has passed ends the statement; the rows still to come are then read by
// key as they are now. An open statement is one of the connection's standing reads.
#include "platform/db/DbInternal.h"

#include <unordered_map>

namespace platform::db::detail {

struct RowWalk {
    static constexpr long kWalkWindow = 64;
    static constexpr int kWalkOpens = 16;
    struct Statement {
        Stmt stmt;
        bool open = false;
        bool onRow = false;  // the statement stands on the row at `at`, as stored
        long at = -1;        // the last position the statement gave
        quint64 gen = 0;     // the connection's write count at which the rows ahead were current
        quint64 pauses = 0;  // the connection's readPauses when it started
        std::unordered_map<qint64, long> kept; // rows it gave ahead of their turn (in the cache): serial → position
    } walk;
    QString walkSql;         // empty when the rows cannot be walked by one statement
    int walkSorts = -1;      // whether the statement sorts before its first row; -1 not known
    int walkOpens = 0;       // statements opened in this pass; a new pass starts at MoveFirst
    long walkRun = 0;        // positions read one after the other
    long walkLast = -1;
};

} // namespace platform::db::detail
