#pragma once
// The workings behind a Recordset, in parts: what it reads (SourcePlan), its rows in order and
// where it stands (KeyList), the rows' values (RowCache), the statement a walk steps (RowWalk),
// find (RowFind) and the row being edited or added (EditBuffer). Each part's header says what its
// state means; the functions below work across the parts and live in the part's file whose
// state they keep (SourcePlan.cpp, KeyList.cpp, ...). Recordset.cpp is the DAO face over them.
//
// Every public operation of a Recordset leaves these invariants (checked when it returns in
// builds with ORVALIS_CHECK_INVARIANTS):
// - the position is -1 .. serials.size(), and serials rise along the list;
// - keys holds keyWidth parts per row, and a recordset read whole holds one row per serial;
// - outside an edit the edit buffer is empty, inside it holds one value per field; only an Edit
//   keeps the row it took.
#include "platform/db/DbInternal.h"
#include "platform/db/EditBuffer.h"
#include "platform/db/KeyList.h"
#include "platform/db/Recordset.h"
#include "platform/db/RecordsetSql.h"
#include "platform/db/RowCache.h"
#include "platform/db/RowFind.h"
#include "platform/db/RowWalk.h"
#include "platform/db/SourcePlan.h"

#include <functional>

namespace platform::db {

struct Recordset::Impl : detail::WriteWatcher,
                         detail::SourcePlan,
                         detail::KeyList,
                         detail::RowCache,
                         detail::EditBuffer,
                         detail::RowFind,
                         detail::RowWalk {
    using Col = detail::Col;
    using Tab = detail::Tab;
    using TableInfo = detail::TableInfo;
    using RawRow = detail::RawRow;
    using JoinFill = detail::JoinFill;
    using TextEq = detail::TextEq;

    ~Impl() override;

    // setup: the source plan (SourcePlan.cpp)
    void describe(sqlite3_stmt *s);
    void finishTabs();
    void openTable(const TableInfo *t);
    void setTableOrder();
    bool openSnapshotPlan();
    void openQuery(const QString &translated);
    QString rebuild(const QString &columns) const;
    void identify(bool agg);
    bool keyThroughSavedQuery();
    QStringList planOf(const QString &query);
    static bool walkCostsMoreThanSort(const QStringList &plan, bool filtered);
    QString whereForOrder(const QString &select, const QString &where, const QString &orderBy, QStringList &plan);
    bool prepareLazy();
    bool adoptKeys(const Impl &from);
    bool loadKeys();
    void loadWhole(sqlite3_stmt *s, bool withKeys);

    // positions: the key list, bookmarks, the table index, holes, rollback (KeyList.cpp)
    void check();
    bool inTransaction() const;
    void keepForRollback();
    void noteLastModified(qint64 serial);
    void settleTransaction();
    bool keysFresh() const;
    void reloadTableKeys();
    void dropHoles();
    long tablePos(qint64 rowid);
    void sync();
    long count();
    bool hasCurrent();
    qint64 currentSerial();
    void setPos(long p);
    long positionOfSerial(qint64 serial);
    void refuseBack() const;
    void leaveEdit();
    const qint64 *keyAt(long p) const;
    std::optional<qint64> currentTableRow() const;
    void keepAnchor();
    void takeAnchor(sqlite3_stmt *s, int first, qint64 row);
    void beforeRowsGo() override;
    std::optional<long> placeOfDeleted(qint64 row);
    void currentKey(std::vector<qint64> &out) const;

    // rows: the row cache (RowCache.cpp)
    bool singleTable();
    bool unchangedSince(quint64 since);
    bool cacheValid();
    const RawRow *fetch(qint64 serial, const qint64 *key);
    bool prepareBatch();
    void fetchBatch(long p, int dir);
    const RawRow *rawAt(long p);
    Value cellAt(long p, int ordinal);
    bool seekedRowThere();
    const RawRow *currentRaw();
    RawRow currentRow();
    Value currentCell(int ordinal);

    // walks (RowWalk.cpp)
    void closeWalk();
    bool walkKeyIs(sqlite3_stmt *s, int first, long p) const;
    bool openWalk(long p);
    bool walkTo(long p);
    bool walkSurvivesWriteTo(qint64 serial);

    // find (RowFind.cpp)
    const QHash<QString, QString> &findNames();
    static std::string equalKey(QByteArrayView text, TextEq how);
    static bool textEqual(QByteArrayView a, QByteArrayView b, TextEq how);
    std::optional<long> findEqual(const QString &criteria, const QVariantList &values, long start, int dir);
    std::optional<long> findPrefix(const QString &criteria, const QString &expr, long start);
    long findInBatches(const QString &expr, long start, int dir, const std::function<void(sqlite3_stmt *)> &bindAll);
    bool find(const QString &criteria, const QVariantList &values, long start, int dir);

    // writes: the edit buffer (EditBuffer.cpp)
    QStringList foldedNames(const std::vector<char> &which);
    void requireUpdatable();
    QVariant defaultValue(size_t col);
    qint64 nextCounter(size_t ti);
    bool counterUnmoved() const;
    void notePrediction();
    template <typename F> void atomically(bool several, F &&f);
    void runWrite(const QString &q, const QVariantList &binds);
    QString keyWhere(const Tab &t, QVariantList &binds, const std::vector<qint64> &key) const;
    bool keyKnown(const Tab &t, const std::vector<qint64> &key) const;
    void updateEdited();
    std::vector<JoinFill> joinFills(const std::vector<char> &writeTab) const;
    void updateAdded();
};

} // namespace platform::db
