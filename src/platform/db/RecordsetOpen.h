#pragma once
// How the database opens a recordset (the Recordset's own workings stay in Recordset.cpp).
#include "platform/db/DbInternal.h"
#include "platform/db/Recordset.h"

#include <memory>

namespace platform::db::detail {

// `source` is a table name, a saved query name or a Jet SELECT.
// `values` are bound to the ? marks of a SELECT.
std::unique_ptr<Recordset> openRecordset(const std::shared_ptr<Conn> &conn, const QString &source,
                                         RecordsetType type, const QVariantList &values = {});

} // namespace platform::db::detail
