#include "platform/db/DbInternal.h"

#include "platform/db/LocaleDate.h"
#include "platform/db/Recordset.h"
#include "platform/db/SqlFunctions.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace platform::db::detail {

namespace {

QString between(const QString &msg, const QString &prefix) {
    const qsizetype i = msg.indexOf(prefix);
    return i < 0 ? QString() : msg.mid(i + prefix.size()).trimmed();
}

} // namespace

DbError sqliteError(sqlite3 *db, int rc, [[maybe_unused]] const QString &sql) {
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_NOTNULL)
            return DbError(errn::NullNotAllowed, QStringLiteral("The field cannot contain a Null value (%1).").arg(msg));
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_ROWID)
            return DbError(err::DuplicateKey,
                           QStringLiteral("The changes you requested to the table were not successful because they "
                                          "would create duplicate values in the index, primary key, or relationship."));
        if (rc == SQLITE_CONSTRAINT_FOREIGNKEY)
            return DbError(errn::RelatedRecordRequired,
                           QStringLiteral("You cannot add or change a record because a related record is required (%1).").arg(msg));
        // A check, a trigger's RAISE or any other rule: the rule's own text says what was refused.
        return DbError(errn::ValidationRule, QStringLiteral("The value is prohibited by a rule of the table: %1").arg(msg));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError(err::DatabaseDamaged,
                       QStringLiteral("Unrecognized database format. The file is damaged or is not a catalogue."));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(errn::Locked, QStringLiteral("Could not update; currently locked."));
    case SQLITE_READONLY:
        return DbError(errn::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    case SQLITE_FULL:
        return DbError(errn::DiskFull, QStringLiteral("Not enough space on disk."));
    case SQLITE_IOERR: {
        // A write the disk refused for want of room (or of the user's quota, or because the file
        // may grow no further) is a full disk to the user, whichever call met it. The database
        // does not always keep the failed call's error number; that call was the last to fail,
        // so the thread's own number is the next best.
        const int kept = db ? sqlite3_system_errno(db) : 0;
        const int sys = kept != 0 ? kept : errno;
        if (sys == ENOSPC || sys == EDQUOT || sys == EFBIG)
            return DbError(errn::DiskFull, QStringLiteral("Not enough space on disk."));
        return DbError(errn::DiskError, QStringLiteral("Disk or network error."));
    }
    case SQLITE_CANTOPEN:
        return DbError(err::FileNotFound, QStringLiteral("Could not open the database file."));
    case SQLITE_MISMATCH:
        return DbError(3464, QStringLiteral("Data type mismatch in criteria expression."));
    default:
        break;
    }
    if (msg.startsWith(QLatin1String("no such column:")))
        return DbError(err::TooFewParameters,
                       QStringLiteral("Too few parameters. Expected 1. Unknown field name: '%1'.")
                           .arg(between(msg, QStringLiteral("no such column:"))));
    if (msg.startsWith(QLatin1String("no such table:")))
        return DbError(errn::NoSuchTable, QStringLiteral("Cannot find the input table or query '%1'.")
                                              .arg(between(msg, QStringLiteral("no such table:"))));
    if (msg.startsWith(QLatin1String("no such function:")) || msg.startsWith(QLatin1String("wrong number of arguments")))
        return DbError(errn::NoSuchFunction, QStringLiteral("Undefined function in expression: %1.").arg(msg));
    if (msg.startsWith(QLatin1String("ambiguous column name:")))
        return DbError(errn::AmbiguousField,
                       QStringLiteral("The specified field '%1' could refer to more than one table listed in the "
                                      "FROM clause of your SQL statement.")
                           .arg(between(msg, QStringLiteral("ambiguous column name:"))));
    // A chain of too many terms, or conditions nested too deep for the engine's parser.
    if (msg.startsWith(QLatin1String("Expression tree is too large")) ||
        msg.contains(QLatin1String("parser stack overflow")))
        return DbError(err::QueryTooComplex, tooComplexDescription());
    if (msg.contains(QLatin1String("syntax error")) || msg.contains(QLatin1String("incomplete input")) ||
        msg.contains(QLatin1String("unrecognized token")) || msg.contains(QLatin1String("misuse of")))
        return DbError(err::SyntaxError, QStringLiteral("Syntax error in query expression (%1).").arg(msg));
    return DbError(err::GeneralError, msg);
}

void throwSqlite(sqlite3 *db, int rc, const QString &sql) { throw sqliteError(db, rc, sql); }

Stmt prepare(sqlite3 *db, const QString &sql, bool persistent) {
    const QByteArray u = sql.toUtf8();
    sqlite3_stmt *s = nullptr;
    const int rc = sqlite3_prepare_v3(db, u.constData(), int(u.size()), persistent ? SQLITE_PREPARE_PERSISTENT : 0,
                                      &s, nullptr);
    if (rc != SQLITE_OK) {
        if (s) sqlite3_finalize(s);
        throwSqlite(db, rc, sql);
    }
    if (!s) // only blanks or a comment
        throw DbError(err::SyntaxError, QStringLiteral("Invalid SQL statement: '%1'.").arg(sql));
    return Stmt(s);
}

Stmt tryPrepare(sqlite3 *db, const QString &sql, bool persistent) {
    const QByteArray u = sql.toUtf8();
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(db, u.constData(), int(u.size()), persistent ? SQLITE_PREPARE_PERSISTENT : 0, &s, nullptr) !=
        SQLITE_OK) {
        if (s) sqlite3_finalize(s);
        return Stmt();
    }
    return Stmt(s);
}

bool step(sqlite3 *db, sqlite3_stmt *s, const QString &sql) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const DbError e = sqliteError(db, sqlite3_extended_errcode(db), sql.isEmpty() ? QString::fromUtf8(sqlite3_sql(s)) : sql);
    sqlite3_reset(s);
    throw e;
}

void exec(sqlite3 *db, const QString &sql) {
    char *errmsg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &errmsg);
    if (errmsg) sqlite3_free(errmsg);
    if (rc != SQLITE_OK) throwSqlite(db, sqlite3_extended_errcode(db), sql);
}

Kind kindFromDecl(const char *declType) {
    if (!declType || !*declType) return Kind::Unknown;
    const QByteArray t = QByteArray(declType).toUpper();
    if (t.contains("DATE") || t.contains("TIME")) return Kind::Date;
    if (t.contains("BOOL") || t.contains("YESNO") || t == "BIT") return Kind::Bool;
    if (t.contains("INT") || t.contains("COUNTER") || t.contains("LONG")) return Kind::Long;
    if (t.contains("DOUB") || t.contains("REAL") || t.contains("FLOA") || t.contains("SINGLE") ||
        t.contains("CURRENCY") || t.contains("NUMERIC") || t.contains("DECIMAL"))
        return Kind::Double;
    if (t.contains("TEXT") || t.contains("CHAR") || t.contains("MEMO") || t.contains("CLOB")) return Kind::Text;
    return Kind::Unknown;
}

namespace {

// "yyyy-MM-dd HH:mm:ss" written directly for a four-digit year (every date a song gets), as the
// format parser would write it; false for other years, which go through the parser.
template <typename Char> bool fourDigitDate(const QDateTime &dt, Char (&out)[19]) {
    if (!dt.isValid()) return false;
    const QDate d = dt.date();
    const QTime t = dt.time();
    const int y = d.year();
    if (y < 1000 || y > 9999) return false;
    const auto put = [&out](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10) out[at + i] = Char('0' + value % 10);
    };
    put(0, y, 4);
    out[4] = Char('-');
    put(5, d.month(), 2);
    out[7] = Char('-');
    put(8, d.day(), 2);
    out[10] = Char(' ');
    put(11, t.hour(), 2);
    out[13] = Char(':');
    put(14, t.minute(), 2);
    out[16] = Char(':');
    put(17, t.second(), 2);
    return true;
}

// A date bound as the text it is stored as; Null when it is no date. Every Update of a song
// binds one, so the usual case makes no string on the heap.
void bindDate(sqlite3_stmt *s, int idx, const QDateTime &dt) {
    if (!dt.isValid()) { // no date: Null rather than an empty text
        sqlite3_bind_null(s, idx);
        return;
    }
    char out[19];
    if (fourDigitDate(dt, out)) {
        sqlite3_bind_text(s, idx, out, 19, SQLITE_TRANSIENT);
        return;
    }
    const QByteArray u = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    sqlite3_bind_text(s, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

} // namespace

QString dateText(const QDateTime &dt) {
    char16_t out[19];
    if (fourDigitDate(dt, out)) return QString(reinterpret_cast<const QChar *>(out), 19);
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

// "yyyy-MM-dd HH:mm:ss" (or the date alone) read without the cost of a format parser.
std::optional<QDateTime> fastStoredDate(const unsigned char *p, int n) {
    auto digits = [&](int at, int count) -> int {
        int v = 0;
        for (int i = at; i < at + count; ++i) {
            if (i >= n || p[i] < '0' || p[i] > '9') return -1;
            v = v * 10 + (p[i] - '0');
        }
        return v;
    };
    if (n < 10 || p[4] != '-' || p[7] != '-') return std::nullopt;
    const int y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2);
    if (y < 0 || mo < 0 || d < 0) return std::nullopt;
    int h = 0, mi = 0, s = 0;
    if (n >= 19 && (p[10] == ' ' || p[10] == 'T') && p[13] == ':' && p[16] == ':') {
        h = digits(11, 2);
        mi = digits(14, 2);
        s = digits(17, 2);
        if (h < 0 || mi < 0 || s < 0) return std::nullopt;
    } else if (n != 10) {
        return std::nullopt;
    }
    // A date and time in local time costs a time-zone look-up to build (some microseconds, more
    // than the rest of a row): the same stored text is converted once.
    thread_local std::unordered_map<quint64, QDateTime> memo;
    const quint64 key = ((((quint64(y) * 100 + quint64(mo)) * 100 + quint64(d)) * 100 + quint64(h)) * 100 +
                         quint64(mi)) * 100 + quint64(s);
    if (const auto it = memo.find(key); it != memo.end()) return it->second;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    if (memo.size() >= 65536) memo.clear();
    return memo.emplace(key, QDateTime(date, time)).first->second;
}

// The years a stored date can have: the reader parses four digits, and there is no year 0.
bool storableYear(int year) { return year >= 1 && year <= 9999; }

// A date serial (days since 30 December 1899, the time as the fraction); nullopt for a serial
// that is no number or names a day outside the storable years.
std::optional<QDateTime> fromOleDate(double serial) {
    constexpr double kFirst = -693593.0; // 1 January of the year 1
    constexpr double kPast = 2958466.0;  // 1 January 10000
    if (!std::isfinite(serial) || serial < kFirst || serial >= kPast) return std::nullopt;
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    const double days = std::trunc(serial);
    const double frac = std::fabs(serial - days);
    const QDateTime dt = base.addDays(qint64(days)).addMSecs(qint64(std::llround(frac * 86400.0) * 1000));
    if (!dt.isValid() || !storableYear(dt.date().year())) return std::nullopt;
    return dt;
}

// A date serial read from a date field as the date it stands for, or as the number it is.
QVariant storedSerial(double serial, const QVariant &asStored) {
    const auto dt = fromOleDate(serial);
    return dt ? QVariant(*dt) : asStored;
}

std::optional<QDateTime> parseDateText(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const QByteArray u = t.toUtf8();
    if (auto d = fastStoredDate(reinterpret_cast<const unsigned char *>(u.constData()), int(u.size()))) return d;
    // Typed text reads in the user's locale order first ("05/01/2020" is 5 January under en_GB);
    // what the locale does not read (a month name, a time alone) is read as Jet reads a literal.
    if (auto d = LocaleDate::parse(t)) return d;
    if (auto s = jet::parseDateLiteral(t)) {
        if (auto d = jet::parseStoredDate(*s)) return d;
    }
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid()) return iso;
    return std::nullopt;
}

std::optional<double> parseNumber(const QString &text) {
    if (const auto n = numberFromText(text)) return n;
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return -1.0;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return 0.0;
    return std::nullopt;
}

double oleDate(const QDateTime &dt) {
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return double(base.daysTo(dt)) + double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace

QVariant storedValue(int type, qint64 i, double d, const unsigned char *p, int n, Kind kind) {
    switch (type) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        if (kind == Kind::Bool) return QVariant(i != 0);
        if (kind == Kind::Double) return QVariant(double(i));
        if (kind == Kind::Text) return QVariant(QString::number(i));
        if (kind == Kind::Date) return storedSerial(double(i), QVariant(i));
        return QVariant(i);
    case SQLITE_FLOAT:
        if (kind == Kind::Bool) return QVariant(d != 0);
        if (kind == Kind::Text) return QVariant(QString::number(d, 'g', 15));
        if (kind == Kind::Date) return storedSerial(d, QVariant(d));
        return QVariant(d);
    case SQLITE_BLOB:
        return QVariant(QByteArray(reinterpret_cast<const char *>(p), n));
    default:
        if (kind == Kind::Date) {
            if (auto dt = fastStoredDate(p, n)) return QVariant(*dt);
        }
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(p), n));
    }
}

QVariant readValue(sqlite3_stmt *s, int col, Kind kind) {
    const int t = sqlite3_column_type(s, col);
    switch (t) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(s, col);
        if (kind == Kind::Bool) return QVariant(v != 0);
        if (kind == Kind::Double) return QVariant(double(v));
        if (kind == Kind::Text) return QVariant(QString::number(v));
        if (kind == Kind::Date) return storedSerial(double(v), QVariant(v));
        return QVariant(v);
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(s, col);
        if (kind == Kind::Bool) return QVariant(v != 0);
        if (kind == Kind::Text) return QVariant(QString::number(v, 'g', 15));
        if (kind == Kind::Date) return storedSerial(v, QVariant(v));
        return QVariant(v);
    }
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(s, col)), sqlite3_column_bytes(s, col)));
    default: {
        const auto *p = sqlite3_column_text(s, col);
        const int n = sqlite3_column_bytes(s, col);
        if (kind == Kind::Date) {
            if (auto d = fastStoredDate(p, n)) return QVariant(*d);
        }
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(p), n));
    }
    }
}

void bindValue(sqlite3_stmt *s, int idx, const QVariant &v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(s, idx);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int64(s, idx, v.toBool() ? -1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        sqlite3_bind_int64(s, idx, v.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(s, idx, v.toDouble());
        return;
    case QMetaType::QDateTime:
        bindDate(s, idx, v.toDateTime());
        return;
    case QMetaType::QDate:
        bindDate(s, idx, v.toDate().isValid() ? QDateTime(v.toDate(), QTime(0, 0)) : QDateTime());
        return;
    case QMetaType::QTime:
        bindDate(s, idx, QDateTime(QDate(1899, 12, 30), v.toTime()));
        return;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray u = v.toString().toUtf8();
        sqlite3_bind_text(s, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

QVariant convertForField(const QVariant &v, Kind kind, const QString &fieldName) {
    if (!v.isValid() || v.isNull()) return QVariant();
    const int type = v.typeId();
    const bool isText = type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar;
    const bool isDate = type == QMetaType::QDateTime || type == QMetaType::QDate || type == QMetaType::QTime;
    const bool isBool = type == QMetaType::Bool;
    auto fail = [&]() -> QVariant {
        throw DbError(errn::ConversionError,
                      QStringLiteral("Data type conversion error: '%1' cannot be stored in the field '%2'.")
                          .arg(v.toString(), fieldName));
    };
    auto asDateTime = [&]() -> QDateTime {
        if (type == QMetaType::QDate) return QDateTime(v.toDate(), QTime(0, 0));
        if (type == QMetaType::QTime) return QDateTime(QDate(1899, 12, 30), v.toTime());
        return v.toDateTime();
    };
    switch (kind) {
    case Kind::Text:
        if (isBool) return QString(v.toBool() ? QStringLiteral("-1") : QStringLiteral("0"));
        if (isDate) return dateText(asDateTime());
        if (type == QMetaType::Double || type == QMetaType::Float) return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    case Kind::Long: {
        if (type == QMetaType::Int) return QVariant(qint64(*static_cast<const int *>(v.constData())));
        if (type == QMetaType::LongLong) return v;
        if (isBool) return QVariant(qint64(v.toBool() ? -1 : 0));
        if (isDate) return QVariant(qint64(std::nearbyint(oleDate(asDateTime()))));
        double d = 0;
        if (isText) {
            if (v.toString().trimmed().isEmpty()) return QVariant();
            const auto n = parseNumber(v.toString());
            if (!n) return fail();
            d = *n;
        } else {
            bool ok = false;
            d = v.toDouble(&ok);
            if (!ok) return fail();
            if (type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::UInt ||
                type == QMetaType::ULongLong || type == QMetaType::Long)
                return QVariant(v.toLongLong());
        }
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18) return fail();
        return QVariant(qint64(std::nearbyint(d))); // Jet rounds half to even
    }
    case Kind::Double: {
        if (isBool) return QVariant(v.toBool() ? -1.0 : 0.0);
        if (isDate) return QVariant(oleDate(asDateTime()));
        if (isText) {
            if (v.toString().trimmed().isEmpty()) return QVariant();
            const auto n = parseNumber(v.toString());
            if (!n) return fail();
            return QVariant(*n);
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d)) return fail(); // no field holds NaN or an infinity
        return QVariant(d);
    }
    case Kind::Date: {
        // A date is stored as a text the reader parses back; one it could not is refused.
        const auto storable = [&](const QDateTime &dt) {
            if (!storableYear(dt.date().year())) return fail();
            return QVariant(dt);
        };
        if (isDate) {
            const QDateTime dt = asDateTime();
            if (!dt.isValid()) return QVariant(); // no date at all
            return storable(dt);
        }
        if (isText) {
            if (v.toString().trimmed().isEmpty()) return QVariant();
            if (auto d = parseDateText(v.toString())) return storable(*d);
            return fail();
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok) return fail();
        if (const auto dt = fromOleDate(d)) return QVariant(*dt);
        return fail();
    }
    case Kind::Bool: {
        if (isBool) return v;
        if (isText) {
            const QString t = v.toString().trimmed();
            if (t.compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0 ||
                t.compare(QLatin1String("On"), Qt::CaseInsensitive) == 0)
                return QVariant(true);
            if (t.compare(QLatin1String("No"), Qt::CaseInsensitive) == 0 ||
                t.compare(QLatin1String("Off"), Qt::CaseInsensitive) == 0)
                return QVariant(false);
            const auto n = parseNumber(t);
            if (!n) return fail();
            return QVariant(*n != 0);
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok) return fail();
        return QVariant(d != 0);
    }
    case Kind::Unknown:
        break;
    }
    if (isDate) return dateText(asDateTime());
    return v;
}

std::optional<QString> comparedLiteral(const QString &text, Kind kind) {
    if (kind != Kind::Long && kind != Kind::Double && kind != Kind::Date && kind != Kind::Bool) return std::nullopt;
    QVariant v;
    try {
        // A number compares unrounded: "13.5" is no Long's value.
        v = convertForField(text, kind == Kind::Long ? Kind::Double : kind, QString());
    } catch (const DbError &) {
        return std::nullopt; // not that kind of value: it compares as the text it is
    }
    if (v.isNull()) return std::nullopt;
    switch (kind) {
    case Kind::Date: return u'\'' + dateText(v.toDateTime()) + u'\'';
    case Kind::Bool: return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    default: {
        const double d = v.toDouble();
        if (d == std::trunc(d) && std::fabs(d) < 9.0e15) return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    }
}

QString quoteName(const QString &name) {
    QString r = name;
    r.replace(u'"', QLatin1String("\"\""));
    return u'"' + r + u'"';
}

int TableInfo::column(const QString &n) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(n, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const IndexInfo *TableInfo::index(const QString &n) const {
    for (const auto &ix : indexes)
        if (ix.name.compare(n, Qt::CaseInsensitive) == 0) return &ix;
    return nullptr;
}

QStringList TableInfo::keyColumns() const {
    if (!integerKey.isEmpty()) return {integerKey};
    const IndexInfo *best = nullptr;
    for (const auto &ix : indexes) {
        if (!ix.unique) continue;
        bool allLong = true;
        for (const auto &c : ix.columns) {
            const int ci = column(c);
            if (ci < 0 || columns[size_t(ci)].kind != Kind::Long) allLong = false;
        }
        if (!allLong) continue;
        if (!best || ix.name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) == 0) best = &ix;
    }
    return best ? best->columns : QStringList();
}

Conn::~Conn() { close(); }

sqlite3_stmt *Conn::cached(const QString &sql, bool mayFail) {
    const std::string key = sql.toStdString();
    auto it = stmtCache.find(key);
    if (it == stmtCache.end()) {
        Stmt s = mayFail ? tryPrepare(db, sql, true) : prepare(db, sql, true);
        if (!s) return nullptr;
        if (stmtCache.size() >= 128) stmtCache.clear();
        it = stmtCache.emplace(key, std::move(s)).first;
    }
    sqlite3_stmt *s = it->second.get();
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return s;
}

const ColumnOrigins *Conn::origins(const QString &sql) {
    sqlite3_stmt *version = cached(QStringLiteral("PRAGMA schema_version"));
    const int schema = step(db, version) ? sqlite3_column_int(version, 0) : -1;
    sqlite3_reset(version); // no read stays open
    if (schema != originsSchema || originsCache.size() >= 256) {
        originsCache.clear();
        originsSchema = schema;
    }
    const std::string key = sql.toStdString();
    auto it = originsCache.find(key);
    if (it == originsCache.end()) {
        std::optional<ColumnOrigins> found;
        if (Stmt s = tryPrepare(db, sql)) {
            found.emplace();
            const auto text = [](const char *z) { return z ? QByteArray(z) : QByteArray(); };
            for (int i = 0; i < sqlite3_column_count(s.get()); ++i)
                found->push_back({text(sqlite3_column_database_name(s.get(), i)),
                                  text(sqlite3_column_table_name(s.get(), i)),
                                  text(sqlite3_column_origin_name(s.get(), i))});
        }
        it = originsCache.emplace(key, std::move(found)).first;
    }
    return it->second ? &*it->second : nullptr;
}

void Conn::close() {
    resetStandingReads();
    originsCache.clear();
    stmtCache.clear();
    forgetTranslations();
    if (db) {
        sqlite3_close_v2(db); // statements still held by recordsets are finalized by them
        db = nullptr;
    }
    inTrans = false;
}

void Conn::check() const {
    if (!db) throw DbError(errn::ObjectClosed, QStringLiteral("Object invalid or no longer set (the database is closed)."));
}

void Conn::loadCatalog() {
    forgetTranslations();
    tableNames.clear();
    tableInfos.clear();
    queries.clear();
    {
        Stmt s = prepare(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
        while (step(db, s.get())) {
            const QString n = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0)));
            tableNames.insert(fold(n), n);
        }
    }
    Stmt q = prepare(db, QStringLiteral("SELECT Name, SQL FROM orv_queries"));
    while (step(db, q.get())) {
        Query query;
        query.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.get(), 0)));
        query.sql = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.get(), 1)));
        queries.insert(fold(query.name), query);
    }
}

const TableInfo *Conn::table(const QString &name) {
    const auto it = tableNames.constFind(fold(name));
    if (it == tableNames.constEnd()) return nullptr;
    const std::string key = fold(*it).toStdString();
    if (auto found = tableInfos.find(key); found != tableInfos.end()) return found->second.get();

    auto info = std::make_unique<TableInfo>();
    info->name = *it;
    {
        Stmt s = prepare(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(info->name)));
        int pkCount = 0;
        while (step(db, s.get())) {
            ColumnInfo c;
            c.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 1)));
            const char *decl = reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 2));
            c.declType = QString::fromUtf8(decl);
            c.kind = kindFromDecl(decl);
            if (sqlite3_column_type(s.get(), 4) != SQLITE_NULL)
                c.defaultSql = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 4)));
            c.primaryKey = sqlite3_column_int(s.get(), 5) > 0;
            if (c.primaryKey) ++pkCount;
            info->columns.push_back(c);
        }
        for (const auto &c : info->columns)
            if (c.primaryKey && pkCount == 1 && c.declType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                info->integerKey = c.name;
    }
    {
        Stmt s = prepare(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1"));
        const QByteArray n = info->name.toUtf8();
        sqlite3_bind_text(s.get(), 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
        if (step(db, s.get()))
            info->autoIncrement = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0)))
                                      .contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    }
    // Indexes named "<table>__<name>" are the table's named indexes.
    {
        Stmt s = prepare(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteName(info->name)));
        const QString prefix = info->name + QStringLiteral("__");
        while (step(db, s.get())) {
            const QString sqliteName = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 1)));
            if (!sqliteName.startsWith(prefix, Qt::CaseInsensitive)) continue;
            IndexInfo ix;
            ix.sqliteName = sqliteName;
            ix.name = sqliteName.mid(prefix.size());
            ix.unique = sqlite3_column_int(s.get(), 2) != 0;
            Stmt c = prepare(db, QStringLiteral("PRAGMA index_info(%1)").arg(quoteName(sqliteName)));
            while (step(db, c.get()))
                ix.columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(c.get(), 2)));
            info->indexes.push_back(ix);
        }
    }
    if (!info->integerKey.isEmpty() && !info->index(QStringLiteral("PrimaryKey"))) {
        IndexInfo pk;
        pk.name = QStringLiteral("PrimaryKey");
        pk.columns << info->integerKey;
        pk.unique = true;
        info->indexes.push_back(pk);
    }
    const TableInfo *result = info.get();
    tableInfos.emplace(key, std::move(info));
    return result;
}

std::optional<QString> Conn::savedQuery(const QString &name) const {
    QString n = name.trimmed();
    if (n.startsWith(u'[') && n.endsWith(u']')) n = n.mid(1, n.size() - 2);
    const auto it = queries.constFind(fold(n));
    if (it == queries.constEnd()) return std::nullopt;
    return it->sql;
}

jet::SavedQueryLookup Conn::lookup() const {
    return [this](const QString &name) { return savedQuery(name); };
}

jet::KeyLookup Conn::keyLookup() const {
    // Reading a table's description only fills the cache of descriptions.
    return [self = const_cast<Conn *>(this)](const QString &name) -> std::optional<QString> {
        const TableInfo *t = self->table(name);
        if (!t || t->integerKey.isEmpty()) return std::nullopt;
        return t->integerKey;
    };
}

// Texts built with values written into them are many: the memory of translations is bounded.
constexpr qsizetype kTranslationsKept = 512;

QString Conn::translate(const QString &jetSql) const {
    if (const auto it = translations.constFind(jetSql); it != translations.constEnd()) return *it;
    QString sql = jet::translateStatement(jetSql, lookup(), nullptr, keyLookup());
    if (translations.size() >= kTranslationsKept) translations.clear();
    translations.insert(jetSql, sql);
    return sql;
}

QString Conn::translate(const QString &jetSql, const QVariantList &values) const {
    if (values.isEmpty()) return translate(jetSql);
    auto it = markedTranslations.constFind(jetSql);
    if (it == markedTranslations.constEnd()) {
        jet::Placeholders marks{kSourceParams, 0};
        QString sql = jet::translateStatement(jetSql, lookup(), &marks, keyLookup());
        if (markedTranslations.size() >= kTranslationsKept) markedTranslations.clear();
        it = markedTranslations.insert(jetSql, {std::move(sql), marks.count});
    }
    checkParamCount(jet::Placeholders{kSourceParams, it->second}, values);
    return it->first;
}

void bindNamed(sqlite3_stmt *s, int base, const QVariantList &values) {
    const int last = sqlite3_bind_parameter_count(s);
    for (int i = 0; i < int(values.size()) && base + i + 1 <= last; ++i) bindValue(s, base + i + 1, values[i]);
}

void checkParamCount(const jet::Placeholders &marks, const QVariantList &values) {
    if (marks.count > int(values.size()))
        throw DbError(err::TooFewParameters, QStringLiteral("Too few parameters. Expected %1.").arg(marks.count));
    if (marks.count < int(values.size()) || values.size() > kMaxParams)
        throw DbError(3001, QStringLiteral("Invalid argument: %1 values given for %2 parameters.")
                                .arg(values.size())
                                .arg(marks.count));
}

} // namespace platform::db::detail

namespace platform::db {

std::optional<double> numberFromText(const QString &text) {
    const QString t = text.trimmed();
    bool ok = false;
    double d = t.toDouble(&ok);
    if (!ok) d = QLocale().toDouble(t, &ok);
    // "inf" and "nan" read as numbers, but no field holds them.
    if (ok && std::isfinite(d)) return d;
    return std::nullopt;
}

} // namespace platform::db
