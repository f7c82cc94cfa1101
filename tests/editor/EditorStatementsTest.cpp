// The song editor's statements against the sample catalogue: the ID test with bound values
// (a quote in the ID is a value, not SQL), the play-list re-pointing of a renamed file, and the
// write through a table recordset found by Seek, inside one transaction that rolls back whole.
#include "platform/db/SampleCatalogue.h"

#include "editor/SaveCommand.h"

using namespace platform::db;
using editor::SaveCommand;

namespace {

TEST_F(SampleDbTest, TheIdTestFindsOtherSongsOnlyAndTakesQuotesAsText) {
    db->execute(QStringLiteral("Update tblContacts Set ID = ? Where RecordID = 2"), {QStringLiteral("A\"1")});
    struct Case {
        QVariantList values;
        bool own;
        const char *songs;
    };
    const Case cases[] = {
        {{QStringLiteral("S001")}, false, "Hey Jude"},
        {{QStringLiteral("s001")}, false, "Hey Jude"},                 // case-blind as the catalogue compares
        {{QStringLiteral("S001"), 1}, true, ""},                      // its own row is left out
        {{QStringLiteral("S001"), 2}, true, "Hey Jude"},
        {{QStringLiteral("A\"1"), 1}, true, "Let It Be"},
        {{QStringLiteral("\" Or \"\"=\""), 1}, true, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(column(*db->openRecordset(SaveCommand::idQuerySql(c.own), c.values), QStringLiteral("SongName")).join(u'|'),
                  QString::fromUtf8(c.songs))
            << c.values.first().toString().toStdString();
}

TEST_F(SampleDbTest, ARenamedFilesTracksAreRePointedOnlyForTheExactPath) {
    const QString old = QStringLiteral("/music/Queen/Bohemian Rhapsody.mp3");
    const QString moved = QStringLiteral("/music/Queen \"live\"/Bohemian Rhapsody.mp3");
    EXPECT_EQ(db->execute(SaveCommand::playListUpdateSql(), {moved, old.toUpper()}), 0);
    EXPECT_EQ(db->execute(SaveCommand::playListUpdateSql(), {moved, old}), 2);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail WHERE FileName = '/music/Queen \"live\"/Bohemian Rhapsody.mp3'")),
              QStringLiteral("2"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail")), QStringLiteral("5"));
}

TEST_F(SampleDbTest, TheEditorsWriteAndItsTrackUpdateRollBackTogether) {
    {
        Transaction t(*db);
        db->execute(SaveCommand::playListUpdateSql(), {QStringLiteral("/x.mp3"), QStringLiteral("/music/Beatles/Hey Jude.mp3")});
        auto rs = db->openRecordset(QStringLiteral("tblContacts"), RecordsetType::Table);
        rs->setIndex(QStringLiteral("PrimaryKey"));
        rs->seek(QStringLiteral("="), {1});
        rs->edit();
        rs->setValue(QStringLiteral("FileName"), QStringLiteral("x.mp3"));
        rs->update();
        auto links = db->openRecordset(QStringLiteral("tblCategoryID"), RecordsetType::Table);
        links->addNew();
        links->setValue(QStringLiteral("ID"), 1);
        links->setValue(QStringLiteral("CategoryNumber"), QStringLiteral("3"));
        links->update();
        // not committed
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT FileName FROM tblContacts WHERE RecordID = 1")), QStringLiteral("Hey Jude.mp3"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblPlayListDetail WHERE FileName = '/x.mp3'")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID = 1")), QStringLiteral("1"));

    auto rs = db->openRecordset(QStringLiteral("tblContacts"), RecordsetType::Table);
    rs->setIndex(QStringLiteral("PrimaryKey"));
    rs->seek(QStringLiteral("="), {999});
    EXPECT_TRUE(rs->noMatch());
    try {
        rs->edit();
        ADD_FAILURE() << "edited without a current record";
    } catch (const DbError &e) {
        EXPECT_EQ(e.number(), err::NoCurrentRecord);
    }
}

} // namespace
