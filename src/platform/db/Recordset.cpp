// Recordsets over the catalogue.
//
// A dynaset over a query whose rows come from identifiable table rows keeps only the keys of its
// rows, in order, and reads a row's values when asked (a small cache holds recent rows). A row's
// key is the tuple of the row ids (or integer keys) of the tables its fields come from; writes
// through the recordset go to those tables by that key, so a grid over a join edits the table
// that owns the field. Queries that are not built from identifiable rows (totals, DISTINCT over
// computed columns, nested totals queries) and snapshots are read whole.
//
// A table-type recordset orders the rows of one table by its current index. It stays live: when
// anything was written since its key list was read, the list is read again before positions are
// used; Seek and reading the current row need no list at all, so a Seek per file during an import
// stays cheap.
#include "platform/db/RecordsetImpl.h"

#include "platform/db/InvariantCheck.h"
#include "platform/db/RecordsetOpen.h"
#include "platform/db/WriteScope.h"

#include <QRegularExpression>
#include <algorithm>

namespace platform::db {

using namespace detail;

Recordset::Impl::~Impl() {
    closeWalk();
    if (table) conn->unwatch(this);
}

Recordset::Recordset(std::unique_ptr<Impl> d) : d_(std::move(d)) {}
Recordset::~Recordset() = default;

RecordsetType Recordset::type() const { return d_->type; }
QString Recordset::source() const { return d_->source; }
bool Recordset::updatable() const {
    return d_->updatable && d_->type != RecordsetType::Snapshot && d_->type != RecordsetType::ForwardOnly;
}

void Recordset::moveFirst() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    d.walkOpens = 0; // a new pass
    if (d.table) d.sync();
    if (d.serials.empty()) noCurrent();
    if (d.pos > 0) d.refuseBack();
    d.setPos(0);
}

void Recordset::moveLast() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    if (d.table) d.sync();
    if (d.serials.empty()) noCurrent();
    d.setPos(long(d.serials.size()) - 1);
}

void Recordset::moveNext() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    d.sync();
    const long n = long(d.serials.size());
    if (d.curDeleted) {
        d.setPos(std::min(d.pos, n));
        return;
    }
    if (n == 0 || d.pos >= n) noCurrent();
    d.setPos(d.pos + 1);
}

void Recordset::movePrevious() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    d.sync();
    if (d.type == RecordsetType::ForwardOnly)
        throw DbError(err::OperationNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (d.curDeleted) {
        d.setPos(std::max(d.pos - 1, -1L));
        return;
    }
    if (d.pos < 0 || d.serials.empty()) noCurrent();
    d.setPos(d.pos - 1);
}

void Recordset::move(long rows) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    if (rows < 0) d.refuseBack();
    d.sync();
    if (!d.hasCurrent()) noCurrent();
    const long n = long(d.serials.size());
    d.setPos(std::clamp(d.pos + rows, -1L, n));
}

bool Recordset::bof() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (d.table && !d.posValid && d.haveCur && !d.curDeleted && d.seekedRowThere()) return false;
    d.sync();
    return d.serials.empty() || d.pos < 0;
}

bool Recordset::eof() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (d.table && !d.posValid && d.haveCur && !d.curDeleted && d.seekedRowThere()) return false;
    d.sync();
    return d.serials.empty() || d.pos >= long(d.serials.size());
}

long Recordset::recordCount() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    return d.count();
}

long Recordset::absolutePosition() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.sync();
    return d.hasCurrent() ? d.pos : -1;
}

void Recordset::setAbsolutePosition(long position) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    d.sync();
    if (position < 0 || position >= long(d.serials.size()))
        throw DbError(3001, QStringLiteral("Invalid argument: there is no record at position %1.").arg(position));
    if (position < d.pos) d.refuseBack();
    d.setPos(position);
}

Bookmark Recordset::bookmark() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.hasCurrent()) noCurrent();
    return encodeBookmark(d.currentSerial());
}

void Recordset::setBookmark(const Bookmark &b) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    const auto serial = decodeBookmark(b);
    if (!serial) throw DbError(3159, QStringLiteral("Not a valid bookmark."));
    if (d.table) {
        // The row's place is read with it; a row that is gone leaves the recordset where it was.
        const auto was = std::make_tuple(d.curSerial, d.haveCur, d.posValid, d.curDeleted, d.anchor);
        d.anchor.reset();
        d.curSerial = *serial;
        d.haveCur = true;
        d.posValid = false;
        d.curDeleted = false;
        d.keepAnchor();
        if (!d.anchor) {
            std::tie(d.curSerial, d.haveCur, d.posValid, d.curDeleted, d.anchor) = was;
            throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
        }
        return;
    }
    if (*serial < d.bookmarkBase) throw DbError(3159, QStringLiteral("Not a valid bookmark."));
    const long p = d.positionOfSerial(*serial);
    if (p < 0) throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
    if (p < d.pos) d.refuseBack();
    d.setPos(p);
}

Bookmark Recordset::lastModified() const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.lastMod) noCurrent();
    return encodeBookmark(*d.lastMod);
}

void Recordset::requery() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    d.conn->readAnew(); // a requery sees what others wrote meanwhile
    d.cache.clear();
    d.walkOpens = 0;
    if (d.table) {
        d.holes.clear();
        d.keysLoaded = false;
        d.sync();
        d.setPos(d.serials.empty() ? -1 : 0);
        return;
    }
    d.keepForRollback();
    d.bookmarkBase = d.nextSerial;
    if (d.lazy && d.loadKeys()) return;
    // Read anew (the rows' keys may no longer be unique): the new list numbers its rows on from
    // the old one's, so an old bookmark is known for what it is.
    auto fresh = detail::openRecordset(d.conn, d.source, d.type, d.params);
    Impl &f = *fresh->d_;
    f.serials.shift(d.nextSerial);
    f.nextSerial += d.nextSerial;
    f.bookmarkBase = d.nextSerial;
    f.lastMod = d.lastMod;
    f.lastModTrans = d.lastModTrans;
    f.undo = std::move(d.undo);
    d_ = std::move(fresh->d_);
}

void Recordset::findFirst(const QString &criteria, const QVariantList &values) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (d.pos > 0) d.refuseBack();
    d.find(criteria, values, 0, 1);
}

void Recordset::findLast(const QString &criteria, const QVariantList &values) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.refuseBack();
    d.sync();
    d.find(criteria, values, long(d.serials.size()) - 1, -1);
}

void Recordset::findNext(const QString &criteria, const QVariantList &values) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.sync();
    long start = 0;
    if (d.curDeleted) start = d.pos;
    else if (d.hasCurrent()) start = d.pos + 1;
    else if (d.pos >= long(d.serials.size())) start = long(d.serials.size());
    d.find(criteria, values, start, 1);
}

void Recordset::findPrevious(const QString &criteria, const QVariantList &values) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.refuseBack();
    d.sync();
    long start = long(d.serials.size()) - 1;
    if (d.curDeleted || d.hasCurrent()) start = d.pos - 1;
    else if (d.pos < 0) start = -1;
    d.find(criteria, values, start, -1);
}

bool Recordset::noMatch() const { return d_->noMatch; }

void Recordset::setIndex(const QString &indexName) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.table)
        throw DbError(err::OperationNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    const IndexInfo *ix = d.tinfo->index(stripBrackets(indexName));
    if (!ix)
        throw DbError(3800, QStringLiteral("'%1' is not an index in this table.").arg(indexName));
    d.leaveEdit();
    if (d.posValid && d.hasCurrent()) {
        d.curSerial = d.currentSerial();
        d.haveCur = true;
    }
    d.posValid = false;
    d.anchor.reset(); // its values are those of the other index
    d.indexName = ix->name;
    d.indexCols = ix->columns;
    d.indexKinds.clear();
    for (const QString &c : d.indexCols) {
        const int ci = d.tinfo->column(c);
        d.indexKinds.push_back(ci >= 0 ? d.tinfo->columns[size_t(ci)].kind : Kind::Unknown);
    }
    d.setTableOrder();
}

QString Recordset::index() const { return d_->indexName; }

void Recordset::seek(const QString &op, const QVariantList &keyValues) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.table)
        throw DbError(err::OperationNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (d.indexCols.isEmpty())
        throw DbError(3019, QStringLiteral("Operation invalid without a current index."));
    const QString o = op.trimmed();
    if (o != QLatin1String("=") && o != QLatin1String(">=") && o != QLatin1String(">") && o != QLatin1String("<=") &&
        o != QLatin1String("<"))
        throw DbError(3001, QStringLiteral("Invalid argument: Seek comparison '%1'.").arg(op));
    const int k = int(keyValues.size());
    if (k < 1 || k > d.indexCols.size())
        throw DbError(3001, QStringLiteral("Invalid argument: Seek needs 1 to %1 key values.").arg(d.indexCols.size()));
    d.leaveEdit();
    QVariantList binds;
    binds.reserve(k);
    for (int i = 0; i < k; ++i) binds << convertForField(keyValues[i], d.indexKinds[size_t(i)], d.indexCols[i]);
    const QString cacheKey = o + QString::number(k) + u'|' + d.indexName;
    auto it = d.seekStmts.find(cacheKey);
    if (it == d.seekStmts.end()) {
        const bool desc = o.startsWith(u'<');
        QStringList lhs, rhs, order;
        for (int i = 0; i < k; ++i) {
            lhs << quoteName(d.indexCols[i]);
            rhs << QStringLiteral("?%1").arg(i + 1);
        }
        for (const auto &c : d.indexCols) order << quoteName(c) + (desc ? QStringLiteral(" DESC") : QString());
        order << (desc ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
        QString cond;
        if (o == QLatin1String("=")) {
            QStringList eq;
            for (int i = 0; i < k; ++i) eq << QStringLiteral("%1 IS %2").arg(lhs[i], rhs[i]);
            cond = eq.join(QStringLiteral(" AND "));
        } else {
            cond = indexCompare(lhs, o, 1);
        }
        QStringList place;
        for (const auto &c : d.indexCols) place << quoteName(c);
        const QString q = QStringLiteral("SELECT rowid, %1, rowid FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
                              .arg(place.join(QStringLiteral(", ")), quoteName(d.tinfo->name), cond, order.join(QStringLiteral(", ")));
        it = d.seekStmts.emplace(cacheKey, prepare(d.db(), q, true)).first;
    }
    sqlite3_stmt *s = it->second.get();
    sqlite3_reset(s);
    for (int i = 0; i < k; ++i) bindValue(s, i + 1, binds[i]);
    const bool found = step(d.db(), s);
    // A miss leaves no current record: an Edit or Delete that follows must not reach the row that
    // happened to be current before (it would write one song's fields over another).
    d.curSerial = found ? sqlite3_column_int64(s, 0) : 0;
    d.haveCur = found;
    d.posValid = false;
    d.curDeleted = false;
    if (found) d.takeAnchor(s, 1, d.curSerial);
    sqlite3_reset(s);
    d.noMatch = !found;
}

int Recordset::fieldCount() const { return int(d_->cols.size()); }

QString Recordset::fieldName(int ordinal) const {
    if (ordinal < 0 || ordinal >= int(d_->cols.size()))
        throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return d_->cols[size_t(ordinal)].name;
}

int Recordset::fieldOrdinal(const QString &name) const {
    // Callers name the same few fields again and again (an import sets some twenty per song):
    // the answer for a spelling is kept, sparing the case folding.
    Impl &d = *d_;
    if (const auto it = d.ordinalMemo.constFind(name); it != d.ordinalMemo.constEnd()) return *it;
    const int o = d.ordinals.value(fold(stripBrackets(name)), -1);
    if (d.ordinalMemo.size() >= 512) d.ordinalMemo.clear();
    d.ordinalMemo.insert(name, o);
    return o;
}

Value Recordset::value(int ordinal) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (ordinal < 0 || ordinal >= int(d.cols.size()))
        throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d.editRow && !d.dirty[size_t(ordinal)]) return d.editRow->value(ordinal, d.cols[size_t(ordinal)].kind);
    if (d.mode != EditMode::None) return d.buf[ordinal];
    return d.currentCell(ordinal);
}

Value Recordset::value(const QString &name) const {
    const int o = fieldOrdinal(name);
    if (o < 0) throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return value(o);
}

void Recordset::setValue(int ordinal, const Value &v) {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (ordinal < 0 || ordinal >= int(d.cols.size()))
        throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d.mode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    const Col &c = d.cols[size_t(ordinal)];
    const bool writable = c.tab >= 0 && !c.counter &&
                          (d.mode == EditMode::AddNew || d.tabs[size_t(c.tab)].identified);
    if (!writable) throw DbError(errn::FieldNotUpdatable, QStringLiteral("Field '%1' cannot be updated.").arg(c.name));
    d.buf[ordinal] = convertForField(v, c.kind, c.name);
    d.dirty[size_t(ordinal)] = 1;
}

void Recordset::setValue(const QString &name, const Value &v) {
    const int o = fieldOrdinal(name);
    if (o < 0) throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    setValue(o, v);
}

Value Recordset::valueAt(long position, int ordinal) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.sync();
    if (position < 0 || position >= long(d.serials.size()) || ordinal < 0 || ordinal >= int(d.cols.size()))
        return Value();
    return d.cellAt(position, ordinal);
}

Bookmark Recordset::bookmarkAt(long position) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.sync();
    if (position < 0 || position >= long(d.serials.size())) return Bookmark();
    return encodeBookmark(d.serials[size_t(position)]);
}

long Recordset::positionOf(const Bookmark &b) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    const auto serial = decodeBookmark(b);
    return serial ? d.positionOfSerial(*serial) : -1;
}

namespace {

// A read-only recordset over translated `sql` that takes the keys of `from` (see keptView).
std::unique_ptr<Recordset> openKept(const Recordset::Impl &from, const QString &source, const QString &sql) {
    auto v = std::make_unique<Recordset::Impl>();
    v->conn = from.conn;
    v->type = RecordsetType::Dynaset; // read like a dynaset, then made read-only
    v->source = source;
    v->params = from.params;
    v->cacheGen = from.conn->gen();
    v->keysFrom = &from;
    try {
        v->openQuery(sql);
    } catch (const DbError &) {
        return nullptr;
    }
    v->keysFrom = nullptr;
    if (!v->lazy) return nullptr;
    v->type = RecordsetType::Snapshot;
    v->updatable = false;
    return std::make_unique<Recordset>(std::move(v));
}

} // namespace

std::unique_ptr<Recordset> Recordset::keptView(const QString &select) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.lazy || d.table) return nullptr;
    QString sql;
    try {
        sql = d.conn->translate(select, d.params);
    } catch (const DbError &) {
        return nullptr;
    }
    return openKept(d, select, sql);
}

std::unique_ptr<Recordset> Recordset::keptView(const QStringList &fields) const {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (!d.lazy || d.table || !d.parts || d.parts->distinct || fields.isEmpty()) return nullptr;
    // Each field by its expression in the FROM scope, under the name this recordset gives it.
    const QHash<QString, QString> &names = d.findNames();
    QStringList columns;
    for (const QString &f : fields) {
        const int o = fieldOrdinal(f);
        if (o < 0) return nullptr;
        const auto it = names.constFind(fold(d.cols[size_t(o)].name));
        if (it == names.constEnd()) return nullptr;
        columns << *it + QStringLiteral(" AS ") + quoteName(d.cols[size_t(o)].name);
    }
    QString sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + d.parts->from;
    if (!d.parts->where.isEmpty()) sql += QStringLiteral(" WHERE ") + d.parts->where;
    if (!d.parts->orderBy.isEmpty()) sql += QStringLiteral(" ORDER BY ") + d.parts->orderBy;
    return openKept(d, d.source, sql);
}

void Recordset::addNew() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.requireUpdatable();
    d.mode = EditMode::AddNew;
    d.buf.clear();
    d.editRow.reset();
    d.dirty.assign(d.cols.size(), 0);
    d.predicted.assign(d.tabs.size(), 0);
    d.buf.reserve(qsizetype(d.cols.size()));
    for (size_t ci = 0; ci < d.cols.size(); ++ci) d.buf << d.defaultValue(ci);
    for (size_t ti = 0; ti < d.tabs.size(); ++ti) {
        const Tab &t = d.tabs[ti];
        if (t.info->integerKey.isEmpty()) continue;
        for (size_t ci = 0; ci < d.cols.size(); ++ci)
            if (d.cols[ci].tab == int(ti) && d.cols[ci].counter) {
                if (!d.predicted[ti]) d.predicted[ti] = d.nextCounter(ti);
                d.buf[qsizetype(ci)] = QVariant(d.predicted[ti]);
            }
    }
    d.notePrediction();
}

void Recordset::edit() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.requireUpdatable();
    if (!d.hasCurrent()) noCurrent();
    d.editRow.emplace(d.currentRow());
    d.buf.clear(); // keeps its room for the next row's edit
    d.buf.resize(qsizetype(d.cols.size()));
    d.dirty.assign(d.cols.size(), 0);
    d.editSerial = d.currentSerial();
    d.currentKey(d.editKey);
    d.mode = EditMode::Edit;
}

void Recordset::update() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (d.mode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (d.mode == EditMode::Edit) {
        bool any = false;
        for (char c : d.dirty) any = any || c;
        if (any) d.updateEdited();
        else d.noteLastModified(d.editSerial);
    } else {
        d.updateAdded();
    }
    d.mode = EditMode::None;
    d.buf.clear();
    d.editRow.reset();
    d.dirty.clear();
}

void Recordset::cancelUpdate() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    if (d.mode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    d.leaveEdit();
}

void Recordset::deleteRecord() {
    const InvariantCheck checked(*this);
    Impl &d = *d_;
    d.check();
    d.requireUpdatable();
    d.leaveEdit();
    if (d.table && !d.posValid && d.keysFresh() && d.haveCur && !d.curDeleted) {
        // After a Seek: the row goes by its row id and stays in the key list as a hole until
        // positions are used again.
        const qint64 rowid = d.curSerial;
        {
            const WriteScope write(*d.conn, WriteScope::Effect::MayRemove, {d.tabs[0].folded});
            d.runWrite(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteName(d.tinfo->name)), {QVariant(rowid)});
            if (sqlite3_changes(d.db()) == 0) throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
        }
        d.keysGen = d.conn->gen();
        d.cache.erase(rowid);
        d.holes.push_back(rowid);
        d.curDeleted = true;
        d.deletedSerial = rowid;
        d.haveCur = false;
        return;
    }
    d.sync(); // a table-type recordset removes the row from its list by position
    if (!d.hasCurrent()) noCurrent();
    if (d.primaryTab < 0)
        throw DbError(errn::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    const Tab &t = d.tabs[size_t(d.primaryTab)];
    std::vector<qint64> key;
    d.currentKey(key);
    if (!d.keyKnown(t, key))
        throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
    // A joined row whose other part went away is deleted already, as Edit finds (3167).
    if (d.lazy && !d.singleTable()) (void)d.currentRaw();
    QVariantList binds;
    const QString where = d.keyWhere(t, binds, key);
    {
        const WriteScope write(*d.conn, WriteScope::Effect::MayRemove, {t.folded});
        d.runWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoteName(t.name), where), binds);
        // Deleted by another writer since it was read: as Edit says, not a success.
        if (sqlite3_changes(d.db()) == 0) throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    if (d.table) d.keysGen = d.conn->gen(); // the list stays current: the row is taken out below
    const long p = d.pos;
    if (p >= 0 && p < long(d.serials.size())) {
        d.keepForRollback();
        d.deletedSerial = d.serials[size_t(p)];
        d.cache.erase(d.serials[size_t(p)]);
        d.serials.erase(size_t(p));
        if (d.keyWidth > 0)
            d.keys.erase(d.keys.begin() + p * d.keyWidth, d.keys.begin() + (p + 1) * d.keyWidth);
        if (!d.lazy) d.rows.erase(d.rows.begin() + p);
        d.posIndexValid = false;
    }
    d.curDeleted = true;
    d.haveCur = false;
}

EditMode Recordset::editMode() const { return d_->mode; }

void Recordset::close() {
    Impl &d = *d_;
    d.isOpen = false;
    if (d.table) d.conn->unwatch(&d);
    d.closeWalk();
    d.walk.stmt.reset(nullptr);
    d.fetchStmt.reset(nullptr);
    d.batchStmt.reset(nullptr);
    d.seekStmts.clear();
    d.defaultStmts.clear();
    d.counterStmts.clear();
    d.insertStmts.clear();
    d.updateStmts.clear();
    d.rows.clear();
    d.keys.clear();
    d.serials.clear();
    d.holes.clear();
    d.cache.clear();
}

bool Recordset::isOpen() const { return d_->isOpen && d_->conn->db; }

namespace detail {

std::unique_ptr<Recordset> openRecordset(const std::shared_ptr<Conn> &conn, const QString &source, RecordsetType type,
                                         const QVariantList &values) {
    conn->check();
    auto d = std::make_unique<Recordset::Impl>();
    d->conn = conn;
    d->type = type;
    d->source = source;
    d->params = values;
    d->cacheGen = conn->gen();
    const QString src = source.trimmed();
    static const QRegularExpression single(QStringLiteral("^(\\[[^\\]]+\\]|[^\\s\\[\\]();,'\"]+)$"));
    QString jetSql = src;
    if (single.match(src).hasMatch()) {
        if (!values.isEmpty())
            throw DbError(3001, QStringLiteral("Invalid argument: values are bound to the ? marks of a SELECT only."));
        const QString name = stripBrackets(src);
        if (const TableInfo *t = conn->table(name)) {
            if (type == RecordsetType::Table) {
                d->openTable(t);
                return std::make_unique<Recordset>(std::move(d));
            }
            jetSql = QStringLiteral("SELECT * FROM [%1]").arg(t->name);
        } else if (const auto q = conn->savedQuery(name)) {
            jetSql = *q;
        } else {
            throw DbError(errn::NoSuchTable, QStringLiteral("Cannot find the input table or query '%1'.").arg(name));
        }
    }
    if (type == RecordsetType::Table)
        throw DbError(errn::InvalidOperation, QStringLiteral("Invalid operation: a table-type recordset needs a table name."));
    d->openQuery(conn->translate(jetSql, values));
    return std::make_unique<Recordset>(std::move(d));
}

} // namespace detail

} // namespace platform::db
