#pragma once
// Settings that travel with the catalogue: rows of tblSettings (Type, Name, Setting1, Setting8).
// Every reader and writer of those rows goes through here, on core::g().Db, so the SQL texts and
// the one add-or-edit order live in one place. Errors are platform::db::DbError.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace core {

// One settings row. Setting1 and Setting8 are written only when they hold a value.
struct SettingsRow {
    QString type;
    QString name;
    std::optional<QString> setting1;
    std::optional<QString> setting8;
};

class SettingsRows {
public:
    // The kinds of row.
    static constexpr const char *GridSortOrder = "GRIDSORTORDER";
    static constexpr const char *Tablet = "TABLET";
    static constexpr const char *BackColor = "BACKCOLOR";
    static constexpr const char *TemplateRecordId = "TEMPLATE RecordID";
    static constexpr const char *Category = "CATEGORY";
    static constexpr const char *CategoryStartup = "CATEGORYSTARTUP";
    static constexpr const char *AssignCatgOnAdd = "ASSIGNCATGONADD";
    static constexpr const char *Filter = "FILTER";
    static constexpr const char *Note = "NOTE";
    static constexpr const char *LastNote = "LASTNOTE";
    // A music file move the editor's save has begun and not yet committed (PendingFileMoves).
    static constexpr const char *FileMove = "FILEMOVE";

    // A text as an SQL literal between apostrophes (an apostrophe inside is doubled).
    static QString quoted(const QString &text);

    // The texts of the selects, for callers that keep one; the reads and writes below bind the
    // type and name instead.
    // "Select * from tblSettings Where Type='<type>'"
    static QString selectSql(const QString &type);
    // "Select * from tblSettings Where Type='<type>' and Name='<name>'"
    static QString selectSql(const QString &type, const QString &name);

    // --- One row per kind -------------------------------------------------------------------
    // The first row of a kind; nullopt when there is none.
    static std::optional<SettingsRow> readRow(const QString &type);
    // Name of the first row of a kind (nullopt when missing; a Null Name reads as "").
    static std::optional<QString> readName(const QString &type);
    // The add-or-edit order: select the rows of the kind, add a row when there is none or edit the
    // first, set Type, Name (and Setting1 / Setting8 when given), update.
    static void write(const SettingsRow &row);
    static void write(const QString &type, const QString &name) { write(SettingsRow{type, name, {}, {}}); }
    // The same order on any select of tblSettings whose first row is the one to write.
    static void writeBySelect(const QString &selectSql, const SettingsRow &row);
    // Deletes every row of a kind (the CATEGORY row when the grid goes back to all songs).
    static void deleteKind(const QString &type);

    // Typed helpers for the one-row kinds.
    // TABLET: the Boolean is stored as its text, "True" or "False".
    static void writeBool(const QString &type, bool value);
    static std::optional<bool> readBool(const QString &type);
    // BACKCOLOR, TEMPLATE RecordID, CATEGORYSTARTUP, ASSIGNCATGONADD: nullopt when the row is
    // missing or its Name is not numeric.
    static std::optional<qint64> readNumber(const QString &type);

    // --- Rows kept one per name (FILTER, NOTE) ---------------------------------------------
    static std::optional<SettingsRow> readNamed(const QString &type, const QString &name);
    // Add-or-edit on the row of that kind and name.
    static void writeNamed(const SettingsRow &row);
    static void deleteNamed(const QString &type, const QString &name);
    // Names of every row of a kind, in the order the database gives them.
    static QStringList names(const QString &type);

    // Saved filters: Name = the filter's name, Setting8 = its criteria.
    static QStringList filterNames();
    static std::optional<QString> filterCriteria(const QString &name);
    static void saveFilter(const QString &name, const QString &criteria);
    // False when no filter has the old name.
    static bool renameFilter(const QString &oldName, const QString &newName);
    // Deletes the first filter row of that name only; false when there is none.
    static bool deleteFilter(const QString &name);

    // Notes: Name = the title, Setting8 = the note as rich text; LASTNOTE: Name = list index.
    // "Select Type, Name, Setting8 from tblSettings Where Type='NOTE' Order by Name"
    static QString notesSql();
    // "Type='Note' And Name='<title>'" (FindFirst criteria on the notes list)
    static QString noteCriteria(const QString &title);
    static QString lastNoteReadSql();   // "Select Name from tblSettings Where Type='LASTNOTE'"
    static QString lastNoteWriteSql();  // "Select Name, Type from tblSettings Where Type='LASTNOTE'"
    static QList<SettingsRow> notes();  // ordered by title
    static std::optional<QString> noteText(const QString &title);
    static void saveNote(const QString &title, const QString &richText);
    static std::optional<QString> lastNote();
    static void setLastNote(const QString &listIndex);
};

} // namespace core
