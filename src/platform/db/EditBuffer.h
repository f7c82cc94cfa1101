#pragma once
// Edit, AddNew, Update and CancelUpdate. While `mode` is not None, `buf` holds a value per field
// and `dirty` marks those assigned. AddNew fills `buf` with the new row's values; Edit keeps the
// row as it found it in `editRow`, as SQLite gave it, so that a field becomes a value only when
// it is read (an edit walk assigns a field or two of each row and reads none of the others):
// reads of an unassigned field during an Edit give `editRow`, the others give `buf`.
// Update writes the assigned fields to the tables that own them (several tables as one unit)
// and leaves the mode None whether it succeeds or throws a DbError the caller may retry; any
// move leaves the edit as CancelUpdate does. `editSerial` and `editKey` name the row Edit took.
//
// AddNew shows each counter field as the value the table will give (`predicted`); Update then
// stores that value when nothing can have moved the counter since (the counts taken with it),
// so the row added has the number shown. The statements a cycle runs for every row (a field's
// default, a table's next counter, the INSERT per set of assigned fields, the UPDATE per set of
// changed fields) are prepared once per recordset.
#include "platform/db/DbInternal.h"
#include "platform/db/RawRow.h"
#include "platform/db/Recordset.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::db::detail {

struct DefaultStmt {
    bool tried = false;
    Stmt stmt; // empty when the default is not a constant expression
};

// Where a row added through a join goes into two tables, the one joined on the other's counter
// ("tblContacts.RecordID = tblCategoryID.ID") takes the counter the other's new row got, unless
// the caller set that field: a song added in a category's view is linked to it.
struct JoinFill {
    size_t from;    // the table whose new counter is taken
    size_t to;      // the table whose field takes it
    QString column; // that field, as its table names it
};

struct EditBuffer {
    EditMode mode = EditMode::None;
    QVariantList buf;
    std::optional<RawRow> editRow; // Edit only: the row as it stood
    std::vector<char> dirty;
    qint64 editSerial = 0;
    std::vector<qint64> editKey;
    std::vector<qint64> predicted; // per tab: counter value shown by AddNew, 0 when none
    // What could have moved the counters since AddNew: writes through the layer, rows changed on
    // the connection, and transaction bounds; plus whether AddNew ran inside a write transaction.
    quint64 predictedGen = 0;
    sqlite3_int64 predictedChanges = 0;
    quint64 predictedTrans = 0;
    bool predictedInWrite = false;
    std::optional<qint64> lastMod; // the serial of the row written last
    quint64 lastModTrans = 0; // the transaction that set lastMod, 0 when none was open
    std::vector<DefaultStmt> defaultStmts;   // per column
    std::vector<Stmt> counterStmts;          // per tab
    std::map<std::string, Stmt> insertStmts; // tab, assigned columns and counter → INSERT
    std::map<std::string, Stmt> updateStmts; // tab and changed columns → UPDATE by key
    std::vector<char> foldedMarks;           // the tables foldedList names, one mark per tab
    QStringList foldedList;
};

} // namespace platform::db::detail
