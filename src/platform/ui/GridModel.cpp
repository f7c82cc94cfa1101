#include "platform/ui/GridModel.h"

#include "platform/db/LocaleDate.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/TextColours.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <algorithm>
#include <limits>
#include <memory>

namespace platform::ui {

using platform::db::DbError;

namespace {
constexpr int kCachedRows = 4096;

// The current row is light blue on any palette, so its text is chosen for that blue, not taken
// from the palette (a dark one gives light text).
const QColor kCurrentRowColour(0xD8, 0xE4, 0xF8);

// The locale's long time format without its time-zone field: the catalogue's times are local
// times without a zone, and the zone name only widens the cell.
QString timeFormatWithoutZone(const QLocale &loc) {
    const QString f = loc.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < f.size() && f.at(i + 1) == QLatin1Char('t'))
                ++i;
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

bool isNumeric(const QVariant &v) {
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::Long:
        return true;
    default:
        return false;
    }
}
} // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent), cache_(kCachedRows) {}

void GridModel::setDataControl(DataControl *dc) {
    dc_ = dc;
    reload();
}

void GridModel::setColumns(const QList<GridColumn> &cols) {
    beginResetModel();
    columns_ = cols;
    cache_.clear();
    resolveOrdinals();
    endResetModel();
}

void GridModel::insertGridColumn(int index, const GridColumn &c) {
    index = std::clamp(index, 0, int(columns_.size()));
    beginInsertColumns({}, index, index);
    columns_.insert(index, c);
    cache_.clear();
    resolveOrdinals();
    endInsertColumns();
}

void GridModel::removeGridColumn(int index) {
    if (index < 0 || index >= columns_.size())
        return;
    beginRemoveColumns({}, index, index);
    columns_.removeAt(index);
    cache_.clear();
    resolveOrdinals();
    endRemoveColumns();
}

void GridModel::columnChanged(int index) {
    cache_.clear();
    resolveOrdinals();
    emit headerDataChanged(Qt::Horizontal, index, index);
    if (rowCount_ > 0)
        emit dataChanged(this->index(0, index), this->index(rowCount_ - 1, index));
}

void GridModel::setCurrentRow(int row) {
    if (row == currentRow_)
        return;
    const int old = currentRow_;
    currentRow_ = row;
    const int last = int(columns_.size()) - 1;
    if (last < 0)
        return;
    if (old >= 0 && old < rowCount_)
        emit dataChanged(index(old, 0), index(old, last), {Qt::BackgroundRole, Qt::ForegroundRole});
    if (row >= 0 && row < rowCount_)
        emit dataChanged(index(row, 0), index(row, last), {Qt::BackgroundRole, Qt::ForegroundRole});
}

void GridModel::reload() {
    beginResetModel();
    cache_.clear();
    currentRow_ = -1;
    rowCount_ = 0;
    if (dc_ && dc_->recordset()) {
        try {
            const long n = dc_->recordset()->recordCount();
            rowCount_ = int(std::min<long>(n, std::numeric_limits<int>::max()));
        } catch (const DbError &) {
            rowCount_ = 0;
        }
    }
    resolveOrdinals();
    endResetModel();
}

void GridModel::refreshRow(int row) {
    cache_.remove(row);
    if (row >= 0 && row < rowCount_ && !columns_.isEmpty())
        emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
}

void GridModel::resolveOrdinals() {
    ordinals_.fill(-1, columns_.size());
    auto *rs = dc_ ? dc_->recordset() : nullptr;
    if (!rs)
        return;
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_[i].DataField.isEmpty())
            continue;
        try {
            ordinals_[i] = rs->fieldOrdinal(columns_[i].DataField);
        } catch (const DbError &) {
            ordinals_[i] = -1;
        }
    }
}

const QVector<QVariant> *GridModel::fetchRow(int row) const {
    if (auto *cached = cache_.object(row))
        return cached;
    auto *rs = dc_ ? dc_->recordset() : nullptr;
    if (!rs)
        return nullptr;
    auto values = std::make_unique<QVector<QVariant>>(columns_.size());
    try {
        for (int i = 0; i < columns_.size(); ++i) {
            const int ord = ordinals_.value(i, -1);
            if (ord < 0)
                continue;
            // Columns bound to the same field share one read.
            int same = -1;
            for (int j = 0; j < i; ++j)
                if (ordinals_[j] == ord) { same = j; break; }
            (*values)[i] = same >= 0 ? (*values)[same] : rs->valueAt(row, ord);
        }
    } catch (const DbError &) {
        return nullptr; // the row went away; drawn empty
    }
    auto *p = values.get();
    cache_.insert(row, values.release());
    return p;
}

QString GridModel::displayText(const QVariant &v) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDateTime: {
        // The date as Like compares it, with a four-digit year in every locale.
        const QDateTime dt = v.toDateTime();
        const QLocale loc;
        const QString date = loc.toString(dt.date(), db::LocaleDate::shortDateFormat(loc));
        if (dt.time() == QTime(0, 0))
            return date;
        return date + ' ' + loc.toString(dt.time(), timeFormatWithoutZone(loc));
    }
    case QMetaType::QDate:
        return QLocale().toString(v.toDate(), db::LocaleDate::shortDateFormat(QLocale()));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rowCount_; }

int GridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount_ || index.column() >= columns_.size())
        return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const auto *row = fetchRow(index.row());
        return row ? displayText(row->at(col)) : QString();
    }
    case Qt::TextAlignmentRole: {
        int align = columns_[col].Alignment;
        if (align == AlignGeneral) {
            const auto *row = fetchRow(index.row());
            align = row && isNumeric(row->at(col)) ? AlignRight : AlignLeft;
        }
        const Qt::Alignment h = align == AlignRight ? Qt::AlignRight
                                : align == AlignCenter ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
        if (index.row() == currentRow_)
            return kCurrentRowColour;
        return {};
    case Qt::ForegroundRole:
        if (index.row() == currentRow_)
            return contrastingColour(kCurrentRowColour);
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].Caption;
    // The head paints with this alignment, not its default one: a caption wider than its
    // column wraps at word breaks into the lines the head was made tall enough for.
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap));
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (allowUpdate_ && index.isValid() && ordinals_.value(index.column(), -1) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !allowUpdate_ || !index.isValid() || !dc_ || !dc_->recordset())
        return false;
    const int col = index.column();
    const int ord = ordinals_.value(col, -1);
    if (ord < 0)
        return false;
    // An unchanged cell is not written (and not stamped as changed).
    const auto *row = fetchRow(index.row());
    if (row && displayText(row->at(col)) == value.toString())
        return false;
    auto *rs = dc_->recordset();
    try {
        rs->setBookmark(rs->bookmarkAt(index.row()));
        rs->edit();
        const QString text = value.toString();
        rs->setValue(ord, text.isEmpty() ? QVariant() : QVariant(text));
        rs->update();
    } catch (const DbError &e) {
        try { if (rs->editMode() != platform::db::EditMode::None) rs->cancelUpdate(); } catch (...) {}
        emit writeFailed(e.description());
        return false;
    }
    refreshRow(index.row());
    emit cellWritten(col);
    refreshRow(index.row()); // the handler of cellWritten may write the row again
    return true;
}

} // namespace platform::ui
