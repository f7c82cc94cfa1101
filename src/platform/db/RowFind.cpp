// Find with Jet criteria, in the recordset's order.
#include "platform/db/RecordsetImpl.h"

#include "platform/db/Collations.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace platform::db {

using namespace detail;

const QHash<QString, QString> &Recordset::Impl::findNames() {
    if (outputNames) return *outputNames;
    outputNames.emplace();
    if (!parts || parts->from.isEmpty()) return *outputNames;
    // Columns named with AS in the list: their expression.
    QHash<QString, QString> aliased;
    static const QRegularExpression asName(QStringLiteral("^(.*\\S)\\s+AS\\s+(\"(?:[^\"]|\"\")*\"|\\w+)$"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    for (const QString &term : orderTerms(parts->columns))
        if (const auto m = asName.match(term); m.hasMatch()) {
            QString name = m.captured(2);
            if (name.startsWith(u'"')) name = name.mid(1, name.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
            aliased.insert(fold(name), m.captured(1));
        }
    for (const Col &c : cols) {
        QString expr;
        if (c.tab >= 0 && !c.origin.isEmpty()) {
            const QString candidate = quoteName(tabs[size_t(c.tab)].name) + u'.' + quoteName(c.origin);
            // The table may stand under another name in FROM: then the candidate does not
            // prepare, or names another column, and the name is left as it is.
            const ColumnOrigins *o = conn->origins(QStringLiteral("SELECT %1 FROM %2").arg(candidate, parts->from));
            if (o && o->size() == 1) {
                const QByteArray &tn = (*o)[0].table;
                const QByteArray &on = (*o)[0].column;
                if (!tn.isNull() && !on.isNull() &&
                    tabs[size_t(c.tab)].name.compare(QString::fromUtf8(tn), Qt::CaseInsensitive) == 0 &&
                    c.origin.compare(QString::fromUtf8(on), Qt::CaseInsensitive) == 0)
                    expr = candidate;
            }
        }
        if (expr.isEmpty() && aliased.contains(fold(c.sqlName))) expr = u'(' + aliased.value(fold(c.sqlName)) + u')';
        if (expr.isEmpty()) continue;
        for (const QString &n : {c.name, c.sqlName})
            if (!outputNames->contains(fold(n))) outputNames->insert(fold(n), expr);
    }
    return *outputNames;
}

std::string Recordset::Impl::equalKey(QByteArrayView text, TextEq how) {
    if (how == TextEq::Exact) return std::string(text.data(), size_t(text.size()));
    std::string key;
    key.reserve(size_t(text.size()));
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    for (int i = 0; i < int(text.size());) {
        const char32_t c = jet::foldCase(jet::decodeUtf8(p, int(text.size()), i));
        key.append(reinterpret_cast<const char *>(&c), sizeof c);
    }
    return key;
}

bool Recordset::Impl::textEqual(QByteArrayView a, QByteArrayView b, TextEq how) {
    return how == TextEq::Exact ? a == b : jet::compareTextUtf8(a, b) == 0;
}

std::optional<long> Recordset::Impl::findEqual(const QString &criteria, const QVariantList &values, long start, int dir) {
    static const QRegularExpression shape(
        QStringLiteral("^\\s*(\\[[^\\]]+\\]|\\w+)\\s*=\\s*\\?\\s*((?:And\\s+(?:\\[[^\\]]+\\]|\\w+)\\s*=\\s*\\?\\s*)*)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression term(QStringLiteral("And\\s+(\\[[^\\]]+\\]|\\w+)\\s*=\\s*\\?"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (values.isEmpty()) return std::nullopt;
    const auto m = shape.match(criteria);
    if (!m.hasMatch()) return std::nullopt;
    QStringList names{m.captured(1)};
    for (auto it = term.globalMatch(m.captured(2)); it.hasNext();) names << it.next().captured(1);
    if (names.size() != values.size()) return std::nullopt;
    std::vector<int> ords;
    std::vector<TextEq> hows;
    std::vector<QByteArray> wanted;
    for (int i = 0; i < int(names.size()); ++i) {
        const int o = ordinals.value(fold(stripBrackets(names[i])), -1);
        if (o < 0 || cols[size_t(o)].kind != Kind::Text || values[i].typeId() != QMetaType::QString) return std::nullopt;
        const QString &coll = cols[size_t(o)].collation;
        if (coll.compare(QLatin1String("JETTEXT"), Qt::CaseInsensitive) == 0) hows.push_back(TextEq::Folded);
        else if (coll.isEmpty() || coll.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) == 0 ||
                 coll.compare(QLatin1String("JETPATH"), Qt::CaseInsensitive) == 0)
            hows.push_back(TextEq::Exact); // JETPATH holds only identical texts equal
        else
            return std::nullopt;
        ords.push_back(o);
        wanted.push_back(values[i].toString().toUtf8());
    }
    const long n = long(rows.size());
    // Every compared field must be a stored text or Null in every row tried.
    const auto matches = [&](long p, bool &plain) {
        const RawRow &r = rows[size_t(p)];
        for (size_t k = 0; k < ords.size(); ++k) {
            if (r.isNull(ords[k])) return false;
            const auto t = r.text(ords[k]);
            if (!t) {
                plain = false;
                return false;
            }
            if (!textEqual(*t, wanted[k], hows[k])) return false;
        }
        return true;
    };
    bool plain = true;
    const bool readOnly = type == RecordsetType::Snapshot || type == RecordsetType::ForwardOnly;
    if (readOnly && (lastEqualCol == ords[0] || (equalIndex && equalIndex->col == ords[0]))) {
        if (!equalIndex || equalIndex->col != ords[0]) {
            EqualIndex ix;
            ix.col = ords[0];
            for (long p = 0; p < n; ++p) {
                const RawRow &r = rows[size_t(p)];
                if (r.isNull(ix.col)) continue;
                const auto t = r.text(ix.col);
                if (!t) return std::nullopt;
                ix.positions[equalKey(*t, hows[0])].push_back(p);
            }
            equalIndex = std::move(ix);
        }
        const auto it = equalIndex->positions.find(equalKey(wanted[0], hows[0]));
        if (it == equalIndex->positions.end()) return -1L;
        const std::vector<long> &at = it->second;
        if (dir > 0) {
            for (auto i = std::lower_bound(at.begin(), at.end(), start); i != at.end(); ++i)
                if (matches(*i, plain)) return *i;
        } else {
            for (auto i = std::upper_bound(at.begin(), at.end(), start); i != at.begin();)
                if (--i, matches(*i, plain)) return *i;
        }
        return plain ? std::optional<long>(-1L) : std::nullopt;
    }
    lastEqualCol = ords[0];
    for (long p = start; p >= 0 && p < n; p += dir) {
        if (matches(p, plain)) return p;
        if (!plain) return std::nullopt;
    }
    return -1L;
}

// FindFirst/FindNext of `field Like "text*"` where the field leads the order (what the
// incremental search sends), in a lazy dynaset or snapshot: gives the position (-1 for no
// match), or nothing when the criteria or the recordset do not allow it. The text collations
// sort a text's case and accent variants among its base letters, so every row that can match
// lies between the first row not below the text and the first row past every text starting
// with its base letters; both are found by halves. Like tells accents apart where the order
// does not, so the rows between are tried in order for the first true match.
std::optional<long> Recordset::Impl::findPrefix(const QString &criteria, const QString &expr, long start) {
    if (table || !parts || !keysOrderedGen || *keysOrderedGen != conn->gen() || keyWidth <= 0) return std::nullopt;
    static const QRegularExpression prefixLike(
        QStringLiteral("^\\s*(\\[[^\\]]+\\]|[A-Za-z_]\\w*)\\s+like\\s+\"([^\"*?#\\[\\]]*)\\*\"\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ascendingColumn(
        QStringLiteral("^((\"[^\"]*\"|\\w+)\\.)?(\"[^\"]*\"|\\w+)(\\s+ASC)?$"), QRegularExpression::CaseInsensitiveOption);
    const auto like = prefixLike.match(criteria);
    const QStringList terms = orderTerms(parts->orderBy);
    if (!like.hasMatch() || parts->orderBy.isEmpty() || terms.isEmpty()) return std::nullopt;
    const auto term = ascendingColumn.match(terms.first());
    if (!term.hasMatch()) return std::nullopt;
    const QString lead = term.captured(1) + term.captured(3);
    const QString field = stripBrackets(like.captured(1));
    const QString fieldExpr = findNames().value(fold(field), field);
    if (!prefixProbes || prefixProbes->gen != *keysOrderedGen) {
        prefixProbes.emplace();
        prefixProbes->gen = *keysOrderedGen;
    }
    PrefixProbes &pp = *prefixProbes;
    // The field and the leading sort term must be one table column with a text collation.
    const QString checked = lead + u'\n' + fieldExpr;
    if (pp.checked != checked) {
        pp.checked = checked;
        pp.usable = false;
        const ColumnOrigins *same =
            conn->origins(QStringLiteral("SELECT %1, %2 FROM %3").arg(lead, fieldExpr, parts->from));
        if (!same || same->size() != 2) return std::nullopt;
        const ColumnOrigin &a = (*same)[0], &b = (*same)[1];
        if (a.table.isNull() || a.column.isNull() || b.table.isNull() || b.column.isNull() || a.table != b.table ||
            sqlite3_stricmp(a.column.constData(), b.column.constData()) != 0)
            return std::nullopt;
        const char *collation = nullptr;
        if (sqlite3_table_column_metadata(db(), a.database.constData(), a.table.constData(), a.column.constData(),
                                          nullptr, &collation, nullptr, nullptr, nullptr) != SQLITE_OK ||
            !collation || (sqlite3_stricmp(collation, "JETTEXT") != 0 && sqlite3_stricmp(collation, "JETPATH") != 0))
            return std::nullopt;
        pp.usable = true;
    }
    if (!pp.usable) return std::nullopt;

    QStringList cond;
    int k = 0;
    for (const auto &t : tabs)
        if (t.identified)
            for (const QString &e : t.keyExprs) cond << QStringLiteral("%1 IS ?%2").arg(e).arg(++k);
    const QString keyCond = cond.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1");
    const QString leadSql = QStringLiteral("SELECT (%1)").arg(lead) + matchFrom + keyCond;
    const QString matchSql = QStringLiteral("SELECT 1") + matchFrom + u'(' + expr + QStringLiteral(") AND ") + keyCond;
    if (pp.leadSql != leadSql) {
        pp.at.clear();
        pp.lead = prepare(db(), leadSql);
        pp.leadSql = leadSql;
        bindNamed(pp.lead.get(), kSourceParams, params);
    }
    if (pp.matchSql != matchSql) {
        pp.match = prepare(db(), matchSql);
        pp.matchSql = matchSql;
        bindNamed(pp.match.get(), kSourceParams, params);
    }
    const auto bindKey = [this](sqlite3_stmt *st, long p) {
        sqlite3_reset(st);
        const qint64 *key = keyAt(p);
        for (int j = 0; j < keyWidth; ++j) {
            if (key[j] == kNullKey) sqlite3_bind_null(st, j + 1);
            else sqlite3_bind_int64(st, j + 1, key[j]);
        }
    };
    // The leading field at a position, as read before or read now; nothing when the row no
    // longer reads (changed by another program).
    using Kind = PrefixProbes::Kind;
    const auto leadAt = [&](long p) -> const PrefixProbes::Value * {
        if (const auto it = pp.at.find(p); it != pp.at.end()) return &it->second;
        sqlite3_stmt *st = pp.lead.get();
        bindKey(st, p);
        if (!step(db(), st, leadSql)) return nullptr;
        PrefixProbes::Value v;
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_NULL: v.kind = Kind::Null; break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: v.kind = Kind::Number; break;
        case SQLITE_BLOB: v.kind = Kind::Blob; break;
        default:
            v.kind = Kind::Text;
            v.text = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), sqlite3_column_bytes(st, 0));
        }
        sqlite3_reset(st);
        if (pp.at.size() >= 4096) pp.at.clear();
        return &pp.at.emplace(p, std::move(v)).first->second;
    };
    // The first position in [from, n) whose value is not below `bound` as the index orders
    // (a Null first, then numbers, texts by the text collation, blobs); -2 when a row of the
    // list no longer reads: the caller then walks the rows. Case-blind throughout: the path
    // collation breaks ties by case after the text one, so its order is the text collation's
    // order too, and a name that differs from the text only in case is not below it.
    const long n = long(serials.size());
    const auto firstNotBelow = [&](long from, const QByteArray &bound) -> long {
        long lo = from, hi = n;
        while (lo < hi) {
            const long mid = lo + (hi - lo) / 2;
            const PrefixProbes::Value *v = leadAt(mid);
            if (!v) return -2;
            const bool isBelow = v->kind == Kind::Null || v->kind == Kind::Number ||
                                 (v->kind == Kind::Text && jet::compareTextUtf8(v->text, bound) < 0);
            if (isBelow) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    };
    const QByteArray text = like.captured(2).toUtf8();
    const long first = firstNotBelow(0, text);
    const long past = first < 0 ? first : firstNotBelow(first, text + QString::fromUcs4(U"\U0010FFFF", 1).toUtf8());
    if (first < 0 || past < 0) return std::nullopt;
    for (long p = std::max(first, start); p < past; ++p) {
        bindKey(pp.match.get(), p);
        const bool hit = step(db(), pp.match.get(), matchSql);
        sqlite3_reset(pp.match.get());
        if (hit) return p;
    }
    return -1;
}

// The first position from `start` on (in `dir`) whose row meets `expr`, in a lazy recordset,
// or -1. The rows are tested in batches of growing size: the keys of a batch go to SQLite as
// one list and the matching ones come back as integers, so a match a few hundred rows on
// costs a few hundred look-ups. Once the batches have covered an eighth of the rows, one pass
// over the source collects every matching key instead, which then costs less than looking up
// each remaining row.
long Recordset::Impl::findInBatches(const QString &expr, long start, int dir, const std::function<void(sqlite3_stmt *)> &bindAll) {
    const long n = long(serials.size());
    const int kw = keyWidth;
    QStringList exprs;
    if (table) exprs << QStringLiteral("rowid");
    else
        for (const auto &t : tabs)
            if (t.identified) exprs << t.keyExprs;
    const QString base = table ? QStringLiteral("SELECT rowid FROM %1 WHERE (%2)").arg(quoteName(tinfo->name), expr)
                               : QStringLiteral("SELECT ") + exprs.join(QStringLiteral(", ")) + matchFrom + u'(' + expr + u')';
    // Criteria that indexes answer (an equality on indexed fields) give their few rows at once.
    // Asked with a batch of keys, SQLite would look each key of the batch up in that index.
    const auto answeredByIndexes = [&] {
        const QStringList plan = planOf(base);
        return !plan.isEmpty() && std::all_of(plan.begin(), plan.end(), [](const QString &line) {
            return line.startsWith(QLatin1String("SEARCH "));
        });
    };
    if (kw == 1 && !answeredByIndexes()) {
        const QString q = base + QStringLiteral(" AND %1 IN (SELECT value FROM json_each(?1))").arg(exprs.first());
        Stmt s = prepare(db(), q);
        std::unordered_set<qint64> match;
        long batch = 256;
        for (long done = 0; start >= 0 && start < n && done < n / 8; batch *= 4) {
            const long end = dir > 0 ? std::min(n, start + batch) : std::max(-1L, start - batch);
            QByteArray list("[");
            for (long p = start; p != end; p += dir) {
                if (keyAt(p)[0] == kNullKey) continue;
                if (list.size() > 1) list += ',';
                list += QByteArray::number(keyAt(p)[0]);
            }
            list += ']';
            sqlite3_reset(s.get());
            bindAll(s.get());
            sqlite3_bind_text(s.get(), 1, list.constData(), int(list.size()), SQLITE_TRANSIENT);
            match.clear();
            while (step(db(), s.get(), q))
                match.insert(sqlite3_column_int64(s.get(), 0));
            for (long p = start; p != end; p += dir)
                if (match.count(keyAt(p)[0])) return p;
            done += dir > 0 ? end - start : start - end;
            start = end;
        }
        if (start < 0 || start >= n) return -1;
    }
    Stmt s = prepare(db(), base);
    bindAll(s.get());
    if (kw == 1) {
        std::unordered_set<qint64> match;
        while (step(db(), s.get(), base))
            if (sqlite3_column_type(s.get(), 0) == SQLITE_INTEGER) match.insert(sqlite3_column_int64(s.get(), 0));
        if (!match.empty())
            for (long p = start; p >= 0 && p < n; p += dir)
                if (match.count(keyAt(p)[0])) return p;
        return -1;
    }
    std::unordered_set<std::string, KeyHash> match;
    std::vector<qint64> tuple(static_cast<size_t>(kw), 0);
    while (step(db(), s.get(), base)) {
        for (int i = 0; i < kw; ++i)
            tuple[size_t(i)] = sqlite3_column_type(s.get(), i) == SQLITE_INTEGER ? sqlite3_column_int64(s.get(), i) : kNullKey;
        match.insert(std::string(reinterpret_cast<const char *>(tuple.data()), size_t(kw) * 8));
    }
    if (!match.empty())
        for (long p = start; p >= 0 && p < n; p += dir)
            if (match.count(std::string(reinterpret_cast<const char *>(keyAt(p)), size_t(kw) * 8))) return p;
    return -1;
}

bool Recordset::Impl::find(const QString &criteria, const QVariantList &values, long start, int dir) {
    check();
    leaveEdit();
    jet::Placeholders marks{kFindParams, 0};
    jet::Placeholders *withMarks = values.isEmpty() ? nullptr : &marks;
    // A quoted number, date or Yes/No compares as the field's value whether the criteria run
    // on the table or on rows already read, whose fields carry no type of their own.
    const jet::LiteralForField literalFor = [this](const QString &field, const QString &text) {
        const int o = ordinals.value(fold(stripBrackets(field)), -1);
        return o < 0 ? std::nullopt : comparedLiteral(text, cols[size_t(o)].kind);
    };
    QString expr;
    if (lazy && !table) {
        const QHash<QString, QString> &names = findNames();
        expr = jet::translateExpression(
            criteria, withMarks,
            [&names](const QString &name) -> std::optional<QString> {
                const auto it = names.constFind(fold(name));
                if (it == names.constEnd()) return std::nullopt;
                return *it;
            },
            literalFor);
    } else {
        expr = jet::translateExpression(criteria, withMarks, {}, literalFor);
    }
    if (withMarks) checkParamCount(marks, values);
    const auto bindAll = [&](sqlite3_stmt *st) {
        bindNamed(st, kSourceParams, params);
        bindNamed(st, kFindParams, values);
    };
    sync();
    const long n = long(serials.size());
    long found = -1;
    if (lazy && dir > 0 && values.isEmpty() && !table) {
        if (const auto at = findPrefix(criteria, expr, start)) {
            noMatch = *at < 0;
            if (*at >= 0) setPos(*at);
            return *at >= 0;
        }
    }
    if (lazy) {
        // The rows next to the start are tried one by one first: FindNext in a loop and a
        // match near the top cost no pass over the whole source.
        // A view of a few thousand rows is tried row by row to its end: cheaper than a pass
        // over the whole source.
        const long kProbe = n <= 4096 ? n : 64;
        {
            QStringList cond;
            int k = 0;
            for (const auto &t : tabs)
                if (t.identified)
                    for (const QString &e : t.keyExprs) cond << QStringLiteral("%1 IS ?%2").arg(e).arg(++k);
            const QString pq = table ? QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1 AND (%2)").arg(quoteName(tinfo->name), expr)
                                     : QStringLiteral("SELECT 1") + matchFrom + u'(' + expr + QStringLiteral(") AND ") +
                                           cond.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1");
            Stmt probe = prepare(db(), pq);
            bindAll(probe.get());
            for (long p = start, i = 0; p >= 0 && p < n && i < kProbe; p += dir, ++i) {
                sqlite3_reset(probe.get());
                const qint64 *key = keyAt(p);
                for (int j = 0; j < keyWidth; ++j) {
                    if (key[j] == kNullKey) sqlite3_bind_null(probe.get(), j + 1);
                    else sqlite3_bind_int64(probe.get(), j + 1, key[j]);
                }
                if (step(db(), probe.get(), pq)) {
                    found = p;
                    break;
                }
            }
            if (found >= 0 || n - (dir > 0 ? start : n - 1 - start) <= kProbe) {
                noMatch = found < 0;
                if (found >= 0) setPos(found);
                return found >= 0;
            }
            start += dir * kProbe;
        }
        found = findInBatches(expr, start, dir, bindAll);
    } else {
        std::optional<long> quick = findEqual(criteria, values, start, dir);
        if (quick) {
            found = *quick;
        } else {
            // Rows already read: the criteria are evaluated on each row's own values. Only
            // the fields the criteria may name are bound, as SQLite holds them.
            QStringList list;
            std::vector<int> bound;
            const auto build = [&](bool all) {
                list.clear();
                bound.clear();
                for (size_t i = 0; i < cols.size(); ++i) {
                    if (!all && !criteria.contains(cols[i].name, Qt::CaseInsensitive) &&
                        !criteria.contains(cols[i].sqlName, Qt::CaseInsensitive))
                        continue;
                    bound.push_back(int(i));
                    QString item = QStringLiteral("?%1").arg(bound.size());
                    if (!cols[i].collation.isEmpty() && cols[i].collation.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
                        item += QStringLiteral(" COLLATE ") + cols[i].collation;
                    list << item + QStringLiteral(" AS ") + quoteName(cols[i].name);
                }
                if (list.isEmpty()) list << QStringLiteral("NULL AS orv_none");
            };
            const QString alias = primaryTab >= 0 ? tabs[size_t(primaryTab)].name
                                                  : (tabs.empty() ? QStringLiteral("q") : tabs[0].name);
            const auto query = [&] {
                return QStringLiteral("SELECT (%1) FROM (SELECT %2) AS %3")
                    .arg(expr, list.join(QStringLiteral(", ")), quoteName(alias));
            };
            build(false);
            QString q = query();
            Stmt s = tryPrepare(db(), q);
            if (!s) {
                build(true);
                q = query();
                s = prepare(db(), q);
            }
            bindNamed(s.get(), kFindParams, values);
            for (long p = start; p >= 0 && p < n; p += dir) {
                sqlite3_reset(s.get());
                const RawRow &r = rows[size_t(p)];
                for (int i = 0; i < int(bound.size()); ++i) r.bind(s.get(), i + 1, bound[size_t(i)], cols[size_t(bound[size_t(i)])].kind);
                if (step(db(), s.get(), q) && truthy(s.get(), 0)) {
                    found = p;
                    break;
                }
            }
        }
    }
    noMatch = found < 0;
    if (found >= 0) setPos(found);
    return found >= 0;
}

} // namespace platform::db
