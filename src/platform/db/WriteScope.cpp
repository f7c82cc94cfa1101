#include "platform/db/WriteScope.h"

#include "platform/db/DbInternal.h"

namespace platform::db::detail {

WriteScope::WriteScope(Conn &conn, Effect effect, QStringList foldedTables)
    : conn_(conn), effect_(effect), tables_(std::move(foldedTables)) {
    if (effect_ == Effect::MayRemove || effect_ == Effect::Rollback)
        for (WriteWatcher *w : conn_.watchers) w->beforeRowsGo();
    const bool bound = effect_ == Effect::Bound || effect_ == Effect::Rollback;
    if (bound || tables_.isEmpty() || sqlite3_get_autocommit(conn_.db)) conn_.resetStandingReads();
}

WriteScope::~WriteScope() {
    if (effect_ == Effect::Bound || effect_ == Effect::Rollback) ++conn_.transSerial_;
    if (effect_ == Effect::Bound) return;
    ++conn_.gen_;
    if (tables_.isEmpty()) conn_.blindGen_ = conn_.gen_;
    for (const QString &t : tables_) conn_.tableGens_.insert(t, conn_.gen_);
}

} // namespace platform::db::detail
