#pragma once
// What the database and its recordsets share: statement handles, the mapping of SQLite's
// errors onto DAO numbers, value conversion by a field's declared type, and the connection
// state (schema, saved queries) that outlives neither.
#include "platform/db/DbError.h"
#include "platform/db/JetSql.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <unordered_map>
#include <vector>

namespace platform::db::detail {

// DAO numbers the layer raises besides those of DbError.h.
namespace errn {
inline constexpr int ObjectClosed = 3420;
inline constexpr int ConversionError = 3421;
inline constexpr int FieldNotUpdatable = 3164;
inline constexpr int ReadOnly = 3027;
inline constexpr int RecordDeleted = err::RecordDeleted;
inline constexpr int NoSuchTable = 3078;
inline constexpr int NoSuchFunction = 3085;
inline constexpr int AmbiguousField = 3079;
inline constexpr int AlreadyExists = 3012;
inline constexpr int DatabaseExists = 3204;
inline constexpr int Locked = 3218;
inline constexpr int CommitWithoutBegin = 3034;
inline constexpr int CannotExecuteSelect = 3065;
inline constexpr int InvalidOperation = 3219;
inline constexpr int NullNotAllowed = 3314;
inline constexpr int DiskError = 3043;
inline constexpr int DiskFull = 3026;
inline constexpr int NoIndex = 3015;
inline constexpr int ValidationRule = 3317;
inline constexpr int RelatedRecordRequired = 3201;
} // namespace errn

// Owns one prepared statement.
class Stmt {
public:
    Stmt() = default;
    explicit Stmt(sqlite3_stmt *s) : s_(s) {}
    ~Stmt() { reset(nullptr); }
    Stmt(Stmt &&o) noexcept : s_(o.s_) { o.s_ = nullptr; }
    Stmt &operator=(Stmt &&o) noexcept {
        if (this != &o) { reset(o.s_); o.s_ = nullptr; }
        return *this;
    }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;
    sqlite3_stmt *get() const { return s_; }
    explicit operator bool() const { return s_ != nullptr; }
    void reset(sqlite3_stmt *s) {
        if (s_) sqlite3_finalize(s_);
        s_ = s;
    }

private:
    sqlite3_stmt *s_ = nullptr;
};

// The DAO error for a failed SQLite call. `sql` is the statement that failed; the description
// leaves it out, since error boxes show the description and the statement is the layer's own
// SQLite text, not what the user wrote.
DbError sqliteError(sqlite3 *db, int rc, const QString &sql = {});
[[noreturn]] void throwSqlite(sqlite3 *db, int rc, const QString &sql = {});

// Prepares or throws the mapped error. `persistent` for statements a recordset keeps.
Stmt prepare(sqlite3 *db, const QString &sql, bool persistent = false);
// Prepares or returns an empty handle (for probing what a query allows, or for a statement
// that has another way when it does not prepare).
Stmt tryPrepare(sqlite3 *db, const QString &sql, bool persistent = false);
// Steps; returns true on a row, false when done; throws on error (after resetting).
bool step(sqlite3 *db, sqlite3_stmt *s, const QString &sql = {});
// Runs SQL that returns no rows (several statements allowed); throws the mapped error.
void exec(sqlite3 *db, const QString &sql);

// Values bound to the parameters "?<base + n>" a translation made of ? marks (see
// jet::Placeholders); a parameter beyond the statement's own is passed over.
void bindNamed(sqlite3_stmt *s, int base, const QVariantList &values);
// A translation used exactly the values given: too few give 3061, too many 3001.
void checkParamCount(const jet::Placeholders &marks, const QVariantList &values);
// Parameter numbers of a statement's own values and of find criteria; the layer's key and row
// parameters stay below the first.
inline constexpr int kSourceParams = 10000;
inline constexpr int kFindParams = 20000;
inline constexpr int kMaxParams = 9999;

// What a field holds, from its declared type.
enum class Kind { Unknown, Text, Long, Double, Date, Bool };
Kind kindFromDecl(const char *declType);

// The stored form of a date: "yyyy-MM-dd HH:mm:ss".
QString dateText(const QDateTime &dt);
// Reads a column as the recordset shows it (dates QDateTime, Booleans bool, Null invalid).
QVariant readValue(sqlite3_stmt *s, int col, Kind kind);
// The same from a value kept apart from its statement (SQLite type, integer, real, bytes).
QVariant storedValue(int type, qint64 i, double d, const unsigned char *p, int n, Kind kind);
// Binds a value in its stored form (dates as text, Booleans -1/0).
void bindValue(sqlite3_stmt *s, int idx, const QVariant &v);
// Converts a value assigned to a field the way Jet does for the field's type; throws 3421.
QVariant convertForField(const QVariant &v, Kind kind, const QString &fieldName);
// The SQL literal a text in find criteria stands for when compared with a number, date or Yes/No
// field (converted as an assignment to the field would be), or nullopt to compare it as text.
std::optional<QString> comparedLiteral(const QString &text, Kind kind);

// Case-blind key of a name (tables, fields, saved queries, indexes).
inline QString fold(const QString &name) { return name.toCaseFolded(); }
// A name quoted for SQLite.
QString quoteName(const QString &name);

struct ColumnInfo {
    QString name;
    QString declType;
    Kind kind = Kind::Unknown;
    QString defaultSql; // as declared, e.g. "' '"; empty when none
    bool primaryKey = false;
};

struct IndexInfo {
    QString name;         // as the program names it ("PrimaryKey", "PathFile" ...)
    QString sqliteName;   // "<table>__<name>", empty for the counter's own key
    QStringList columns;
    bool unique = false;
};

struct TableInfo {
    QString name;
    std::vector<ColumnInfo> columns;
    std::vector<IndexInfo> indexes;
    QString integerKey;   // the INTEGER PRIMARY KEY column (the row id), if any
    bool autoIncrement = false;
    int column(const QString &name) const;               // -1 when unknown
    const IndexInfo *index(const QString &name) const;   // case-blind; nullptr when unknown
    // Columns that identify a row: the integer key, else a unique index of Long columns.
    QStringList keyColumns() const;
};

struct SnapshotPlan; // see Recordset.cpp

// Where a result column of a prepared SELECT comes from, as SQLite tells: its database, table
// and column; all null for an expression.
struct ColumnOrigin {
    QByteArray database, table, column;
};
using ColumnOrigins = std::vector<ColumnOrigin>;

// A recordset that must see rows before a write on the connection may take them away (a
// table-type recordset keeps the index values of the row it stands on).
class WriteWatcher {
public:
    virtual ~WriteWatcher() = default;
    virtual void beforeRowsGo() = 0;
};

// One open connection and what the layer knows of its file.
struct Conn {
    sqlite3 *db = nullptr;
    QString path;
    bool inTrans = false;
    quint64 transId = 0;     // the number of the open (or last) transaction
    QSet<quint64> rolledBack; // the transactions that were rolled back, for recordsets to undo theirs

    struct Query {
        QString name;
        QString sql;
    };
    QHash<QString, Query> queries;           // folded name → saved query
    QHash<QString, QString> tableNames;      // folded name → table name
    std::unordered_map<std::string, std::unique_ptr<TableInfo>> tableInfos;

    // Statements the layer builds itself and runs again and again (inserts, counters, savepoints,
    // a table's rows read by a batch of keys), kept prepared; the handle comes back reset with
    // its bindings cleared, and stands until the next call. With `mayFail`, a statement that
    // does not prepare gives nullptr instead of the error.
    sqlite3_stmt *cached(const QString &sql, bool mayFail = false);
    std::unordered_map<std::string, Stmt> stmtCache;
    // Snapshots opened again and again on the same SELECT (a look-up per line of a file, a
    // highest number per added row): the statement kept prepared with its fields described.
    std::unordered_map<std::string, std::shared_ptr<SnapshotPlan>> snapshotPlans;
    // Where the columns of a SELECT the layer builds only to learn how a source names its rows
    // come from; nullptr when it does not prepare. Such a SELECT over a saved query costs as much
    // to prepare as the query itself, and the same ones are asked at every opening over the same
    // FROM (a filter, a sort, a category), so their answers are kept by text while the schema
    // stands.
    const ColumnOrigins *origins(const QString &sql);
    std::unordered_map<std::string, std::optional<ColumnOrigins>> originsCache;
    int originsSchema = -1; // the schema version the kept answers were read under

    ~Conn();
    void close();
    void check() const;
    void loadCatalog();
    const TableInfo *table(const QString &name); // nullptr when not a table
    std::optional<QString> savedQuery(const QString &name) const;
    jet::SavedQueryLookup lookup() const;
    jet::KeyLookup keyLookup() const;
    QString translate(const QString &jetSql) const;
    // With bound values: the ? marks become ":orvp<n>", and their count must match.
    QString translate(const QString &jetSql, const QVariantList &values) const;
    // Translations already made, by Jet text (with ? marks: the SQLite text and the marks'
    // count). They stand as long as the saved queries and tables they were made with.
    mutable QHash<QString, QString> translations;
    mutable QHash<QString, std::pair<QString, int>> markedTranslations;
    void forgetTranslations() {
        translations.clear();
        markedTranslations.clear();
        snapshotPlans.clear();
    }
    // What recordsets compare their rows, key lists and walks with; moved only by WriteScope.
    quint64 gen() const { return gen_; } // moves at every write of rows through this connection
    // The last write that may have changed rows of a table. The schema has no triggers or
    // cascades, so rows other recordsets read from other tables stay valid; tables go by their
    // folded names, which recordsets keep: a walk asks at every row after a write elsewhere.
    quint64 tableGen(const QString &foldedTable) const { return std::max(blindGen_, tableGens_.value(foldedTable, 0)); }
    quint64 blindGen() const { return blindGen_; } // the last write whose tables are not known
    quint64 transSerial() const { return transSerial_; } // moves at every BeginTrans, CommitTrans and Rollback

    // Statements recordsets leave standing on a row between calls (a walk steps one statement
    // through its rows). A standing read holds the connection's read snapshot and stops DROP,
    // VACUUM and a later write from taking a newer one, so every write and every end of a
    // transaction resets them first (see WriteScope); the recordsets notice by readPauses.
    std::vector<sqlite3_stmt *> standingReads;
    quint64 readPauses = 0;
    // For a read that must see what other programs wrote meanwhile (Requery).
    void readAnew() { resetStandingReads(); }
    // Table-type recordsets, which keep the index values of the row they stand on.
    std::vector<WriteWatcher *> watchers;
    void watch(WriteWatcher *w) { watchers.push_back(w); }
    void unwatch(WriteWatcher *w) { watchers.erase(std::remove(watchers.begin(), watchers.end(), w), watchers.end()); }
    void endRead(sqlite3_stmt *s) {
        standingReads.erase(std::remove(standingReads.begin(), standingReads.end(), s), standingReads.end());
    }

private:
    friend class WriteScope;
    quint64 gen_ = 0;
    quint64 blindGen_ = 0;
    QHash<QString, quint64> tableGens_; // folded table name → its last write
    quint64 transSerial_ = 0;
    void resetStandingReads() {
        for (sqlite3_stmt *s : standingReads) sqlite3_reset(s);
        if (!standingReads.empty()) ++readPauses;
        standingReads.clear();
    }
};

} // namespace platform::db::detail
