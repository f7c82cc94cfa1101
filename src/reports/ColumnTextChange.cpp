#include "reports/ColumnTextChange.h"

#include "platform/db/Database.h"

namespace reports {

namespace db = platform::db;

namespace {

// The compare argument of InStr and Replace: 0 binary, 1 case-blind.
QString compareArg(const TextColumn &c) { return c.exactCase ? QStringLiteral("0") : QStringLiteral("1"); }

QString holds(const TextColumn &c) {
    return QStringLiteral("InStr(1, %1, ?, %2) > 0").arg(c.field, compareArg(c));
}

QString replaced(const TextColumn &c) {
    return QStringLiteral("Replace(%1, ?, ?, 1, -1, %2)").arg(c.field, compareArg(c));
}

QString emptyOrNull(const TextColumn &c) { return QStringLiteral("%1 Is Null Or %1 = ''").arg(c.field); }

} // namespace

TextColumn TextColumn::songField(const QString &field) {
    const bool path = field.compare(QLatin1String("PathName"), Qt::CaseInsensitive) == 0 ||
                      field.compare(QLatin1String("FileName"), Qt::CaseInsensitive) == 0;
    return {QStringLiteral("tblContacts"), field, path};
}

QString ColumnTextChange::countSql(const TextColumn &c) {
    return QStringLiteral("Select count(*) as NumRecs from ") + c.table + QStringLiteral(" Where ") + holds(c);
}

QString ColumnTextChange::replaceSql(const TextColumn &c) {
    QString sql = QStringLiteral("Update ") + c.table + QStringLiteral(" Set ") + c.field + QStringLiteral(" = ") +
                  replaced(c) + QStringLiteral(" Where ") + holds(c);
    // An exact match replaced by another text always changes the row. A case-blind one may
    // already be in the new spelling: the second test keeps out the rows the replacement would
    // leave as they are, so only changed rows are written and counted (StrComp with 0 compares
    // exactly, whatever the column's own comparison).
    if (!c.exactCase)
        sql += QStringLiteral(" And StrComp(") + replaced(c) + QStringLiteral(", ") + c.field + QStringLiteral(", 0) <> 0");
    return sql;
}

long ColumnTextChange::countContaining(db::Database &database, const TextColumn &c, const QString &text) {
    auto rs = database.openRecordset(countSql(c), {text}, db::RecordsetType::ForwardOnly);
    return long(rs->value(QStringLiteral("NumRecs")).toLongLong());
}

long ColumnTextChange::countEmpty(db::Database &database, const TextColumn &c) {
    auto rs = database.openRecordset(QStringLiteral("Select count(*) as NumRecs from ") + c.table +
                                         QStringLiteral(" Where ") + emptyOrNull(c),
                                     db::RecordsetType::ForwardOnly);
    return long(rs->value(QStringLiteral("NumRecs")).toLongLong());
}

long ColumnTextChange::replaceAll(db::Database &database, const TextColumn &c, const QString &find,
                                  const QString &with) {
    if (find.isEmpty() || (c.exactCase && find == with))
        return 0;
    if (c.exactCase)
        return database.execute(replaceSql(c), {find, with, find});
    return database.execute(replaceSql(c), {find, with, find, find, with});
}

long ColumnTextChange::clearContaining(db::Database &database, const TextColumn &c, const QString &find) {
    if (find.isEmpty())
        return 0;
    return database.execute(QStringLiteral("Update ") + c.table + QStringLiteral(" Set ") + c.field +
                                QStringLiteral(" = '' Where ") + holds(c),
                            {find});
}

long ColumnTextChange::fillEmpty(db::Database &database, const TextColumn &c, const QString &with) {
    return database.execute(QStringLiteral("Update ") + c.table + QStringLiteral(" Set ") + c.field +
                                QStringLiteral(" = ? Where ") + emptyOrNull(c),
                            {with});
}

} // namespace reports
