// Walks of every row (reports, exports, the missing-files scan, bulk changes) read rows ahead;
// what is written meanwhile must show in the rows still to come.
#include "platform/db/SampleCatalogue.h"

#include <algorithm>

using namespace platform::db;

namespace {

using Walks = SampleDbTest;

TEST_F(Walks, RowsChangedOrDeletedDuringAWalkShowAsTheyAreNow) {
    for (const char *source : {"Select * from tblContacts Order By RecordID", "tblContacts"}) {
        const bool table = QLatin1String(source) == QLatin1String("tblContacts");
        auto walk = open(QString::fromLatin1(source), table ? RecordsetType::Table : RecordsetType::Dynaset);
        if (table) walk->setIndex(QStringLiteral("PrimaryKey"));
        walk->moveFirst();
        for (int i = 0; i < 6; ++i, walk->moveNext()) // far enough to read ahead
            EXPECT_EQ(walk->value(QStringLiteral("RecordID")).toLongLong(), i + 1);
        const QString tag = QString::fromLatin1(table ? "table" : "dynaset");
        db->execute(QStringLiteral("Update tblContacts Set SongName = ? Where RecordID = 10"), {tag});
        // A row ahead edited through another recordset of the same table.
        auto editor = db->openRecordset(QStringLiteral("Select RecordID, SongName from tblContacts Where RecordID = 11"));
        editor->edit();
        editor->setValue(QStringLiteral("SongName"), tag + QStringLiteral(" 11"));
        editor->update();
        auto other = db->openRecordset(QStringLiteral("Select * from tblContacts Where RecordID = ?"), QVariantList{table ? 13 : 12});
        other->deleteRecord();
        QStringList seen;
        for (; !walk->eof(); walk->moveNext()) {
            try {
                seen << walk->value(QStringLiteral("SongName")).toString();
            } catch (const DbError &e) {
                seen << QString::number(e.number());
            }
        }
        EXPECT_EQ(seen.value(3), tag) << source;
        EXPECT_EQ(seen.value(4), tag + QStringLiteral(" 11")) << source;
        // A dynaset keeps the deleted row's place and says so; a table-type recordset moves on.
        if (!table) {
            EXPECT_EQ(seen.value(5), QStringLiteral("3167")) << source;
        }
        EXPECT_EQ(seen.size(), table ? 14 : 16) << source;
    }
}

// The missing-files scan walks every song and adds a row elsewhere for some; an edit walk
// changes each row it passes. Both see every row once, with its own values.
TEST_F(Walks, EditAndAddWalksVisitEveryRowOnceWithItsOwnValues) {
    Transaction t(*db);
    auto walk = open(QStringLiteral("Select RecordID, TrackNum, PathName From tblContacts Order By PathName, RecordID"));
    auto orphans = open(QStringLiteral("tblOrphanFileNames"));
    QList<qint64> ids;
    long n = 0;
    for (walk->moveFirst(); !walk->eof(); walk->moveNext(), ++n) {
        const qint64 id = walk->value(0).toLongLong();
        ids << id;
        walk->edit();
        walk->setValue(QStringLiteral("TrackNum"), 100 + id);
        walk->update();
        EXPECT_EQ(walk->value(QStringLiteral("TrackNum")).toLongLong(), 100 + id);
        if (n % 3 == 0) {
            orphans->addNew();
            orphans->setValue(QStringLiteral("RecordIdOrphan"), id);
            orphans->update();
        }
    }
    t.commit();
    QList<qint64> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted.size(), sample::kSongCount);
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE TrackNum = 100 + RecordID")),
              QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblOrphanFileNames")), QStringLiteral("10"));
}

} // namespace
