#pragma once
// An open catalogue database: the Jet/DAO stand-in on SQLite.
//
// Every statement given to this class is in the Jet SQL dialect; the layer translates it to
// SQLite. Every failure is thrown as DbError with the DAO error number.
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct sqlite3;

namespace platform::db {

enum class OpenMode { Shared, Exclusive };

// Options of Execute.
enum ExecuteOption : unsigned { ExecNone = 0, FailOnError = 1 };

class Database {
public:
    // Opens an existing catalogue file. `connect` is the DAO connect string, e.g. ";pwd=secret".
    // Throws 3024 when the file is missing (never creates one), 3049 when it is damaged or not a
    // catalogue, 3031 when the password does not match.
    static std::unique_ptr<Database> open(const QString &path, OpenMode mode = OpenMode::Shared,
                                          const QString &connect = {});
    // Creates a new catalogue file from a schema SQL script (used by the build and by tests).
    static std::unique_ptr<Database> create(const QString &path, const QString &schemaSql);

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void close();
    bool isOpen() const;
    QString path() const;

    // Runs action SQL (UPDATE, DELETE, INSERT) or a saved action query by name; returns rows affected.
    long execute(const QString &sqlOrQueryName, unsigned options = ExecNone);
    // Action SQL with bound values: each ? outside a literal takes the next value of `values`
    // (texts, numbers, dates, Booleans or Null), so a value never becomes part of the statement.
    long execute(const QString &sql, const QVariantList &values, unsigned options = ExecNone);
    // The same action SQL once per entry of `rows`, each entry giving the values of its ? marks:
    // translated and prepared once, so thousands of rows cost one statement's preparation.
    // Returns the rows affected in all. Run it inside a Transaction to make the whole batch one
    // write; a failing row stops the batch and throws.
    long executeEach(const QString &sql, const QList<QVariantList> &rows);

    // A table name, a SELECT text or a saved query name.
    std::unique_ptr<Recordset> openRecordset(const QString &source,
                                             RecordsetType type = RecordsetType::Dynaset);
    // A SELECT with bound values for its ? marks; the recordset keeps them for Requery.
    std::unique_ptr<Recordset> openRecordset(const QString &select, const QVariantList &values,
                                             RecordsetType type = RecordsetType::Dynaset);

    // Saved queries ("QueryDefs"). queryDefSql throws 3265 when the name is unknown.
    QString queryDefSql(const QString &name) const;
    bool hasQueryDef(const QString &name) const;
    void createQueryDef(const QString &name, const QString &jetSql); // throws when it exists
    QStringList queryDefNames() const;

    // Workspace transactions. Nested BeginTrans is refused with a DbError.
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const;

    // How a statement waits while another program holds the catalogue's write lock. `keepWaiting`
    // is called between short sleeps with the milliseconds waited so far; false gives up and the
    // statement fails with 3218. Unset (the default): a plain wait of up to five seconds.
    void setLockWait(std::function<bool(int waitedMs)> keepWaiting);

    // Sets or clears (empty new password) the password that gates opening.
    void newPassword(const QString &oldPassword, const QString &newPassword);

    // CompactDatabase: copies `source` compacted into `destination` (which must not exist).
    // In place (destination empty or the source), a source reached through a link is compacted
    // where the link leads. With `schemaSql` (the catalogue's schema script), the copy also gets
    // the indexes the script creates that the source lacks, found by name: a catalogue made
    // before an index was added to the schema gets it here, where a long build is expected. A
    // unique index the stored rows break is left out rather than losing rows.
    static void compactDatabase(const QString &source, const QString &destination, const QString &schemaSql = {});
    // Puts a compacted copy in the place of the closed catalogue `target` (where a link leads)
    // with one rename, so that the catalogue is never missing under its name. The catalogue's
    // "-wal" and "-shm" files go first: a log left beside the copy would be replayed into it.
    // Throws 3218 when another program still has the catalogue open (its log is not empty) and
    // 3043 when the rename fails; the copy is then left where it is, the catalogue untouched.
    static void replaceWithCopy(const QString &copy, const QString &target);
    // RepairDatabase: rebuilds what can be read, where a link leads; keeps the damaged original
    // as "<name>.damaged", or "<name>.damaged-2", "-3", ... when earlier ones are there.
    static void repairDatabase(const QString &path);

    // Translation of a Jet statement to SQLite, exposed for diagnostics and the benchmarks.
    QString translate(const QString &jetSql) const;
    sqlite3 *handle() const;

    struct Impl;
    Impl &impl() const { return *d_; }

private:
    Database();
    std::unique_ptr<Impl> d_;
};

// Rolls back unless committed: the scope guard every multi-statement write uses.
class Transaction {
public:
    explicit Transaction(Database &db) : db_(db) { db_.beginTrans(); }
    ~Transaction() {
        if (!done_) {
            try { db_.rollback(); } catch (...) {}
        }
    }
    void commit() { db_.commitTrans(); done_ = true; }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &db_;
    bool done_ = false;
};

} // namespace platform::db
