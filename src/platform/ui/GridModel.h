#pragma once
// The table model behind a DbGrid: one row per row of the data control's recordset, one column
// per grid column. Rows are read on demand through Recordset::valueAt and kept in a small cache,
// so a recordset of any size opens and scrolls without reading all of its rows.
#include "platform/db/Recordset.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QList>
#include <QString>
#include <QVector>

namespace platform::ui {

class DataControl;

// Alignment codes of a grid column.
enum ColumnAlignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2, AlignGeneral = 3 };
// Divider styles of a grid column (kept and written to layout files; drawn as grid lines).
enum DividerStyle { DividerNone = 0, DividerBlackLine = 1, DividerDarkGrayLine = 2, DividerRaised = 3,
                    DividerInset = 4 };

struct GridColumn {
    QString Caption;
    QString DataField;
    double Width = 1000;  // twips
    int Alignment = AlignGeneral;
    int DividerStyle = DividerDarkGrayLine;
    bool Visible = true;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    void setDataControl(DataControl *dc);
    DataControl *dataControl() const { return dc_; }

    // Columns (index 0 = the first grid column).
    const QList<GridColumn> &columns() const { return columns_; }
    GridColumn &columnRef(int index) { return columns_[index]; }
    void setColumns(const QList<GridColumn> &cols);
    void insertGridColumn(int index, const GridColumn &c);
    void removeGridColumn(int index);
    // Call after a column's DataField, Caption or Alignment was changed through columnRef.
    void columnChanged(int index);

    void setAllowUpdate(bool on) { allowUpdate_ = on; }
    bool allowUpdate() const { return allowUpdate_; }
    // The row drawn as current (-1 none).
    void setCurrentRow(int row);

    // Forget cached rows and re-read the row count (the recordset changed).
    void reload();
    // Forget one cached row and redraw it.
    void refreshRow(int row);

    // Text shown for a field value.
    static QString displayText(const QVariant &v);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

signals:
    // A cell's value was written to its record.
    void cellWritten(int column);
    // Writing a cell failed (the text of the database error).
    void writeFailed(const QString &message);

private:
    const QVector<QVariant> *fetchRow(int row) const;
    void resolveOrdinals();

    DataControl *dc_ = nullptr;
    QList<GridColumn> columns_;
    QVector<int> ordinals_;  // per column: ordinal in the recordset, -1 unknown field
    mutable QCache<int, QVector<QVariant>> cache_;
    int rowCount_ = 0;
    int currentRow_ = -1;
    bool allowUpdate_ = false;
};

} // namespace platform::ui
