// Values the program puts into statements: bound to ? marks, or quoted by jet::quoted, they reach
// exactly their rows and never widen a statement.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/JetSql.h"

using namespace platform::db;

namespace {

const QString kHostile[] = {QStringLiteral("x\" Or \"1\"=\"1"), QStringLiteral("x' Or '1'='1"),
                            QStringLiteral("Queen\" Or Artist Like \"*"), QStringLiteral("?"),
                            QStringLiteral("a\"\"b")};

using BoundValues = SampleDbTest;

TEST_F(BoundValues, ExecuteBindsEveryKindOfValue) {
    EXPECT_EQ(db->execute(QStringLiteral("Update tblContacts Set Genre = ?, TrackNum = ?, PurchaseDate = ?, Rating = ? "
                                         "Where Artist = ? And Year = ?"),
                          {QStringLiteral("Rock \"n\" Roll"), 42, QDateTime(QDate(2020, 5, 1), QTime(0, 0)), QVariant(),
                           QStringLiteral("queen"), QStringLiteral("1975")}),
              2);
    EXPECT_EQ(raw(QStringLiteral("SELECT Genre || '|' || TrackNum || '|' || PurchaseDate || '|' || ifnull(Rating, 'null') "
                                 "FROM tblContacts WHERE RecordID = 16")),
              QStringLiteral("Rock \"n\" Roll|42|2020-05-01 00:00:00|null"));
    EXPECT_EQ(db->execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values (?)"), {kHostile[0]}), 1);
    EXPECT_EQ(db->execute(QStringLiteral("Delete From tblCategoryDesc Where CategoryDesc = ?"), {kHostile[0]}), 1);
    // A ? inside a literal is a character, and needs no value.
    EXPECT_EQ(db->execute(QStringLiteral("Update tblContacts Set Genre = '?' Where RecordID = ?"), QVariantList{3}), 1);
    EXPECT_EQ(raw(QStringLiteral("SELECT Genre FROM tblContacts WHERE RecordID = 3")), QStringLiteral("?"));
}

TEST_F(BoundValues, HostileValuesMatchOnlyThemselvesInEveryStatement) {
    for (const QString &v : kHostile) {
        EXPECT_EQ(db->execute(QStringLiteral("Update tblContacts Set Notes = 'hit' Where Artist = ?"), {v}), 0);
        EXPECT_EQ(db->execute(QStringLiteral("Delete From tblContacts Where SongName = ?"), {v}), 0);
        EXPECT_EQ(db->openRecordset(QStringLiteral("Select * From tblContacts Where Artist = ? Or FileName = ?"), {v, v})
                      ->recordCount(),
                  0);
        auto rs = open(QStringLiteral("Select * From tblContacts Order By RecordID"));
        rs->findFirst(QStringLiteral("Artist = ?"), {v});
        EXPECT_TRUE(rs->noMatch());
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE Notes = 'hit'")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

TEST_F(BoundValues, RecordsetsKeepTheirValuesThroughEveryReadAndRequery) {
    const QString select = QStringLiteral("Select RecordID, SongName From tblContacts Where Artist = ? And Year > ? "
                                          "Order By SongName");
    for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
        auto rs = db->openRecordset(select, {QStringLiteral("the beatles"), QStringLiteral("1965")}, type);
        EXPECT_EQ(column(*rs, QStringLiteral("SongName")).join(u'|'), QStringLiteral("Hey Jude|Let It Be"));
        rs->findFirst(QStringLiteral("SongName Like ? And RecordID > ?"), {QStringLiteral("let*"), 1});
        ASSERT_FALSE(rs->noMatch());
        EXPECT_EQ(rs->value(QStringLiteral("RecordID")).toLongLong(), 2);
        db->execute(QStringLiteral("Update tblContacts Set Year = ? Where RecordID = ?"), {QStringLiteral("1971"), 3});
        rs->requery();
        EXPECT_EQ(rs->recordCount(), 3);
        db->execute(QStringLiteral("Update tblContacts Set Year = ? Where RecordID = ?"), {QStringLiteral("1965"), 3});
    }
    // Over a join, through the lazy key list and its row reads.
    auto joined = db->openRecordset(
        QStringLiteral("Select tblContacts.* From tblContacts Inner Join tblCategoryID On tblContacts.RecordID = "
                       "tblCategoryID.ID Where CategoryNumber = ? Order By SongName"),
        {2});
    EXPECT_EQ(column(*joined, QStringLiteral("SongName")).join(u'|'), QStringLiteral("Bohemian Rhapsody|Dancing Queen"));
    joined->moveFirst();
    joined->edit();
    joined->setValue(QStringLiteral("Genre"), QStringLiteral("Opera"));
    joined->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT Genre FROM tblContacts WHERE RecordID = 16")), QStringLiteral("Opera"));
    // Read by position, as a grid reads: rows ahead are read in batches that test the join's
    // condition with the recordset's own value.
    auto computed = db->openRecordset(
        QStringLiteral(
            "Select tblContacts.RecordID, CategoryNumber + 0 As Cat From tblContacts Inner Join tblCategoryID "
            "On tblContacts.RecordID = tblCategoryID.ID Where CategoryNumber = ? Order By tblContacts.RecordID"),
        {1});
    QStringList read;
    for (long p = 0; p < computed->recordCount(); ++p)
        read << computed->valueAt(p, 0).toString() + u':' + computed->valueAt(p, 1).toString();
    EXPECT_EQ(read.join(u'|').toStdString(), "1:1|7:1|16:1");
}

// A user's filter text holds no values: a ? in it is refused, never run as Null.
TEST_F(BoundValues, AQuestionMarkWithoutValuesIsRefusedAndTheCountMustMatch) {
    EXPECT_DB_ERROR(err::SyntaxError, db->execute(QStringLiteral("Delete From tblContacts Where Artist = ?")));
    EXPECT_DB_ERROR(err::SyntaxError, open(QStringLiteral("Select * From tblContacts Where Artist <> ?")));
    auto rs = open(QStringLiteral("Select * From tblContacts"));
    EXPECT_DB_ERROR(err::SyntaxError, rs->findFirst(QStringLiteral("Artist = ? Or 1 = 1")));
    EXPECT_DB_ERROR(err::TooFewParameters,
                    db->execute(QStringLiteral("Delete From tblContacts Where Artist = ? Or Genre = ?"), {QStringLiteral("x")}));
    EXPECT_DB_ERROR(3001, db->execute(QStringLiteral("Delete From tblContacts Where Artist = ?"), {1, 2}));
    EXPECT_DB_ERROR(err::TooFewParameters, rs->findNext(QStringLiteral("Artist = ? And Genre = ?"), {QStringLiteral("x")}));
    EXPECT_DB_ERROR(3001, db->openRecordset(QStringLiteral("tblContacts"), {1}));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

// Texts the program keeps in record sources are quoted by one helper; each statement shape that
// takes a name finds only the rows of that very name.
TEST_F(BoundValues, QuotedNamesStayOneValueInEveryStatementShape) {
    EXPECT_EQ(jet::quoted(QStringLiteral("The \"Q\" Band")), QStringLiteral("\"The \"\"Q\"\" Band\""));
    db->execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values (") + jet::quoted(kHostile[0]) + u')');
    for (const QString &v : kHostile) {
        const QString q = jet::quoted(v);
        EXPECT_EQ(open(QStringLiteral("Select * from  tblContacts Where Artist = ") + q + QStringLiteral(" Order By SongName"))
                      ->recordCount(),
                  0)
            << qPrintable(v);
        if (v != QLatin1String("?")) { // a ? in a Like pattern is a wildcard, as the find means it
            EXPECT_EQ(open(QStringLiteral("Select * from tblContacts Where SongName Like ") + jet::quoted(u'*' + v + u'*'))
                          ->recordCount(),
                      0);
        }
        EXPECT_EQ(db->execute(QStringLiteral("Update tblContacts Set Notes = 'hit' Where Artist = ") + q), 0);
        EXPECT_EQ(db->execute(QStringLiteral("Delete * From tblContacts Where FileName = ") + q), 0);
        auto rs = open(QStringLiteral("Select * from tblCategoryDesc Order By CategoryDesc"));
        rs->findFirst(QStringLiteral("CategoryDesc = ") + q);
        EXPECT_EQ(rs->noMatch(), v != kHostile[0]) << qPrintable(v);
    }
    EXPECT_EQ(db->execute(QStringLiteral("Delete From tblCategoryDesc Where CategoryDesc = ") + jet::quoted(kHostile[0])), 1);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryDesc")), QStringLiteral("3"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE Notes = 'hit'")), QStringLiteral("0"));
}

// The same SELECT opened again and again as a snapshot reuses what was prepared for it: each
// opening reads with its own values and the rows as they are now, a snapshot opened while
// another of the same SELECT is read stays apart, and a name that becomes a saved query is
// read as that query from then on.
TEST_F(BoundValues, RepeatedSnapshotsOfOneSelectReadTheirOwnValuesAndTodaysRows) {
    const QString select = QStringLiteral("Select RecordID, Artist From tblContacts Where Artist = ? Order By RecordID");
    const auto ids = [&](const QString &artist) {
        QStringList out;
        auto rs = db->openRecordset(select, {artist}, RecordsetType::Snapshot);
        for (; !rs->eof(); rs->moveNext()) out << rs->value(0).toString();
        return out;
    };
    const QStringList bjork = ids(QStringLiteral("Björk"));
    ASSERT_FALSE(bjork.isEmpty());
    const QStringList none = ids(QStringLiteral("Nobody"));
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(ids(QStringLiteral("Björk")), bjork);
    db->execute(QStringLiteral("Update tblContacts Set Artist = 'Nobody' Where RecordID = ?"),
                QVariantList{bjork.first().toLongLong()});
    EXPECT_EQ(ids(QStringLiteral("Nobody")), QStringList{bjork.first()});
    EXPECT_EQ(ids(QStringLiteral("Björk")), bjork.mid(1));

    auto outer = db->openRecordset(select, {QStringLiteral("Nobody")}, RecordsetType::Snapshot);
    auto inner = db->openRecordset(select, {QStringLiteral("Björk")}, RecordsetType::Snapshot);
    EXPECT_EQ(outer->value(0).toString(), bjork.first());
    EXPECT_EQ(outer->recordCount(), 1);
    EXPECT_EQ(inner->recordCount(), bjork.size() - 1);

    EXPECT_DB_ERROR(3078, db->openRecordset(QStringLiteral("Select * From qryNobody"), RecordsetType::Snapshot));
    db->createQueryDef(QStringLiteral("qryNobody"), QStringLiteral("Select RecordID From tblContacts Where Artist = 'Nobody'"));
    auto saved = db->openRecordset(QStringLiteral("Select * From qryNobody"), RecordsetType::Snapshot);
    EXPECT_EQ(saved->recordCount(), 1);
    EXPECT_EQ(saved->value(0).toString(), bjork.first());
}

} // namespace
