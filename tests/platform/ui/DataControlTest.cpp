// The data control: the record source kept as set, refresh, a failing refresh, and the moves
// that bound controls follow.
#include "common/TestEnv.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"

#include <QSignalSpy>

using namespace platform::ui;
using platform::db::Database;
using platform::db::DbError;

namespace {

class DataControlTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        testenv::copyEmptyCatalogue(tmp.file("OVdata.mdb"));
        db = Database::open(tmp.file("OVdata.mdb"));
        for (const char *song : {"Cecilia", "alpha", "Bravo", "delta"})
            db->execute(QStringLiteral("Insert Into tblContacts (SongName, Artist) Values ('%1', 'A')")
                            .arg(QString::fromLatin1(song)));
        dc.setDatabase(db.get());
    }
    std::unique_ptr<Database> db;
    DataControl dc;
};

TEST_F(DataControlTest, RecordSourceIsKeptExactlyAndRefreshMovesToTheFirstRow) {
    const QString source = QStringLiteral("Select * from  tblContacts Where Artist = 'A'  Order By SongName ");
    dc.setRecordSource(source);
    EXPECT_EQ(dc.recordSource(), source) << "the text must not be normalised";
    EXPECT_EQ(dc.recordset(), nullptr) << "setting the text does not run it";
    QSignalSpy replaced(&dc, &DataControl::recordsetReplaced);
    dc.refresh();
    ASSERT_NE(dc.recordset(), nullptr);
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(dc.recordCount(), 4);
    EXPECT_EQ(dc.recordset()->value(QStringLiteral("SongName")).toString(), QStringLiteral("alpha"));
    EXPECT_EQ(dc.recordSource(), source);
}

TEST_F(DataControlTest, FailingRefreshThrowsAndKeepsTheBoundRows) {
    dc.setRecordSource(QStringLiteral("tblContacts"));
    dc.refresh();
    auto *before = dc.recordset();
    dc.setRecordSource(QStringLiteral("Select * from  tblContacts Where NoSuchField = 1"));
    EXPECT_THROW(dc.refresh(), DbError);
    EXPECT_EQ(dc.recordset(), before);
    EXPECT_EQ(dc.recordCount(), 4);
}

TEST_F(DataControlTest, MovesAndFindsAreReportedToBoundControls) {
    dc.setRecordSource(QStringLiteral("Select * from  tblContacts Order By SongName"));
    dc.refresh();
    QSignalSpy moved(&dc, &DataControl::currentRowMoved);
    dc.moveLast();
    EXPECT_EQ(dc.recordset()->value(QStringLiteral("SongName")).toString(), QStringLiteral("delta"));
    EXPECT_TRUE(dc.findFirst(QStringLiteral("SongName = \"bravo\"")));
    EXPECT_EQ(dc.recordset()->absolutePosition(), 1);
    EXPECT_FALSE(dc.findFirst(QStringLiteral("SongName = \"zulu\"")));
    EXPECT_EQ(dc.recordset()->absolutePosition(), 1) << "no match leaves the row where it was";
    EXPECT_EQ(moved.count(), 2);
    QSignalSpy changed(&dc, &DataControl::dataChanged);
    dc.deleteCurrent();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(dc.recordCount(), 3);
}

TEST_F(DataControlTest, ASavedQueryNameIsARecordSource) {
    dc.setRecordSource(QStringLiteral("qryContacts"));
    EXPECT_NO_THROW(dc.refresh());
    EXPECT_EQ(dc.recordCount(), 0) << "no song is in a category";
}

} // namespace
