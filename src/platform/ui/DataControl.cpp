#include "platform/ui/DataControl.h"

namespace platform::ui {

using platform::db::DbError;
using platform::db::RecordsetType;

DataControl::DataControl(QObject *parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setDatabase(platform::db::Database *db) {
    if (db != db_)
        close();
    db_ = db;
}

void DataControl::refresh() {
    if (!db_)
        throw DbError(platform::db::err::GeneralError, QStringLiteral("No database is open."));
    auto rs = db_->openRecordset(recordSource_, RecordsetType::Dynaset);
    if (rs->recordCount() > 0)
        rs->moveFirst();
    rs_ = std::move(rs);
    emit recordsetReplaced();
}

void DataControl::setRecordset(std::unique_ptr<platform::db::Recordset> rs) {
    rs_ = std::move(rs);
    if (rs_)
        recordSource_ = rs_->source();
    emit recordsetReplaced();
}

long DataControl::recordCount() const { return rs_ ? rs_->recordCount() : 0; }

bool DataControl::hasCurrentRow() const {
    return rs_ && rs_->recordCount() > 0 && !rs_->bof() && !rs_->eof();
}

void DataControl::moveFirst() { if (rs_) { rs_->moveFirst(); rowMoved(); } }
void DataControl::moveLast() { if (rs_) { rs_->moveLast(); rowMoved(); } }
void DataControl::moveNext() { if (rs_) { rs_->moveNext(); rowMoved(); } }
void DataControl::movePrevious() { if (rs_) { rs_->movePrevious(); rowMoved(); } }
void DataControl::move(long rows) { if (rs_) { rs_->move(rows); rowMoved(); } }

void DataControl::setAbsolutePosition(long position) {
    if (rs_) {
        rs_->setAbsolutePosition(position);
        rowMoved();
    }
}

void DataControl::setBookmark(const platform::db::Bookmark &b) {
    if (rs_) {
        rs_->setBookmark(b);
        rowMoved();
    }
}

bool DataControl::findFirst(const QString &criteria) {
    if (!rs_)
        return false;
    rs_->findFirst(criteria);
    const bool found = !rs_->noMatch();
    if (found)
        rowMoved();
    return found;
}

void DataControl::deleteCurrent() {
    if (!rs_)
        return;
    rs_->deleteRecord();
    rowsChanged();
}

void DataControl::rowMoved() { emit currentRowMoved(); }

void DataControl::rowsChanged() { emit dataChanged(); }

void DataControl::currentRowValuesChanged() {
    if (hasCurrentRow())
        emit rowValuesChanged(rs_->absolutePosition());
}

void DataControl::close() {
    if (!rs_)
        return;
    try { rs_->close(); } catch (...) {}
    rs_.reset();
    emit recordsetReplaced();
}

} // namespace platform::ui
