#pragma once
// The one way a write on a connection becomes known. Every statement that may change rows, and
// every bound of a transaction, runs inside a WriteScope; nothing else moves the connection's
// generation, resets its standing reads or warns the recordsets that watch for rows going away,
// so a new command cannot forget to.
//
// On entry: the watchers (table-type recordsets) read what they keep of the rows that may go,
// when the statement may delete or undo rows; and the reads recordsets leave standing are reset
// where they would hold an old read snapshot: outside a transaction (a write takes a new one),
// for a statement whose tables are not known, and at every bound of a transaction. A recordset
// writing its own tables inside a transaction leaves them standing, so a walk goes on over its
// own edits.
// On leaving, whether the statement succeeded or threw: the generation moves once, and the
// tables written are marked with it (all tables, when they are not known). A bound of a
// transaction moves the transaction count instead: the rows are as the connection wrote them.
// Row caches, key lists and walks compare what they hold with these counts.
#include <QStringList>

namespace platform::db::detail {

struct Conn;

class WriteScope {
public:
    enum class Effect {
        Change,     // rows are inserted or changed, none removed
        MayRemove,  // rows may be deleted or undone
        Bound,      // BeginTrans or CommitTrans
        Rollback,   // a bound that undoes rows
    };
    // `foldedTables`: the tables the statement writes, by folded name; empty when not known.
    WriteScope(Conn &conn, Effect effect, QStringList foldedTables = {});
    ~WriteScope();
    WriteScope(const WriteScope &) = delete;
    WriteScope &operator=(const WriteScope &) = delete;

private:
    Conn &conn_;
    Effect effect_;
    QStringList tables_;
};

} // namespace platform::db::detail
