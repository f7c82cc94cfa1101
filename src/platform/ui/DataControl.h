#pragma once
// The data control of a window: one record source text, the recordset it gives, and the current
// row that every bound control and every other window shares.
//
// The record source is kept exactly as set (callers compare it with saved-query names and cut it
// at its ORDER BY tail). Refresh runs it as a dynaset and moves to the first row. Code that moves
// the recordset should do so through the move methods here, or call rowMoved() afterwards, so
// that bound grids follow the current row.
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <QObject>
#include <QString>
#include <memory>

namespace platform::ui {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject *parent = nullptr);
    ~DataControl() override;

    // The database the record source is run on (not owned).
    void setDatabase(platform::db::Database *db);
    platform::db::Database *database() const { return db_; }

    // The record source text: a SELECT, a table name or a saved query's name. Setting it does
    // not run it; refresh() does.
    const QString &recordSource() const { return recordSource_; }
    void setRecordSource(const QString &text) { recordSource_ = text; }

    // Runs the record source and moves to its first row. On failure the previous recordset
    // stays bound and the DbError is thrown to the caller.
    void refresh();

    // Binds an already opened recordset; the record source then reads as its source text.
    void setRecordset(std::unique_ptr<platform::db::Recordset> rs);

    // The bound recordset; nullptr before the first refresh or after close().
    platform::db::Recordset *recordset() const { return rs_.get(); }
    // RecordCount of the bound recordset, 0 when none is bound.
    long recordCount() const;
    // True when a current row exists (a recordset is bound, it has rows, not at BOF or EOF).
    bool hasCurrentRow() const;

    // Moves of the current row; bound controls follow.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(long rows);
    void setAbsolutePosition(long position);
    void setBookmark(const platform::db::Bookmark &b);
    // FindFirst with Jet criteria; returns true when a row was found.
    bool findFirst(const QString &criteria);
    // Deletes the current row through the recordset.
    void deleteCurrent();

    // Tell bound controls what was done to the recordset directly.
    void rowMoved();     // the current row moved
    void rowsChanged();  // values were written or rows added / removed
    // Values of the current row were written and no row was added or removed: bound grids redraw
    // that row alone.
    void currentRowValuesChanged();

    // Releases the recordset (the window closes or the database goes away).
    void close();

signals:
    // A new recordset was bound (refresh or setRecordset).
    void recordsetReplaced();
    // The current row moved (by this control or reported through rowMoved()).
    void currentRowMoved();
    // Values or rows of the bound recordset changed.
    void dataChanged();
    // Values of the row at this position changed.
    void rowValuesChanged(long position);

private:
    platform::db::Database *db_ = nullptr;
    QString recordSource_;
    std::unique_ptr<platform::db::Recordset> rs_;
};

} // namespace platform::ui
