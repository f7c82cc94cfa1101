// Settings rows of the catalogue: one add-or-edit order for every writer; FILTER and NOTE rows
// kept one per name.
#include "common/TestEnv.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "platform/db/Database.h"

using core::g;
using core::SettingsRow;
using core::SettingsRows;

namespace {

class SettingsRowsTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        const QString path = tmp.file("OVdata.mdb");
        testenv::copyEmptyCatalogue(path);
        g().Db = platform::db::Database::open(path);
    }

    long rowsOf(const QString &where) {
        auto rs = g().Db->openRecordset("Select * from tblSettings Where " + where);
        return rs->recordCount();
    }
};

TEST_F(SettingsRowsTest, SecondWriteOfAKindEditsItsRow) {
    EXPECT_FALSE(SettingsRows::readName(SettingsRows::GridSortOrder));
    SettingsRows::write(SettingsRows::GridSortOrder, "Song Name");
    SettingsRows::write(SettingsRows::GridSortOrder, "Artist");
    EXPECT_EQ(rowsOf("Type='GRIDSORTORDER'"), 1);
    EXPECT_EQ(SettingsRows::readName(SettingsRows::GridSortOrder), QStringLiteral("Artist"));

    // A kind whose name has a blank, and a row written with its second column.
    SettingsRows::write(SettingsRows::TemplateRecordId, "12");
    SettingsRows::write(SettingsRow{SettingsRows::Category, "Jazz", QStringLiteral(" CategoryNumber = 4 "), {}});
    SettingsRows::write(SettingsRow{SettingsRows::Category, "Blues", QStringLiteral(" CategoryNumber = 7 "), {}});
    EXPECT_EQ(SettingsRows::readNumber(SettingsRows::TemplateRecordId), 12);
    const auto category = SettingsRows::readRow(SettingsRows::Category);
    ASSERT_TRUE(category);
    EXPECT_EQ(category->name, QStringLiteral("Blues"));
    EXPECT_EQ(category->setting1, QStringLiteral(" CategoryNumber = 7 "));
    EXPECT_EQ(rowsOf("Type='CATEGORY'"), 1);
}

TEST_F(SettingsRowsTest, DeleteKindRemovesOnlyThatKind) {
    SettingsRows::write(SettingsRows::Category, "Jazz");
    SettingsRows::write(SettingsRows::CategoryStartup, "1");
    SettingsRows::deleteKind(SettingsRows::Category);
    EXPECT_FALSE(SettingsRows::readRow(SettingsRows::Category));
    EXPECT_EQ(SettingsRows::readNumber(SettingsRows::CategoryStartup), 1);
}

TEST_F(SettingsRowsTest, TypedReadsOfTabletAndBackColor) {
    EXPECT_FALSE(SettingsRows::readBool(SettingsRows::Tablet));
    SettingsRows::writeBool(SettingsRows::Tablet, true);
    EXPECT_EQ(SettingsRows::readBool(SettingsRows::Tablet), true);
    SettingsRows::writeBool(SettingsRows::Tablet, false);
    EXPECT_EQ(SettingsRows::readBool(SettingsRows::Tablet), false);

    SettingsRows::write(SettingsRows::BackColor, "8421440");
    EXPECT_EQ(SettingsRows::readNumber(SettingsRows::BackColor), 8421440);
    SettingsRows::write(SettingsRows::BackColor, "teal");  // not numeric: ignored
    EXPECT_FALSE(SettingsRows::readNumber(SettingsRows::BackColor));
}

TEST_F(SettingsRowsTest, FiltersAreOneRowPerName) {
    SettingsRows::saveFilter("Loved", "Rating = \"*****\"");
    SettingsRows::saveFilter("Bob", "Artist like \"bob*\"");
    SettingsRows::saveFilter("Loved", "Rating = \"****\" or Rating = \"*****\"");
    EXPECT_EQ(rowsOf("Type='FILTER'"), 2);
    EXPECT_EQ(SettingsRows::filterCriteria("Loved"), QStringLiteral("Rating = \"****\" or Rating = \"*****\""));

    EXPECT_TRUE(SettingsRows::renameFilter("Bob", "Bobs"));
    EXPECT_FALSE(SettingsRows::renameFilter("Nobody", "X"));
    QStringList names = SettingsRows::filterNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{"Bobs", "Loved"}));

    SettingsRows::deleteFilter("Loved");
    EXPECT_EQ(SettingsRows::filterNames(), QStringList{"Bobs"});
    EXPECT_FALSE(SettingsRows::filterCriteria("Loved"));
}

TEST_F(SettingsRowsTest, ApostropheInANameIsStoredNotExecuted) {
    SettingsRows::saveFilter("Rock 'n' Roll", "Genre = \"Rock\"");
    SettingsRows::saveNote("Bob's list", "{\\rtf1 x}");
    EXPECT_EQ(SettingsRows::filterCriteria("Rock 'n' Roll"), QStringLiteral("Genre = \"Rock\""));
    EXPECT_EQ(SettingsRows::noteText("Bob's list"), QStringLiteral("{\\rtf1 x}"));
    EXPECT_EQ(rowsOf("Type='FILTER' or Type='NOTE'"), 2);
}

TEST_F(SettingsRowsTest, QuotesThatCouldWidenAStatementReachOnlyTheirOwnRow) {
    const QString hostile[] = {QStringLiteral("x' Or '1'='1"), QStringLiteral("x\" Or \"1\"=\"1"),
                               QStringLiteral("a?b")};
    SettingsRows::saveFilter("Keep", "Genre = \"Pop\"");
    for (const QString &name : hostile) SettingsRows::saveFilter(name, name);
    for (const QString &name : hostile) EXPECT_EQ(SettingsRows::filterCriteria(name), name);
    EXPECT_EQ(rowsOf("Type='FILTER'"), 4);

    EXPECT_TRUE(SettingsRows::renameFilter(hostile[0], "Renamed"));
    EXPECT_EQ(SettingsRows::filterCriteria("Keep"), QStringLiteral("Genre = \"Pop\""));
    for (const QString &name : hostile) SettingsRows::deleteFilter(name);
    QStringList names = SettingsRows::filterNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{"Keep", "Renamed"}));

    SettingsRows::saveNote(hostile[1], "{\\rtf1 q}");
    SettingsRows::saveNote("Other", "{\\rtf1 o}");
    EXPECT_EQ(SettingsRows::noteText(hostile[1]), QStringLiteral("{\\rtf1 q}"));
    EXPECT_FALSE(SettingsRows::noteText(QStringLiteral("x\" Or \"1\"=\"2")));
}

TEST_F(SettingsRowsTest, NotesAreOneRowPerTitleAndFoundCaseBlind) {
    SettingsRows::saveNote("Zebra", "{\\rtf1 z}");
    SettingsRows::saveNote("Apple", "{\\rtf1 a}");
    SettingsRows::saveNote("Zebra", "{\\rtf1 z2}");
    const auto notes = SettingsRows::notes();
    ASSERT_EQ(notes.size(), 2);
    EXPECT_EQ(notes[0].name, QStringLiteral("Apple"));
    EXPECT_EQ(notes[1].name, QStringLiteral("Zebra"));
    EXPECT_EQ(notes[1].setting8, QStringLiteral("{\\rtf1 z2}"));
    // The criteria name the type as 'Note'; the row is stored as NOTE.
    EXPECT_EQ(SettingsRows::noteCriteria("Zebra"), QStringLiteral("Type='Note' And Name='Zebra'"));
    EXPECT_EQ(SettingsRows::noteText("Zebra"), QStringLiteral("{\\rtf1 z2}"));
    EXPECT_FALSE(SettingsRows::noteText("Mango"));

    EXPECT_FALSE(SettingsRows::lastNote());
    SettingsRows::setLastNote("1");
    SettingsRows::setLastNote("0");
    EXPECT_EQ(SettingsRows::lastNote(), QStringLiteral("0"));
    EXPECT_EQ(rowsOf("Type='LASTNOTE'"), 1);
}

} // namespace
