#include "platform/db/Database.h"

#include "platform/db/DbInternal.h"
#include "platform/db/PasswordHash.h"
#include "platform/db/RecordsetOpen.h"
#include "platform/db/WriteScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::db {

using namespace detail;

struct Database::Impl {
    std::shared_ptr<Conn> conn;
    std::function<bool(int)> lockWait;
};

namespace {

// The layer's own tables, made before the schema script runs.
const char *const kInternalTables =
    "CREATE TABLE orv_queries (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL);"
    "CREATE TABLE orv_meta (Key TEXT PRIMARY KEY, Value TEXT);"
    "INSERT INTO orv_meta (Key, Value) VALUES ('format', '1');";

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

sqlite3 *openRaw(const QString &path, int flags) {
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(nativePath(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const DbError e = sqliteError(db, rc);
        sqlite3_close_v2(db);
        throw e;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    jet::registerFunctions(db);
    return db;
}

// Guards a raw connection of compact and repair.
struct RawDb {
    sqlite3 *db = nullptr;
    ~RawDb() { close(); }
    void close() {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
};

[[noreturn]] void notFound(const QString &path) {
    throw DbError(err::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
}

[[noreturn]] void notCatalogue() {
    throw DbError(err::DatabaseDamaged,
                  QStringLiteral("Unrecognized database format. The file is damaged or is not a catalogue."));
}

// A file with nothing of a catalogue in it, which no repair could make one: 3343.
[[noreturn]] void foreignFile(const QString &path) {
    throw DbError(err::NotACatalogue, QStringLiteral("Unrecognized database format '%1'.").arg(path));
}

// Whether the file starts as every SQLite database does (an empty file does not).
bool hasDatabaseHeader(const QString &path) {
    QFile f(path);
    static const QByteArray magic("SQLite format 3\0", 16);
    return f.open(QIODevice::ReadOnly) && f.read(magic.size()) == magic;
}

// Reads the file's schema and the layer's tables. A file that is not a database, or a database
// without any of the catalogue's tables, gives 3343; a damaged schema or a catalogue missing
// some of its tables gives 3049, which a repair may mend.
void checkCatalogue(sqlite3 *db, const QString &path) {
    if (!hasDatabaseHeader(path)) foreignFile(path);
    try {
        Stmt any = prepare(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('orv_queries', 'orv_meta', 'tblContacts')"));
        step(db, any.get());
        if (sqlite3_column_int(any.get(), 0) == 0) foreignFile(path);
        Stmt s = prepare(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('orv_queries', 'orv_meta')"));
        step(db, s.get());
        if (sqlite3_column_int(s.get(), 0) != 2) notCatalogue();
        Stmt m = prepare(db, QStringLiteral("SELECT Key, Value FROM orv_meta"));
        while (step(db, m.get())) {
        }
        Stmt q = prepare(db, QStringLiteral("SELECT Name, SQL FROM orv_queries"));
        while (step(db, q.get())) {
        }
    } catch (const DbError &e) {
        if (e.number() == err::DatabaseDamaged || e.number() == err::GeneralError) notCatalogue();
        throw;
    }
}

std::optional<QString> metaValue(sqlite3 *db, const QString &key) {
    Stmt s = prepare(db, QStringLiteral("SELECT Value FROM orv_meta WHERE Key = ?1"));
    const QByteArray k = key.toUtf8();
    sqlite3_bind_text(s.get(), 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
    if (!step(db, s.get())) return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0)));
}

// The password of a DAO connect string such as ";pwd=secret".
QString connectPassword(const QString &connect) {
    for (const QString &part : connect.split(u';')) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0) continue;
        if (part.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0) return part.mid(eq + 1);
    }
    return {};
}

bool sameFile(const QString &a, const QString &b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// The file a path leads to, links followed; the path itself when it leads nowhere.
QString realPath(const QString &path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

bool renameOver(const QString &from, const QString &to) {
    return std::rename(nativePath(from).constData(), nativePath(to).constData()) == 0;
}

// Gives `file` the permission bits of `original` and, where the user may set it, its group: a
// rebuilt catalogue put in the place of a private one stays private.
void takeAccessOf(const QString &original, const QString &file) {
    struct stat st {};
    if (::stat(nativePath(original).constData(), &st) != 0)
        return;
    // The group first: changing it may clear the set-group bit that the mode then sets again.
    // Only a member of the group (or root) may give it; otherwise the file keeps the user's.
    [[maybe_unused]] const int grouped = ::chown(nativePath(file).constData(), uid_t(-1), st.st_gid);
    ::chmod(nativePath(file).constData(), st.st_mode & 07777);
}

// Creates the empty file a copy of `original` is written into, already with the original's
// access, so that the copy is never readable by others while it is written. The database
// writes a copy into an existing file only when it is empty.
void createEmptyLike(const QString &original, const QString &file) {
    const int fd = ::open(nativePath(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // the copy's own opening reports why
    ::close(fd);
    takeAccessOf(original, file);
}

void removeSidecars(const QString &path) {
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

Database::Database() : d_(std::make_unique<Impl>()) {}
Database::~Database() = default;

std::unique_ptr<Database> Database::open(const QString &path, OpenMode mode, const QString &connect) {
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists() || !fi.isFile()) notFound(path);
    auto conn = std::make_shared<Conn>();
    conn->path = path;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (!fi.isWritable()) flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    conn->db = openRaw(path, flags);
    checkCatalogue(conn->db, path);

    const QString pwd = connectPassword(connect);
    if (const auto stored = metaValue(conn->db, QStringLiteral("password"))) {
        if (!verifyPassword(pwd, *stored))
            throw DbError(err::NotValidPassword, QStringLiteral("Not a valid password."));
    }
    if (mode == OpenMode::Exclusive) exec(conn->db, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    if (flags & SQLITE_OPEN_READWRITE) {
        // Write-ahead log with normal syncs: a transaction per imported folder stays cheap.
        Stmt s = prepare(conn->db, QStringLiteral("PRAGMA journal_mode = WAL"));
        step(conn->db, s.get());
    }
    exec(conn->db, QStringLiteral("PRAGMA synchronous = NORMAL"));
    // A grid's key list of 100,000 songs sorts on several threads.
    exec(conn->db, QStringLiteral("PRAGMA threads = 4"));
    // Inserting a song touches some twenty-five indexes, so a transaction of a hundred songs
    // dirties thousands of pages: a larger page cache keeps the index pages in memory, and a
    // larger log before each checkpoint keeps an import from copying the log back (with its
    // file sync) after nearly every folder.
    exec(conn->db, QStringLiteral("PRAGMA cache_size = -65536"));
    exec(conn->db, QStringLiteral("PRAGMA wal_autocheckpoint = 16384"));
    conn->loadCatalog();

    std::unique_ptr<Database> db(new Database());
    db->d_->conn = std::move(conn);
    return db;
}

std::unique_ptr<Database> Database::create(const QString &path, const QString &schemaSql) {
    if (QFileInfo::exists(path))
        throw DbError(errn::DatabaseExists, QStringLiteral("Database '%1' already exists.").arg(path));
    {
        RawDb raw;
        raw.db = openRaw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
        try {
            exec(raw.db, QStringLiteral("PRAGMA journal_mode = WAL"));
            exec(raw.db, QStringLiteral("BEGIN"));
            exec(raw.db, QString::fromLatin1(kInternalTables));
            exec(raw.db, schemaSql);
            exec(raw.db, QStringLiteral("COMMIT"));
        } catch (...) {
            raw.close();
            QFile::remove(path);
            removeSidecars(path);
            throw;
        }
    }
    return open(path);
}

void Database::close() {
    if (d_->conn) d_->conn->close();
}

bool Database::isOpen() const { return d_->conn && d_->conn->db; }

QString Database::path() const { return d_->conn ? d_->conn->path : QString(); }

long Database::execute(const QString &sqlOrQueryName, unsigned options) {
    return execute(sqlOrQueryName, QVariantList(), options);
}

long Database::execute(const QString &sqlOrQueryName, const QVariantList &values, unsigned options) {
    (void)options; // a failing statement changes nothing and is always reported
    Conn &c = *d_->conn;
    c.check();
    QString jetSql = sqlOrQueryName.trimmed();
    static const QRegularExpression single(QStringLiteral("^(\\[[^\\]]+\\]|[^\\s\\[\\]();,'\"]+)$"));
    if (single.match(jetSql).hasMatch()) {
        const auto q = c.savedQuery(jetSql);
        if (!q)
            throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(jetSql));
        jetSql = *q;
    }
    const QString sql = c.translate(jetSql, values);
    const WriteScope write(c, WriteScope::Effect::MayRemove);
    Stmt s = prepare(c.db, sql);
    bindNamed(s.get(), kSourceParams, values);
    if (sqlite3_stmt_readonly(s.get()) && sqlite3_column_count(s.get()) > 0)
        throw DbError(errn::CannotExecuteSelect, QStringLiteral("Cannot execute a select query."));
    while (step(c.db, s.get(), sql)) {
    }
    return long(sqlite3_changes64(c.db));
}

long Database::executeEach(const QString &sql, const QList<QVariantList> &rows) {
    Conn &c = *d_->conn;
    c.check();
    if (rows.isEmpty())
        return 0;
    const QString translated = c.translate(sql.trimmed(), rows.first());
    const WriteScope write(c, WriteScope::Effect::MayRemove);
    Stmt s = prepare(c.db, translated);
    if (sqlite3_stmt_readonly(s.get()) && sqlite3_column_count(s.get()) > 0)
        throw DbError(errn::CannotExecuteSelect, QStringLiteral("Cannot execute a select query."));
    const qsizetype marks = rows.first().size();
    long changed = 0;
    for (const QVariantList &values : rows) {
        if (values.size() != marks)
            throw DbError(3001, QStringLiteral("Invalid argument: %1 values given for %2 parameters.")
                                    .arg(values.size())
                                    .arg(marks));
        // Every row binds the same marks, so the old values need no clearing (clearing would
        // walk all the statement's parameter slots, thousands of them, on every row).
        sqlite3_reset(s.get());
        bindNamed(s.get(), kSourceParams, values);
        while (step(c.db, s.get(), translated)) {
        }
        changed += long(sqlite3_changes64(c.db));
    }
    return changed;
}

std::unique_ptr<Recordset> Database::openRecordset(const QString &source, RecordsetType type) {
    return detail::openRecordset(d_->conn, source, type);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString &select, const QVariantList &values,
                                                   RecordsetType type) {
    return detail::openRecordset(d_->conn, select, type, values);
}

QString Database::queryDefSql(const QString &name) const {
    d_->conn->check();
    const auto q = d_->conn->savedQuery(name);
    if (!q) throw DbError(err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return *q;
}

bool Database::hasQueryDef(const QString &name) const {
    d_->conn->check();
    return d_->conn->savedQuery(name).has_value();
}

void Database::createQueryDef(const QString &name, const QString &jetSql) {
    Conn &c = *d_->conn;
    c.check();
    const QString n = name.trimmed();
    if (n.isEmpty()) throw DbError(3125, QStringLiteral("'' is not a valid name."));
    if (c.savedQuery(n) || c.table(n))
        throw DbError(errn::AlreadyExists, QStringLiteral("Object '%1' already exists.").arg(n));
    {
        const WriteScope write(c, WriteScope::Effect::Change);
        Stmt s = prepare(c.db, QStringLiteral("INSERT INTO orv_queries (Name, SQL) VALUES (?1, ?2)"));
        bindValue(s.get(), 1, n);
        bindValue(s.get(), 2, jetSql);
        step(c.db, s.get());
    }
    c.queries.insert(fold(n), Conn::Query{n, jetSql});
    c.forgetTranslations(); // a name that was not a query may be one now
}

QStringList Database::queryDefNames() const {
    d_->conn->check();
    QStringList names;
    for (const auto &q : d_->conn->queries) names << q.name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

namespace {

// Commit and rollback need an open transaction; without one the flag is cleared (SQLite may
// have ended the transaction by itself) and the call fails.
void requireTransaction(const Database &db, Conn &c) {
    c.check();
    if (!db.inTransaction()) {
        c.inTrans = false;
        throw DbError(errn::CommitWithoutBegin, QStringLiteral("Commit or rollback without a transaction begun."));
    }
}

} // namespace

void Database::beginTrans() {
    Conn &c = *d_->conn;
    c.check();
    if (inTransaction())
        throw DbError(err::OperationNotSupported,
                      QStringLiteral("A transaction is already open; nested transactions are not supported."));
    const WriteScope bound(c, WriteScope::Effect::Bound);
    exec(c.db, QStringLiteral("BEGIN IMMEDIATE"));
    c.inTrans = true;
    ++c.transId;
}

void Database::commitTrans() {
    Conn &c = *d_->conn;
    requireTransaction(*this, c);
    const WriteScope bound(c, WriteScope::Effect::Bound);
    exec(c.db, QStringLiteral("COMMIT"));
    c.inTrans = false;
}

void Database::rollback() {
    Conn &c = *d_->conn;
    requireTransaction(*this, c);
    const WriteScope bound(c, WriteScope::Effect::Rollback);
    c.inTrans = false;
    // The counters go on after every key the transaction gave out, as Jet's do: a rolled-back
    // song's RecordID handed out again would let its bookmarks and lists lead to another song.
    std::vector<std::pair<QString, qint64>> counters;
    {
        Stmt s = prepare(c.db, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
        while (step(c.db, s.get()))
            counters.emplace_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0))),
                                  sqlite3_column_int64(s.get(), 1));
    }
    exec(c.db, QStringLiteral("ROLLBACK"));
    c.rolledBack.insert(c.transId);
    // Only counters the rollback took back are written. The rollback has succeeded either way: a
    // catalogue another program holds just then keeps its counters as the rollback left them.
    try {
        Stmt now = prepare(c.db, QStringLiteral("SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), -1)"));
        Stmt keep = prepare(c.db, QStringLiteral("INSERT OR REPLACE INTO sqlite_sequence (rowid, name, seq) VALUES "
                                                 "((SELECT rowid FROM sqlite_sequence WHERE name = ?1), ?1, ?2)"));
        for (const auto &[table, seq] : counters) {
            sqlite3_reset(now.get());
            bindValue(now.get(), 1, table);
            step(c.db, now.get());
            const qint64 left = sqlite3_column_int64(now.get(), 0);
            sqlite3_reset(now.get());
            if (left >= seq) continue;
            sqlite3_reset(keep.get());
            bindValue(keep.get(), 1, table);
            bindValue(keep.get(), 2, seq);
            step(c.db, keep.get());
        }
    } catch (const DbError &) {
    }
}

bool Database::inTransaction() const {
    const Conn &c = *d_->conn;
    // SQLite ends a transaction by itself after some errors (disk full, I/O).
    return c.db && c.inTrans && !sqlite3_get_autocommit(c.db);
}

void Database::newPassword(const QString &oldPassword, const QString &newPwd) {
    Conn &c = *d_->conn;
    c.check();
    const WriteScope write(c, WriteScope::Effect::Change, {QStringLiteral("orv_meta")});
    const auto stored = metaValue(c.db, QStringLiteral("password"));
    if (stored ? !verifyPassword(oldPassword, *stored) : !oldPassword.isEmpty())
        throw DbError(err::NotValidPassword, QStringLiteral("Not a valid password."));
    if (newPwd.isEmpty()) {
        exec(c.db, QStringLiteral("DELETE FROM orv_meta WHERE Key = 'password'"));
        return;
    }
    Stmt s = prepare(c.db, QStringLiteral("INSERT OR REPLACE INTO orv_meta (Key, Value) VALUES ('password', ?1)"));
    bindValue(s.get(), 1, hashPassword(newPwd));
    step(c.db, s.get());
}

namespace {

// Makes, in one transaction, each index that `schemaSql` creates and the database lacks.
void createMissingIndexes(sqlite3 *db, const QString &schemaSql) {
    static const QRegularExpression comment(QStringLiteral("--[^\n]*"));
    static const QRegularExpression createIndex(
        QStringLiteral("\\bCREATE\\s+(UNIQUE\\s+)?INDEX\\s+(\\w+)\\s+ON\\b[^;]*"),
        QRegularExpression::CaseInsensitiveOption);
    const QString script = QString(schemaSql).remove(comment);
    Stmt known = prepare(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE"));
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        for (auto it = createIndex.globalMatch(script); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            sqlite3_reset(known.get());
            bindValue(known.get(), 1, m.captured(2));
            if (step(db, known.get())) continue;
            sqlite3_reset(known.get());
            try {
                exec(db, m.captured(0));
            } catch (const DbError &e) {
                if (m.captured(1).isEmpty() || e.number() != err::DuplicateKey) throw;
            }
        }
        sqlite3_reset(known.get());
        exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_reset(known.get());
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace

void Database::compactDatabase(const QString &sourceOrLink, const QString &destination, const QString &schemaSql) {
    if (!QFileInfo(sourceOrLink).isFile()) notFound(sourceOrLink);
    // Compacted in place, a catalogue reached through a link is replaced where it lies.
    const QString source = realPath(sourceOrLink);
    const bool inPlace = destination.isEmpty() || sameFile(source, destination) || sameFile(sourceOrLink, destination);
    if (!inPlace && QFileInfo::exists(destination))
        throw DbError(errn::DatabaseExists, QStringLiteral("Database '%1' already exists.").arg(destination));
    const QString target = inPlace ? source : destination;
    const QString tmp = target + QStringLiteral(".compacting");
    QFile::remove(tmp);
    createEmptyLike(source, tmp);
    {
        RawDb raw;
        raw.db = openRaw(source, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        checkCatalogue(raw.db, source);
        Stmt s = prepare(raw.db, QStringLiteral("VACUUM INTO ?1"));
        bindValue(s.get(), 1, tmp);
        try {
            step(raw.db, s.get());
            s.reset(nullptr);
            if (!schemaSql.isEmpty()) {
                // Built in the copy, so that the catalogue is untouched until the rename.
                RawDb copy;
                copy.db = openRaw(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
                exec(copy.db, QStringLiteral("PRAGMA threads = 4"));
                createMissingIndexes(copy.db, schemaSql);
            }
        } catch (...) {
            s.reset(nullptr);
            raw.close();
            QFile::remove(tmp);
            removeSidecars(tmp);
            throw;
        }
    }
    if (inPlace && QFileInfo::exists(source + QStringLiteral("-wal")) &&
        QFileInfo(source + QStringLiteral("-wal")).size() > 0) {
        // Someone still has the catalogue open: its log would be applied to the new file.
        QFile::remove(tmp);
        throw DbError(errn::Locked, QStringLiteral("The catalogue is in use; close it before compacting."));
    }
    if (inPlace) removeSidecars(source);
    if (!renameOver(tmp, target)) {
        QFile::remove(tmp);
        throw DbError(errn::DiskError, QStringLiteral("Could not write '%1'.").arg(target));
    }
}

void Database::replaceWithCopy(const QString &copy, const QString &targetOrLink) {
    if (!QFileInfo(copy).isFile()) notFound(copy);
    const QString target = realPath(targetOrLink);
    const QString wal = target + QStringLiteral("-wal");
    if (QFileInfo::exists(wal) && QFileInfo(wal).size() > 0)
        throw DbError(errn::Locked, QStringLiteral("The catalogue is in use; close it before compacting."));
    takeAccessOf(target, copy);
    removeSidecars(target);
    if (!renameOver(copy, target))
        throw DbError(errn::DiskError, QStringLiteral("Could not rename '%1' to '%2': %3.")
                                           .arg(copy, target, QString::fromLocal8Bit(std::strerror(errno))));
}

namespace {

// Copies the readable rows of one table, stepping over damaged parts of it.
long salvageTable(sqlite3 *src, sqlite3 *dst, const QString &table) {
    QStringList names;
    {
        Stmt s = tryPrepare(src, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoteName(table)));
        if (!s) return 0;
        for (int i = 0; i < sqlite3_column_count(s.get()); ++i)
            names << quoteName(QString::fromUtf8(sqlite3_column_name(s.get(), i)));
    }
    QStringList marks;
    for (int i = 0; i <= names.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
    Stmt ins = prepare(dst, QStringLiteral("INSERT OR IGNORE INTO %1 (rowid, %2) VALUES (%3)")
                                .arg(quoteName(table), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    Stmt rd = tryPrepare(src, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ?1 ORDER BY rowid")
                                  .arg(names.join(QStringLiteral(", ")), quoteName(table)));
    if (!rd) return 0;
    long copied = 0;
    qint64 after = std::numeric_limits<qint64>::min();
    qint64 skip = 1;
    int failures = 0;
    while (failures < 64) {
        sqlite3_reset(rd.get());
        sqlite3_bind_int64(rd.get(), 1, after);
        int rc;
        while ((rc = sqlite3_step(rd.get())) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(rd.get(), 0);
            sqlite3_reset(ins.get());
            for (int i = 0; i <= names.size(); ++i) sqlite3_bind_value(ins.get(), i + 1, sqlite3_column_value(rd.get(), i));
            if (sqlite3_step(ins.get()) == SQLITE_DONE) ++copied;
            after = id;
            skip = 1;
        }
        if (rc == SQLITE_DONE) break;
        // A damaged page: go on after it, taking larger steps while the damage continues.
        ++failures;
        if (after == std::numeric_limits<qint64>::min()) after = 0;
        if (after > std::numeric_limits<qint64>::max() - skip) break;
        after += skip;
        if (skip <= std::numeric_limits<qint64>::max() / 4) skip *= 4; // past that the next step ends the table
    }
    sqlite3_reset(rd.get());
    return copied;
}

} // namespace

void Database::repairDatabase(const QString &linkOrPath) {
    if (!QFileInfo(linkOrPath).isFile()) notFound(linkOrPath);
    // A catalogue reached through a link is repaired where it lies; the link stays a link.
    const QString path = realPath(linkOrPath);
    struct Entry {
        QString type, name, table, sql;
    };
    std::vector<Entry> schema;
    std::vector<std::pair<QString, qint64>> sequences;
    RawDb src;
    src.db = openRaw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    // Closing must not copy the log into the damaged file: both are kept as they are, side by side.
    sqlite3_db_config(src.db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Nothing readable (not a database, damaged header): fail and leave the file as it is.
    try {
        Stmt s = prepare(src.db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master"));
        while (step(src.db, s.get())) {
            Entry e;
            for (int i = 0; i < 4; ++i) {
                const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(s.get(), i));
                const QString v = t ? QString::fromUtf8(t) : QString();
                (i == 0 ? e.type : i == 1 ? e.name : i == 2 ? e.table : e.sql) = v;
            }
            schema.push_back(e);
        }
    } catch (const DbError &) {
        notCatalogue();
    }
    bool catalogue = false;
    for (const auto &e : schema) catalogue = catalogue || (e.type == QLatin1String("table") && e.name == QLatin1String("orv_queries"));
    if (!catalogue) notCatalogue();
    {
        Stmt s = tryPrepare(src.db, QStringLiteral("PRAGMA integrity_check(1)"));
        if (s && sqlite3_step(s.get()) == SQLITE_ROW &&
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0))) == QLatin1String("ok"))
            return; // nothing to repair
    }
    if (Stmt s = tryPrepare(src.db, QStringLiteral("SELECT name, seq FROM sqlite_sequence"))) {
        while (sqlite3_step(s.get()) == SQLITE_ROW)
            sequences.emplace_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0))),
                                   sqlite3_column_int64(s.get(), 1));
    }

    const QString tmp = path + QStringLiteral(".repairing");
    QFile::remove(tmp);
    removeSidecars(tmp);
    try {
        RawDb dst;
        dst.db = openRaw(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
        exec(dst.db, QStringLiteral("BEGIN"));
        for (const auto &e : schema)
            if (e.type == QLatin1String("table") && !e.name.startsWith(QLatin1String("sqlite_")) && !e.sql.isEmpty())
                exec(dst.db, e.sql);
        for (const auto &e : schema)
            if (e.type == QLatin1String("table") && !e.name.startsWith(QLatin1String("sqlite_")))
                salvageTable(src.db, dst.db, e.name);
        for (const auto &e : schema) {
            if (e.type == QLatin1String("table") || e.sql.isEmpty()) continue;
            try {
                exec(dst.db, e.sql);
            } catch (const DbError &) {
                // A unique index that the salvaged rows break is left out rather than losing rows.
            }
        }
        // Counters go on after the highest key ever given, as before the damage.
        for (const auto &e : schema) {
            if (e.type != QLatin1String("table") || !e.sql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive)) continue;
            qint64 seq = 0;
            for (const auto &[n, v] : sequences)
                if (n == e.name) seq = v;
            // sqlite_sequence has no key, so the row the salvaged inserts made must go: SQLite
            // reads the first row of a table's name and would never see a second one.
            Stmt drop = prepare(dst.db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?1"));
            bindValue(drop.get(), 1, e.name);
            step(dst.db, drop.get());
            Stmt s = prepare(dst.db, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES "
                                                    "(?1, max(?2, coalesce((SELECT max(rowid) FROM %1), 0)))")
                                         .arg(quoteName(e.name)));
            bindValue(s.get(), 1, e.name);
            bindValue(s.get(), 2, seq);
            step(dst.db, s.get());
        }
        exec(dst.db, QStringLiteral("COMMIT"));
        exec(dst.db, QStringLiteral("PRAGMA journal_mode = WAL"));
    } catch (...) {
        QFile::remove(tmp);
        removeSidecars(tmp);
        throw;
    }
    src.close();
    takeAccessOf(path, tmp);

    // Every damaged original is kept: an earlier repair's is never replaced.
    QString damaged = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(damaged) || QFileInfo(damaged).isSymLink(); ++n)
        damaged = path + QStringLiteral(".damaged-%1").arg(n);
    removeSidecars(damaged);
    if (!renameOver(path, damaged)) {
        QFile::remove(tmp);
        throw DbError(errn::DiskError, QStringLiteral("Could not rename '%1'.").arg(path));
    }
    // The damaged file's log belongs to it, never to the rebuilt file.
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFileInfo::exists(side) && !renameOver(side, damaged + QLatin1String(suffix))) QFile::remove(side);
    }
    if (!renameOver(tmp, path)) {
        renameOver(damaged, path);
        throw DbError(errn::DiskError, QStringLiteral("Could not write '%1'.").arg(path));
    }
}

namespace {
constexpr int kLockWaitStepMs = 10;
constexpr int kDefaultLockWaitMs = 5000;

int lockWaitStep(void *impl, int retries) {
    auto *d = static_cast<Database::Impl *>(impl);
    if (!d->lockWait || !d->lockWait(retries * kLockWaitStepMs))
        return 0;
    sqlite3_sleep(kLockWaitStepMs);
    return 1;
}
} // namespace

void Database::setLockWait(std::function<bool(int waitedMs)> keepWaiting) {
    Conn &c = *d_->conn;
    c.check();
    d_->lockWait = std::move(keepWaiting);
    if (d_->lockWait)
        sqlite3_busy_handler(c.db, &lockWaitStep, d_.get());
    else
        sqlite3_busy_timeout(c.db, kDefaultLockWaitMs);
}

bool Database::lockedByAnotherWriter() {
    Conn &c = *d_->conn;
    c.check();
    if (!sqlite3_get_autocommit(c.db))
        return false; // a transaction of our own holds or will take the lock
    sqlite3_busy_handler(c.db, nullptr, nullptr);
    const int rc = sqlite3_exec(c.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (d_->lockWait)
        sqlite3_busy_handler(c.db, &lockWaitStep, d_.get());
    else
        sqlite3_busy_timeout(c.db, kDefaultLockWaitMs);
    return (rc & 0xff) == SQLITE_BUSY;
}

QString Database::translate(const QString &jetSql) const {
    d_->conn->check();
    return d_->conn->translate(jetSql);
}

sqlite3 *Database::handle() const { return d_->conn ? d_->conn->db : nullptr; }

} // namespace platform::db
