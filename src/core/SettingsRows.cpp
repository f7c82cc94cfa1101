#include "core/SettingsRows.h"

#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

namespace core {

using platform::db::Database;
using platform::db::DbError;
using platform::db::Recordset;

namespace {

Database &db() {
    if (!g().Db || !g().Db->isOpen())
        throw DbError(platform::db::err::GeneralError, QStringLiteral("The catalogue database is not open."));
    return *g().Db;
}

// The statements of this file with the type and name bound, so no name a user gives (a filter's,
// a note's) can change what a statement reads or writes.
const QString kByType = QStringLiteral("Select * from tblSettings Where Type=?");
const QString kByTypeAndName = QStringLiteral("Select * from tblSettings Where Type=? and Name=?");

// Closes the recordset on every way out. The reads open snapshots: they ask the same few
// statements again and again (each choice in the list of saved filters), which a snapshot
// keeps prepared.
struct Opened {
    explicit Opened(const QString &sql, const QVariantList &values = {},
                    platform::db::RecordsetType type = platform::db::RecordsetType::Dynaset)
        : rs(values.isEmpty() ? db().openRecordset(sql, type) : db().openRecordset(sql, values, type)) {}
    ~Opened() {
        try { rs->close(); } catch (...) {}
    }
    Recordset *operator->() const { return rs.get(); }
    std::unique_ptr<Recordset> rs;
};

QString text(const Recordset &rs, const QString &field) {
    const int ordinal = rs.fieldOrdinal(field);
    if (ordinal < 0)
        return {};
    const QVariant v = rs.value(ordinal);
    return v.isNull() ? QString() : v.toString();
}

std::optional<QString> optionalText(const Recordset &rs, const QString &field) {
    const int ordinal = rs.fieldOrdinal(field);
    if (ordinal < 0)
        return std::nullopt;
    const QVariant v = rs.value(ordinal);
    return v.isNull() ? QString() : v.toString();
}

SettingsRow rowOf(const Recordset &rs) {
    return SettingsRow{text(rs, QStringLiteral("Type")), text(rs, QStringLiteral("Name")),
                       optionalText(rs, QStringLiteral("Setting1")),
                       optionalText(rs, QStringLiteral("Setting8"))};
}

std::optional<SettingsRow> firstRow(const QString &sql, const QVariantList &values = {}) {
    Opened rs(sql, values, platform::db::RecordsetType::Snapshot);
    if (rs->recordCount() <= 0)
        return std::nullopt;
    rs->moveFirst();
    return rowOf(*rs.rs);
}

} // namespace

QString SettingsRows::quoted(const QString &text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString SettingsRows::selectSql(const QString &type) {
    return QStringLiteral("Select * from tblSettings Where Type=") + quoted(type);
}

QString SettingsRows::selectSql(const QString &type, const QString &name) {
    return selectSql(type) + QStringLiteral(" and Name=") + quoted(name);
}

std::optional<SettingsRow> SettingsRows::readRow(const QString &type) { return firstRow(kByType, {type}); }

std::optional<QString> SettingsRows::readName(const QString &type) {
    const auto row = readRow(type);
    if (!row)
        return std::nullopt;
    return row->name;
}

namespace {

// The add-or-edit order on the rows a select gives.
void writeFirst(const QString &sql, const QVariantList &values, const SettingsRow &row) {
    Opened rs(sql, values);
    if (rs->recordCount() == 0) {
        rs->addNew();
    } else {
        rs->moveFirst();
        rs->edit();
    }
    rs->setValue(QStringLiteral("Type"), row.type);
    rs->setValue(QStringLiteral("Name"), row.name);
    if (row.setting1)
        rs->setValue(QStringLiteral("Setting1"), *row.setting1);
    if (row.setting8)
        rs->setValue(QStringLiteral("Setting8"), *row.setting8);
    rs->update();
}

} // namespace

void SettingsRows::writeBySelect(const QString &sql, const SettingsRow &row) { writeFirst(sql, {}, row); }

void SettingsRows::write(const SettingsRow &row) { writeFirst(kByType, {row.type}, row); }

void SettingsRows::deleteKind(const QString &type) {
    db().execute(QStringLiteral("Delete * from tblSettings Where Type=?"), QVariantList{type});
}

void SettingsRows::writeBool(const QString &type, bool value) {
    write(type, value ? QStringLiteral("True") : QStringLiteral("False"));
}

std::optional<bool> SettingsRows::readBool(const QString &type) {
    const auto name = readName(type);
    if (!name)
        return std::nullopt;
    const QString t = name->trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (ok)
        return n != 0.0;
    return std::nullopt;
}

std::optional<qint64> SettingsRows::readNumber(const QString &type) {
    const auto name = readName(type);
    if (!name)
        return std::nullopt;
    const QString t = name->trimmed();
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok)
        return n;
    const double d = t.toDouble(&ok);
    if (ok && d >= -9.2e18 && d <= 9.2e18)
        return static_cast<qint64>(d);
    return std::nullopt;
}

std::optional<SettingsRow> SettingsRows::readNamed(const QString &type, const QString &name) {
    return firstRow(kByTypeAndName, {type, name});
}

void SettingsRows::writeNamed(const SettingsRow &row) { writeFirst(kByTypeAndName, {row.type, row.name}, row); }

void SettingsRows::deleteNamed(const QString &type, const QString &name) {
    db().execute(QStringLiteral("Delete * from tblSettings Where Type=? and Name=?"), QVariantList{type, name});
}

QStringList SettingsRows::names(const QString &type) {
    QStringList result;
    Opened rs(kByType, {type}, platform::db::RecordsetType::Snapshot);
    if (rs->recordCount() <= 0)
        return result;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        result << text(*rs.rs, QStringLiteral("Name"));
    return result;
}

QStringList SettingsRows::filterNames() { return names(QString::fromLatin1(Filter)); }

std::optional<QString> SettingsRows::filterCriteria(const QString &name) {
    const auto row = readNamed(QString::fromLatin1(Filter), name);
    if (!row)
        return std::nullopt;
    return row->setting8.value_or(QString());
}

void SettingsRows::saveFilter(const QString &name, const QString &criteria) {
    writeNamed(SettingsRow{QString::fromLatin1(Filter), name, {}, criteria});
}

bool SettingsRows::renameFilter(const QString &oldName, const QString &newName) {
    Opened rs(kByTypeAndName, {QString::fromLatin1(Filter), oldName});
    if (rs->recordCount() <= 0)
        return false;
    rs->moveFirst();
    rs->edit();
    rs->setValue(QStringLiteral("Name"), newName);
    rs->update();
    return true;
}

bool SettingsRows::deleteFilter(const QString &name) {
    // Older catalogues may hold twins of one name: the row a lookup finds is the one that goes.
    Opened rs(kByTypeAndName, {QString::fromLatin1(Filter), name});
    if (rs->recordCount() <= 0)
        return false;
    rs->moveFirst();
    rs->deleteRecord();
    return true;
}

QString SettingsRows::notesSql() {
    return QStringLiteral("Select Type, Name, Setting8 from tblSettings Where Type='NOTE' Order by Name");
}

QString SettingsRows::noteCriteria(const QString &title) {
    return QStringLiteral("Type='Note' And Name=") + quoted(title);
}

QString SettingsRows::lastNoteReadSql() {
    return QStringLiteral("Select Name from tblSettings Where Type='LASTNOTE'");
}

QString SettingsRows::lastNoteWriteSql() {
    return QStringLiteral("Select Name, Type from tblSettings Where Type='LASTNOTE'");
}

QList<SettingsRow> SettingsRows::notes() {
    QList<SettingsRow> result;
    Opened rs(notesSql());
    if (rs->recordCount() <= 0)
        return result;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        result << rowOf(*rs.rs);
    return result;
}

std::optional<QString> SettingsRows::noteText(const QString &title) {
    Opened rs(notesSql());
    if (rs->recordCount() <= 0)
        return std::nullopt;
    rs->findFirst(QStringLiteral("Type='Note' And Name=?"), {title});
    if (rs->noMatch())
        return std::nullopt;
    return text(*rs.rs, QStringLiteral("Setting8"));
}

void SettingsRows::saveNote(const QString &title, const QString &richText) {
    writeNamed(SettingsRow{QString::fromLatin1(Note), title, {}, richText});
}

std::optional<QString> SettingsRows::lastNote() {
    const auto row = firstRow(lastNoteReadSql());
    if (!row)
        return std::nullopt;
    return row->name;
}

void SettingsRows::setLastNote(const QString &listIndex) {
    writeBySelect(lastNoteWriteSql(), SettingsRow{QString::fromLatin1(LastNote), listIndex, {}, {}});
}

} // namespace core
