// Where a recordset stands: the key list kept current, positions, the table index, the place of
// a deleted row, and what a rollback gives back.
#include "platform/db/RecordsetImpl.h"

#include <algorithm>
#include <unordered_set>

namespace platform::db {

using namespace detail;

void Recordset::Impl::check() {
    if (!isOpen) throw DbError(errn::ObjectClosed, QStringLiteral("Object invalid or no longer set (the recordset is closed)."));
    conn->check();
    if (undo || lastModTrans) settleTransaction();
}

bool Recordset::Impl::inTransaction() const { return conn->inTrans && !sqlite3_get_autocommit(db()); }

// Called before the list or the rows read whole change.
void Recordset::Impl::keepForRollback() {
    if (table || !inTransaction() || (undo && undo->trans == conn->transId)) return;
    undo = Undo{conn->transId, serials, keys, rows, bookmarkBase, lazy, false};
}

void Recordset::Impl::noteLastModified(qint64 serial) {
    lastMod = serial;
    lastModTrans = inTransaction() ? conn->transId : 0;
}

// Once the transaction is over: a commit keeps everything, a rollback gives the list back and
// forgets a LastModified it undid, so neither leads to a row the rollback took away.
void Recordset::Impl::settleTransaction() {
    if (lastModTrans && !(inTransaction() && lastModTrans == conn->transId)) {
        if (conn->rolledBack.contains(lastModTrans)) lastMod.reset();
        lastModTrans = 0;
    }
    if (!undo || (inTransaction() && undo->trans == conn->transId)) return;
    Undo u = std::move(*undo);
    undo.reset();
    if (!conn->rolledBack.contains(u.trans) || u.lazy != lazy) return;
    if (u.serials == serials && u.bookmarkBase == bookmarkBase && !u.rowsEdited) return;
    // The row it stands on stays current where the list has it again; a row the rollback
    // took away leaves it past the last row.
    const bool atBof = pos < 0 && !curDeleted;
    qint64 current = -1;
    if (curDeleted) current = deletedSerial;
    else if (pos >= 0 && pos < long(serials.size())) current = serials[size_t(pos)];
    closeWalk();
    serials = std::move(u.serials);
    keys = std::move(u.keys);
    rows = std::move(u.rows);
    bookmarkBase = u.bookmarkBase;
    cache.clear();
    posIndexValid = false;
    equalIndex.reset();
    keysOrderedGen.reset();
    prefixProbes.reset();
    const long at = current >= 0 ? serials.indexOf(current) : -1;
    if (at >= 0) setPos(at);
    else setPos(atBof ? -1 : long(serials.size()));
}

bool Recordset::Impl::keysFresh() const { return keysLoaded && keysGen == conn->gen(); }

void Recordset::Impl::reloadTableKeys() {
    closeWalk();
    serials.clear();
    keys.clear();
    Stmt s = prepare(db(), keySql);
    while (step(db(), s.get(), keySql)) {
        const qint64 id = sqlite3_column_int64(s.get(), 0);
        serials.push_back(id);
        keys.push_back(id);
    }
    keysLoaded = true;
    keysGen = conn->gen();
    posIndexValid = false;
    posValid = false;
    holes.clear();
}

// Takes the rows deleted after Seeks out of the key list. When the last delete is still the
// recordset's state, the position becomes the row that followed the deleted one.
void Recordset::Impl::dropHoles() {
    if (holes.empty()) return;
    closeWalk();
    const std::unordered_set<qint64> gone(holes.begin(), holes.end());
    const long at = keysLoaded ? tablePos(holes.back()) : -1;
    long following = -1;
    std::vector<qint64> kept;
    kept.reserve(serials.size() - std::min(serials.size(), holes.size()));
    for (size_t i = 0; i < serials.size(); ++i) {
        if (long(i) == at) following = long(kept.size());
        if (!gone.count(serials[i])) kept.push_back(serials[i]);
    }
    serials.assign(kept);
    keys = std::move(kept);
    holes.clear();
    posIndexValid = false;
    if (curDeleted && !posValid) {
        pos = following >= 0 ? following : long(serials.size());
        posValid = true;
    }
}

long Recordset::Impl::tablePos(qint64 rowid) {
    if (!posIndexValid) {
        posIndex.clear();
        posIndex.reserve(serials.size());
        for (size_t i = 0; i < serials.size(); ++i) posIndex.emplace(serials[i], long(i));
        posIndexValid = true;
    }
    const auto it = posIndex.find(rowid);
    return it == posIndex.end() ? -1 : it->second;
}

// Table-type: makes the key list current and finds the current row in it. A current row
// that went away meanwhile leaves the recordset as after a delete: MoveNext goes on with
// the row that followed it.
void Recordset::Impl::sync() {
    if (!table || (keysFresh() && posValid)) return;
    dropHoles();
    if (keysFresh() && posValid) return;
    enum class Where { Bof, Eof, OnRow, AfterDelete, Unknown } where = Where::Unknown;
    const long n = long(serials.size());
    if (!posValid) where = haveCur ? Where::OnRow : Where::Unknown;
    else if (curDeleted) where = Where::AfterDelete;
    else if (pos < 0) where = Where::Bof;
    else if (pos >= n) where = Where::Eof;
    else where = Where::OnRow;
    std::vector<qint64> following;
    if (posValid && (where == Where::OnRow || where == Where::AfterDelete)) {
        if (where == Where::OnRow) curSerial = serials[size_t(pos)];
        for (long p = std::max(0L, where == Where::OnRow ? pos + 1 : pos); p < n && following.size() < 64; ++p)
            following.push_back(serials[size_t(p)]);
    }
    if (!keysFresh()) reloadTableKeys();
    const long m = long(serials.size());
    switch (where) {
    case Where::Bof:
    case Where::Unknown:
        // No place known (a row deleted after a Seek, then another index): before the first row.
        pos = -1;
        curDeleted = false;
        break;
    case Where::Eof:
        pos = m;
        break;
    case Where::OnRow:
        if (const long p = tablePos(curSerial); p >= 0) {
            pos = p;
            break;
        }
        haveCur = false;
        curDeleted = true;
        deletedSerial = curSerial;
        [[fallthrough]];
    case Where::AfterDelete:
        if (const auto p = placeOfDeleted(deletedSerial)) {
            pos = *p;
            break;
        }
        pos = m;
        for (qint64 f : following)
            if (const long p = tablePos(f); p >= 0) {
                pos = p;
                break;
            }
        break;
    }
    posValid = true;
}

long Recordset::Impl::count() {
    if (table && !keysFresh()) {
        sqlite3_stmt *s = conn->cached(QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(tinfo->name)));
        const Reset r{s};
        step(db(), s);
        return long(sqlite3_column_int64(s, 0));
    }
    return long(serials.size() - holes.size());
}

bool Recordset::Impl::hasCurrent() {
    if (curDeleted) return false;
    if (table && !posValid) return haveCur;
    return pos >= 0 && pos < long(serials.size());
}

qint64 Recordset::Impl::currentSerial() {
    if (table && !posValid) return curSerial;
    return serials[size_t(pos)];
}

void Recordset::Impl::setPos(long p) {
    pos = p;
    posValid = true;
    curDeleted = false;
    if (table) {
        haveCur = p >= 0 && p < long(serials.size());
        if (haveCur) curSerial = serials[size_t(p)];
    }
}

long Recordset::Impl::positionOfSerial(qint64 serial) {
    if (table) {
        sync();
        return tablePos(serial);
    }
    return serials.indexOf(serial);
}

// A forward-only recordset reads its rows once, in order: every way back is refused alike.
void Recordset::Impl::refuseBack() const {
    if (type == RecordsetType::ForwardOnly)
        throw DbError(err::OperationNotSupported, QStringLiteral("Operation is not supported for this type of object."));
}

void Recordset::Impl::leaveEdit() {
    if (mode != EditMode::None) {
        mode = EditMode::None;
        buf.clear();
        editRow.reset();
        dirty.clear();
    }
}

const qint64 *Recordset::Impl::keyAt(long p) const { return keys.data() + size_t(p) * size_t(keyWidth); }

// The current row, when a table-type recordset knows one.
std::optional<qint64> Recordset::Impl::currentTableRow() const {
    if (curDeleted) return std::nullopt;
    if (!posValid) return haveCur ? std::optional<qint64>(curSerial) : std::nullopt;
    if (pos >= 0 && pos < long(serials.size())) return serials[size_t(pos)];
    return std::nullopt;
}

// Reads the current row's index values unless they are still those last read.
void Recordset::Impl::keepAnchor() {
    if (!isOpen) return;
    const auto row = currentTableRow();
    if (!row || (anchor && anchor->row == *row && anchor->gen == conn->gen())) return;
    QStringList fields;
    for (const QString &c : indexCols) fields << quoteName(c);
    fields << QStringLiteral("rowid");
    sqlite3_stmt *s = conn->cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(fields.join(QStringLiteral(", ")), quoteName(tinfo->name)));
    const Reset r{s};
    sqlite3_bind_int64(s, 1, *row);
    if (step(db(), s)) takeAnchor(s, 0, *row);
}

// The index values at columns from `first` on of a statement standing on the row.
void Recordset::Impl::takeAnchor(sqlite3_stmt *s, int first, qint64 row) {
    Anchor a;
    a.row = row;
    a.gen = conn->gen();
    for (int i = 0; i <= int(indexCols.size()); ++i) {
        const int c = first + i;
        switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL: a.values << QVariant(); break;
        case SQLITE_INTEGER: a.values << QVariant(qint64(sqlite3_column_int64(s, c))); break;
        case SQLITE_FLOAT: a.values << QVariant(sqlite3_column_double(s, c)); break;
        default:
            a.values << QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                                   sqlite3_column_bytes(s, c)));
        }
    }
    anchor = std::move(a);
}

void Recordset::Impl::beforeRowsGo() { keepAnchor(); }

// How many rows of the index sort before the deleted row `row`; nullopt without its values.
std::optional<long> Recordset::Impl::placeOfDeleted(qint64 row) {
    if (!anchor || anchor->row != row) return std::nullopt;
    QStringList fields;
    for (const QString &c : indexCols) fields << quoteName(c);
    fields << QStringLiteral("rowid");
    sqlite3_stmt *s = conn->cached(QStringLiteral("SELECT count(*) FROM %1 WHERE %2")
                                       .arg(quoteName(tinfo->name), indexCompare(fields, QStringLiteral("<"), 1)));
    const Reset r{s};
    for (int i = 0; i < int(anchor->values.size()); ++i) bindValue(s, i + 1, anchor->values[i]);
    step(db(), s);
    return long(sqlite3_column_int64(s, 0));
}

// Into `out`, whose room an edit walk reuses row after row.
void Recordset::Impl::currentKey(std::vector<qint64> &out) const {
    if (table && !posValid) {
        out.assign(1, curSerial);
        return;
    }
    if (keyWidth == 0) {
        out.clear();
        return;
    }
    const qint64 *k = keyAt(pos);
    out.assign(k, k + keyWidth);
}

} // namespace platform::db
