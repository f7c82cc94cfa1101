// Writes the category windows make: links added through the song's LEFT JOIN of its categories
// and through a table recordset on tblCategoryID, a duplicate link refused with 3022 in the
// middle of a transaction that goes on, rows removed through the join, and a long run of links
// in one transaction.
#include "platform/db/SampleCatalogue.h"

using namespace platform::db;

namespace {

const QString kSongCategories =
    QStringLiteral("SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN tblCategoryDesc "
                   "ON tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE tblCategoryID.ID=%1 Order By "
                   "CategoryDesc");

class CategoryWrites : public SampleDbTest {
protected:
    QString links(int id) {
        return column(QStringLiteral("Select CategoryNumber from tblCategoryID Where ID=%1 Order By CategoryNumber").arg(id),
                      QStringLiteral("CategoryNumber"))
            .join(u',');
    }
    // Adds one link through a recordset; the DbError number, 0 when it was written.
    static int addLink(Recordset &rs, qint64 id, qint64 category) {
        try {
            rs.addNew();
            rs.setValue(QStringLiteral("ID"), id);
            rs.setValue(QStringLiteral("CategoryNumber"), category);
            rs.update();
            return 0;
        } catch (const DbError &e) {
            return e.number();
        }
    }
};

// A song added in a category's view, with the category given, is linked to it by its new
// RecordID and shows in the view as added; without one it is only a song.
TEST_F(CategoryWrites, ASongAddedInACategorysViewIsLinkedToItByItsNewRecordId) {
    for (const char *source : {"Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName", "qryContacts"}) {
        SCOPED_TRACE(source);
        auto view = open(QString::fromLatin1(source));
        view->addNew();
        const qint64 id = view->value(QStringLiteral("RecordID")).toLongLong();
        view->setValue(QStringLiteral("SongName"), QStringLiteral("Added in a category"));
        view->setValue(QStringLiteral("CategoryNumber"), 1);
        view->update();
        EXPECT_EQ(links(int(id)), QStringLiteral("1"));
        EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID IS NULL")), QStringLiteral("0"));
        view->setBookmark(view->lastModified());
        EXPECT_EQ(view->value(QStringLiteral("SongName")).toString(), QStringLiteral("Added in a category"));
        EXPECT_EQ(view->value(QStringLiteral("CategoryNumber")).toLongLong(), 1);
        view->requery();
        view->findFirst(QStringLiteral("RecordID = %1").arg(id));
        EXPECT_FALSE(view->noMatch());
    }
    auto view = open(QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 1 Order By SongName"));
    view->addNew();
    view->setValue(QStringLiteral("SongName"), QStringLiteral("No category"));
    view->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE ID IS NULL OR ID > 22")), QStringLiteral("2"));
}

TEST_F(CategoryWrites, TableRecordsetAddsAFreshRowAfterADuplicateWasRefused) {
    Transaction t(*db);
    auto rs = open(QStringLiteral("tblCategoryID"), RecordsetType::Table);
    EXPECT_EQ(addLink(*rs, 16, 1), err::DuplicateKey);
    // The refused row is forgotten: the next AddNew starts empty and the transaction goes on.
    rs->addNew();
    EXPECT_TRUE(rs->value(QStringLiteral("ID")).isNull());
    EXPECT_TRUE(rs->value(QStringLiteral("CategoryNumber")).isNull());
    rs->setValue(QStringLiteral("ID"), 2);
    rs->setValue(QStringLiteral("CategoryNumber"), 1);
    rs->update();
    EXPECT_EQ(addLink(*rs, 16, 3), 0);
    EXPECT_EQ(addLink(*rs, 16, 3), err::DuplicateKey);
    t.commit();
    EXPECT_EQ(links(16), QStringLiteral("1,2,3"));
    EXPECT_EQ(links(2), QStringLiteral("1"));
}

TEST_F(CategoryWrites, SongCategoriesJoinAddsLinksAndRefusesADuplicate) {
    auto rs = open(kSongCategories.arg(16));
    EXPECT_EQ(column(*rs, QStringLiteral("CategoryDesc")).join(u'|'), QStringLiteral("Favourites|Party"));
    Transaction t(*db);
    EXPECT_EQ(addLink(*rs, 16, 2), err::DuplicateKey);
    EXPECT_EQ(addLink(*rs, 16, 3), 0);
    t.commit();
    EXPECT_EQ(links(16), QStringLiteral("1,2,3"));
    rs->requery();
    EXPECT_EQ(column(*rs, QStringLiteral("CategoryDesc")).join(u'|'), QStringLiteral("Ballads|Favourites|Party"));
}

TEST_F(CategoryWrites, SongCategoriesJoinFindsByItsOwnColumnsAndDeletesTheLink) {
    auto rs = open(kSongCategories.arg(16));
    // CategoryNumber is the recordset's own column (tblCategoryID's), though both tables have one.
    rs->findFirst(QStringLiteral("ID=16 AND CategoryNumber=2"));
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->value(QStringLiteral("CategoryDesc")).toString(), QStringLiteral("Party"));
    rs->deleteRecord();
    EXPECT_EQ(links(16), QStringLiteral("1"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryDesc")), QStringLiteral("3")) << "the category stays";
    rs->findFirst(QStringLiteral("ID=16 AND CategoryNumber=2"));
    EXPECT_TRUE(rs->noMatch());
}

TEST_F(CategoryWrites, AHundredThousandLinksInOneTransaction) {
    constexpr int kLinks = 100000;
    Transaction t(*db);
    auto rs = open(QStringLiteral("tblCategoryID"), RecordsetType::Table);
    int refused = 0;
    for (int id = 1; id <= kLinks; ++id)
        refused += addLink(*rs, id, 1) == err::DuplicateKey;
    t.commit();
    EXPECT_EQ(refused, 3) << "songs 1, 7 and 16 were in it already";
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblCategoryID WHERE CategoryNumber=1")), QString::number(kLinks));
}

TEST_F(CategoryWrites, ABoundNameIsOnlyTextAndComparesCaseBlind) {
    db->execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values (?)"), {QStringLiteral("Say \"Hi\" [*]")});
    const QString sql = QStringLiteral("Select CategoryNumber from tblCategoryDesc Where CategoryDesc = ?");
    const std::pair<const char *, long> cases[] = {
        {"PARTY", 1}, {"party", 1}, {" Party ", 0}, {"say \"hi\" [*]", 1}, {"Say \"Hi\" [", 0}, {"*", 0}, {"\"", 0}};
    for (const auto &[name, rows] : cases)
        EXPECT_EQ(db->openRecordset(sql, QVariantList{QString::fromUtf8(name)})->recordCount(), rows) << name;
}

} // namespace
