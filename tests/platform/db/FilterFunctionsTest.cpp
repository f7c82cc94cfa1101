// The functions and the Top predicate a user may type into a filter.
#include "platform/db/SampleCatalogue.h"

#include <QLocale>

using namespace platform::db;

namespace {

class FilterFunctions : public SampleDbTest {
protected:
    // One value of a Jet expression, for song 1 (Hey Jude, The Beatles, TrackNum 1).
    QString eval(const QString &expression) {
        auto rs = open(QStringLiteral("Select ") + expression + QStringLiteral(" As V From tblContacts Where RecordID = 1"));
        const QVariant v = rs->value(0);
        return v.isNull() ? QStringLiteral("<null>") : v.toString();
    }
    QString ids(const QString &criteria) {
        return column(QStringLiteral("Select distinctrow * from  tblContacts Where  (") + criteria +
                          QStringLiteral(")  Order By RecordID"),
                      QStringLiteral("RecordID"))
            .join(u',');
    }
};

struct ValueCase {
    const char *expression;
    const char *expected;
};

void PrintTo(const ValueCase &c, std::ostream *os) { *os << c.expression; }

class FunctionValues : public FilterFunctions, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(FunctionValues, ComputeAsJetDoes) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(eval(QString::fromUtf8(GetParam().expression)), QString::fromUtf8(GetParam().expected));
    QLocale::setDefault(saved);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FunctionValues,
    ::testing::Values(
        ValueCase{"IsNull(Genre) & IsNull(Null) & IsNull('')", "0-10"},
        ValueCase{"IsNumeric(Year) & IsNumeric('1.5e3') & IsNumeric('abc') & IsNumeric(Null) & IsNumeric('')", "-1-1000"},
        ValueCase{"CBool(5) & CBool(0) & CBool('True') & CBool('0')", "-10-10"}, ValueCase{"CBool(Null)", "<null>"},
        ValueCase{"Replace(SongName, 'j', 'L')", "Hey Lude"},
        ValueCase{"Replace('aXbxc', 'x', '-')", "a-b-c"}, ValueCase{"Replace('aXbxc', 'x', '-', 1, -1, 0)", "aXb-c"},
        ValueCase{"Replace('abcabc', 'b', '', 3)", "cac"}, ValueCase{"Replace('aaa', 'a', 'b', 1, 2)", "bba"},
        ValueCase{"Replace(Null, 'a', 'b')", "<null>"}, ValueCase{"Replace('abc', '', 'x')", "abc"},
        ValueCase{"Round(2.5) & ' ' & Round(-2.5) & ' ' & Round(3.5) & ' ' & Round(2.4)", "2 -2 4 2"},
        ValueCase{"Round(2.675, 2) & ' ' & Round(1.005, 2) & ' ' & Round(7)", "2.68 1 7"},
        ValueCase{"Round(Null)", "<null>"},
        ValueCase{"Fix(-2.7) & Fix(2.7) & Int(-2.7)", "-22-3"}, ValueCase{"Sgn(-3) & Sgn(0) & Sgn(0.1)", "-101"},
        ValueCase{"Fix(Null)", "<null>"}, ValueCase{"Sgn(Null)", "<null>"},
        ValueCase{"'[' & Str(5) & '|' & Str(-5) & '|' & Str(2.5) & ']'", "[ 5|-5| 2.5]"}, ValueCase{"Str(Null)", "<null>"},
        ValueCase{"Chr(65) & Chr(233)", "Aé"}, ValueCase{"Chr(Null)", "<null>"},
        ValueCase{"Asc('A') & ' ' & Asc('été')", "65 233"}, ValueCase{"Asc(Null)", "<null>"},
        ValueCase{"'[' & Space(3) & ']' & Len(Space(0))", "[   ]0"}, ValueCase{"Space(Null)", "<null>"},
        ValueCase{"String(3, '*') & String(2, 65) & String(0, 'x')", "***AA"}, ValueCase{"String(Null, 'x')", "<null>"},
        ValueCase{"StrComp('abc', 'ABC') & StrComp('abc', 'ABC', 0) & StrComp('a', 'b') & StrComp('b', 'a')", "01-11"},
        ValueCase{"StrComp(Null, 'a')", "<null>"},
        ValueCase{"Switch(TrackNum = 2, 'two', TrackNum = 1, 'one', True, 'other')", "one"},
        ValueCase{"Switch(False, 1)", "<null>"}, ValueCase{"Switch(Null, 1, True, Null)", "<null>"},
        ValueCase{"Choose(2, 'a', 'b', 'c') & Choose(2.4, 'x', 'y')", "by"}, ValueCase{"Choose(4, 'a', 'b')", "<null>"},
        ValueCase{"Choose(Null, 'a')", "<null>"}, ValueCase{"Choose(1, Null, 'b')", "<null>"},
        ValueCase{"Nz(Null, 'n') & IIf(Null, 'y', 'n')", "nn"}));

// Bad arguments fail with a message instead of a wrong value or a huge allocation.
TEST_F(FilterFunctions, InvalidCallsAreReported) {
    for (const char *bad : {"Asc('')", "Chr(256)", "Chr(-1)", "Space(-1)", "Space(1e12)", "String(1e12, 'x')",
                            "Round(1.5, -1)", "CBool('maybe')", "Replace('abc', 'a', 'b', 0)"}) {
        try {
            eval(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const DbError &e) {
            EXPECT_NE(e.number(), err::NoCurrentRecord) << bad;
        }
    }
}

TEST_F(FilterFunctions, UnknownFunctionsGive3085AndWrongArgumentCounts3075) {
    EXPECT_DB_ERROR(3085, open(QStringLiteral("Select * from tblContacts Where Soundex(Artist) = 'B'")));
    auto rs = open(QStringLiteral("Select * from tblContacts"));
    EXPECT_DB_ERROR(3085, rs->findFirst(QStringLiteral("Foo(1) = 1")));
    EXPECT_DB_ERROR(err::SyntaxError, open(QStringLiteral("Select * from tblContacts Where Switch(True) = 1")));
    EXPECT_DB_ERROR(err::SyntaxError, open(QStringLiteral("Select * from tblContacts Where Round() = 1")));
}

TEST_F(FilterFunctions, FiltersUseTheFunctionsOnEveryRow) {
    EXPECT_EQ(ids("IsNull(Genre) And Not IsNull(Artist)"), QStringLiteral("5,12,13"));
    EXPECT_EQ(ids("Round(FileSizeNum) = 4"), QStringLiteral("7,8,9,20"));
    EXPECT_EQ(ids("StrComp(Artist, 'björk', 0) = 0"), QStringLiteral(""));
    EXPECT_EQ(ids("StrComp(Artist, 'björk') = 0"), QStringLiteral("7,8,9"));
    EXPECT_EQ(ids("Choose(TrackNum, 'x', 'y') = 'y'"), QStringLiteral("11,20,22"));
}

// Top n gives the first n rows of the sort and every row that ties with the n-th.
TEST_F(FilterFunctions, TopGivesTheFirstRowsWithTheirTies) {
    EXPECT_EQ(column(QStringLiteral("Select Top 3 * From tblContacts Order By Year Desc, RecordID"), QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("21,22,7"));
    // Two songs of 1.1 MB share the third place: both come.
    EXPECT_EQ(column(QStringLiteral("Select Top 3 RecordID From tblContacts Order By FileSizeNum"), QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("12,13,21,22"));
    EXPECT_EQ(column(QStringLiteral("Select Top 2 RecordID From tblContacts Where Artist = 'Queen' Order By SongName"),
                     QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("16,17"));
    EXPECT_EQ(open(QStringLiteral("Select Top 5 * From tblContacts"))->recordCount(), 5);
    // 10 percent of 22 rows is 2.2, so three rows; the four songs of track 13 tie for the first place.
    QStringList tied = column(QStringLiteral("Select Top 10 Percent RecordID From tblContacts Order By TrackNum Desc"),
                              QStringLiteral("RecordID"));
    tied.sort();
    EXPECT_EQ(tied.join(u','), QStringLiteral("3,4,5,6"));
    EXPECT_EQ(db->openRecordset(QStringLiteral("Select Top 1 RecordID From tblContacts Where Artist = ? Order By RecordID"),
                                {QStringLiteral("Björk")})
                  ->value(0)
                  .toLongLong(),
              7);
    EXPECT_DB_ERROR(err::SyntaxError, open(QStringLiteral("Select Top x * From tblContacts")));
    EXPECT_DB_ERROR(err::SyntaxError, open(QStringLiteral("Select Top 1.5 * From tblContacts")));
}

} // namespace
