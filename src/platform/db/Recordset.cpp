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

#include "platform/db/RecordsetOpen.h"
#include "platform/db/WriteScope.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace platform::db {

using namespace detail;

Recordset::Impl::~Impl() {
    closeWalk();
    if (table) conn->unwatch(this);
}

// The folded names of the tables marked in `which` (one mark per table).
QStringList Recordset::Impl::foldedNames(const std::vector<char> &which) const {
    QStringList out;
    for (size_t ti = 0; ti < tabs.size(); ++ti)
        if (which[ti]) out << tabs[ti].folded;
    return out;
}

void Recordset::Impl::requireUpdatable() {
    if (!updatable || type == RecordsetType::Snapshot || type == RecordsetType::ForwardOnly)
        throw DbError(errn::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
}

QVariant Recordset::Impl::defaultValue(size_t col) {
    const Col &c = cols[col];
    if (c.tab < 0 || c.tcol < 0) return QVariant();
    const TableInfo *info = tabs[size_t(c.tab)].info;
    const QString &defaultSql = info->columns[size_t(c.tcol)].defaultSql;
    if (defaultSql.isEmpty()) return QVariant();
    if (defaultStmts.size() != cols.size()) defaultStmts.resize(cols.size());
    DefaultStmt &d = defaultStmts[col];
    try {
        if (!d.tried) {
            d.tried = true;
            d.stmt = prepare(db(), QStringLiteral("SELECT ") + defaultSql, true);
        }
        if (!d.stmt) return QVariant();
        sqlite3_stmt *s = d.stmt.get();
        const Reset r{s};
        return step(db(), s) ? readValue(s, 0, c.kind) : QVariant();
    } catch (const DbError &) {
        return QVariant(); // a default that is not a constant is left to the database
    }
}

qint64 Recordset::Impl::nextCounter(size_t ti) {
    if (counterStmts.size() != tabs.size()) counterStmts.resize(tabs.size());
    Stmt &cs = counterStmts[ti];
    const Tab &t = tabs[ti];
    if (!cs)
        cs = prepare(db(),
                     QStringLiteral("SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
                                    "coalesce((SELECT max(rowid) FROM %1), 0)) + 1")
                         .arg(quoteName(t.name)),
                     true);
    sqlite3_stmt *s = cs.get();
    const Reset r{s};
    const QByteArray n = t.name.toUtf8();
    sqlite3_bind_text(s, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
    step(db(), s);
    return sqlite3_column_int64(s, 0);
}

// True when no counter can have grown since AddNew: it ran inside the write transaction that
// is still open (so no other connection wrote), and this connection changed no row since.
bool Recordset::Impl::counterUnmoved() const {
    return predictedInWrite && predictedGen == conn->gen() && predictedTrans == conn->transSerial() &&
           predictedChanges == sqlite3_total_changes64(db()) &&
           sqlite3_txn_state(db(), "main") == SQLITE_TXN_WRITE;
}

void Recordset::Impl::notePrediction() {
    predictedGen = conn->gen();
    predictedTrans = conn->transSerial();
    predictedChanges = sqlite3_total_changes64(db());
    predictedInWrite = sqlite3_txn_state(db(), "main") == SQLITE_TXN_WRITE;
}

// Runs writes to several tables as one unit, inside or outside a workspace transaction.
template <typename F> void Recordset::Impl::atomically(bool several, F &&f) {
    if (!several) {
        f();
        return;
    }
    exec(db(), QStringLiteral("SAVEPOINT orv_rs"));
    try {
        f();
    } catch (...) {
        try {
            exec(db(), QStringLiteral("ROLLBACK TO orv_rs; RELEASE orv_rs"));
        } catch (...) {
        }
        throw;
    }
    exec(db(), QStringLiteral("RELEASE orv_rs"));
}

void Recordset::Impl::runWrite(const QString &q, const QVariantList &binds) {
    sqlite3_stmt *s = conn->cached(q);
    const Reset r{s};
    for (int i = 0; i < int(binds.size()); ++i) bindValue(s, i + 1, binds[i]);
    step(db(), s, q);
}

QString Recordset::Impl::keyWhere(const Tab &t, QVariantList &binds, const std::vector<qint64> &key) const {
    QStringList cond;
    for (int j = 0; j < t.keyCols.size(); ++j) {
        const qint64 v = key[size_t(t.keyOffset + j)];
        cond << QStringLiteral("%1 IS ?%2").arg(t.viaRowid ? QStringLiteral("rowid") : quoteName(t.keyCols[j])).arg(binds.size() + 1);
        binds << (v == kNullKey ? QVariant() : QVariant(v));
    }
    return cond.join(QStringLiteral(" AND "));
}

bool Recordset::Impl::keyKnown(const Tab &t, const std::vector<qint64> &key) const {
    for (int j = 0; j < t.keyCols.size(); ++j)
        if (key[size_t(t.keyOffset + j)] == kNullKey) return false;
    return true;
}

void Recordset::Impl::updateEdited() {
    std::vector<char> touched(tabs.size(), 0);
    for (size_t ci = 0; ci < cols.size(); ++ci)
        if (dirty[ci] && cols[ci].tab >= 0) touched[size_t(cols[ci].tab)] = 1;
    std::optional<WriteScope> write;
    write.emplace(*conn, WriteScope::Effect::Change, foldedNames(touched));
    if (!lazy) keepForRollback();
    const bool keepWalk = walkSurvivesWriteTo(editSerial);
    const bool fresh = table && keysFresh();
    // Rows of one table read before stay valid but the one edited here.
    const bool keepRows = lazy && cacheValid();
    bool orderTouched = false;
    atomically(std::count(touched.begin(), touched.end(), 1) > 1, [&] {
        for (size_t ti = 0; ti < tabs.size(); ++ti) {
            if (!touched[ti]) continue;
            const Tab &t = tabs[ti];
            if (!t.identified || !keyKnown(t, editKey))
                throw DbError(errn::FieldNotUpdatable, QStringLiteral("Field cannot be updated."));
            // The UPDATE for this table and this set of changed fields, kept prepared: an edit
            // walk changes the same fields of row after row.
            std::string shape(sizeof(size_t) + cols.size(), '\0');
            std::memcpy(shape.data(), &ti, sizeof(size_t));
            for (size_t ci = 0; ci < cols.size(); ++ci)
                shape[sizeof(size_t) + ci] = (dirty[ci] && cols[ci].tab == int(ti)) ? 1 : 0;
            auto it = updateStmts.find(shape);
            if (it == updateStmts.end()) {
                QStringList sets;
                QVariantList numbered;
                for (size_t ci = 0; ci < cols.size(); ++ci) {
                    if (!dirty[ci] || cols[ci].tab != int(ti)) continue;
                    sets << QStringLiteral("%1 = ?%2").arg(quoteName(cols[ci].origin)).arg(numbered.size() + 1);
                    numbered << QVariant();
                }
                const QString where = keyWhere(t, numbered, editKey);
                it = updateStmts
                         .emplace(std::move(shape),
                                  prepare(db(), QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                                    .arg(quoteName(t.name), sets.join(QStringLiteral(", ")), where),
                                          true))
                         .first;
            }
            sqlite3_stmt *st = it->second.get();
            const Reset r{st};
            int n = 0;
            for (size_t ci = 0; ci < cols.size(); ++ci) {
                if (!dirty[ci] || cols[ci].tab != int(ti)) continue;
                bindValue(st, ++n, buf[qsizetype(ci)]);
                for (const auto &ic : indexCols)
                    if (ic.compare(cols[ci].origin, Qt::CaseInsensitive) == 0) orderTouched = true;
            }
            for (int j = 0; j < t.keyCols.size(); ++j) {
                const qint64 v = editKey[size_t(t.keyOffset + j)];
                if (v == kNullKey) sqlite3_bind_null(st, ++n);
                else sqlite3_bind_int64(st, ++n, v);
            }
            step(db(), st);
            if (sqlite3_changes(db()) == 0)
                throw DbError(errn::RecordDeleted, QStringLiteral("Record is deleted."));
        }
    });
    write.reset();
    if (keepWalk) {
        walk.gen = conn->gen();
        if (serials[size_t(walk.at)] == editSerial) walk.onRow = false; // its values are the old ones
    }
    if (keepRows && tabs.size() == 1) {
        cacheGen = conn->gen();
        cache.erase(editSerial);
    }
    if (fresh && !orderTouched) keysGen = conn->gen();
    if (!lazy) {
        if (undo) undo->rowsEdited = true;
        const long p = positionOfSerial(editSerial);
        if (p >= 0)
            for (size_t ci = 0; ci < cols.size(); ++ci)
                if (dirty[ci]) rows[size_t(p)].set(int(ci), buf[qsizetype(ci)]);
    }
    noteLastModified(encodeBookmark(editSerial));
}

std::vector<JoinFill> Recordset::Impl::joinFills(const std::vector<char> &writeTab) const {
    std::vector<JoinFill> out;
    if (!parts || !multiTable(parts->from)) return out;
    static const QRegularExpression equality(
        QStringLiteral("(\"[^\"]+\"|\\w+)\\.(\"[^\"]+\"|\\w+)\\s*=\\s*(\"[^\"]+\"|\\w+)\\.(\"[^\"]+\"|\\w+)"));
    const auto tabOf = [this](QString name) -> int {
        if (name.startsWith(u'"')) name = name.mid(1, name.size() - 2);
        for (size_t i = 0; i < tabs.size(); ++i)
            if (tabs[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
        return -1;
    };
    const auto unquoted = [](QString name) { return name.startsWith(u'"') ? name.mid(1, name.size() - 2) : name; };
    for (auto it = equality.globalMatch(parts->from); it.hasNext();) {
        const auto m = it.next();
        for (int side = 0; side < 2; ++side) {
            const int a = tabOf(m.captured(side ? 3 : 1)), b = tabOf(m.captured(side ? 1 : 3));
            const QString key = unquoted(m.captured(side ? 4 : 2)), field = unquoted(m.captured(side ? 2 : 4));
            if (a < 0 || b < 0 || a == b || !writeTab[size_t(a)] || !writeTab[size_t(b)]) continue;
            const TableInfo *from = tabs[size_t(a)].info, *to = tabs[size_t(b)].info;
            if (from->integerKey.compare(key, Qt::CaseInsensitive) != 0 || to->column(field) < 0) continue;
            bool set = false;
            for (size_t ci = 0; ci < cols.size(); ++ci)
                set = set || (dirty[ci] && cols[ci].tab == b && cols[ci].origin.compare(field, Qt::CaseInsensitive) == 0);
            if (!set) out.push_back(JoinFill{size_t(a), size_t(b), to->columns[size_t(to->column(field))].name});
        }
    }
    return out;
}

void Recordset::Impl::updateAdded() {
    std::vector<char> writeTab(tabs.size(), 0);
    for (size_t ci = 0; ci < cols.size(); ++ci)
        if (dirty[ci] && cols[ci].tab >= 0) writeTab[size_t(cols[ci].tab)] = 1;
    bool any = false;
    for (char w : writeTab) any = any || w;
    if (!any) {
        const int t = primaryTab >= 0 ? primaryTab : (tabs.empty() ? -1 : 0);
        if (t < 0) throw DbError(errn::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
        writeTab[size_t(t)] = 1;
    }
    // Only fields of a joined table were given (a category view's CategoryNumber): the row
    // the view is about (the song) is added too, with its defaults, and the joined row takes
    // its new counter; written alone, the link would carry no song.
    if (primaryTab >= 0 && !writeTab[size_t(primaryTab)]) {
        writeTab[size_t(primaryTab)] = 1;
        const std::vector<JoinFill> links = joinFills(writeTab);
        if (std::none_of(links.begin(), links.end(), [&](const JoinFill &f) { return f.from == size_t(primaryTab); }))
            writeTab[size_t(primaryTab)] = 0;
    }
    std::vector<qint64> newKey(size_t(keyWidth), kNullKey);
    std::vector<qint64> rowids(tabs.size(), 0);
    const std::vector<JoinFill> fills = joinFills(writeTab);
    // A table whose join field takes another's new counter is written after that one.
    std::vector<size_t> order;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t ti = 0; ti < tabs.size(); ++ti) {
            const bool filled = std::any_of(fills.begin(), fills.end(), [&](const JoinFill &f) { return f.to == ti; });
            if (writeTab[ti] && filled == (pass == 1)) order.push_back(ti);
        }
    std::optional<WriteScope> write;
    write.emplace(*conn, WriteScope::Effect::Change, foldedNames(writeTab));
    // A row added leaves the others as they are; the walk passes over it if it meets it.
    const bool keepWalk = !table && walk.open && walk.pauses == conn->readPauses && singleTable() && unchangedSince(walk.gen);
    atomically(std::count(writeTab.begin(), writeTab.end(), 1) > 1, [&] {
        for (const size_t ti : order) {
            const Tab &t = tabs[ti];
            // The counter shown since AddNew is used when it is still the next one.
            const bool withCounter = predicted[ti] > 0 && !t.info->integerKey.isEmpty() &&
                                     (counterUnmoved() || nextCounter(ti) <= predicted[ti]);
            // The statement for this table and this set of assigned fields, kept prepared.
            std::vector<const JoinFill *> filled;
            for (const JoinFill &f : fills)
                if (f.to == ti) filled.push_back(&f);
            std::string shape(sizeof(size_t) + cols.size() + 2, '\0');
            std::memcpy(shape.data(), &ti, sizeof(size_t));
            for (size_t ci = 0; ci < cols.size(); ++ci)
                shape[sizeof(size_t) + ci] = (dirty[ci] && cols[ci].tab == int(ti)) ? 1 : 0;
            shape[shape.size() - 2] = char(filled.size());
            shape.back() = withCounter ? 1 : 0;
            auto it = insertStmts.find(shape);
            if (it == insertStmts.end()) {
                QStringList names, marks;
                for (size_t ci = 0; ci < cols.size(); ++ci) {
                    if (!dirty[ci] || cols[ci].tab != int(ti)) continue;
                    names << quoteName(cols[ci].origin);
                    marks << QStringLiteral("?%1").arg(names.size());
                }
                for (const JoinFill *f : filled) {
                    names << quoteName(f->column);
                    marks << QStringLiteral("?%1").arg(names.size());
                }
                if (withCounter) {
                    names << quoteName(t.info->integerKey);
                    marks << QStringLiteral("?%1").arg(names.size());
                }
                const QString q = names.isEmpty()
                                      ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(t.name))
                                      : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                            .arg(quoteName(t.name), names.join(QStringLiteral(", ")),
                                                 marks.join(QStringLiteral(", ")));
                it = insertStmts.emplace(std::move(shape), prepare(db(), q, true)).first;
            }
            sqlite3_stmt *s = it->second.get();
            const Reset r{s};
            sqlite3_clear_bindings(s);
            int n = 0;
            for (size_t ci = 0; ci < cols.size(); ++ci)
                if (dirty[ci] && cols[ci].tab == int(ti)) bindValue(s, ++n, buf[qsizetype(ci)]);
            for (const JoinFill *f : filled) sqlite3_bind_int64(s, ++n, rowids[f->from]);
            if (withCounter) sqlite3_bind_int64(s, ++n, predicted[ti]);
            step(db(), s);
            rowids[ti] = sqlite3_last_insert_rowid(db());
        }
    });
    write.reset();
    if (keepWalk) walk.gen = conn->gen();
    // The new row's key and values.
    QVariantList values = buf;
    for (size_t ti = 0; ti < tabs.size(); ++ti) {
        if (!writeTab[ti]) continue;
        const Tab &t = tabs[ti];
        if (t.identified && t.viaRowid) newKey[size_t(t.keyOffset)] = rowids[ti];
        // Read back what the database filled in, when the recordset keeps values or keys.
        if (lazy && (!t.identified || t.viaRowid)) continue;
        sqlite3_stmt *s = conn->cached(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(quoteName(t.name)));
        const Reset r{s};
        sqlite3_bind_int64(s, 1, rowids[ti]);
        if (!step(db(), s)) continue;
        QHash<QString, int> byName;
        for (int i = 0; i < sqlite3_column_count(s); ++i)
            byName.insert(fold(QString::fromUtf8(sqlite3_column_name(s, i))), i);
        for (size_t ci = 0; ci < cols.size(); ++ci)
            if (cols[ci].tab == int(ti) && byName.contains(fold(cols[ci].origin)))
                values[qsizetype(ci)] = readValue(s, byName.value(fold(cols[ci].origin)), cols[ci].kind);
        if (!t.identified || t.viaRowid) continue;
        for (int j = 0; j < t.keyCols.size(); ++j) {
            const int c = byName.value(fold(t.keyCols[j]), -1);
            if (c >= 0 && sqlite3_column_type(s, c) == SQLITE_INTEGER)
                newKey[size_t(t.keyOffset + j)] = sqlite3_column_int64(s, c);
        }
    }
    if (table) {
        noteLastModified(encodeBookmark(newKey.empty() ? rowids[0] : newKey[0]));
        return;
    }
    // Keys of joined tables the insert did not write, read through the query itself.
    if (lazy && keyWidth > 0) {
        bool missing = false;
        for (qint64 k : newKey) missing = missing || k == kNullKey;
        if (missing) {
            QStringList exprs, cond;
            QVariantList binds;
            for (const auto &t : tabs) {
                if (!t.identified) continue;
                exprs << t.keyExprs;
                for (int j = 0; j < t.keyCols.size(); ++j) {
                    const qint64 v = newKey[size_t(t.keyOffset + j)];
                    if (v == kNullKey) continue;
                    binds << QVariant(v);
                    cond << QStringLiteral("%1 = ?%2").arg(t.keyExprs[j]).arg(binds.size());
                }
            }
            if (!cond.isEmpty()) {
                const QString q = QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                                      .arg(exprs.join(QStringLiteral(", ")), parts->from, cond.join(QStringLiteral(" AND ")));
                if (Stmt s = tryPrepare(db(), q)) {
                    for (int i = 0; i < int(binds.size()); ++i) bindValue(s.get(), i + 1, binds[i]);
                    bindNamed(s.get(), kSourceParams, params);
                    if (sqlite3_step(s.get()) == SQLITE_ROW)
                        for (int i = 0; i < keyWidth; ++i)
                            if (sqlite3_column_type(s.get(), i) == SQLITE_INTEGER)
                                newKey[size_t(i)] = sqlite3_column_int64(s.get(), i);
                }
            }
        }
    }
    keepForRollback();
    const bool atEof = !curDeleted && pos >= long(serials.size()); // stays past the last row
    const qint64 serial = nextSerial++;
    serials.push_back(serial);
    if (atEof) pos = long(serials.size());
    keys.insert(keys.end(), newKey.begin(), newKey.end());
    if (!lazy) rows.emplace_back(values);
    noteLastModified(encodeBookmark(serial));
}

Recordset::Recordset(std::unique_ptr<Impl> d) : d_(std::move(d)) {}
Recordset::~Recordset() = default;

RecordsetType Recordset::type() const { return d_->type; }
QString Recordset::source() const { return d_->source; }
bool Recordset::updatable() const {
    return d_->updatable && d_->type != RecordsetType::Snapshot && d_->type != RecordsetType::ForwardOnly;
}

void Recordset::moveFirst() {
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
    Impl &d = *d_;
    d.check();
    d.leaveEdit();
    if (d.table) d.sync();
    if (d.serials.empty()) noCurrent();
    d.setPos(long(d.serials.size()) - 1);
}

void Recordset::moveNext() {
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
    Impl &d = *d_;
    d.check();
    if (d.table && !d.posValid && d.haveCur && !d.curDeleted && d.seekedRowThere()) return false;
    d.sync();
    return d.serials.empty() || d.pos < 0;
}

bool Recordset::eof() const {
    Impl &d = *d_;
    d.check();
    if (d.table && !d.posValid && d.haveCur && !d.curDeleted && d.seekedRowThere()) return false;
    d.sync();
    return d.serials.empty() || d.pos >= long(d.serials.size());
}

long Recordset::recordCount() const {
    Impl &d = *d_;
    d.check();
    return d.count();
}

long Recordset::absolutePosition() const {
    Impl &d = *d_;
    d.check();
    d.sync();
    return d.hasCurrent() ? d.pos : -1;
}

void Recordset::setAbsolutePosition(long position) {
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
    Impl &d = *d_;
    d.check();
    if (!d.hasCurrent()) noCurrent();
    return encodeBookmark(d.currentSerial());
}

void Recordset::setBookmark(const Bookmark &b) {
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
    Impl &d = *d_;
    d.check();
    if (d.lastMod.isEmpty()) noCurrent();
    return d.lastMod;
}

void Recordset::requery() {
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
    for (qint64 &serial : f.serials) serial += d.nextSerial;
    f.nextSerial += d.nextSerial;
    f.bookmarkBase = d.nextSerial;
    f.lastMod = d.lastMod;
    f.lastModTrans = d.lastModTrans;
    f.undo = std::move(d.undo);
    d_ = std::move(fresh->d_);
}

void Recordset::findFirst(const QString &criteria, const QVariantList &values) {
    Impl &d = *d_;
    d.check();
    if (d.pos > 0) d.refuseBack();
    d.find(criteria, values, 0, 1);
}

void Recordset::findLast(const QString &criteria, const QVariantList &values) {
    Impl &d = *d_;
    d.check();
    d.refuseBack();
    d.sync();
    d.find(criteria, values, long(d.serials.size()) - 1, -1);
}

void Recordset::findNext(const QString &criteria, const QVariantList &values) {
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
    Impl &d = *d_;
    d.check();
    if (ordinal < 0 || ordinal >= int(d.cols.size()))
        throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d.mode != EditMode::None) return d.buf[ordinal];
    return d.currentCell(ordinal);
}

Value Recordset::value(const QString &name) const {
    const int o = fieldOrdinal(name);
    if (o < 0) throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return value(o);
}

void Recordset::setValue(int ordinal, const Value &v) {
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
    Impl &d = *d_;
    d.check();
    d.sync();
    if (position < 0 || position >= long(d.serials.size()) || ordinal < 0 || ordinal >= int(d.cols.size()))
        return Value();
    return d.cellAt(position, ordinal);
}

Bookmark Recordset::bookmarkAt(long position) const {
    Impl &d = *d_;
    d.check();
    d.sync();
    if (position < 0 || position >= long(d.serials.size())) return Bookmark();
    return encodeBookmark(d.serials[size_t(position)]);
}

long Recordset::positionOf(const Bookmark &b) const {
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
    Impl &d = *d_;
    d.check();
    d.requireUpdatable();
    d.mode = EditMode::AddNew;
    d.buf.clear();
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
    Impl &d = *d_;
    d.check();
    d.requireUpdatable();
    if (!d.hasCurrent()) noCurrent();
    d.buf = d.currentRow();
    d.dirty.assign(d.cols.size(), 0);
    d.editSerial = d.currentSerial();
    d.editKey = d.currentKey();
    d.mode = EditMode::Edit;
}

void Recordset::update() {
    Impl &d = *d_;
    d.check();
    if (d.mode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (d.mode == EditMode::Edit) {
        bool any = false;
        for (char c : d.dirty) any = any || c;
        if (any) d.updateEdited();
        else d.noteLastModified(encodeBookmark(d.editSerial));
    } else {
        d.updateAdded();
    }
    d.mode = EditMode::None;
    d.buf.clear();
    d.dirty.clear();
}

void Recordset::cancelUpdate() {
    Impl &d = *d_;
    d.check();
    if (d.mode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    d.leaveEdit();
}

void Recordset::deleteRecord() {
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
    const std::vector<qint64> key = d.currentKey();
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
        d.serials.erase(d.serials.begin() + p);
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
