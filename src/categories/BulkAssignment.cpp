#include "categories/BulkAssignment.h"

#include <functional>
#include <optional>

namespace categories {

namespace db = platform::db;

namespace {

// Walks every row of `songs` inside one transaction with the link table open, then puts the
// current row back, also when the walk fails.
void walk(db::Database &database, db::Recordset &songs, const std::function<void(db::Recordset &, qint64)> &perSong) {
    std::optional<db::Bookmark> saved;
    if (songs.recordCount() > 0 && !songs.bof() && !songs.eof())
        saved = songs.bookmark();
    auto restore = [&] {
        if (saved)
            songs.setBookmark(*saved);
    };
    try {
        auto links = database.openRecordset(QStringLiteral("tblCategoryID"), db::RecordsetType::Table);
        db::Transaction t(database);
        if (songs.recordCount() > 0) {
            songs.moveFirst();
            while (!songs.eof()) {
                perSong(*links, songs.value(QStringLiteral("RecordID")).toLongLong());
                songs.moveNext();
            }
        }
        t.commit();
        links->close();
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
}

} // namespace

BulkCounts BulkAssignment::assignAll(db::Database &database, db::Recordset &songs, qint64 category) {
    BulkCounts counts;
    long tried = 0;
    walk(database, songs, [&](db::Recordset &links, qint64 id) {
        links.addNew();
        links.setValue(QStringLiteral("ID"), id);
        links.setValue(QStringLiteral("CategoryNumber"), category);
        ++tried;
        try {
            links.update();
        } catch (const db::DbError &e) {
            if (e.number() != db::err::DuplicateKey)
                throw;
            links.cancelUpdate();
            ++counts.unchanged;
        }
    });
    counts.changed = tried - counts.unchanged;
    return counts;
}

BulkCounts BulkAssignment::removeAll(db::Database &database, db::Recordset &songs, qint64 category) {
    BulkCounts counts;
    bool indexed = false;
    walk(database, songs, [&](db::Recordset &links, qint64 id) {
        if (!indexed) {
            links.setIndex(QStringLiteral("PrimaryKey"));
            indexed = true;
        }
        links.seek(QStringLiteral("="), {id, category});
        if (links.noMatch()) {
            ++counts.unchanged;
        } else {
            links.deleteRecord();
            ++counts.changed;
        }
    });
    return counts;
}

} // namespace categories
