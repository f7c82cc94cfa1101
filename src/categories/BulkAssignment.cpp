#include "categories/BulkAssignment.h"

#include <QSet>
#include <optional>

namespace categories {

namespace db = platform::db;

namespace {

// The RecordID of every row of `songs`, first to last. Read by position through a view of that
// field alone when the recordset keeps its rows by key, so the current row never moves;
// otherwise walked, the current row put back afterwards (a walk that only reads lets the
// recordset read its rows ahead in batches).
QList<qint64> songIds(db::Recordset &songs) {
    QList<qint64> ids;
    if (const std::unique_ptr<db::Recordset> view = songs.keptView(QStringList{QStringLiteral("RecordID")})) {
        const long n = view->recordCount();
        ids.reserve(n);
        for (long p = 0; p < n; ++p) {
            const QVariant id = view->valueAt(p, 0);
            // A row deleted by another writer since it was shown reads as Null, as the walk
            // stops at it; linking it would leave a link to no song.
            if (id.isNull())
                throw db::DbError(db::err::RecordDeleted, QStringLiteral("Record is deleted."));
            ids.append(id.toLongLong());
        }
        return ids;
    }
    std::optional<db::Bookmark> saved;
    if (songs.recordCount() > 0 && !songs.bof() && !songs.eof())
        saved = songs.bookmark();
    try {
        if (songs.recordCount() > 0) {
            ids.reserve(songs.recordCount());
            const int field = songs.fieldOrdinal(QStringLiteral("RecordID"));
            songs.moveFirst();
            while (!songs.eof()) {
                ids.append(field >= 0 ? songs.value(field).toLongLong()
                                      : songs.value(QStringLiteral("RecordID")).toLongLong());
                songs.moveNext();
            }
        }
    } catch (...) {
        try {
            if (saved)
                songs.setBookmark(*saved);
        } catch (...) {
        }
        throw;
    }
    if (saved)
        songs.setBookmark(*saved);
    return ids;
}

// The songs in the category now.
QSet<qint64> songsIn(db::Database &database, qint64 category) {
    QSet<qint64> in;
    auto rs = database.openRecordset(QStringLiteral("Select ID from tblCategoryID Where CategoryNumber = ?"),
                                     QVariantList{category}, db::RecordsetType::ForwardOnly);
    for (; !rs->eof(); rs->moveNext())
        in.insert(rs->value(0).toLongLong());
    rs->close();
    return in;
}

} // namespace

BulkCounts BulkAssignment::assignAll(db::Database &database, db::Recordset &songs, qint64 category) {
    const QList<qint64> ids = songIds(songs);
    BulkCounts counts;
    db::Transaction t(database);
    // Read under the transaction's write lock, so no other writer adds a link before ours: every
    // link left after the checks below is new, and all of them go in as one prepared statement.
    QSet<qint64> in = songsIn(database, category);
    QList<QVariantList> links;
    for (const qint64 id : ids) {
        // A song met twice, or already in the category, would be refused by the table's key.
        if (in.contains(id)) {
            ++counts.unchanged;
            continue;
        }
        links.append(QVariantList{id, category});
        in.insert(id);
    }
    if (!links.isEmpty())
        database.executeEach(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (?, ?)"), links);
    t.commit();
    counts.changed = long(links.size());
    return counts;
}

BulkCounts BulkAssignment::removeAll(db::Database &database, db::Recordset &songs, qint64 category) {
    const QList<qint64> ids = songIds(songs);
    // Each song once; the table's key holds a song at most once per category, so the rows the
    // deletes remove are the songs that were in it.
    QSet<qint64> seen;
    seen.reserve(ids.size());
    QList<QVariantList> links;
    for (const qint64 id : ids) {
        if (!seen.contains(id)) {
            seen.insert(id);
            links.append(QVariantList{id, category});
        }
    }
    BulkCounts counts;
    db::Transaction t(database);
    // One prepared statement for every link: a statement per song prepared anew costs more
    // than the walk.
    if (!links.isEmpty())
        counts.changed = database.executeEach(
            QStringLiteral("Delete from tblCategoryID Where ID = ? And CategoryNumber = ?"), links);
    t.commit();
    counts.unchanged = long(ids.size()) - counts.changed;  // not in it, or met before and removed already
    return counts;
}

} // namespace categories
