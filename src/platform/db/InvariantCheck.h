#pragma once
// In builds with ORVALIS_CHECK_INVARIANTS (Debug and the sanitizer build), every public
// operation of a Recordset holds an InvariantCheck: when the operation returns, by value or by
// an exception, the recordset's state is checked against itself and against the catalogue, and
// a broken invariant stops the program with what broke, inside the test that caused it:
// - the current position lies within the key list, serials rise around it, the key list holds
//   keyWidth parts per row and a recordset read whole one row per serial; a table-type
//   recordset on a position is on the row its list has there;
// - the current row, when the row cache holds it as still current, reads as the catalogue's row
//   for its key does now (unless another connection wrote since the cache was last emptied);
// - outside an edit the edit buffer is empty, inside it holds one value per field;
// - a live walk's statement that stands on a row stands within the list.
// The checks cost one read by key at most, so the sanitized suite stays near its own time.
// Elsewhere the class is empty and the compiler drops it.
#include "platform/db/Recordset.h"

namespace platform::db::detail {

class InvariantCheck {
public:
#ifdef ORVALIS_CHECK_INVARIANTS
    explicit InvariantCheck(const Recordset &rs) : rs_(rs) {}
    ~InvariantCheck();
#else
    explicit InvariantCheck(const Recordset &) {}
#endif
    InvariantCheck(const InvariantCheck &) = delete;
    InvariantCheck &operator=(const InvariantCheck &) = delete;

#ifdef ORVALIS_CHECK_INVARIANTS
private:
    const Recordset &rs_;
#endif
};

} // namespace platform::db::detail
