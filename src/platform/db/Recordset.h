#pragma once
// DAO-style recordsets over the catalogue: table (with a current index and Seek), dynaset,
// snapshot and forward-only. Values are QVariant; a Null field is an invalid QVariant
// (QVariant()). Texts are QString, counters and Long fields qint64 (or int), Double fields double,
// Booleans bool, dates QDateTime.
#include "platform/db/DbError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>

namespace platform::db {

class Database;

enum class RecordsetType { Table = 1, Dynaset = 2, Snapshot = 4, ForwardOnly = 8 };
enum class EditMode { None = 0, Edit = 1, AddNew = 2 };

using Value = QVariant;
using Bookmark = QByteArray; // opaque; compare with ==

// The number a text written in digits stands for when it is stored into a number field: read
// as C reads it ("1.5", "2e3") or as the user's locale does; nullopt when the field refuses it
// ("1,5" where the comma is no decimal point, "inf").
std::optional<double> numberFromText(const QString &text);

class Recordset;

// What rs.Fields("Name") gives: read with value(), write with = (needs Edit or AddNew first).
class FieldRef {
public:
    FieldRef(Recordset &rs, QString name) : rs_(rs), name_(std::move(name)) {}
    Value value() const;
    operator Value() const { return value(); }
    FieldRef &operator=(const Value &v);
    bool isNull() const { return value().isNull(); }
    QString toString() const { return value().toString(); }
    const QString &name() const { return name_; }

private:
    Recordset &rs_;
    QString name_;
};

class Recordset {
public:
    virtual ~Recordset();

    RecordsetType type() const;
    QString source() const;       // as given to OpenRecordset
    bool updatable() const;

    // Navigation. Moving past the ends sets EOF/BOF; moving when already there throws 3021.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(long rows);
    bool bof() const;
    bool eof() const;
    long recordCount() const;              // exact, at any time
    long absolutePosition() const;         // 0-based; -1 with no current record
    void setAbsolutePosition(long position);
    Bookmark bookmark() const;             // throws 3021 with no current record
    void setBookmark(const Bookmark &b);   // throws 3021/3167 when the row is gone
    Bookmark lastModified() const;
    void requery();

    // Find with Jet criteria, in this recordset's order. Sets noMatch(); on no match the
    // current record stays where it was. An unqualified name is the recordset's own field of that
    // name first, then a field of the tables it reads. `values` are bound to the criteria's ?
    // marks; without values a ? is refused (3075).
    void findFirst(const QString &criteria, const QVariantList &values = {});
    void findNext(const QString &criteria, const QVariantList &values = {});
    void findPrevious(const QString &criteria, const QVariantList &values = {});
    void findLast(const QString &criteria, const QVariantList &values = {});
    bool noMatch() const;

    // Table-type recordsets: the current index by name (case-blind), and Seek on it.
    // op is one of "=", ">=", ">", "<=", "<". Sets noMatch(); after a miss there is no current
    // record (Edit, Delete and field reads give 3021) until a move, a Seek that finds or a
    // Bookmark set.
    void setIndex(const QString &indexName);
    QString index() const;
    void seek(const QString &op, const QVariantList &keys);

    // Fields of the current row (or of the row being edited/added).
    int fieldCount() const;
    QString fieldName(int ordinal) const;  // as the query names it
    int fieldOrdinal(const QString &name) const; // case-blind; -1 when unknown
    Value value(int ordinal) const;
    Value value(const QString &name) const; // throws 3265 for an unknown field
    void setValue(int ordinal, const Value &v);
    void setValue(const QString &name, const Value &v);
    FieldRef operator[](const QString &name) { return FieldRef(*this, name); }
    FieldRef fields(const QString &name) { return FieldRef(*this, name); }

    // Random access for data-bound views: the value at a 0-based position in this recordset's
    // order, read on demand without moving the current record.
    Value valueAt(long position, int ordinal) const;
    Bookmark bookmarkAt(long position) const;
    long positionOf(const Bookmark &b) const; // -1 when not in the recordset

    // A read-only recordset over `select` (the same rows as this dynaset, other fields) that
    // keeps this recordset's rows and order as they are now and reads a row only when asked, so
    // a view of many rows is kept without reading them. nullptr when `select` does not read the
    // same rows by the same keys, or this recordset does not keep keys.
    std::unique_ptr<Recordset> keptView(const QString &select) const;
    // The same over some of this recordset's own fields (named as it names them), for a walk
    // that reads only those.
    std::unique_ptr<Recordset> keptView(const QStringList &fields) const;

    // Editing. Through a join the write acts on the table that owns the row.
    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void deleteRecord();   // DAO Delete: the current row; afterwards there is no current record
    EditMode editMode() const;

    void close();
    bool isOpen() const;

    struct Impl;
    Impl &impl() const { return *d_; }
    explicit Recordset(std::unique_ptr<Impl> d);

private:
    std::unique_ptr<Impl> d_;
};

inline Value FieldRef::value() const { return rs_.value(name_); }
inline FieldRef &FieldRef::operator=(const Value &v) { rs_.setValue(name_, v); return *this; }

} // namespace platform::db
