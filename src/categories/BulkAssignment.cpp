#include "categories/BulkAssignment.h"

#include <QSet>
#include <optional>

namespace categories {

namespace db = platform::db;

namespace {

// The RecordID of every row of `songs`, first to last; the current row is put back afterwards.
// The walk only reads, so the recordset reads its rows ahead in batches.
QList<qint64> songIds(db::Recordset &songs) {
    QList<qint64> ids;
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
    QSet<qint64> in = songsIn(database, category);
    BulkCounts counts;
    db::Transaction t(database);
    auto links = database.openRecordset(QStringLiteral("tblCategoryID"), db::RecordsetType::Table);
    for (const qint64 id : ids) {
        // A song met twice, or already in the category, would be refused by the table's key.
        if (in.contains(id)) {
            ++counts.unchanged;
            continue;
        }
        links->addNew();
        links->setValue(QStringLiteral("ID"), id);
        links->setValue(QStringLiteral("CategoryNumber"), category);
        try {
            links->update();
        } catch (const db::DbError &e) {
            if (e.number() != db::err::DuplicateKey)
                throw;
            links->cancelUpdate();
            ++counts.unchanged;
        }
        in.insert(id);
    }
    links->close();
    t.commit();
    counts.changed = long(ids.size()) - counts.unchanged;
    return counts;
}

BulkCounts BulkAssignment::removeAll(db::Database &database, db::Recordset &songs, qint64 category) {
    const QList<qint64> ids = songIds(songs);
    QSet<qint64> in = songsIn(database, category);
    BulkCounts counts;
    QVariantList gone;
    for (const qint64 id : ids) {
        if (in.remove(id)) {
            gone.append(id);
            ++counts.changed;
        } else {
            ++counts.unchanged;  // not in it, or met before and removed already
        }
    }
    // The links go a few hundred at a time: one statement per song costs more than the walk.
    constexpr int kChunk = 500;
    db::Transaction t(database);
    for (qsizetype from = 0; from < gone.size(); from += kChunk) {
        const QVariantList chunk = gone.mid(from, kChunk);
        QStringList marks;
        marks.fill(QStringLiteral("?"), chunk.size());
        database.execute(QStringLiteral("Delete from tblCategoryID Where CategoryNumber = ? And ID In (") +
                             marks.join(QStringLiteral(", ")) + QLatin1Char(')'),
                         QVariantList{category} + chunk);
    }
    t.commit();
    return counts;
}

} // namespace categories
