// Reading the rows' values: by key through the cache, in batches ahead of a walk, or from the
// rows read whole.
#include "platform/db/RecordsetImpl.h"

#include <algorithm>

namespace platform::db {

using namespace detail;

bool Recordset::Impl::singleTable() {
    if (oneTable < 0) oneTable = (table || (tabs.size() == 1 && parts && !multiTable(parts->from))) ? 1 : 0;
    return oneTable == 1;
}

// Whether nothing that may change the rows was written since the connection's write count
// was `since`.
bool Recordset::Impl::unchangedSince(quint64 since) {
    if (since == conn->gen()) return true;
    if (!singleTable() || conn->blindGen() > since) return false;
    for (const Tab &t : tabs)
        if (conn->tableGen(t.folded) > since) return false;
    return true;
}

bool Recordset::Impl::cacheValid() {
    if (!unchangedSince(cacheGen)) return false;
    cacheGen = conn->gen();
    return true;
}

const RawRow *Recordset::Impl::fetch(qint64 serial, const qint64 *key) {
    if (!cacheValid()) {
        cache.clear();
        cacheGen = conn->gen();
    }
    if (const auto it = cache.find(serial); it != cache.end()) return it->second ? &*it->second : nullptr;
    if (cache.size() >= kCacheLimit) cache.clear();
    sqlite3_stmt *s = fetchStmt.get();
    sqlite3_reset(s);
    for (int i = 0; i < keyWidth; ++i) {
        if (key[i] == kNullKey) sqlite3_bind_null(s, i + 1);
        else sqlite3_bind_int64(s, i + 1, key[i]);
    }
    std::optional<RawRow> row;
    if (step(db(), s, fetchSql)) row.emplace(s, int(cols.size()));
    sqlite3_reset(s);
    auto [it, ok] = cache.emplace(serial, std::move(row));
    return it->second ? &*it->second : nullptr;
}

bool Recordset::Impl::prepareBatch() {
    if (batchTried) return batchShared || batchStmt;
    batchTried = true;
    if (keyWidth != 1) return false;
    QString keyExpr;
    for (const auto &t : tabs)
        if (t.identified) keyExpr = t.keyExprs.value(0);
    QStringList marks;
    for (int i = 1; i <= kBatch; ++i) marks << QStringLiteral("?%1").arg(i);
    QString q;
    if (table) {
        q = QStringLiteral("SELECT *, rowid FROM %1 WHERE rowid IN (%2)").arg(quoteName(tinfo->name), marks.join(u','));
    } else {
        if (!parts || keyExpr.isEmpty()) return false;
        q = QStringLiteral("SELECT ") + parts->columns + QStringLiteral(", ") + keyExpr + QStringLiteral(" FROM ") +
            parts->from + QStringLiteral(" WHERE ") + keyExpr + QStringLiteral(" IN (") + marks.join(u',') + u')';
        if (whereInFetch && !parts->where.isEmpty()) q += QStringLiteral(" AND (") + parts->where + u')';
    }
    if (params.isEmpty()) {
        sqlite3_stmt *s = conn->cached(q, true);
        if (!s || sqlite3_column_count(s) != int(cols.size()) + 1) return false;
        batchSql = q;
        batchShared = true;
    } else {
        Stmt probe = tryPrepare(db(), q);
        if (!probe || sqlite3_column_count(probe.get()) != int(cols.size()) + 1) return false;
        batchStmt = std::move(probe);
        bindNamed(batchStmt.get(), kSourceParams, params);
    }
    return true;
}

void Recordset::Impl::fetchBatch(long p, int dir) {
    const int ncols = int(cols.size());
    sqlite3_stmt *s = batchShared ? conn->cached(batchSql, true) : batchStmt.get();
    // Prepared again after the connection let it go, under another schema: the rows are read
    // one by one.
    if (!s || sqlite3_column_count(s) != ncols + 1) return;
    sqlite3_reset(s);
    std::unordered_map<qint64, qint64> serialOf;
    const long n = long(serials.size());
    int k = 0;
    for (long q = p; k < readAhead && q >= 0 && q < n; q += dir) {
        const qint64 key = keyAt(q)[0];
        if (key == kNullKey || cache.count(serials[size_t(q)])) continue;
        sqlite3_bind_int64(s, ++k, key);
        serialOf.emplace(key, serials[size_t(q)]);
    }
    while (k < kBatch) sqlite3_bind_null(s, ++k);
    if (cache.size() + serialOf.size() > kCacheLimit) cache.clear();
    while (step(db(), s)) {
        const auto it = serialOf.find(sqlite3_column_int64(s, ncols));
        if (it == serialOf.end()) continue;
        cache.insert_or_assign(it->second, std::optional<RawRow>(std::in_place, s, ncols));
        serialOf.erase(it);
    }
    sqlite3_reset(s);
    // What the batch did not give is gone or no longer in the source, as a single read says.
    for (const auto &[key, serial] : serialOf) cache.insert_or_assign(serial, std::nullopt);
}

// The row at a position of a lazy recordset; nullptr when it is gone.
const RawRow *Recordset::Impl::rawAt(long p) {
    if (!cacheValid()) {
        cache.clear();
        cacheGen = conn->gen();
        readAhead = 1;
    }
    const qint64 serial = serials[size_t(p)];
    if (!cache.count(serial)) {
        const int dir = p < lastRead ? -1 : 1;
        if (readAhead > 1 && prepareBatch()) fetchBatch(p, dir);
        readAhead = std::min(readAhead * 2, int(kBatch));
    }
    lastRead = p;
    return fetch(serial, keyAt(p));
}

Value Recordset::Impl::cellAt(long p, int ordinal) {
    if (!lazy) return rows[size_t(p)].value(ordinal, cols[size_t(ordinal)].kind);
    // A kept view is read by position in one pass (a report, an export): walked like rows
    // read by moving. A grid's reads by position are not, so no read stands while it waits.
    if (type == RecordsetType::Snapshot && walkTo(p))
        return readValue(walk.stmt.get(), ordinal, cols[size_t(ordinal)].kind);
    const RawRow *r = rawAt(p);
    return r ? r->value(ordinal, cols[size_t(ordinal)].kind) : Value();
}

// Table-type, placed by Seek or Bookmark: whether the row is still there. One that went away
// leaves the recordset as after a delete, in the row's place.
bool Recordset::Impl::seekedRowThere() {
    if (fetch(curSerial, &curSerial)) return true;
    sync();
    return false;
}

const RawRow *Recordset::Impl::currentRaw() {
    if (!hasCurrent()) noCurrent();
    if (table && !posValid && !seekedRowThere()) noCurrent();
    const RawRow *r = (table && !posValid) ? fetch(curSerial, &curSerial) : rawAt(pos);
    if (!r) throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
    return r;
}

// The current row as it stands, its fields not yet made values (Edit keeps it).
RawRow Recordset::Impl::currentRow() {
    if (!lazy) {
        if (!hasCurrent()) noCurrent();
        return rows[size_t(pos)];
    }
    if (hasCurrent() && walkTo(pos)) return RawRow(walk.stmt.get(), int(cols.size()));
    return *currentRaw();
}

Value Recordset::Impl::currentCell(int ordinal) {
    const Kind kind = cols[size_t(ordinal)].kind;
    // A forward-only recordset reads each row once, first to last: its fields are not kept.
    const bool once = type == RecordsetType::ForwardOnly;
    if (!lazy) {
        if (!hasCurrent()) noCurrent();
        const RawRow &r = rows[size_t(pos)];
        return once ? r.peek(ordinal, kind) : r.value(ordinal, kind);
    }
    if (hasCurrent() && walkTo(pos)) return readValue(walk.stmt.get(), ordinal, kind);
    const RawRow *r = currentRaw();
    return once ? r->peek(ordinal, kind) : r->value(ordinal, kind);
}

} // namespace platform::db
