// Recordsets held to plain SQLite, step by step. A seeded random run opens table, dynaset,
// snapshot and forward-only recordsets over the sample catalogue at once and drives them with
// the calls the program makes: moves, positions, bookmarks, finds with the program's criteria,
// Seeks with every comparison on every index, edits, additions, deletes and requeries, writes
// through Execute, executeEach and the other recordsets, transactions committed and rolled back,
// and the category view with and without a category. Every write runs again as plain SQL on a
// copy of the catalogue, and each recordset is modelled over that copy by plain queries: after
// every step the layer must give the same outcome (success or the same error number), the same
// count, place and current row, and both catalogues must hold the same rows. The first step that
// differs fails the test with the seed and the steps that led to it.
//
// ORVALIS_DIFF_STEPS runs more steps per seed, ORVALIS_DIFF_SEED one other seed.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/JetSql.h"

#include <QDateTime>
#include <cmath>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <random>

using namespace platform::db;

namespace {

constexpr qint64 kNone = std::numeric_limits<qint64>::min();
const size_t kLogLines = size_t(qEnvironmentVariableIsSet("ORVALIS_DIFF_LOG") ? qEnvironmentVariableIntValue("ORVALIS_DIFF_LOG") : 14);

// A row as the model names it: the song's RecordID (a table row's rowid) and, through the
// category join, the link's rowid.
struct Id {
    qint64 a = kNone, b = kNone;
    bool operator==(const Id &o) const { return a == o.a && b == o.b; }
};

enum class Kind { Table, Dynaset, Snapshot, Forward };

struct Source {
    const char *jet;   // as the program opens it
    Kind kind;
    const char *cols;  // plain SQLite for the recordset's fields, in its field order
    const char *from;
    const char *where; // "" for none
    const char *order; // "" for none: any order
    const char *idb;   // the link's rowid through the category join, "" for none
};

const char *const kContacts = "tblContacts";
const char *const kJoin = "tblContacts INNER JOIN tblCategoryID ON tblContacts.RecordID = tblCategoryID.ID";
const char *const kJoinCols = "tblContacts.*, tblCategoryID.CategoryNumber";

const Source kSources[] = {
    {"Select * from tblContacts Order By SongName", Kind::Dynaset, "tblContacts.*", kContacts, "", "SongName", ""},
    {"Select * from  tblContacts Where Selected = 'x' Order By Artist, SongName", Kind::Dynaset, "tblContacts.*", kContacts,
     "Selected = 'x'", "Artist, SongName", ""},
    {"Select DISTINCTROW * from  tblContacts Where  (SongName Like \"*e*\" OR Artist Like \"*e*\" ) Order By SongName, Artist",
     Kind::Dynaset, "tblContacts.*", kContacts, "(SongName LIKE '%e%' OR Artist LIKE '%e%')", "SongName, Artist", ""},
    {"Select * from  tblContacts Where  (Rating = \"*****\" or Rating = \"****\")  Order By tblContacts!Rating, SongName",
     Kind::Dynaset, "tblContacts.*", kContacts, "(Rating = '*****' OR Rating = '****')", "Rating, SongName", ""},
    {"Select RecordID, TrackNum, PathName From tblContacts Order By PathName, RecordID", Kind::Dynaset,
     "RecordID, TrackNum, PathName", kContacts, "", "PathName, RecordID", ""},
    {"SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = "
     "tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1  order by tblContacts!SongName",
     Kind::Dynaset, "DISTINCT tblContacts.*",
     "tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = tblPlayListDetail.ContactRecordID",
     "tblPlayListDetail.ListID = 1", "tblContacts.SongName", ""},
    {"Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName", Kind::Dynaset, kJoinCols, kJoin,
     "tblCategoryID.CategoryNumber = 1", "tblContacts.SongName", "tblCategoryID.rowid"},
    {"Select * from  qryContacts Order By tblContacts!Year, Artist, SongName", Kind::Dynaset, kJoinCols, kJoin, "",
     "tblContacts.Year, tblContacts.Artist, tblContacts.SongName", "tblCategoryID.rowid"},
    {"qryContacts", Kind::Dynaset, kJoinCols, kJoin, "", "", "tblCategoryID.rowid"},
    {"Select * from tblContacts Order By SongName", Kind::Snapshot, "tblContacts.*", kContacts, "", "SongName", ""},
    {"Select PathName, FileName, RecordID from tblContacts Order By PathName, tblContacts!FileName", Kind::Snapshot,
     "PathName, FileName, RecordID", kContacts, "", "PathName, FileName", ""},
    {"Select * from  qryContacts Where  CategoryNumber = 2 Order By SongName", Kind::Snapshot, kJoinCols, kJoin,
     "tblCategoryID.CategoryNumber = 2", "tblContacts.SongName", "tblCategoryID.rowid"},
    {"Select * from  qryContacts Order By SongName", Kind::Snapshot, kJoinCols, kJoin, "", "tblContacts.SongName",
     "tblCategoryID.rowid"},
    {"Select RecordId, PathName, FileName from tblContacts", Kind::Forward, "RecordID, PathName, FileName", kContacts, "", "", ""},
    {"Select * from tblContacts Where Selected = 'x' Order By SongName", Kind::Forward, "tblContacts.*", kContacts,
     "Selected = 'x'", "SongName", ""},
};

struct TableIndex {
    const char *name;
    QStringList cols;
};
const TableIndex kContactIndexes[] = {
    {"PrimaryKey", {QStringLiteral("RecordID")}},
    {"PathFile", {QStringLiteral("PathName"), QStringLiteral("FileName")}},
    {"SongName", {QStringLiteral("SongName")}},
    {"Artist", {QStringLiteral("Artist")}},
    {"TrackNum", {QStringLiteral("TrackNum")}},
    {"FileSizeNum", {QStringLiteral("FileSizeNum")}},
    {"PurchaseDate", {QStringLiteral("PurchaseDate")}},
    {"Year", {QStringLiteral("Year")}},
    {"Rating", {QStringLiteral("Rating")}},
};
const TableIndex kLinkIndexes[] = {{"PrimaryKey", {QStringLiteral("ID"), QStringLiteral("CategoryNumber")}}};

// Values the steps write: case and accent variants, Nulls, ties.
QVariant nul() { return QVariant(); }
const QVariant kSongNames[] = {QStringLiteral("Yesterday"), QStringLiteral("yesterday"), QStringLiteral("Zed"),
                               QStringLiteral("Émotion"), QStringLiteral("Hey Jude"), QStringLiteral("A"), nul()};
const QVariant kArtists[] = {QStringLiteral("Queen"), QStringLiteral("queen"), QStringLiteral("Björk"), QStringLiteral("ABBA"), nul()};
const QVariant kPaths[] = {QStringLiteral("/music/Beatles/"), QStringLiteral("/flac/"), QStringLiteral("/FLAC/"), nul()};
const QVariant kFiles[] = {QStringLiteral("a.mp3"), QStringLiteral("Yesterday.flac"), QStringLiteral("yesterday.flac"), nul()};
const QVariant kRatings[] = {QStringLiteral("*****"), QStringLiteral("****"), QStringLiteral("***"), nul()};
const QVariant kYears[] = {QStringLiteral("1965"), QStringLiteral("2001"), nul()};
const QVariant kSelected[] = {QStringLiteral("x"), QStringLiteral(" ")};
const QVariant kSizes[] = {1.5, 2.0, 7.25, nul()};

QString norm(const QVariant &v) {
    if (!v.isValid() || v.isNull()) return QStringLiteral("<null>");
    switch (v.typeId()) {
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    default: return v.toString();
    }
}

QString norm(sqlite3_stmt *s, int c) {
    switch (sqlite3_column_type(s, c)) {
    case SQLITE_NULL: return QStringLiteral("<null>");
    case SQLITE_INTEGER: return QString::number(sqlite3_column_int64(s, c));
    case SQLITE_FLOAT: return QString::number(sqlite3_column_double(s, c), 'g', 15);
    default: return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c)));
    }
}

// A value bound as the catalogue stores it.
void bindPlain(sqlite3_stmt *s, int i, const QVariant &v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(s, i);
    } else if (v.typeId() == QMetaType::QDateTime) {
        const QByteArray t = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_text(s, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    } else if (v.typeId() == QMetaType::Double) {
        sqlite3_bind_double(s, i, v.toDouble());
    } else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
        sqlite3_bind_int64(s, i, v.toLongLong());
    } else {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_bind_text(s, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
}

struct Failure {
    QString what;
};

struct Mark {
    Bookmark bookmark;
    Id id;
    int epoch;
};

// One open recordset and what the model says of it.
struct Slot {
    Kind kind = Kind::Dynaset;
    const Source *src = nullptr;         // list recordsets
    QString table;                       // table-type
    const TableIndex *index = nullptr;
    std::unique_ptr<Recordset> rs;
    std::vector<Id> ids;                 // list recordsets: the rows in the recordset's order
    QString snap;                        // snapshot and forward-only: the rows as read, by place
    enum At { Bof, Row, Gone, Eof, Unknown } at = Bof;
    long pos = -1;                       // list: the row, or the row after the one deleted
    Id cur;                              // Row and Gone
    QVariantList anchor;                 // table: the index values and rowid of `cur` as last seen
    std::vector<Mark> marks;
    int epoch = 0;                       // the listing: a new number at every requery
    std::optional<Mark> lastMod;
    bool lastModInTrans = false;
    struct Saved {
        std::vector<Id> ids;
        QString snap;
        int epoch;
    };
    std::optional<Saved> saved; // the list at BeginTrans
    bool list() const { return kind != Kind::Table; }
    bool readOnly() const { return kind == Kind::Snapshot || kind == Kind::Forward; }
};

class DifferentialRun {
public:
    DifferentialRun(Database &db, const QString &shadowPath, quint64 seed) : db_(db), seed_(seed), rng_(seed) {
        if (sqlite3_open_v2(shadowPath.toUtf8().constData(), &shadow_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("shadow");
        jet::registerFunctions(shadow_);
        sqlite3_exec(shadow_, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr); // a copy no test reads after
        // The rows snapshots read are kept apart, where no transaction of the copy undoes them.
        sqlite3_open_v2(":memory:", &kept_, SQLITE_OPEN_READWRITE, nullptr);
        jet::registerFunctions(kept_);
    }
    ~DifferentialRun() {
        slots_.clear();
        for (auto &[k, s] : stmts_) sqlite3_finalize(s);
        for (auto &[k, s] : keptStmts_) sqlite3_finalize(s);
        sqlite3_close_v2(shadow_);
        sqlite3_close_v2(kept_);
    }

    // Runs `steps` steps; returns the report of the first difference, empty when none.
    QString go(int steps) {
        try {
            openAll();
            compareCatalogues();
            for (step_ = 1; step_ <= steps; ++step_) {
                oneStep();
                // Positions and rows read by place are checked now and then: reading them makes a
                // table-type recordset find its place, which would hide what a later move does.
                for (Slot &s : slots_) check(s, pick(3) == 0 || deep_);
                compareCatalogues();
            }
        } catch (const Failure &f) {
            QString report = QStringLiteral("seed %1, step %2: %3\nsteps before it:\n").arg(seed_).arg(step_).arg(f.what);
            for (const QString &l : log_) report += QStringLiteral("  ") + l + u'\n';
            return report;
        }
        return {};
    }

private:
    Database &db_;
    quint64 seed_;
    std::mt19937_64 rng_;
    sqlite3 *shadow_ = nullptr;
    sqlite3 *kept_ = nullptr;
    std::map<std::string, sqlite3_stmt *> stmts_, keptStmts_;
    std::vector<Slot> slots_;
    std::deque<QString> log_;
    int step_ = 0;
    int snaps_ = 0;
    int epochs_ = 0;
    const bool deep_ = qEnvironmentVariableIsSet("ORVALIS_DIFF_DEEP");
    bool inTrans_ = false;

    int pick(int n) { return int(rng_() % quint64(n)); }
    bool chance(int in) { return pick(in) == 0; }
    template <typename T, size_t N> const T &any(const T (&a)[N]) { return a[pick(int(N))]; }

    void note(const QString &line) {
        log_.push_back(line);
        if (log_.size() > kLogLines) log_.pop_front();
    }
    [[noreturn]] void fail(const QString &what) { throw Failure{what}; }

    // ------------------------------------------------------------------ plain SQLite
    sqlite3_stmt *prep(const QString &sql, bool kept = false) {
        const std::string key = sql.toStdString();
        auto &stmts = kept ? keptStmts_ : stmts_;
        sqlite3 *db = kept ? kept_ : shadow_;
        auto it = stmts.find(key);
        if (it == stmts.end()) {
            sqlite3_stmt *s = nullptr;
            if (sqlite3_prepare_v2(db, key.c_str(), -1, &s, nullptr) != SQLITE_OK)
                fail(QStringLiteral("model SQL does not prepare: %1: %2").arg(sql, QString::fromUtf8(sqlite3_errmsg(db))));
            it = stmts.emplace(key, s).first;
        }
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    // Runs a plain statement; returns SQLite's result code.
    int run(const QString &sql, const QVariantList &values = {}, bool kept = false) {
        sqlite3_stmt *s = prep(sql, kept);
        for (int i = 0; i < int(values.size()); ++i) bindPlain(s, i + 1, values[i]);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        }
        sqlite3_reset(s);
        return rc;
    }
    qint64 scalar(const QString &sql, const QVariantList &values = {}) {
        sqlite3_stmt *s = prep(sql);
        for (int i = 0; i < int(values.size()); ++i) bindPlain(s, i + 1, values[i]);
        const qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : kNone;
        sqlite3_reset(s);
        return v;
    }

    static QString dumpOf(sqlite3 *db, const char *table) {
        QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table));
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr);
        QString out;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c) out += norm(s, c) + u'|';
            out += u'\n';
        }
        sqlite3_finalize(s);
        return out;
    }
    void compareCatalogues() {
        for (const char *t : {"tblContacts", "tblCategoryID", "sqlite_sequence"}) {
            const QString mine = dumpOf(db_.handle(), t), model = dumpOf(shadow_, t);
            if (mine != model) fail(QStringLiteral("the catalogues differ in %1:\nlayer:\n%2\nplain:\n%3").arg(QLatin1String(t), mine, model));
        }
    }

    // ------------------------------------------------------------------ the model's queries
    static QString rowsSql(const Source &src, bool ranked) {
        QString sql = QStringLiteral("SELECT %1, tblContacts.RecordID AS orv_a, %2 AS orv_b")
                          .arg(QLatin1String(src.cols), *src.idb ? QLatin1String(src.idb) : QLatin1String("NULL"));
        if (ranked)
            sql += QStringLiteral(", dense_rank() OVER (%1) AS orv_rank")
                       .arg(*src.order ? QStringLiteral("ORDER BY ") + QLatin1String(src.order) : QString());
        sql += QStringLiteral(" FROM ") + QLatin1String(src.from);
        if (*src.where) sql += QStringLiteral(" WHERE ") + QLatin1String(src.where);
        if (*src.order) sql += QStringLiteral(" ORDER BY ") + QLatin1String(src.order);
        return sql;
    }
    static int fieldCountOf(sqlite3_stmt *s) { return sqlite3_column_count(s) - 3; }

    // The current values of a dynaset's row, or nullopt when the row is gone.
    std::optional<QStringList> fetchList(const Slot &s, const Id &id) {
        QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE tblContacts.RecordID = ?1")
                          .arg(QLatin1String(s.src->cols), QLatin1String(s.src->from));
        if (*s.src->idb) sql += QStringLiteral(" AND %1 IS ?2").arg(QLatin1String(s.src->idb));
        sql += QStringLiteral(" LIMIT 1");
        sqlite3_stmt *st = prep(sql);
        sqlite3_bind_int64(st, 1, id.a);
        if (*s.src->idb) {
            if (id.b == kNone) sqlite3_bind_null(st, 2);
            else sqlite3_bind_int64(st, 2, id.b);
        }
        return firstRow(st);
    }
    // The first row a bound statement gives, every field as text; nullopt for none.
    static std::optional<QStringList> firstRow(sqlite3_stmt *st, int fields = -1) {
        std::optional<QStringList> out;
        if (sqlite3_step(st) == SQLITE_ROW) {
            out.emplace();
            for (int c = 0; c < (fields < 0 ? sqlite3_column_count(st) : fields); ++c) *out << norm(st, c);
        }
        sqlite3_reset(st);
        return out;
    }
    QStringList snapRow(const Slot &s, long p) {
        sqlite3_stmt *st = prep(QStringLiteral("SELECT * FROM %1 WHERE orv_pos = ?1").arg(s.snap), true);
        sqlite3_bind_int64(st, 1, p);
        return firstRow(st, sqlite3_column_count(st) - 3).value_or(QStringList());
    }
    std::optional<QStringList> fetchTable(const Slot &s, qint64 rowid) {
        sqlite3_stmt *st = prep(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(s.table));
        sqlite3_bind_int64(st, 1, rowid);
        return firstRow(st);
    }

    QString tableOrder(const Slot &s) const {
        QStringList o;
        for (const QString &c : s.index->cols) o << c;
        o << QStringLiteral("rowid");
        return o.join(QStringLiteral(", "));
    }
    // A table-type recordset's rows, in the order of its index.
    std::vector<Id> live(const Slot &s) {
        std::vector<Id> out;
        sqlite3_stmt *st = prep(QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(s.table, tableOrder(s)));
        while (sqlite3_step(st) == SQLITE_ROW) out.push_back(Id{sqlite3_column_int64(st, 0), kNone});
        sqlite3_reset(st);
        return out;
    }
    QVariantList anchorOf(const Slot &s, qint64 rowid) {
        QStringList cols = s.index->cols;
        cols << QStringLiteral("rowid");
        sqlite3_stmt *st = prep(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(cols.join(QStringLiteral(", ")), s.table));
        sqlite3_bind_int64(st, 1, rowid);
        QVariantList out;
        if (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_NULL: out << QVariant(); break;
                case SQLITE_INTEGER: out << QVariant(qint64(sqlite3_column_int64(st, c))); break;
                case SQLITE_FLOAT: out << QVariant(sqlite3_column_double(st, c)); break;
                default: out << QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))));
                }
            }
        sqlite3_reset(st);
        return out;
    }
    // Where `ghosts` (index values, one per ghost) fall among the table's rows in index order:
    // for each ghost, how many rows come before it. A ghost sorts before a row equal to it.
    std::vector<long> placeAmong(const Slot &s, const std::vector<QVariantList> &ghosts) {
        const int k = int(ghosts.front().size());
        QStringList cols, marks, order;
        for (int i = 0; i < k; ++i) {
            cols << s.index->cols.value(i, QStringLiteral("rowid"));
            order << QString::number(i + 1);
        }
        order << QString::number(k + 2);
        QString sql = QStringLiteral("SELECT %1, -1 AS orv_ghost, 1 AS orv_real FROM %2").arg(cols.join(QStringLiteral(", ")), s.table);
        int n = 0;
        for (size_t g = 0; g < ghosts.size(); ++g) {
            QStringList m;
            for (int i = 0; i < k; ++i) m << QStringLiteral("?%1").arg(++n);
            sql += QStringLiteral(" UNION ALL SELECT %1, %2, 0").arg(m.join(QStringLiteral(", "))).arg(g);
        }
        sql += QStringLiteral(" ORDER BY %1").arg(order.join(QStringLiteral(", ")));
        sqlite3_stmt *st = prep(sql);
        n = 0;
        for (const QVariantList &g : ghosts)
            for (const QVariant &v : g) bindPlain(st, ++n, v);
        std::vector<long> out(ghosts.size(), -1);
        long before = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const int ghost = sqlite3_column_int(st, k);
            if (ghost < 0) ++before;
            else out[size_t(ghost)] = before;
        }
        sqlite3_reset(st);
        return out;
    }
    // A table recordset whose row went away stands where that row was in the index.
    void settle(Slot &s) {
        if (s.kind != Kind::Table || s.at != Slot::Row) return;
        const std::vector<Id> rows = live(s);
        if (std::find(rows.begin(), rows.end(), s.cur) == rows.end()) s.at = Slot::Gone;
    }
    // Where a table recordset stands: the row's place, or for a deleted row the place of the next.
    long tablePos(Slot &s, const std::vector<Id> &rows) {
        if (s.at == Slot::Row) return long(std::find(rows.begin(), rows.end(), s.cur) - rows.begin());
        if (s.at == Slot::Gone) {
            QVariantList a = s.anchor;
            return placeAmong(s, {a}).front();
        }
        if (s.at == Slot::Eof) return long(rows.size());
        return -1;
    }
    // A row deleted since keeps the values it was last seen with.
    // Where the recordset stands among `rows`: past the last row is past the rows it has now.
    long place(Slot &s, const std::vector<Id> &rows) {
        if (s.kind == Kind::Table) return tablePos(s, rows);
        return s.at == Slot::Eof ? long(rows.size()) : s.pos;
    }
    void refreshAnchor(Slot &s) {
        if (s.kind != Kind::Table || s.at != Slot::Row) return;
        QVariantList now = anchorOf(s, s.cur.a);
        if (!now.isEmpty()) s.anchor = now;
    }

    std::vector<Id> rowsOf(Slot &s) { return s.list() ? s.ids : live(s); }
    long count(Slot &s) { return s.list() ? long(s.ids.size()) : scalar(QStringLiteral("SELECT count(*) FROM ") + s.table); }

    // Puts the model at place p of its rows (-1 before the first, n past the last).
    void placeAt(Slot &s, const std::vector<Id> &rows, long p) {
        const long n = long(rows.size());
        if (p < 0) s.at = Slot::Bof;
        else if (p >= n) s.at = Slot::Eof;
        else {
            s.at = Slot::Row;
            s.cur = rows[size_t(p)];
        }
        s.pos = std::clamp(p, -1L, n);
        refreshAnchor(s);
    }

    // ------------------------------------------------------------------ opening
    void openAll() {
        slots_.resize(7);
        openTable(slots_[0], kContacts, kContactIndexes[2]);
        openTable(slots_[1], "tblCategoryID", kLinkIndexes[0]);
        openList(slots_[2], kSources[0]);
        openList(slots_[3], kSources[6]);
        openList(slots_[4], kSources[7]);
        openList(slots_[5], kSources[9]);
        openList(slots_[6], kSources[13]);
    }

    void openTable(Slot &s, const char *table, const TableIndex &index) {
        s = Slot();
        s.kind = Kind::Table;
        s.table = QLatin1String(table);
        s.index = &index;
        s.rs = db_.openRecordset(s.table, RecordsetType::Table);
        s.rs->setIndex(QLatin1String(index.name));
        const std::vector<Id> rows = live(s);
        if (!rows.empty()) s.rs->moveFirst();
        placeAt(s, rows, rows.empty() ? -1 : 0);
        note(QStringLiteral("open table %1 on %2").arg(s.table, QLatin1String(index.name)));
    }

    static RecordsetType typeOf(Kind k) {
        return k == Kind::Dynaset ? RecordsetType::Dynaset : k == Kind::Snapshot ? RecordsetType::Snapshot : RecordsetType::ForwardOnly;
    }

    // Reads the rows the model says the source has, checks the layer's rows are those rows in an
    // order the source allows, and takes the layer's order of ties.
    void readList(Slot &s) {
        struct ModelRow {
            Id id;
            qint64 rank;
            QString match; // RecordID and CategoryNumber as the layer shows them
            std::vector<sqlite3_value *> values;
        };
        sqlite3_stmt *st = prep(rowsSql(*s.src, true));
        const int nf = fieldCountOf(st);
        std::vector<ModelRow> model;
        std::map<QString, size_t> byMatch;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ModelRow r;
            r.id.a = sqlite3_column_int64(st, nf);
            if (*s.src->idb) r.id.b = sqlite3_column_int64(st, nf + 1);
            r.rank = sqlite3_column_int64(st, nf + 2);
            r.match = QString::number(r.id.a);
            if (*s.src->idb) r.match += u'/' + norm(st, nf - 1);
            for (int c = 0; c < nf; ++c) r.values.push_back(sqlite3_value_dup(sqlite3_column_value(st, c)));
            byMatch[r.match] = model.size();
            model.push_back(std::move(r));
        }
        sqlite3_reset(st);
        struct Free {
            std::vector<ModelRow> &rows;
            ~Free() {
                for (auto &r : rows)
                    for (auto *v : r.values) sqlite3_value_free(v);
            }
        } freeRows{model};
        const long n = s.rs->recordCount();
        if (n != long(model.size()))
            fail(QStringLiteral("%1 has %2 rows, plain SQLite %3").arg(QLatin1String(s.src->jet)).arg(n).arg(model.size()));
        const int recordId = s.rs->fieldOrdinal(QStringLiteral("RecordID"));
        const int category = s.rs->fieldOrdinal(QStringLiteral("CategoryNumber"));
        s.ids.clear();
        std::vector<size_t> order;
        qint64 lastRank = 0;
        for (long p = 0; p < n; ++p) {
            QString match = norm(s.rs->valueAt(p, recordId));
            if (*s.src->idb) match += u'/' + norm(s.rs->valueAt(p, category));
            const auto it = byMatch.find(match);
            if (it == byMatch.end()) fail(QStringLiteral("%1 has a row %2 at %3 that plain SQLite does not").arg(QLatin1String(s.src->jet), match).arg(p));
            const ModelRow &r = model[it->second];
            if (r.rank < lastRank) fail(QStringLiteral("%1 is out of order at %2").arg(QLatin1String(s.src->jet)).arg(p));
            lastRank = r.rank;
            s.ids.push_back(r.id);
            order.push_back(it->second);
            byMatch.erase(it);
        }
        if (s.kind == Kind::Dynaset) return;
        // The rows as read, kept by place with the fields' own types and collations.
        s.snap = QStringLiteral("orv_snap%1").arg(++snaps_);
        QStringList defs, marks;
        for (int c = 0; c < nf; ++c) {
            const char *table = sqlite3_column_table_name(st, c);
            const char *origin = sqlite3_column_origin_name(st, c);
            const char *decl = sqlite3_column_decltype(st, c);
            const char *coll = nullptr;
            if (table && origin) sqlite3_table_column_metadata(shadow_, nullptr, table, origin, nullptr, &coll, nullptr, nullptr, nullptr);
            QString def = QStringLiteral("\"%1\" %2").arg(QString::fromUtf8(sqlite3_column_name(st, c)), QLatin1String(decl ? decl : ""));
            if (coll) def += QStringLiteral(" COLLATE ") + QLatin1String(coll);
            defs << def;
            marks << QStringLiteral("?%1").arg(c + 1);
        }
        run(QStringLiteral("CREATE TABLE %1 (%2, orv_pos INTEGER, orv_a INTEGER, orv_b INTEGER)").arg(s.snap, defs.join(QStringLiteral(", "))), {}, true);
        const QString insert = QStringLiteral("INSERT INTO %1 VALUES (%2, ?%3, ?%4, ?%5)")
                                   .arg(s.snap, marks.join(QStringLiteral(", ")))
                                   .arg(nf + 1)
                                   .arg(nf + 2)
                                   .arg(nf + 3);
        for (size_t p = 0; p < order.size(); ++p) {
            sqlite3_stmt *ins = prep(insert, true);
            const ModelRow &r = model[order[p]];
            for (int c = 0; c < nf; ++c) sqlite3_bind_value(ins, c + 1, r.values[size_t(c)]);
            sqlite3_bind_int64(ins, nf + 1, qint64(p));
            sqlite3_bind_int64(ins, nf + 2, r.id.a);
            if (r.id.b != kNone) sqlite3_bind_int64(ins, nf + 3, r.id.b);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
    }

    void openList(Slot &s, const Source &src) {
        s.rs.reset();
        const QString snap = s.snap;
        s = Slot();
        s.snap = snap;
        s.kind = src.kind;
        s.src = &src;
        s.rs = db_.openRecordset(QLatin1String(src.jet), typeOf(src.kind));
        readList(s);
        placeAt(s, s.ids, s.ids.empty() ? -1 : 0);
        // Opened inside a transaction: a rollback takes it back to the list it opened with.
        if (inTrans_) s.saved = Slot::Saved{s.ids, s.snap, s.epoch};
        note(QStringLiteral("open %1").arg(QLatin1String(src.jet)));
    }

    // ------------------------------------------------------------------ checks
    // Runs a call of the layer; 0 when it succeeds, else its error number.
    int layer(const std::function<void()> &call) {
        try {
            call();
            return 0;
        } catch (const DbError &e) {
            return e.number();
        } catch (const std::exception &e) {
            fail(QStringLiteral("the layer threw %1").arg(QString::fromUtf8(e.what())));
        }
    }
    void expectOutcome(const QString &what, int layerResult, int expected) {
        if (layerResult != expected)
            fail(QStringLiteral("%1: the layer gave %2, the model %3").arg(what).arg(layerResult).arg(expected));
    }

    QString name(const Slot &s) const { return s.list() ? QLatin1String(s.src->jet) : s.table + u'[' + QLatin1String(s.index->name) + u']'; }

    // The current row's values as the model has them; nullopt when the row was deleted elsewhere.
    std::optional<QStringList> expectedRow(Slot &s, long p) {
        if (s.kind == Kind::Table) return fetchTable(s, rowsOf(s)[size_t(p)].a);
        if (s.kind == Kind::Dynaset) return fetchList(s, s.ids[size_t(p)]);
        return snapRow(s, p);
    }
    QStringList layerRow(Recordset &rs, const std::function<QVariant(int)> &read, int &error) {
        QStringList out;
        error = 0;
        for (int c = 0; c < rs.fieldCount(); ++c) {
            try {
                out << norm(read(c));
            } catch (const DbError &e) {
                error = e.number();
                return out;
            }
        }
        return out;
    }

    void check(Slot &s, bool deep) {
        settle(s);
        Recordset &rs = *s.rs;
        const QString who = name(s);
        if (rs.editMode() != EditMode::None) fail(who + QStringLiteral(" is left editing"));
        const std::vector<Id> rows = rowsOf(s);
        const long n = long(rows.size());
        if (rs.recordCount() != n) fail(QStringLiteral("%1 counts %2 rows, the model %3").arg(who).arg(rs.recordCount()).arg(n));
        const long p = place(s, rows);
        if (s.at != Slot::Unknown) {
            const bool bof = n == 0 || s.at == Slot::Bof;
            const bool eof = n == 0 || s.at == Slot::Eof || (s.at == Slot::Gone && p >= n);
            if (rs.bof() != bof || rs.eof() != eof)
                fail(QStringLiteral("%1: BOF/EOF %2/%3, the model %4/%5").arg(who).arg(rs.bof()).arg(rs.eof()).arg(bof).arg(eof));
        }
        int error = 0;
        const QStringList got = layerRow(rs, [&](int c) { return rs.value(c); }, error);
        if (s.at == Slot::Row) {
            const auto want = expectedRow(s, p);
            if (!want && error != err::RecordDeleted)
                fail(QStringLiteral("%1: the current row was deleted, the layer reads %2 (error %3)").arg(who, got.join(u'|')).arg(error));
            if (want && (error != 0 || got != *want))
                fail(QStringLiteral("%1 at %2: the layer reads\n%3 (error %4)\nthe model\n%5").arg(who).arg(p).arg(got.join(u'|')).arg(error).arg(want->join(u'|')));
        } else if (error != err::NoCurrentRecord) {
            fail(QStringLiteral("%1: no current row in the model, the layer reads %2 (error %3)").arg(who, got.join(u'|')).arg(error));
        }
        if (!deep || s.at == Slot::Unknown) return;
        const long at = rs.absolutePosition();
        if (at != (s.at == Slot::Row ? p : -1)) fail(QStringLiteral("%1 stands at %2, the model at %3").arg(who).arg(at).arg(s.at == Slot::Row ? p : -1));
        if (n == 0) return;
        const long q = pick(int(n));
        int e2 = 0;
        const QStringList there = layerRow(rs, [&](int c) { return rs.valueAt(q, c); }, e2);
        const auto want = expectedRow(s, q);
        QStringList nulls;
        for (int c = 0; c < rs.fieldCount(); ++c) nulls << QStringLiteral("<null>");
        if (e2 != 0 || there != (want ? *want : nulls))
            fail(QStringLiteral("%1: the row at %2 reads\n%3\nthe model\n%4").arg(who).arg(q).arg(there.join(u'|'), want ? want->join(u'|') : nulls.join(u'|')));
    }

    // ------------------------------------------------------------------ steps
    Slot &anySlot() { return slots_[size_t(pick(int(slots_.size())))]; }

    void oneStep() {
        for (Slot &o : slots_) settle(o);
        Slot &s = anySlot();
        const int r = pick(100);
        if (r < 24) stepMove(s);
        else if (r < 30) stepBookmark(s);
        else if (r < 42) stepFind(s);
        else if (r < 50) stepSeek(slots_[size_t(pick(2))]);
        else if (r < 52) stepIndex(slots_[0]);
        else if (r < 62) stepEdit(s);
        else if (r < 69) stepAdd(s);
        else if (r < 74) stepDelete(s);
        else if (r < 77) stepRequery(s);
        else if (r < 86) stepExecute();
        else if (r < 88) stepExecuteEach();
        else if (r < 93) stepTransaction();
        else if (r < 95) stepReopen(s);
        else if (r < 97) stepOddValue(s);
        else stepLastModified(s);
        for (Slot &o : slots_) refreshAnchor(o);
    }

    bool positioned(const Slot &s) const { return s.at != Slot::Unknown; }

    void stepMove(Slot &s) {
        const std::vector<Id> rows = rowsOf(s);
        const long n = long(rows.size());
        const long p = place(s, rows);
        const bool forward = s.kind == Kind::Forward;
        const bool current = s.at == Slot::Row;
        int what = pick(6);
        if (!positioned(s) && (what == 2 || what == 3 || what == 4)) what = 0;
        const long k = pick(7) - 3;
        const long target = pick(int(n) + 2) - 1;
        const char *names[] = {"MoveFirst", "MoveLast", "MoveNext", "MovePrevious", "Move", "AbsolutePosition ="};
        note(QStringLiteral("%1 %2 %3").arg(name(s), QLatin1String(names[what])).arg(what == 4 ? k : what == 5 ? target : 0));
        int expected = 0;
        long to = p;
        switch (what) {
        case 0:
            if (n == 0) expected = err::NoCurrentRecord;
            else if (forward && p > 0) expected = err::OperationNotSupported;
            to = 0;
            break;
        case 1:
            if (n == 0) expected = err::NoCurrentRecord;
            to = n - 1;
            break;
        case 2:
            if (s.at == Slot::Gone) to = std::min(p, n);
            else if (n == 0 || s.at == Slot::Eof) expected = err::NoCurrentRecord;
            else to = p + 1;
            break;
        case 3:
            if (forward) expected = err::OperationNotSupported;
            else if (s.at == Slot::Gone) to = std::max(p - 1, -1L);
            else if (n == 0 || s.at == Slot::Bof) expected = err::NoCurrentRecord;
            else to = p - 1;
            break;
        case 4:
            if (forward && k < 0) expected = err::OperationNotSupported;
            else if (!current) expected = err::NoCurrentRecord;
            else to = std::clamp(p + k, -1L, n);
            break;
        case 5:
            if (target < 0 || target >= n) expected = 3001;
            else if (forward && target < p) expected = err::OperationNotSupported;
            to = target;
            break;
        }
        Recordset &rs = *s.rs;
        const int got = layer([&] {
            switch (what) {
            case 0: rs.moveFirst(); break;
            case 1: rs.moveLast(); break;
            case 2: rs.moveNext(); break;
            case 3: rs.movePrevious(); break;
            case 4: rs.move(k); break;
            default: rs.setAbsolutePosition(target);
            }
        });
        expectOutcome(log_.back(), got, expected);
        if (!expected) placeAt(s, rows, to);
    }

    std::optional<long> placeOf(Slot &s, const Id &id) {
        const std::vector<Id> rows = rowsOf(s);
        const auto it = std::find(rows.begin(), rows.end(), id);
        if (it == rows.end()) return std::nullopt;
        return long(it - rows.begin());
    }

    // Goes to a bookmark: the model's outcome and place.
    void goTo(Slot &s, const Mark &m, const Bookmark &b, const QString &what) {
        int expected = 0;
        std::optional<long> to;
        if (s.list() && m.epoch < s.epoch) {
            expected = 3159; // from before a requery
        } else if (s.list() && m.epoch > s.epoch) {
            expected = err::RecordDeleted; // from a requery a rollback undid
        } else {
            to = placeOf(s, m.id);
            if (!to) expected = err::RecordDeleted;
            else if (s.kind == Kind::Forward && *to < s.pos) expected = err::OperationNotSupported;
        }
        note(what);
        expectOutcome(what, layer([&] { s.rs->setBookmark(b); }), expected);
        if (!expected) placeAt(s, rowsOf(s), *to);
    }

    void stepBookmark(Slot &s) {
        if (chance(2) || s.marks.empty()) {
            note(name(s) + QStringLiteral(" Bookmark"));
            Bookmark b;
            const int got = layer([&] { b = s.rs->bookmark(); });
            expectOutcome(log_.back(), got, s.at == Slot::Row ? 0 : err::NoCurrentRecord);
            if (!got) s.marks.push_back(Mark{b, s.cur, s.epoch});
            if (s.marks.size() > 12) s.marks.erase(s.marks.begin());
            return;
        }
        const Mark m = s.marks[size_t(pick(int(s.marks.size())))];
        goTo(s, m, m.bookmark, QStringLiteral("%1 Bookmark = the mark of %2").arg(name(s)).arg(m.id.a));
    }

    void stepLastModified(Slot &s) {
        Bookmark b;
        const int got = layer([&] { b = s.rs->lastModified(); });
        note(name(s) + QStringLiteral(" LastModified"));
        expectOutcome(log_.back(), got, s.lastMod ? 0 : err::NoCurrentRecord);
        if (got) return;
        goTo(s, *s.lastMod, b, name(s) + QStringLiteral(" Bookmark = LastModified"));
    }

    // A criteria text the program writes, with the fields it names and its bound values.
    struct Criteria {
        QString text;
        QStringList fields;
        QVariantList values;
    };
    Criteria criteriaFor(Slot &s) {
        // Field values to look for, from a row of the catalogue.
        const qint64 songs = scalar(QStringLiteral("SELECT count(*) FROM tblContacts"));
        sqlite3_stmt *st = prep(QStringLiteral("SELECT RecordID, PathName, FileName, Artist, SongName FROM tblContacts ORDER BY RecordID LIMIT 1 OFFSET ?1"));
        sqlite3_bind_int64(st, 1, songs > 0 ? pick(int(songs)) : 0);
        QStringList v;
        if (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < 5; ++c) v << (sqlite3_column_type(st, c) == SQLITE_NULL ? QString() : norm(st, c));
        sqlite3_reset(st);
        v.resize(5);
        const QString id = v[0].isEmpty() ? QStringLiteral("1") : v[0];
        const QString prefix = v[4].left(pick(3));
        std::vector<Criteria> all = {
            {QStringLiteral("SongName like \"%1*\"").arg(prefix), {QStringLiteral("SongName")}, {}},
            {QStringLiteral("Artist like \"b*\""), {QStringLiteral("Artist")}, {}},
            {QStringLiteral("RecordID = %1").arg(id), {QStringLiteral("RecordID")}, {}},
            {QStringLiteral("RecordID=%1").arg(id), {QStringLiteral("RecordID")}, {}},
            {QStringLiteral("PathName=\"%1\" And FileName=\"%2\"").arg(v[1], v[2]), {QStringLiteral("PathName"), QStringLiteral("FileName")}, {}},
            {QStringLiteral("PathName = ? And FileName = ?"), {QStringLiteral("PathName"), QStringLiteral("FileName")}, {v[1], v[2]}},
            {QStringLiteral("Artist = ?"), {QStringLiteral("Artist")}, {v[3].toUpper()}},
            {QStringLiteral("TrackNum > 5"), {QStringLiteral("TrackNum")}, {}},
            {QStringLiteral("Selected = 'x'"), {QStringLiteral("Selected")}, {}},
            {QStringLiteral("CategoryNumber = 2"), {QStringLiteral("CategoryNumber")}, {}},
            {QStringLiteral("RecordID = %1 AND CategoryNumber = %2").arg(id).arg(1 + pick(3)), {QStringLiteral("RecordID"), QStringLiteral("CategoryNumber")}, {}},
            {QStringLiteral("ID=%1 AND CategoryNumber=%2").arg(id).arg(1 + pick(3)), {QStringLiteral("ID"), QStringLiteral("CategoryNumber")}, {}},
        };
        std::vector<Criteria> fit;
        for (const Criteria &c : all) {
            bool ok = true;
            for (const QString &f : c.fields) ok = ok && s.rs->fieldOrdinal(f) >= 0;
            // ID names another column in the joined view than in the category links.
            if (s.list() && *s.src->idb && c.fields.contains(QStringLiteral("ID"))) ok = false;
            if (ok) fit.push_back(c);
        }
        return fit[size_t(pick(int(fit.size())))];
    }

    // The places of the rows that meet `crit`, as the model says.
    std::vector<char> matches(Slot &s, const Criteria &c) {
        jet::Placeholders marks{100, 0};
        const QString expr = jet::translateExpression(c.text, c.values.isEmpty() ? nullptr : &marks, {});
        const std::vector<Id> rows = rowsOf(s);
        std::vector<char> out(rows.size(), 0);
        QString sql;
        if (s.kind == Kind::Table) {
            sql = QStringLiteral("SELECT rowid, NULL FROM (SELECT *, rowid FROM %1) WHERE (%2)").arg(s.table, expr);
        } else if (s.kind == Kind::Dynaset) {
            // A joined view's find keeps to the view's own condition; a table's rows need none.
            const bool joined = QLatin1String(s.src->from).contains(QLatin1String("JOIN"));
            QString inner = QStringLiteral("SELECT %1, tblContacts.RecordID AS orv_a, %2 AS orv_b FROM %3")
                                .arg(QLatin1String(s.src->cols), *s.src->idb ? QLatin1String(s.src->idb) : QLatin1String("NULL"),
                                     QLatin1String(s.src->from));
            if (joined && *s.src->where) inner += QStringLiteral(" WHERE ") + QLatin1String(s.src->where);
            sql = QStringLiteral("SELECT orv_a, orv_b FROM (%1) WHERE (%2)").arg(inner, expr);
        } else {
            sql = QStringLiteral("SELECT orv_pos, NULL FROM %1 WHERE (%2)").arg(s.snap, expr);
        }
        sqlite3_stmt *st = prep(sql, s.readOnly());
        for (int i = 0; i < int(c.values.size()); ++i) bindPlain(st, 101 + i, c.values[i]);
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (s.readOnly()) {
                out[size_t(sqlite3_column_int64(st, 0))] = 1;
                continue;
            }
            const Id id{sqlite3_column_int64(st, 0), sqlite3_column_type(st, 1) == SQLITE_NULL ? kNone : sqlite3_column_int64(st, 1)};
            for (size_t p = 0; p < rows.size(); ++p)
                if (rows[p] == id) out[p] = 1;
        }
        sqlite3_reset(st);
        return out;
    }

    void stepFind(Slot &s) {
        const Criteria c = criteriaFor(s);
        int what = pick(4); // first, next, previous, last
        if (!positioned(s) && (what == 1 || what == 2)) what = 0;
        const char *names[] = {"FindFirst", "FindNext", "FindPrevious", "FindLast"};
        note(QStringLiteral("%1 %2 %3 %4").arg(name(s), QLatin1String(names[what]), c.text).arg(c.values.isEmpty() ? QString() : norm(c.values[0])));
        const std::vector<Id> rows = rowsOf(s);
        const long n = long(rows.size());
        const long p = place(s, rows);
        int expected = 0;
        if (s.kind == Kind::Forward && (what >= 2 || (what == 0 && p > 0))) expected = err::OperationNotSupported;
        long start = 0;
        const int dir = what < 2 ? 1 : -1;
        if (what == 1) start = s.at == Slot::Gone ? p : s.at == Slot::Row ? p + 1 : s.at == Slot::Eof ? n : 0;
        if (what == 2) start = (s.at == Slot::Gone || s.at == Slot::Row) ? p - 1 : s.at == Slot::Bof ? -1 : n - 1;
        if (what == 3) start = n - 1;
        long found = -1;
        if (!expected) {
            const std::vector<char> hit = matches(s, c);
            for (long q = start; q >= 0 && q < n; q += dir)
                if (hit[size_t(q)]) {
                    found = q;
                    break;
                }
        }
        Recordset &rs = *s.rs;
        const int got = layer([&] {
            switch (what) {
            case 0: rs.findFirst(c.text, c.values); break;
            case 1: rs.findNext(c.text, c.values); break;
            case 2: rs.findPrevious(c.text, c.values); break;
            default: rs.findLast(c.text, c.values);
            }
        });
        expectOutcome(log_.back(), got, expected);
        if (expected) return;
        if (rs.noMatch() != (found < 0))
            fail(QStringLiteral("%1: NoMatch %2, the model found the row at %3").arg(log_.back()).arg(rs.noMatch()).arg(found));
        if (found >= 0) placeAt(s, rows, found);
    }

    // A Seek key near a row of the table: its index values, some cut short, changed or Null.
    QVariantList seekKey(Slot &s) {
        const std::vector<Id> rows = live(s);
        QVariantList key;
        if (rows.empty()) return {QVariant()};
        key = anchorOf(s, rows[size_t(pick(int(rows.size())))].a);
        key.removeLast(); // the rowid
        key = key.mid(0, 1 + pick(int(key.size())));
        for (int i = 0; i < int(key.size()); ++i) {
            QVariant &v = key[i];
            const bool date = s.index->cols[i] == QLatin1String("PurchaseDate"); // given as a date
            switch (pick(6)) {
            case 0: v = QVariant(); break;
            case 1:
                if (v.typeId() == QMetaType::QString && !date) v = v.toString() + QStringLiteral("a");
                else if (v.typeId() == QMetaType::LongLong) v = v.toLongLong() + 1;
                else if (v.typeId() == QMetaType::Double) v = v.toDouble() - 0.5;
                break;
            case 2:
                if (v.typeId() == QMetaType::QString && !date) v = v.toString().toUpper();
                break;
            default: break;
            }
        }
        return key;
    }

    void stepSeek(Slot &s) {
        const QString ops[] = {QStringLiteral("="), QStringLiteral(">="), QStringLiteral(">"), QStringLiteral("<="), QStringLiteral("<")};
        const QString op = any(ops);
        QVariantList key = seekKey(s);
        QStringList shown;
        for (const QVariant &v : key) shown << norm(v);
        note(QStringLiteral("%1 Seek %2 %3").arg(name(s), op, shown.join(QStringLiteral(", "))));
        // The key falls among the rows: before every row whose first values equal it, after them.
        std::vector<long> at;
        {
            // Order among ties by the rest of the index: below every row, or above every row.
            const int k = int(key.size());
            QVariantList low = key, high = key;
            for (int i = k; i <= int(s.index->cols.size()); ++i) {
                low << QVariant();
                high << QVariant(QStringLiteral("\U0010FFFF"));
            }
            // Nulls sort first, so the low ghost sorts before every tie; texts above the high.
            // The rowid column of the high ghost is the largest key there is.
            high.last() = QVariant(std::numeric_limits<qint64>::max());
            low.last() = QVariant(std::numeric_limits<qint64>::min());
            at = placeAmong(s, {low, high});
        }
        const std::vector<Id> rows = live(s);
        const long n = long(rows.size());
        long to = -1;
        if (op == QLatin1String("=")) to = at[0] < at[1] ? at[0] : -1;
        else if (op == QLatin1String(">=")) to = at[0] < n ? at[0] : -1;
        else if (op == QLatin1String(">")) to = at[1] < n ? at[1] : -1;
        else if (op == QLatin1String("<=")) to = at[1] - 1;
        else to = at[0] - 1;
        // A date is given as the program gives it.
        for (int i = 0; i < int(key.size()); ++i)
            if (s.index->cols[i] == QLatin1String("PurchaseDate") && key[i].typeId() == QMetaType::QString) {
                const QDateTime d = QDateTime::fromString(key[i].toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                if (d.isValid()) key[i] = d;
            }
        const int got = layer([&] { s.rs->seek(op, key); });
        expectOutcome(log_.back(), got, 0);
        if (s.rs->noMatch() != (to < 0)) fail(QStringLiteral("%1: NoMatch %2, the model %3").arg(log_.back()).arg(s.rs->noMatch()).arg(to));
        if (to >= 0) {
            placeAt(s, rows, to);
        } else {
            s.at = Slot::Unknown;
        }
    }

    void stepIndex(Slot &s) {
        const TableIndex &ix = any(kContactIndexes);
        note(QStringLiteral("%1 Index = %2").arg(name(s), QLatin1String(ix.name)));
        expectOutcome(log_.back(), layer([&] { s.rs->setIndex(QLatin1String(ix.name)); }), 0);
        s.index = &ix;
        if (s.at != Slot::Row) s.at = Slot::Unknown;
        refreshAnchor(s);
    }

    // Fields and values an edit or an addition writes, among the recordset's own fields.
    std::vector<std::pair<QString, QVariant>> changes(Slot &s, bool adding) {
        std::vector<std::pair<QString, QVariant>> all = {
            {QStringLiteral("SongName"), any(kSongNames)},   {QStringLiteral("Artist"), any(kArtists)},
            {QStringLiteral("TrackNum"), chance(5) ? QVariant() : QVariant(qint64(pick(15)))},
            {QStringLiteral("Selected"), any(kSelected)},    {QStringLiteral("FileSizeNum"), any(kSizes)},
            {QStringLiteral("PurchaseDate"), chance(3) ? QVariant() : QVariant(QDateTime(QDate(2019 + pick(3), 1 + pick(12), 5), QTime(0, 0)))},
            {QStringLiteral("PathName"), any(kPaths)},       {QStringLiteral("FileName"), any(kFiles)},
            {QStringLiteral("Rating"), any(kRatings)},       {QStringLiteral("Year"), any(kYears)},
        };
        if (adding && s.list() && *s.src->idb && chance(2)) all.push_back({QStringLiteral("CategoryNumber"), QVariant(qint64(1 + pick(3)))});
        std::vector<std::pair<QString, QVariant>> out;
        for (auto &c : all)
            if (s.rs->fieldOrdinal(c.first) >= 0 && chance(3)) out.push_back(c);
        return out;
    }

    // The table a write through the slot goes to, and the model's key of its row there.
    void modelWrite(const QString &sql, const QVariantList &values) {
        if (run(sql, values) != SQLITE_DONE) fail(QStringLiteral("model write failed: %1: %2").arg(sql, QString::fromUtf8(sqlite3_errmsg(shadow_))));
    }

    void stepEdit(Slot &s) {
        auto set = s.table == QLatin1String("tblCategoryID") ? decltype(changes(s, false))() : changes(s, false);
        QStringList shown;
        for (const auto &[f, v] : set) shown << f + u'=' + norm(v);
        const bool cancel = chance(6);
        note(QStringLiteral("%1 Edit %2%3").arg(name(s), shown.join(u' '), cancel ? QStringLiteral(" CancelUpdate") : QString()));
        int expected = 0;
        long p = place(s, rowsOf(s));
        if (s.readOnly()) expected = err::ReadOnly;
        else if (s.at != Slot::Row) expected = err::NoCurrentRecord;
        else if (s.kind == Kind::Dynaset && !fetchList(s, s.ids[size_t(p)])) expected = err::RecordDeleted;
        Recordset &rs = *s.rs;
        int got = layer([&] { rs.edit(); });
        expectOutcome(log_.back() + QStringLiteral(" (Edit)"), got, expected);
        if (got) return;
        for (const auto &[f, v] : set) {
            const int e = layer([&] { rs.setValue(f, v); });
            expectOutcome(log_.back() + QStringLiteral(" (") + f + u')', e, 0);
        }
        if (cancel) {
            expectOutcome(log_.back(), layer([&] { rs.cancelUpdate(); }), 0);
            return;
        }
        got = layer([&] { rs.update(); });
        expectOutcome(log_.back() + QStringLiteral(" (Update)"), got, 0);
        if (!set.empty()) {
            QStringList sets;
            QVariantList values;
            for (const auto &[f, v] : set) {
                sets << QStringLiteral("%1 = ?%2").arg(f).arg(values.size() + 1);
                values << v;
            }
            values << QVariant(s.cur.a);
            modelWrite(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                           .arg(s.kind == Kind::Table ? s.table : QStringLiteral("tblContacts"), sets.join(QStringLiteral(", ")))
                           .arg(values.size()),
                       values);
        }
        s.lastMod = Mark{{}, s.cur, s.epoch};
        s.lastModInTrans = inTrans_;
    }

    void stepAdd(Slot &s) {
        const bool links = s.table == QLatin1String("tblCategoryID");
        auto set = links ? std::vector<std::pair<QString, QVariant>>{{QStringLiteral("ID"), QVariant(qint64(1 + pick(30)))},
                                                                     {QStringLiteral("CategoryNumber"), QVariant(qint64(1 + pick(3)))}}
                         : changes(s, true);
        const bool cancel = chance(8);
        QStringList shown;
        for (const auto &[f, v] : set) shown << f + u'=' + norm(v);
        note(QStringLiteral("%1 AddNew %2%3").arg(name(s), shown.join(u' '), cancel ? QStringLiteral(" CancelUpdate") : QString()));
        Recordset &rs = *s.rs;
        int got = layer([&] { rs.addNew(); });
        expectOutcome(log_.back() + QStringLiteral(" (AddNew)"), got, s.readOnly() ? err::ReadOnly : 0);
        if (got) return;
        const int idField = rs.fieldOrdinal(QStringLiteral("RecordID"));
        const QVariant shownId = idField >= 0 ? rs.value(idField) : QVariant();
        for (const auto &[f, v] : set) expectOutcome(log_.back() + QStringLiteral(" (") + f + u')', layer([&] { rs.setValue(f, v); }), 0);
        if (cancel) {
            expectOutcome(log_.back(), layer([&] { rs.cancelUpdate(); }), 0);
            return;
        }
        // The model's insert: the song, and through the category join its link to the category.
        QStringList names, marks;
        QVariantList values;
        QVariant category;
        for (const auto &[f, v] : set) {
            if (f == QLatin1String("CategoryNumber") && !links) {
                category = v;
                continue;
            }
            names << f;
            marks << QStringLiteral("?%1").arg(values.size() + 1);
            values << v;
        }
        const QString table = links ? QStringLiteral("tblCategoryID") : QStringLiteral("tblContacts");
        const QString insert = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                     .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        const int rc = run(insert, values);
        const int expected = rc == SQLITE_DONE ? 0 : (rc & 0xff) == SQLITE_CONSTRAINT ? err::DuplicateKey : -rc;
        got = layer([&] { rs.update(); });
        expectOutcome(log_.back() + QStringLiteral(" (Update)"), got, expected);
        if (got) {
            rs.cancelUpdate();
            return;
        }
        Id id{sqlite3_last_insert_rowid(shadow_), kNone};
        if (idField >= 0 && shownId.toLongLong() != id.a)
            fail(QStringLiteral("%1: AddNew showed RecordID %2, the song got %3").arg(log_.back(), norm(shownId)).arg(id.a));
        if (s.list() && *s.src->idb && category.isValid()) {
            modelWrite(QStringLiteral("INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (?1, ?2)"), {QVariant(id.a), category});
            id.b = sqlite3_last_insert_rowid(shadow_);
        }
        if (s.list()) s.ids.push_back(id);
        s.lastMod = Mark{{}, id, s.epoch};
        s.lastModInTrans = inTrans_;
    }

    void stepDelete(Slot &s) {
        note(name(s) + QStringLiteral(" Delete"));
        const std::vector<Id> rows = rowsOf(s);
        const long p = place(s, rows);
        int expected = 0;
        if (s.readOnly()) expected = err::ReadOnly;
        else if (s.at != Slot::Row) expected = err::NoCurrentRecord;
        else if (s.kind == Kind::Dynaset && !fetchList(s, s.ids[size_t(p)])) expected = err::RecordDeleted;
        const int got = layer([&] { s.rs->deleteRecord(); });
        expectOutcome(log_.back(), got, expected);
        if (got) return;
        modelWrite(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(s.kind == Kind::Table ? s.table : QStringLiteral("tblContacts")),
                   {QVariant(s.cur.a)});
        s.at = Slot::Gone;
        if (s.list()) s.ids.erase(s.ids.begin() + p);
    }

    void stepRequery(Slot &s) {
        note(name(s) + QStringLiteral(" Requery"));
        expectOutcome(log_.back(), layer([&] { s.rs->requery(); }), 0);
        s.epoch = ++epochs_; // never the number of a listing a rollback took away
        if (s.list()) readList(s);
        const std::vector<Id> rows = rowsOf(s);
        placeAt(s, rows, rows.empty() ? -1 : 0); // an empty list stands before its first row
    }

    void stepReopen(Slot &s) {
        if (s.kind == Kind::Table) {
            openTable(s, s.table.toLatin1().constData(), s.table == QLatin1String("tblContacts") ? any(kContactIndexes) : kLinkIndexes[0]);
            return;
        }
        std::vector<const Source *> same;
        for (const Source &src : kSources)
            if (src.kind == s.kind) same.push_back(&src);
        openList(s, *same[size_t(pick(int(same.size())))]);
    }

    // A song some recordset stands on, or any song: writes elsewhere aim at the rows in use.
    qint64 someSong() {
        for (int tries = 0; tries < 4; ++tries) {
            const Slot &s = anySlot();
            if (s.at == Slot::Row && (s.list() || s.table == QLatin1String("tblContacts"))) return s.cur.a;
        }
        const qint64 songs = scalar(QStringLiteral("SELECT count(*) FROM tblContacts"));
        return scalar(QStringLiteral("SELECT RecordID FROM tblContacts ORDER BY RecordID LIMIT 1 OFFSET ?1"), {qint64(songs > 0 ? pick(int(songs)) : 0)});
    }

    void stepExecute() {
        const qint64 id = someSong();
        const qint64 category = 1 + pick(3);
        struct Statement {
            QString jet, plain;
            QVariantList values;
        };
        const Statement all[] = {
            {QStringLiteral("Update tblContacts Set Selected=' ' Where Selected='x'"), QString(), {}},
            {QStringLiteral("Update tblContacts Set Selected='x' Where RecordID = ?"), QString(), {id}},
            {QStringLiteral("Delete * from tblContacts where RecordID = %1").arg(id), QStringLiteral("DELETE FROM tblContacts WHERE RecordID = %1").arg(id), {}},
            {QStringLiteral("DELETE FROM tblContacts WHERE RecordID = ?"), QString(), {id}},
            {QStringLiteral("Delete from tblCategoryID Where ID = ? And CategoryNumber = ?"), QString(), {id, category}},
            {QStringLiteral("INSERT INTO tblCategoryID (ID, CategoryNumber) VALUES (?, ?)"), QString(), {id, category}},
            {QStringLiteral("Update tblContacts Set SongName = ? Where RecordID = ?"), QString(), {any(kSongNames), id}},
            {QStringLiteral("Update tblContacts Set Artist = ?, PathName = ? Where RecordID = ?"), QString(), {any(kArtists), any(kPaths), id}},
            {QStringLiteral("Insert Into tblContacts (SongName, Artist, TrackNum, PathName, FileName) Values (?, ?, ?, ?, ?)"), QString(),
             {any(kSongNames), any(kArtists), qint64(pick(15)), any(kPaths), any(kFiles)}},
            {QStringLiteral("Update tblContacts Set TrackNum = TrackNum + 1 Where Artist = ?"), QString(), {any(kArtists)}},
        };
        const Statement &st = all[pick(int(std::size(all)))];
        note(QStringLiteral("Execute %1 %2").arg(st.jet).arg(st.values.isEmpty() ? QString() : norm(st.values[0])));
        const int rc = run(st.plain.isEmpty() ? st.jet : st.plain, st.values);
        const long changed = rc == SQLITE_DONE ? long(sqlite3_changes(shadow_)) : -1;
        long got = -1;
        const int e = layer([&] { got = db_.execute(st.jet, st.values); });
        expectOutcome(log_.back(), e, rc == SQLITE_DONE ? 0 : err::DuplicateKey);
        if (!e && got != changed) fail(QStringLiteral("%1 changed %2 rows, plain SQLite %3").arg(log_.back()).arg(got).arg(changed));
    }

    void stepExecuteEach() {
        QList<QVariantList> rows;
        const bool add = chance(2);
        const int n = 1 + pick(4);
        for (int i = 0; i < n; ++i)
            rows << (add ? QVariantList{any(kSongNames), any(kArtists), qint64(pick(15))} : QVariantList{qint64(pick(15)), someSong()});
        const QString sql = add ? QStringLiteral("Insert Into tblContacts (SongName, Artist, TrackNum) Values (?, ?, ?)")
                                : QStringLiteral("Update tblContacts Set TrackNum = ? Where RecordID = ?");
        note(QStringLiteral("executeEach %1 x%2").arg(sql).arg(n));
        long changed = 0;
        for (const QVariantList &r : rows) {
            modelWrite(sql, r);
            changed += sqlite3_changes(shadow_);
        }
        long got = -1;
        expectOutcome(log_.back(), layer([&] { got = db_.executeEach(sql, rows); }), 0);
        if (got != changed) fail(QStringLiteral("%1 changed %2 rows, plain SQLite %3").arg(log_.back()).arg(got).arg(changed));
    }

    void stepTransaction() {
        if (!inTrans_) {
            note(QStringLiteral("BeginTrans"));
            expectOutcome(log_.back(), layer([&] { db_.beginTrans(); }), 0);
            modelWrite(QStringLiteral("BEGIN IMMEDIATE"), {});
            inTrans_ = true;
            for (Slot &s : slots_) {
                s.saved.reset();
                if (s.list()) s.saved = Slot::Saved{s.ids, s.snap, s.epoch};
                s.lastModInTrans = false;
            }
            return;
        }
        inTrans_ = false;
        if (chance(2)) {
            note(QStringLiteral("CommitTrans"));
            expectOutcome(log_.back(), layer([&] { db_.commitTrans(); }), 0);
            modelWrite(QStringLiteral("COMMIT"), {});
            for (Slot &s : slots_) s.saved.reset();
            return;
        }
        note(QStringLiteral("Rollback"));
        expectOutcome(log_.back(), layer([&] { db_.rollback(); }), 0);
        // A counter given out inside the transaction is not given out again.
        std::vector<std::pair<QString, qint64>> counters;
        {
            sqlite3_stmt *st = prep(QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
            while (sqlite3_step(st) == SQLITE_ROW) counters.emplace_back(norm(st, 0), sqlite3_column_int64(st, 1));
            sqlite3_reset(st);
        }
        modelWrite(QStringLiteral("ROLLBACK"), {});
        for (const auto &[table, seq] : counters) {
            modelWrite(QStringLiteral("UPDATE sqlite_sequence SET seq = ?2 WHERE name = ?1 AND seq < ?2"), {table, seq});
            if (sqlite3_changes(shadow_) == 0 && scalar(QStringLiteral("SELECT count(*) FROM sqlite_sequence WHERE name = ?1"), {table}) == 0)
                modelWrite(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)"), {table, seq});
        }
        // Each recordset lists what it listed before BeginTrans; a row it stood on that is listed
        // again is where it stands, a row the rollback took away leaves it past the last row.
        for (Slot &s : slots_) {
            if (s.lastModInTrans) s.lastMod.reset();
            s.lastModInTrans = false;
            if (!s.saved || (s.saved->ids == s.ids && s.saved->epoch == s.epoch)) {
                s.saved.reset();
                continue;
            }
            // A row listed by a requery since is a listing the rollback took away.
            const bool sameListing = s.saved->epoch == s.epoch;
            s.ids = s.saved->ids;
            s.snap = s.saved->snap;
            s.epoch = s.saved->epoch;
            s.saved.reset();
            const auto it = sameListing ? std::find(s.ids.begin(), s.ids.end(), s.cur) : s.ids.end();
            if ((s.at == Slot::Row || s.at == Slot::Gone) && it != s.ids.end()) placeAt(s, s.ids, long(it - s.ids.begin()));
            else if (s.at == Slot::Bof) placeAt(s, s.ids, -1);
            else placeAt(s, s.ids, long(s.ids.size()));
        }
    }

    // Values no field holds: refused, and the row keeps its value.
    void stepOddValue(Slot &s) {
        if (s.readOnly() || s.at != Slot::Row || s.kind == Kind::Table) return;
        const bool size = s.rs->fieldOrdinal(QStringLiteral("FileSizeNum")) >= 0;
        const bool date = s.rs->fieldOrdinal(QStringLiteral("PurchaseDate")) >= 0;
        if (!size || !date) return;
        const std::pair<const char *, QVariant> odd[] = {
            {"FileSizeNum", std::nan("")},
            {"FileSizeNum", std::numeric_limits<double>::infinity()},
            {"FileSizeNum", -std::numeric_limits<double>::infinity()},
            {"PurchaseDate", QDateTime(QDate(10000, 1, 1), QTime(0, 0))},
            {"PurchaseDate", QDateTime(QDate(-5, 1, 1), QTime(0, 0))},
            {"PurchaseDate", 1e9},
            {"PurchaseDate", std::nan("")},
        };
        const auto &[field, value] = odd[pick(int(std::size(odd)))];
        note(QStringLiteral("%1 Edit %2 = %3").arg(name(s), QLatin1String(field), value.toString()));
        if (!fetchList(s, s.ids[size_t(s.pos)])) return;
        expectOutcome(log_.back(), layer([&] { s.rs->edit(); }), 0);
        const int got = layer([&] { s.rs->setValue(QLatin1String(field), value); });
        s.rs->cancelUpdate();
        expectOutcome(log_.back(), got, 3421);
    }
};

class RecordsetDifferential : public SampleDbTest {
protected:
    // A catalogue with more songs than the sample: ties, Nulls and case variants in every sort.
    QString runOnce(quint64 seed, int steps) {
        QList<QVariantList> rows;
        std::mt19937_64 rng(seed * 7919);
        const auto pick = [&](const auto &list) { return list[rng() % std::size(list)]; };
        for (int i = 0; i < 24; ++i)
            rows << QVariantList{pick(kSongNames), pick(kArtists), qint64(rng() % 15), pick(kPaths), pick(kFiles), pick(kRatings),
                                 pick(kYears), pick(kSizes)};
        db->executeEach(QStringLiteral("Insert Into tblContacts (SongName, Artist, TrackNum, PathName, FileName, Rating, Year, "
                                       "FileSizeNum) Values (?, ?, ?, ?, ?, ?, ?, ?)"),
                        rows);
        sample::run(db->handle(), "INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, 1 + RecordID % 3 FROM "
                                  "tblContacts WHERE RecordID > 22 AND RecordID % 2 = 0");
        const QString shadow = tmp.file(QStringLiteral("plain%1.mdb").arg(seed));
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db->handle(), "VACUUM INTO ?1", -1, &s, nullptr);
        const QByteArray p = shadow.toUtf8();
        sqlite3_bind_text(s, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_finalize(s);
        return DifferentialRun(*db, shadow, seed).go(steps);
    }
};

TEST_F(RecordsetDifferential, EveryStepAgreesWithPlainSqlite) {
    const int steps = qEnvironmentVariableIntValue("ORVALIS_DIFF_STEPS");
    const quint64 seed = quint64(qEnvironmentVariableIntValue("ORVALIS_DIFF_SEED"));
    const QString report = runOnce(seed ? seed : 20240611, steps > 0 ? steps : 2000);
    EXPECT_TRUE(report.isEmpty()) << report.toStdString();
}

} // namespace
