// Opening a recordset: the SELECT split and described, how its rows are known, and the key list
// or the rows read whole.
#include "platform/db/RecordsetImpl.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <bit>

namespace platform::db {

using namespace detail;

void Recordset::Impl::describe(sqlite3_stmt *s) {
    cols.clear();
    tabs.clear();
    ordinals.clear();
    const int n = sqlite3_column_count(s);
    QHash<QString, int> nameCount;
    for (int i = 0; i < n; ++i) {
        Col c;
        c.sqlName = QString::fromUtf8(sqlite3_column_name(s, i));
        c.name = c.sqlName;
        const char *tn = sqlite3_column_table_name(s, i);
        const char *on = sqlite3_column_origin_name(s, i);
        c.kind = kindFromDecl(sqlite3_column_decltype(s, i));
        if (tn && on) {
            const QString tname = QString::fromUtf8(tn);
            const TableInfo *info = conn->table(tname);
            if (info) {
                c.origin = QString::fromUtf8(on);
                int t = -1;
                for (size_t k = 0; k < tabs.size(); ++k)
                    if (tabs[k].name.compare(info->name, Qt::CaseInsensitive) == 0) t = int(k);
                if (t < 0) {
                    Tab tab;
                    tab.name = info->name;
                    tab.folded = fold(info->name);
                    tab.info = info;
                    tabs.push_back(tab);
                    t = int(tabs.size() - 1);
                }
                c.tab = t;
                const int ci = info->column(c.origin);
                c.tcol = ci;
                if (ci >= 0) {
                    c.counter = info->columns[size_t(ci)].name.compare(info->integerKey, Qt::CaseInsensitive) == 0;
                    if (c.kind == Kind::Unknown) c.kind = info->columns[size_t(ci)].kind;
                }
                const char *coll = nullptr;
                if (sqlite3_table_column_metadata(db(), nullptr, tn, on, nullptr, &coll, nullptr, nullptr,
                                                  nullptr) == SQLITE_OK && coll)
                    c.collation = QString::fromUtf8(coll);
            }
        }
        nameCount[fold(c.name)]++;
        cols.push_back(c);
    }
    // Jet names a field that two tables give "<table>.<field>".
    for (auto &c : cols)
        if (nameCount.value(fold(c.name)) > 1 && c.tab >= 0) c.name = tabs[size_t(c.tab)].name + u'.' + c.name;
    for (int i = 0; i < int(cols.size()); ++i) {
        const Col &c = cols[size_t(i)];
        if (!ordinals.contains(fold(c.name))) ordinals.insert(fold(c.name), i);
        if (!ordinals.contains(fold(c.sqlName))) ordinals.insert(fold(c.sqlName), i);
        if (c.tab >= 0) {
            const QString q = fold(tabs[size_t(c.tab)].name + u'.' + c.origin);
            if (!ordinals.contains(q)) ordinals.insert(q, i);
        }
    }
}

void Recordset::Impl::finishTabs() {
    keyWidth = 0;
    for (auto &t : tabs) {
        if (!t.identified) continue;
        t.keyOffset = keyWidth;
        keyWidth += int(t.keyCols.size());
    }
    primaryTab = -1;
    for (const auto &c : cols)
        if (c.tab >= 0 && tabs[size_t(c.tab)].identified) {
            primaryTab = c.tab;
            break;
        }
    predicted.assign(tabs.size(), 0);
}

void Recordset::Impl::openTable(const TableInfo *t) {
    table = true;
    conn->watch(this);
    lazy = true;
    updatable = true;
    tinfo = t;
    sql = QStringLiteral("SELECT * FROM %1").arg(quoteName(t->name));
    Stmt s = prepare(db(), sql);
    describe(s.get());
    if (tabs.empty()) { // a table without columns cannot exist; keep the invariant anyway
        Tab tab;
        tab.name = t->name;
        tab.folded = fold(t->name);
        tab.info = t;
        tabs.push_back(tab);
    }
    Tab &tab = tabs[0];
    tab.identified = true;
    tab.viaRowid = true;
    tab.keyCols = QStringList{QStringLiteral("rowid")};
    tab.keyExprs = QStringList{QStringLiteral("rowid")};
    finishTabs();
    fetchSql = QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(quoteName(t->name));
    fetchStmt = prepare(db(), fetchSql, true);
    setTableOrder();
    // Positioned on the first row in the current order, without reading the key list.
    Stmt first = prepare(db(), keySql + QStringLiteral(" LIMIT 1"));
    if (step(db(), first.get())) {
        haveCur = true;
        curSerial = sqlite3_column_int64(first.get(), 0);
        posValid = false;
    } else {
        serials.clear();
        keys.clear();
        keysLoaded = true;
        keysGen = conn->gen();
        haveCur = false;
        pos = -1;
        posValid = true;
    }
}

void Recordset::Impl::setTableOrder() {
    QStringList order;
    for (const auto &c : indexCols) order << quoteName(c);
    order << QStringLiteral("rowid");
    keySql = QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(quoteName(tinfo->name), order.join(QStringLiteral(", ")));
    closeWalk();
    walk.stmt.reset(nullptr);
    walkSql = QStringLiteral("SELECT *, rowid FROM %1 ORDER BY %2").arg(quoteName(tinfo->name), order.join(QStringLiteral(", "))) +
              kWalkOffset;
    keysLoaded = false;
    holes.clear();
}

// A snapshot is read whole at once: its statement and the description of its fields are
// kept by the connection for the next snapshot of the same SELECT.
bool Recordset::Impl::openSnapshotPlan() {
    const std::string key = sql.toStdString();
    auto it = conn->snapshotPlans.find(key);
    if (it == conn->snapshotPlans.end()) {
        Stmt s = prepare(db(), sql, true);
        if (!sqlite3_stmt_readonly(s.get()) || sqlite3_column_count(s.get()) == 0) return false;
        auto plan = std::make_shared<SnapshotPlan>();
        describe(s.get());
        plan->cols = cols;
        plan->tabs = tabs;
        plan->ordinals = ordinals;
        plan->parts = jet::splitSelect(sql);
        plan->stmt = std::move(s);
        if (conn->snapshotPlans.size() >= 128) conn->snapshotPlans.clear();
        it = conn->snapshotPlans.emplace(key, std::move(plan)).first;
    } else {
        const SnapshotPlan &plan = *it->second;
        // A table made again with other fields since: SQLite prepares the statement anew.
        if (sqlite3_column_count(plan.stmt.get()) != int(plan.cols.size())) {
            conn->snapshotPlans.erase(it);
            return false;
        }
        cols = plan.cols;
        tabs = plan.tabs;
        ordinals = plan.ordinals;
    }
    const std::shared_ptr<SnapshotPlan> plan = it->second;
    if (plan->inUse) return false; // read while another snapshot of it is being read
    sqlite3_stmt *s = plan->stmt.get();
    plan->inUse = true;
    struct Done {
        SnapshotPlan &p;
        ~Done() {
            sqlite3_reset(p.stmt.get());
            p.inUse = false;
        }
    } done{*plan};
    // Every opening binds all the statement's marks (their count is checked against the
    // values), so no binding is left from the last; clearing them would pass over the ten
    // thousand unused numbers below the marks'.
    bindNamed(s, kSourceParams, params);
    parts = plan->parts;
    loadWhole(s, false);
    return true;
}

void Recordset::Impl::openQuery(const QString &translated) {
    sql = translated;
    if (type != RecordsetType::Dynaset && openSnapshotPlan()) return;
    Stmt full = prepare(db(), sql);
    bindNamed(full.get(), kSourceParams, params);
    if (!sqlite3_stmt_readonly(full.get()) || sqlite3_column_count(full.get()) == 0)
        throw DbError(errn::InvalidOperation, QStringLiteral("Invalid operation: only a SELECT can be opened as a recordset."));
    describe(full.get());
    parts = jet::splitSelect(sql);
    if (type != RecordsetType::Dynaset) {
        loadWhole(full.get(), false);
        return;
    }
    const bool agg = !parts || hasAggregate(parts->columns) || !parts->groupBy.isEmpty() || !parts->having.isEmpty();
    const bool nestedAgg = parts && (containsWord(parts->from, "GROUP") || containsWord(parts->from, "DISTINCT") ||
                                     containsWord(parts->from, "UNION") || containsWord(parts->from, "LIMIT"));
    identify(agg);
    const std::optional<jet::SelectParts> asWritten = parts;
    const std::vector<Tab> tabsAsWritten = tabs;
    const bool throughSaved = !agg && !nestedAgg && keyThroughSavedQuery();
    finishTabs();
    updatable = keyWidth > 0;

    bool canLazy = keyWidth > 0 && parts && !agg && !nestedAgg && !orderByOrdinal(parts->orderBy);
    if (canLazy && parts->distinct) {
        // DISTINCT over fields of identified tables whose keys are among them: the keys are distinct too.
        for (const auto &c : cols)
            if (c.tab < 0 || tabs[size_t(c.tab)].viaRowid || !tabs[size_t(c.tab)].identified) canLazy = false;
    }
    const bool keysRead = canLazy && prepareLazy() && (keysFrom ? adoptKeys(*keysFrom) : loadKeys());
    keyStmt.reset(nullptr); // a list handed over leaves it unused; a Requery prepares its own
    if (keysRead) {
        lazy = true;
        return;
    }
    if (throughSaved) { // read as written after all
        parts = asWritten;
        tabs = tabsAsWritten;
        finishTabs();
        updatable = keyWidth > 0;
        fetchStmt.reset(nullptr);
    }
    if (keysFrom) return; // not the same rows: the caller gets no view
    lazy = false;
    serials.clear();
    keys.clear();
    // Read whole; row ids of identified tables ride along as hidden columns.
    bool hidden = false;
    for (const auto &t : tabs) hidden = hidden || (t.identified && t.viaRowid);
    if (hidden && parts) {
        QStringList extra;
        int ord = int(cols.size());
        for (auto &t : tabs) {
            if (!(t.identified && t.viaRowid)) continue;
            extra << t.keyExprs.first();
            t.keyOrdinals = {ord++};
        }
        Stmt s = prepare(db(), rebuild(parts->columns + QStringLiteral(", ") + extra.join(QStringLiteral(", "))));
        bindNamed(s.get(), kSourceParams, params);
        loadWhole(s.get(), true);
    } else {
        loadWhole(full.get(), true);
    }
}

QString Recordset::Impl::rebuild(const QString &columns) const {
    QString s = QStringLiteral("SELECT ");
    if (parts->distinct) s += QStringLiteral("DISTINCT ");
    s += columns;
    if (!parts->from.isEmpty()) s += QStringLiteral(" FROM ") + parts->from;
    if (!parts->where.isEmpty()) s += QStringLiteral(" WHERE ") + parts->where;
    if (!parts->groupBy.isEmpty()) s += QStringLiteral(" GROUP BY ") + parts->groupBy;
    if (!parts->having.isEmpty()) s += QStringLiteral(" HAVING ") + parts->having;
    if (!parts->orderBy.isEmpty()) s += QStringLiteral(" ORDER BY ") + parts->orderBy;
    return s;
}

// Finds, for every table the fields come from, how to name its row: its row id in the FROM
// scope, or its key fields among the result columns.
void Recordset::Impl::identify(bool agg) {
    for (size_t ti = 0; ti < tabs.size(); ++ti) {
        Tab &t = tabs[ti];
        if (parts && !agg && !parts->distinct && !parts->from.isEmpty()) {
            const QString expr = quoteName(t.name) + QStringLiteral(".rowid");
            const ColumnOrigins *o = conn->origins(QStringLiteral("SELECT %1 FROM %2").arg(expr, parts->from));
            if (o && o->size() == 1) {
                const QByteArray &tn = (*o)[0].table;
                if (!tn.isNull() && t.name.compare(QString::fromUtf8(tn), Qt::CaseInsensitive) == 0) {
                    t.identified = true;
                    t.viaRowid = true;
                    t.keyCols = QStringList{QStringLiteral("rowid")};
                    t.keyExprs = QStringList{expr};
                    continue;
                }
            }
        }
        const QStringList kc = t.info->keyColumns();
        if (kc.isEmpty()) continue;
        std::vector<int> ords;
        for (const QString &k : kc) {
            int found = -1;
            for (size_t ci = 0; ci < cols.size(); ++ci)
                if (cols[ci].tab == int(ti) && cols[ci].origin.compare(k, Qt::CaseInsensitive) == 0) {
                    found = int(ci);
                    break;
                }
            if (found < 0) break;
            ords.push_back(found);
        }
        if (ords.size() != size_t(kc.size())) continue;
        t.identified = true;
        t.keyCols = kc;
        t.keyOrdinals = ords;
        for (int o : ords) t.keyExprs << quoteName(cols[size_t(o)].sqlName);
    }
}

// A saved query named alone in FROM stands there as "(SELECT ...) AS name", where the tables
// it reads cannot be named: their rows would be known only by key fields among the results,
// and a song listed once per category has none that tell its rows apart. The inner SELECT
// then also gives each table's row id as a hidden field, and the outer statement names its
// own fields, so every row is known by the rows it joins, as a join written out is.
bool Recordset::Impl::keyThroughSavedQuery() {
    if (!parts || parts->distinct || tabs.empty()) return false;
    bool known = true;
    for (const Tab &t : tabs) known = known && t.identified && t.viaRowid;
    if (known) return false;
    static const QRegularExpression subquery(QStringLiteral("^\\((SELECT\\s.*)\\)\\s+AS\\s+(\"(?:[^\"]|\"\")+\"|\\w+)$"),
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::DotMatchesEverythingOption);
    const QString from = parts->from.trimmed();
    const auto m = subquery.match(from);
    if (!m.hasMatch() || closingParenthesis(from) != m.capturedEnd(1)) return false; // one subquery, not a join of two
    const auto inner = jet::splitSelect(m.captured(1));
    if (!inner || inner->distinct || !inner->groupBy.isEmpty() || !inner->having.isEmpty() ||
        hasAggregate(inner->columns) || containsWord(inner->from, "SELECT"))
        return false;
    const QString columns = parts->columns.trimmed();
    if (columns.contains(u'*') && columns != QLatin1String("*")) return false;
    const QString alias = m.captured(2);
    QStringList hidden, keyExprs;
    for (size_t i = 0; i < tabs.size(); ++i) {
        const QString expr = quoteName(tabs[i].name) + QStringLiteral(".rowid");
        const ColumnOrigins *o = conn->origins(QStringLiteral("SELECT %1 FROM %2").arg(expr, inner->from));
        if (!o || o->size() != 1 || (*o)[0].table.isNull() ||
            tabs[i].name.compare(QString::fromUtf8((*o)[0].table), Qt::CaseInsensitive) != 0)
            return false;
        const QString name = quoteName(QStringLiteral("orv_rowid%1").arg(i));
        hidden << expr + QStringLiteral(" AS ") + name;
        keyExprs << alias + u'.' + name;
    }
    QString innerSql = QStringLiteral("SELECT ") + inner->columns + QStringLiteral(", ") + hidden.join(QStringLiteral(", ")) +
                       QStringLiteral(" FROM ") + inner->from;
    if (!inner->where.isEmpty()) innerSql += QStringLiteral(" WHERE ") + inner->where;
    if (!inner->orderBy.isEmpty()) innerSql += QStringLiteral(" ORDER BY ") + inner->orderBy;
    QString outerColumns = columns;
    if (columns == QLatin1String("*")) {
        QStringList named;
        QSet<QString> seen;
        for (const Col &c : cols) {
            if (seen.contains(fold(c.sqlName))) return false; // two fields of one name: not nameable
            seen.insert(fold(c.sqlName));
            named << alias + u'.' + quoteName(c.sqlName);
        }
        outerColumns = named.join(QStringLiteral(", "));
    }
    parts->columns = outerColumns;
    parts->from = u'(' + innerSql + QStringLiteral(") AS ") + alias;
    for (size_t i = 0; i < tabs.size(); ++i) {
        Tab &t = tabs[i];
        t.identified = true;
        t.viaRowid = true;
        t.keyCols = QStringList{QStringLiteral("rowid")};
        t.keyExprs = QStringList{keyExprs[qsizetype(i)]};
        t.keyOrdinals.clear();
    }
    return true;
}

// The lines of SQLite's plan for a query; empty when it does not prepare.
QStringList Recordset::Impl::planOf(const QString &query) {
    QStringList lines;
    Stmt s = tryPrepare(db(), QStringLiteral("EXPLAIN QUERY PLAN ") + query);
    while (s && sqlite3_step(s.get()) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 3)));
    return lines;
}

// True when the plan walks an index for the first sort field and sorts the ties after, or,
// with a condition, walks an index that is not covering only for the order.
bool Recordset::Impl::walkCostsMoreThanSort(const QStringList &plan, bool filtered) {
    for (const QString &detail : plan) {
        if (detail.contains(QLatin1String("RIGHT PART OF ORDER BY")) || detail.contains(QLatin1String("LAST TERM OF ORDER BY")))
            return true;
        if (filtered && detail.startsWith(QLatin1String("SCAN ")) && detail.contains(QLatin1String(" USING INDEX ")))
            return true;
    }
    return false;
}

// A condition an index answers (a category's links) leads SQLite to read the rows it finds
// and sort them, the best plan for the few rows it expects. Where the condition holds for
// many rows (a category of half the catalogue), walking covering indexes in the view's order
// and testing each row on the way costs less than reading that many rows and sorting them:
// the condition is then given as "+(...)", which no index answers, so SQLite walks the
// order's index. Decided by counting the rows the condition finds, up to an eighth of the
// rows the walk passes; the planner is given no statistics, which would steer other views.
// `plan` is that of the query with `where` and becomes that of the query with the answer.
QString Recordset::Impl::whereForOrder(const QString &select, const QString &where, const QString &orderBy, QStringList &plan) {
    const auto loops = [](const QStringList &lines) {
        QStringList out;
        for (const QString &l : lines)
            if (l.startsWith(QLatin1String("SCAN ")) || l.startsWith(QLatin1String("SEARCH "))) out << l;
        return out;
    };
    const QStringList plainLoops = loops(plan);
    if (plainLoops.isEmpty() || !plainLoops.first().startsWith(QLatin1String("SEARCH ")) ||
        !plainLoops.first().contains(QLatin1String(" INDEX ")) || !plan.contains(QLatin1String("USE TEMP B-TREE FOR ORDER BY")))
        return where;
    const QString walked = QStringLiteral("+(") + where + u')';
    const QStringList walkPlan = planOf(select + QStringLiteral(" WHERE ") + walked + QStringLiteral(" ORDER BY ") + orderBy);
    const QStringList walkLoops = loops(walkPlan);
    if (walkLoops.isEmpty() || !walkLoops.first().startsWith(QLatin1String("SCAN ")) ||
        std::any_of(walkPlan.begin(), walkPlan.end(), [](const QString &l) { return l.contains(QLatin1String("TEMP B-TREE")); }) ||
        std::any_of(walkLoops.begin(), walkLoops.end(), [](const QString &l) { return !l.contains(QLatin1String(" COVERING INDEX ")); }))
        return where;
    const TableInfo *walkedTable = conn->table(walkLoops.first().section(u' ', 1, 1));
    if (!walkedTable) return where;
    sqlite3_stmt *all = conn->cached(QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(walkedTable->name)));
    const Reset allDone{all};
    step(db(), all);
    const qint64 enough = std::max<qint64>(sqlite3_column_int64(all, 0) / 8, 1);
    Stmt found = tryPrepare(db(), QStringLiteral("SELECT count(*) FROM (%1 WHERE %2 LIMIT %3)").arg(select, where).arg(enough));
    if (!found) return where;
    bindNamed(found.get(), kSourceParams, params);
    if (!step(db(), found.get()) || sqlite3_column_int64(found.get(), 0) < enough) return where;
    plan = walkPlan;
    return walked;
}

namespace {

// Whether `orderBy` sorts the rows of the one table `t` by its integer key, ascending: row id
// order. The key list's statement names no result fields, so a name is the table's column.
bool ordersByIntegerKey(const QString &orderBy, const Tab &t) {
    const QString &key = t.info ? t.info->integerKey : QString();
    if (key.isEmpty()) return false;
    QString o = orderBy.trimmed();
    if (o.endsWith(QLatin1String(" ASC"), Qt::CaseInsensitive)) o.chop(4);
    const auto unquoted = [](QString n) {
        n = n.trimmed();
        if (n.size() >= 2 && n.startsWith(u'"') && n.endsWith(u'"') && !n.mid(1, n.size() - 2).contains(u'"'))
            return n.mid(1, n.size() - 2);
        return n;
    };
    const QStringList parts = o.split(u'.');
    if (parts.size() > 2 || unquoted(parts.last()).compare(key, Qt::CaseInsensitive) != 0) return false;
    return parts.size() == 1 || unquoted(parts.first()).compare(t.name, Qt::CaseInsensitive) == 0;
}

} // namespace

bool Recordset::Impl::prepareLazy() {
    QStringList exprs;
    for (const auto &t : tabs)
        if (t.identified) exprs << t.keyExprs;
    // Key fields named through the result must mean the same column outside the list.
    const ColumnOrigins *probe =
        conn->origins(QStringLiteral("SELECT %1 FROM %2").arg(exprs.join(QStringLiteral(", ")), parts->from));
    if (!probe || probe->size() != size_t(exprs.size())) return false;
    size_t k = 0;
    for (const auto &t : tabs) {
        if (!t.identified) continue;
        for (int j = 0; j < t.keyCols.size(); ++j, ++k) {
            if (t.viaRowid) continue;
            const QByteArray &tn = (*probe)[k].table;
            const QByteArray &on = (*probe)[k].column;
            if (tn.isNull() || on.isNull() || t.name.compare(QString::fromUtf8(tn), Qt::CaseInsensitive) != 0 ||
                t.keyCols[j].compare(QString::fromUtf8(on), Qt::CaseInsensitive) != 0)
                return false;
        }
    }
    whereInFetch = false;
    const bool joined = multiTable(parts->from);
    for (const auto &c : cols)
        if ((c.tab < 0 && joined) || (c.tab >= 0 && !tabs[size_t(c.tab)].identified)) whereInFetch = true;

    QString body = QStringLiteral(" FROM ") + parts->from;
    matchFrom = body + QStringLiteral(" WHERE ");
    // Find walks this recordset's own keys, so a row of one table needs no second test of
    // the view's condition (a find view's condition tests every field); through a join a
    // key may stand for several joined rows, and the condition picks the view's one.
    if (!parts->where.isEmpty() && joined)
        matchFrom += QStringLiteral("(") + parts->where + QStringLiteral(") AND ");
    const QString select = QStringLiteral("SELECT ") + (parts->distinct ? QStringLiteral("DISTINCT ") : QString()) +
                           exprs.join(QStringLiteral(", ")) + body;
    QString where = parts->where;
    QString order;
    if (!parts->orderBy.isEmpty()) {
        QStringList plan = planOf(select + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where) +
                                  QStringLiteral(" ORDER BY ") + parts->orderBy);
        if (!where.isEmpty()) where = whereForOrder(select, where, parts->orderBy, plan);
        order = walkCostsMoreThanSort(plan, !where.isEmpty()) ? keyOrder(parts->orderBy) : parts->orderBy;
    }
    // Rows of one table without a sort come in row id order, as do those sorted by the table's
    // integer key. Left to choose, SQLite reads the row ids from the narrowest index, or from
    // the index that answers the condition, in that index's order; asked for row id order it
    // reads the whole table or sorts. The ids are read in whatever order SQLite finds cheapest
    // and put in order after reading; the walk keeps row id order.
    keysSortedHere = !joined && tabs.size() == 1 && tabs[0].viaRowid &&
                     (parts->orderBy.isEmpty() || ordersByIntegerKey(parts->orderBy, tabs[0]));
    if (keysSortedHere && parts->orderBy.isEmpty()) order = exprs.first();
    keySql = select;
    if (!where.isEmpty()) keySql += QStringLiteral(" WHERE ") + where;
    if (!order.isEmpty() && !keysSortedHere) keySql += QStringLiteral(" ORDER BY ") + order;
    // The statement a walk steps: the source's rows with their keys, in the key list's order.
    walkSql.clear();
    if (!parts->distinct && !order.isEmpty()) {
        walkSql = QStringLiteral("SELECT ") + parts->columns + QStringLiteral(", ") + exprs.join(QStringLiteral(", ")) + body;
        if (!where.isEmpty()) walkSql += QStringLiteral(" WHERE ") + where;
        walkSql += QStringLiteral(" ORDER BY ") + order + kWalkOffset;
    }
    QStringList cond;
    for (int i = 0; i < exprs.size(); ++i) cond << QStringLiteral("%1 IS ?%2").arg(exprs[i]).arg(i + 1);
    fetchSql = QStringLiteral("SELECT ") + parts->columns + body + QStringLiteral(" WHERE ") +
               cond.join(QStringLiteral(" AND "));
    if (whereInFetch && !parts->where.isEmpty()) fetchSql += QStringLiteral(" AND (") + parts->where + u')';
    fetchSql += QStringLiteral(" LIMIT 1");
    Stmt ks = tryPrepare(db(), keySql);
    Stmt fs = tryPrepare(db(), fetchSql, true);
    if (!ks || !fs || sqlite3_column_count(fs.get()) != int(cols.size())) return false;
    keyStmt = std::move(ks);
    fetchStmt = std::move(fs);
    bindNamed(fetchStmt.get(), kSourceParams, params); // kept across resets
    return true;
}

bool Recordset::Impl::adoptKeys(const Impl &from) {
    if (!from.lazy || from.table || from.keyWidth != keyWidth || from.tabs.size() < 1) return false;
    std::vector<const Tab *> mine, theirs;
    for (const Tab &t : tabs)
        if (t.identified) mine.push_back(&t);
    for (const Tab &t : from.tabs)
        if (t.identified) theirs.push_back(&t);
    if (mine.size() != theirs.size()) return false;
    for (size_t i = 0; i < mine.size(); ++i)
        if (mine[i]->name.compare(theirs[i]->name, Qt::CaseInsensitive) != 0 || mine[i]->keyCols != theirs[i]->keyCols)
            return false;
    closeWalk();
    prefixProbes.reset();
    keys = from.keys;
    serials.assignRun(0, from.serials.size());
    nextSerial = qint64(serials.size());
    cache.clear();
    pos = serials.empty() ? -1 : 0;
    curDeleted = false;
    return true;
}

namespace {

// Whether no two rows of a key list share a key: the rows' numbers are sorted by their tuples,
// so equal tuples stand side by side however far apart the list holds them.
bool keysUnique(const std::vector<qint64> &keys, int width) {
    const size_t n = keys.size() / size_t(width);
    if (width == 1) {
        std::vector<qint64> sorted(keys);
        std::sort(sorted.begin(), sorted.end());
        return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    }
    std::vector<quint32> rows(n);
    for (size_t i = 0; i < n; ++i) rows[i] = quint32(i);
    const auto tuple = [&](quint32 r) { return keys.data() + size_t(r) * size_t(width); };
    std::sort(rows.begin(), rows.end(), [&](quint32 a, quint32 b) {
        return std::lexicographical_compare(tuple(a), tuple(a) + width, tuple(b), tuple(b) + width);
    });
    return std::adjacent_find(rows.begin(), rows.end(), [&](quint32 a, quint32 b) {
               return std::equal(tuple(a), tuple(a) + width, tuple(b));
           }) == rows.end();
}

// Puts row ids read in another order (an index's) in ascending order. Row ids of a table are
// distinct: where they lie close together a bitmap over their range orders them in one pass.
void sortRowids(std::vector<qint64> &ids) {
    if (std::is_sorted(ids.begin(), ids.end())) return;
    const auto [lo, hi] = std::minmax_element(ids.begin(), ids.end());
    const qint64 first = *lo;
    const quint64 span = quint64(*hi) - quint64(first) + 1;
    if (span / 8 > ids.size()) {
        std::sort(ids.begin(), ids.end());
        return;
    }
    std::vector<quint64> bits(size_t((span + 63) / 64), 0);
    for (const qint64 id : ids) {
        const quint64 at = quint64(id) - quint64(first);
        bits[size_t(at / 64)] |= quint64(1) << (at % 64);
    }
    size_t out = 0;
    for (size_t w = 0; w < bits.size(); ++w)
        for (quint64 word = bits[w]; word != 0; word &= word - 1)
            ids[out++] = qint64(quint64(first) + w * 64 + quint64(std::countr_zero(word)));
}

// The most row ids one table can hold, from its lowest and highest (found at the ends of the
// table, not by reading it); 0 when the table is empty or the span is too long to be a useful
// bound.
size_t rowidSpan(sqlite3 *db, const QString &table) {
    constexpr qint64 kLongest = qint64(1) << 24;
    // Two queries in one: SQLite finds a lone min() or max() at an end of the table, both at once
    // by reading it whole.
    Stmt s = tryPrepare(db, QStringLiteral("SELECT (SELECT min(rowid) FROM %1), (SELECT max(rowid) FROM %1)")
                                .arg(quoteName(table)));
    if (!s || sqlite3_step(s.get()) != SQLITE_ROW || sqlite3_column_type(s.get(), 0) != SQLITE_INTEGER) return 0;
    const qint64 lo = sqlite3_column_int64(s.get(), 0), hi = sqlite3_column_int64(s.get(), 1);
    return hi >= lo && hi - lo < kLongest ? size_t(hi - lo + 1) : 0;
}

} // namespace

// Reads the key list of a lazy dynaset; false when keys are not unique or not integers.
bool Recordset::Impl::loadKeys() {
    closeWalk();
    serials.clear();
    keys.clear();
    Stmt s = keyStmt ? std::move(keyStmt) : prepare(db(), keySql);
    bindNamed(s.get(), kSourceParams, params);
    bool needUnique = multiTable(parts->from);
    for (const auto &t : tabs)
        if (t.identified && !t.viaRowid) needUnique = true;
    const int kw = keyWidth;
    // An unfiltered list of one table's row ids is no longer than their span: room for it is
    // taken at once, sparing a long list the copies and page faults of growing twenty times.
    // Room never touched costs no memory.
    if (!needUnique && parts->where.isEmpty() && tabs.size() == 1 && tabs[0].viaRowid) {
        try {
            keys.reserve(rowidSpan(db(), tabs[0].name));
        } catch (const std::bad_alloc &) {
            // the list grows as it is read instead
        }
    }
    // A row id is an integer or, through an outer join, Null (read as 0): its type is asked
    // only for a 0. A key field may hold anything and is always asked.
    std::vector<char> rowidPart;
    for (const auto &t : tabs)
        if (t.identified) rowidPart.insert(rowidPart.end(), size_t(t.keyCols.size()), char(t.viaRowid));
    int missesBefore = 0, unused = 0;
    sqlite3_db_status(db(), SQLITE_DBSTATUS_CACHE_MISS, &missesBefore, &unused, 0);
    // The counter wraps around after 2^32 misses: the pages read are counted modulo that.
    const auto broughtIn = [&] {
        int missesNow = 0;
        sqlite3_db_status(db(), SQLITE_DBSTATUS_CACHE_MISS, &missesNow, &unused, 0);
        return unsigned(missesNow) - unsigned(missesBefore);
    };
    const unsigned cacheSpent = unsigned(keysSortedHere ? kCacheFilled : kIndexBroughtIn);
    // A list that cannot be refused (no key to prove unique) and is already long enough to
    // hand the cache back at its end hands it back as it goes, so the pages it passed do not
    // pile up beside the growing list; the statement keeps the pages it stands on.
    constexpr unsigned kRowsBetweenReleases = 65536;
    unsigned rowsToRelease = kRowsBetweenReleases;
    while (step(db(), s.get(), keySql)) {
        for (int i = 0; i < kw; ++i) {
            const qint64 k = sqlite3_column_int64(s.get(), i);
            if (k != 0 && rowidPart[size_t(i)]) {
                keys.push_back(k);
                continue;
            }
            const int ty = sqlite3_column_type(s.get(), i);
            if (ty == SQLITE_NULL) keys.push_back(kNullKey);
            else if (ty == SQLITE_INTEGER) keys.push_back(k);
            else {
                keys.clear();
                return false;
            }
        }
        if (--rowsToRelease == 0) {
            rowsToRelease = kRowsBetweenReleases;
            if (!needUnique && keys.size() >= kReleaseAfterKeys * size_t(kw) && broughtIn() >= cacheSpent)
                sqlite3_db_release_memory(db());
        }
    }
    s.reset(nullptr);
    if (needUnique && !keysUnique(keys, kw)) {
        keys.clear();
        return false;
    }
    const size_t n = kw > 0 ? keys.size() / size_t(kw) : 0;
    // A long key list that brought a whole index or the whole source into the connection's
    // cache (sized for the import's writes) leaves pages no later read wants: they are handed
    // back instead of staying for the program's lifetime. A list read from pages already held
    // leaves the cache as it is, so the rows that follow are still there. A list without a sort
    // is read for a walk of the table's rows and reads a narrow index: only a read that filled
    // the cache hands it back. They go back once the list is numbered: handed back before, the
    // memory they freed went to the numbers, and the next view read its pages into memory taken
    // fresh from the system, opening two or three times as slowly.
    if (keysSortedHere) sortRowids(keys);
    serials.assignRun(nextSerial, n);
    nextSerial += qint64(n);
    if (n >= kReleaseAfterKeys && broughtIn() >= cacheSpent) sqlite3_db_release_memory(db());
    cache.clear();
    pos = serials.empty() ? -1 : 0;
    curDeleted = false;
    keysOrderedGen = conn->gen();
    prefixProbes.reset();
    return true;
}

void Recordset::Impl::loadWhole(sqlite3_stmt *s, bool withKeys) {
    serials.clear();
    keys.clear();
    rows.clear();
    const int n = int(cols.size());
    while (step(db(), s, sql)) {
        // Kept as SQLite gave them: a field becomes a value only when it is read.
        rows.emplace_back(s, n);
        if (withKeys) {
            for (const auto &t : tabs) {
                if (!t.identified) continue;
                for (int o : t.keyOrdinals)
                    keys.push_back(sqlite3_column_type(s, o) == SQLITE_INTEGER ? sqlite3_column_int64(s, o) : kNullKey);
            }
        }
        serials.push_back(nextSerial++);
    }
    if (!withKeys) keyWidth = 0;
    pos = serials.empty() ? -1 : 0;
    curDeleted = false;
}

} // namespace platform::db
