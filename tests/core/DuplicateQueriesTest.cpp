// The saved duplicate queries on the sample catalogue: who is a duplicate, who is kept, and
// that creating them leaves an existing set alone.
#include "core/DuplicateQueries.h"
#include "platform/db/SampleCatalogue.h"

using namespace platform::db;

namespace {

class DuplicateQueriesTest : public SampleDbTest {
protected:
    void SetUp() override {
        SampleDbTest::SetUp();
        core::createDuplicateQueries(*db);
    }
    QString ids(const QString &source) {
        QStringList out = column(source, QStringLiteral("RecordID"));
        out.sort();
        return out.join(u',');
    }
};

TEST_F(DuplicateQueriesTest, SameArtistSongAndSizeTextMakeAGroupAndTheFirstIsKept) {
    // 3, 4, 5: same size text in different folders (5 differs only in case); 6 has another size.
    // 8, 9 and 21, 22 differ only in case. 12, 13 have no song name; 14, 15 have no artist.
    EXPECT_EQ(ids(QStringLiteral("qryDuplicateSongs")), QStringLiteral("21,22,3,4,5,8,9"));
    EXPECT_EQ(ids(QStringLiteral("qryShowDuplicatesToBeDeleted")), QStringLiteral("22,4,5,9"));
    auto group = db->openRecordset(QStringLiteral("qryDuplicateSongs"));
    group->findFirst(QStringLiteral("RecordID = 5"));
    EXPECT_EQ(group->value("FirstRecordID").toLongLong(), 3);
    EXPECT_EQ(group->value("AFileSize").toString(), QStringLiteral("2.1 MB"));

    EXPECT_EQ(db->execute(QStringLiteral("qdelDuplicates")), 4);
    EXPECT_EQ(raw(QStringLiteral("SELECT group_concat(RecordID) FROM tblContacts WHERE RecordID BETWEEN 3 AND 9")),
              QStringLiteral("3,6,7,8"));
    EXPECT_EQ(ids(QStringLiteral("qryDuplicateSongs")), QString());
}

TEST_F(DuplicateQueriesTest, AlbumSetGroupsBySongArtistAndAlbum) {
    EXPECT_EQ(ids(QStringLiteral("qryDuplicateSongsAlbum")), QStringLiteral("21,22,3,4,5,6,8,9"));
    EXPECT_EQ(ids(QStringLiteral("qryShowDuplicatesToBeDeletedAlbum")), QStringLiteral("22,4,5,6,9"));
    EXPECT_EQ(column(QStringLiteral("Select Artist, SongName, PathName, FileName, Duration from qryShowDuplicatesToBeDeletedAlbum "
                                    "Order By PathName, FileName "),
                     QStringLiteral("PathName"))
                  .join(u'|'),
              QStringLiteral("/backup/Beatles/|/flac/|/music/Björk/|/music/case/|/old/"));
    EXPECT_EQ(db->execute(QStringLiteral("qdelDuplicatesAlbum")), 5);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount - 5));
}

TEST_F(DuplicateQueriesTest, DuplicateViewsAreGridSources) {
    auto view = db->openRecordset(QStringLiteral("qryShowDuplicatesToBeDeleted"));
    EXPECT_EQ(view->recordCount(), 4);
    view->edit();
    view->setValue("Selected", QStringLiteral("x"));
    view->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT Selected FROM tblContacts WHERE RecordID = %1").arg(view->value("RecordID").toLongLong())),
              QStringLiteral("x"));
}

TEST_F(DuplicateQueriesTest, AnExistingSetIsLeftAsItIs) {
    const QStringList before = db->queryDefNames();
    core::createDuplicateQueries(*db);
    EXPECT_EQ(db->queryDefNames(), before);

    // Only the first query of a set is looked at.
    path = tmp.file(QStringLiteral("second.mdb"));
    testenv::copyEmptyCatalogue(path);
    db = Database::open(path);
    db->createQueryDef(QStringLiteral("qryDuplicateSongs"), QStringLiteral("SELECT * FROM tblContacts"));
    core::createDuplicateQueries(*db);
    EXPECT_EQ(db->queryDefSql(QStringLiteral("qryDuplicateSongs")), QStringLiteral("SELECT * FROM tblContacts"));
    EXPECT_FALSE(db->hasQueryDef(QStringLiteral("qtotDupSongNames")));
    EXPECT_TRUE(db->hasQueryDef(QStringLiteral("qdelDuplicatesAlbum")));
}

} // namespace
