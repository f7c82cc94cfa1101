#pragma once
// Puts every row of a recordset of songs into one category, or takes every one out of it, in
// one transaction. The walk moves the recordset itself (not a data control, so nothing is
// redrawn per row) and puts its current row back afterwards.
#include "platform/db/Database.h"

namespace categories {

struct BulkCounts {
    long changed = 0;    // links added (assign) or removed (remove)
    long unchanged = 0;  // songs already in the category (assign) or not in it (remove)
};

class BulkAssignment {
public:
    // A song already in the category is refused by the link table's key (3022) and counted as
    // unchanged; the walk goes on. Any other error rolls every link of the command back, puts
    // the current row back and is thrown.
    static BulkCounts assignAll(platform::db::Database &db, platform::db::Recordset &songs, qint64 category);
    // A song without the category is counted as unchanged. Errors as for assignAll.
    static BulkCounts removeAll(platform::db::Database &db, platform::db::Recordset &songs, qint64 category);
};

} // namespace categories
