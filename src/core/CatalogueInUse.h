#pragma once
// A catalogue that another program is changing when the start opens it (an SQLite shell in a
// transaction, a second user of a shared catalogue running a long delete). Its songs can still
// be read, so the start goes on and shows them; what it writes only to remember things (the
// saved duplicate queries, the sort and category rows of the first view) it does without. Those
// writes fail at once instead of each waiting for the lock, and the user is told once, when the
// first view is shown, that changes fail until the other program is done.
//
// checkAtOpening() begins a start, endOfStart() ends it; between them every write on the
// catalogue fails at once with 3218 while the lock is held. After endOfStart() writes wait for
// the lock as usual again.
#include <QString>

namespace platform::db {
class Database;
}

namespace core {

class CatalogueInUse {
public:
    // Whether another program holds the catalogue's write lock now; when it does, the start's
    // writes stop waiting for it until endOfStart().
    static bool checkAtOpening(platform::db::Database &db);
    // A write the start does without met the lock (it may have been taken after the opening).
    static void noteLocked();
    // The first view is shown: writes wait as usual again, and when the lock was met the user
    // is told so, once.
    static void endOfStart();

    static QString noticeText(const QString &catalogue);
};

} // namespace core
