// The statement a walk steps along with the recordset.
#include "platform/db/RecordsetImpl.h"

#include <algorithm>

namespace platform::db {

using namespace detail;

void Recordset::Impl::closeWalk() {
    if (!walk.open) return;
    sqlite3_reset(walk.stmt.get());
    conn->endRead(walk.stmt.get());
    walk.open = false;
    walk.onRow = false;
    walk.kept.clear();
    walkRun = 0;
}

bool Recordset::Impl::walkKeyIs(sqlite3_stmt *s, int first, long p) const {
    const qint64 *key = keyAt(p);
    for (int i = 0; i < keyWidth; ++i) {
        // Null reads as 0: the type is asked only then.
        qint64 k = sqlite3_column_int64(s, first + i);
        if (k == 0 && sqlite3_column_type(s, first + i) == SQLITE_NULL) k = kNullKey;
        if (k != key[i]) return false;
    }
    return true;
}

bool Recordset::Impl::openWalk(long p) {
    // Two rows read one after the other start a walk; until then the statement is not even
    // prepared (a view whose first row is read and no other costs no walk).
    if (walkOpens >= kWalkOpens || walkRun < 2) return false;
    if (!walk.stmt) {
        walk.stmt = tryPrepare(db(), walkSql);
        if (!walk.stmt || sqlite3_column_count(walk.stmt.get()) != int(cols.size()) + keyWidth) {
            walk.stmt.reset(nullptr);
            walkSql.clear();
            return false;
        }
        walkSorts = 0;
        Stmt plan = tryPrepare(db(), QStringLiteral("EXPLAIN QUERY PLAN ") + walkSql);
        while (plan && sqlite3_step(plan.get()) == SQLITE_ROW)
            if (QByteArrayView(reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3))).contains("TEMP B-TREE"))
                walkSorts = 1;
        // With a LIMIT SQLite sorts into a b-tree, row by row (spilling to temporary files
        // for a large view); without one it uses its merge sorter, several times faster.
        // A statement that sorts therefore has no OFFSET: the rows before the first wanted
        // are stepped over.
        if (walkSorts == 1) {
            walk.stmt = tryPrepare(db(), walkSql.chopped(kWalkOffset.size()));
            if (!walk.stmt) {
                walkSql.clear();
                return false;
            }
        }
        bindNamed(walk.stmt.get(), kSourceParams, params);
    }
    // A statement that sorts reads every row before its first: worth it for a long walk only.
    if (walkRun < (walkSorts ? std::max(kWalkWindow, long(serials.size()) / 16) : 2)) return false;
    sqlite3_stmt *s = walk.stmt.get();
    sqlite3_reset(s);
    if (walkSorts == 1) {
        for (long skipped = 0; skipped < p; ++skipped)
            if (sqlite3_step(s) != SQLITE_ROW) {
                sqlite3_reset(s);
                return false;
            }
    } else {
        sqlite3_bind_int64(s, 1, p);
    }
    walk.open = true;
    walk.onRow = false;
    walk.at = p - 1;
    walk.gen = conn->gen();
    walk.pauses = conn->readPauses;
    conn->standingReads.push_back(s);
    ++walkOpens;
    return true;
}

// True when the row at position p can be read from the walk's statement (brought to it first).
bool Recordset::Impl::walkTo(long p) {
    if (walkSql.isEmpty() || !lazy || (table && (!posValid || !keysFresh()))) return false;
    const bool wasOpen = walk.open;
    if (walk.open && walk.pauses != conn->readPauses) closeWalk();
    if (walk.open && walk.gen != conn->gen()) {
        if (!unchangedSince(walk.gen)) closeWalk();
        else walk.gen = conn->gen(); // what was written since left these rows alone
    }
    // Rows written as the walk goes (outside a transaction, or by others) would make a
    // statement that sorts sort again and again: the rest of this pass is read by key.
    if (wasOpen && !walk.open && walkSorts == 1) walkOpens = kWalkOpens;
    if (walk.open && walk.onRow && walk.at == p) return true;
    if (p != walkLast) {
        walkRun = p == walkLast + 1 ? walkRun + 1 : 0;
        walkLast = p;
    }
    if (!cacheValid()) {
        cache.clear();
        cacheGen = conn->gen();
    }
    // A row the statement gave ahead of its turn is in the cache; rows read ahead by key
    // are passed over, so the statement stays with the walk.
    if (walk.open && walk.kept.count(serials[size_t(p)])) return false;
    if (!walk.open && !openWalk(p)) return false;
    if (p <= walk.at || p > walk.at + kWalkWindow) return false;
    sqlite3_stmt *s = walk.stmt.get();
    const int nc = int(cols.size());
    const long n = long(serials.size());
    walk.onRow = false;
    for (long tries = 0; tries < 2 * kWalkWindow; ++tries) {
        if (sqlite3_step(s) != SQLITE_ROW) break; // the end, or an error the read by key reports
        if (walkKeyIs(s, nc, p)) {
            walk.at = p;
            walk.onRow = true;
            return true;
        }
        for (long q = p + 1; q < n && q <= p + kWalkWindow; ++q)
            if (walkKeyIs(s, nc, q)) {
                if (cache.size() >= kCacheLimit) cache.clear();
                cache.insert_or_assign(serials[size_t(q)], std::optional<RawRow>(std::in_place, s, nc));
                if (walk.kept.size() >= 1024)
                    std::erase_if(walk.kept, [&](const auto &k) { return k.second < p; });
                walk.kept.emplace(serials[size_t(q)], q);
                break;
            }
    }
    closeWalk();
    return false;
}

// Whether a write to the row with `serial` leaves the walk's rows ahead as they are: rows of
// one table, and a row the walk has passed. Asked before the write.
bool Recordset::Impl::walkSurvivesWriteTo(qint64 serial) {
    if (!walk.open || walk.pauses != conn->readPauses || !singleTable() || !unchangedSince(walk.gen)) return false;
    if (walk.at < 0 || walk.at >= long(serials.size())) return false;
    if (serials[size_t(walk.at)] == serial || walk.kept.count(serial)) return true;
    if (table) return false;
    const long p = positionOfSerial(serial);
    return p >= 0 && p <= walk.at;
}

} // namespace platform::db
