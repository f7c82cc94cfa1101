// Writes through a recordset: defaults and counters for AddNew, and the UPDATE and INSERT that
// Update runs.
#include "platform/db/RecordsetImpl.h"

#include "platform/db/WriteScope.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace platform::db {

using namespace detail;

// The folded names of the tables marked in `which` (one mark per table). A walk of writes marks
// the same tables row after row: the list made last is kept for them.
QStringList Recordset::Impl::foldedNames(const std::vector<char> &which) {
    if (which == foldedMarks) return foldedList;
    QStringList out;
    for (size_t ti = 0; ti < tabs.size(); ++ti)
        if (which[ti]) out << tabs[ti].folded;
    foldedMarks = which;
    foldedList = out;
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
    noteLastModified(editSerial);
}

std::vector<JoinFill> Recordset::Impl::joinFills(const std::vector<char> &writeTab) const {
    std::vector<JoinFill> out;
    if (tabs.size() < 2 || !parts || !multiTable(parts->from)) return out;
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
        noteLastModified(newKey.empty() ? rowids[0] : newKey[0]);
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
    noteLastModified(serial);
}

} // namespace platform::db
