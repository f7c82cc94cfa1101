#include "platform/db/InvariantCheck.h"

#ifdef ORVALIS_CHECK_INVARIANTS

#include "platform/db/RecordsetImpl.h"

#include <cstdio>
#include <cstdlib>

namespace platform::db::detail {

namespace {

[[noreturn]] void broken(const Recordset::Impl &d, const QString &what) {
    std::fprintf(stderr, "recordset invariant broken (%s): %s\n", qPrintable(d.source), qPrintable(what));
    std::fflush(stderr);
    std::abort();
}

unsigned int dataVersion(sqlite3 *db) {
    unsigned int v = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &v);
    return v;
}

// The current row as the catalogue holds it now, read by its key through the recordset's own
// fetch: the row, nullopt when the catalogue has no such row in the source; false when it could
// not be read (locked by another connection), and nothing is compared.
bool catalogueRow(Recordset::Impl &d, const qint64 *key, std::optional<RawRow> &row) {
    sqlite3_stmt *s = d.conn->cached(d.fetchSql);
    const Reset r{s};
    bindNamed(s, kSourceParams, d.params);
    for (int i = 0; i < d.keyWidth; ++i) {
        if (key[i] == kNullKey) sqlite3_bind_null(s, i + 1);
        else sqlite3_bind_int64(s, i + 1, key[i]);
    }
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) row.emplace(s, int(d.cols.size()));
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

void checkRow(Recordset::Impl &d) {
    if (!d.lazy || d.fetchSql.isEmpty() || !d.conn->db) return;
    // Rows another connection wrote are seen when this one reads anew: what the cache holds from
    // before may differ from the catalogue until it is emptied.
    const unsigned int version = dataVersion(d.db());
    if (version != d.checkedVersion) {
        d.foreignWriteSeen = d.foreignWriteSeen || d.checkedVersion != 0;
        d.checkedVersion = version;
    }
    if (d.cache.empty()) d.foreignWriteSeen = false;
    if (d.foreignWriteSeen || !d.unchangedSince(d.cacheGen)) return;
    qint64 serial = 0;
    const qint64 *key = nullptr;
    if (d.table && !d.posValid) {
        if (!d.haveCur || d.curDeleted) return;
        serial = d.curSerial;
        key = &d.curSerial;
    } else {
        if (d.curDeleted || d.pos < 0 || d.pos >= long(d.serials.size())) return;
        serial = d.serials[size_t(d.pos)];
        key = d.keyAt(d.pos);
    }
    const auto it = d.cache.find(serial);
    if (it == d.cache.end()) return;
    std::optional<RawRow> now;
    if (!catalogueRow(d, key, now)) return;
    if (it->second.has_value() != now.has_value())
        broken(d, it->second ? QStringLiteral("the row cached at position %1 is gone from the catalogue").arg(d.pos)
                             : QStringLiteral("the row cached as gone at position %1 is in the catalogue").arg(d.pos));
    if (!now) return;
    for (int c = 0; c < int(d.cols.size()); ++c) {
        const Kind kind = d.cols[size_t(c)].kind;
        const QVariant cached = it->second->value(c, kind), stored = now->value(c, kind);
        if (cached != stored && !(cached.isNull() && stored.isNull()))
            broken(d, QStringLiteral("field %1 of the row at position %2 is cached as '%3', the catalogue holds '%4'")
                          .arg(d.cols[size_t(c)].name)
                          .arg(d.pos)
                          .arg(cached.toString(), stored.toString()));
    }
}

void check(Recordset::Impl &d) {
    if (!d.isOpen) return;
    const long n = long(d.serials.size());
    if (d.keyWidth > 0 && d.keys.size() != size_t(n) * size_t(d.keyWidth))
        broken(d, QStringLiteral("%1 key parts for %2 rows of %3").arg(d.keys.size()).arg(n).arg(d.keyWidth));
    if (!d.lazy && d.rows.size() != size_t(n))
        broken(d, QStringLiteral("%1 rows read whole for %2 serials").arg(d.rows.size()).arg(n));
    if (!d.table || d.posValid) {
        if (d.pos < -1 || d.pos > n) broken(d, QStringLiteral("position %1 outside the %2 rows").arg(d.pos).arg(n));
        if (d.pos > 0 && d.pos < n && !d.table && d.serials[size_t(d.pos - 1)] >= d.serials[size_t(d.pos)])
            broken(d, QStringLiteral("serials do not rise before position %1").arg(d.pos));
        if (d.pos >= 0 && d.pos + 1 < n && !d.table && d.serials[size_t(d.pos)] >= d.serials[size_t(d.pos + 1)])
            broken(d, QStringLiteral("serials do not rise after position %1").arg(d.pos));
        if (d.table && !d.curDeleted && d.pos >= 0 && d.pos < n && (!d.haveCur || d.curSerial != d.serials[size_t(d.pos)]))
            broken(d, QStringLiteral("the table recordset at position %1 is not on the row its list has there").arg(d.pos));
    }
    if (d.curDeleted && d.haveCur) broken(d, QStringLiteral("a deleted current row is still current"));
    if (d.editRow && d.mode != EditMode::Edit) broken(d, QStringLiteral("the row an Edit took outside an Edit"));
    if (d.mode == EditMode::None) {
        if (!d.buf.isEmpty() || !d.dirty.empty()) broken(d, QStringLiteral("an edit buffer outside an edit"));
    } else if (d.buf.size() != qsizetype(d.cols.size()) || d.dirty.size() != d.cols.size()) {
        broken(d, QStringLiteral("an edit buffer of %1 values for %2 fields").arg(d.buf.size()).arg(d.cols.size()));
    }
    // A walk ended by a write or a bound of a transaction is closed at its next use: only a live
    // one must stand within the list.
    const bool walkLive = d.walk.open && d.walk.pauses == d.conn->readPauses && d.unchangedSince(d.walk.gen);
    if (walkLive && d.walk.onRow && (d.walk.at < 0 || d.walk.at >= n))
        broken(d, QStringLiteral("the walk stands at %1 outside the %2 rows").arg(d.walk.at).arg(n));
    checkRow(d);
}

} // namespace

InvariantCheck::~InvariantCheck() {
    try {
        check(rs_.impl());
    } catch (const DbError &e) {
        broken(rs_.impl(), QStringLiteral("the check itself failed: ") + e.description());
    }
}

} // namespace platform::db::detail

#endif
