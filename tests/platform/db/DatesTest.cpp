// Dates: text typed as a date read in the user's locale, and dates in expressions computed as
// dates, not as their stored text.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/LocaleDate.h"

#include <QLocale>

using namespace platform::db;

namespace {

class Dates : public SampleDbTest {
protected:
    void SetUp() override {
        saved_ = QLocale();
        SampleDbTest::SetUp();
    }
    void TearDown() override {
        QLocale::setDefault(saved_);
        SampleDbTest::TearDown();
    }
    // The stored text of the date a typed text becomes in PurchaseDate of song 2.
    QString storedAs(const QString &typed) {
        auto rs = open(QStringLiteral("Select RecordID, PurchaseDate From tblContacts Where RecordID = 2"));
        rs->edit();
        rs->setValue(QStringLiteral("PurchaseDate"), typed);
        rs->update();
        return raw(QStringLiteral("SELECT PurchaseDate FROM tblContacts WHERE RecordID = 2"));
    }
    // One value of a Jet expression, through a recordset.
    QString eval(const QString &expression) {
        auto rs = open(QStringLiteral("Select ") + expression + QStringLiteral(" As V From tblContacts Where RecordID = 1"));
        const QVariant v = rs->value(0);
        if (v.isNull()) return QStringLiteral("<null>");
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return v.toString();
    }

private:
    QLocale saved_;
};

struct TypedDate {
    QLocale::Language language;
    QLocale::Territory territory;
    const char *dayFirstText;  // "05/01/2020"
    const char *expected;      // its stored form
};

void PrintTo(const TypedDate &t, std::ostream *os) { *os << QLocale(t.language, t.territory).name().toStdString(); }

class TypedDates : public Dates, public ::testing::WithParamInterface<TypedDate> {};

// A purchase date typed in the editor or a grid cell reads in the user's own order; the forms
// that cannot be misread keep their meaning everywhere.
TEST_P(TypedDates, TextStoredInADateFieldReadsInTheLocalesOrder) {
    const TypedDate &t = GetParam();
    QLocale::setDefault(QLocale(t.language, t.territory));
    EXPECT_EQ(storedAs(QString::fromLatin1(t.dayFirstText)), QString::fromLatin1(t.expected));
    EXPECT_EQ(storedAs(QStringLiteral("2020-05-01")), QStringLiteral("2020-05-01 00:00:00"));
    EXPECT_EQ(storedAs(QStringLiteral("05/01/2020 14:30")).mid(11), QStringLiteral("14:30:00"));
    EXPECT_DB_ERROR(3421, storedAs(QStringLiteral("31/31/2020")));
    // A #literal# in a statement is month first whatever the locale.
    EXPECT_EQ(column(QStringLiteral("Select RecordID From tblContacts Where PurchaseDate = #01/05/2020#"),
                     QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("1"));
    EXPECT_EQ(LocaleDate::parse(QString::fromLatin1(t.dayFirstText))->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
              QString::fromLatin1(t.expected));
    EXPECT_EQ(eval(QStringLiteral("DateValue('%1')").arg(QString::fromLatin1(t.dayFirstText))),
              QString::fromLatin1(t.expected));
    EXPECT_EQ(eval(QStringLiteral("CDate('%1 10:15')").arg(QString::fromLatin1(t.dayFirstText))).mid(11),
              QStringLiteral("10:15:00"));
    EXPECT_EQ(eval(QStringLiteral("IsDate('%1') & IsDate('31/31/2020') & IsDate(Null)").arg(QString::fromLatin1(t.dayFirstText))),
              QStringLiteral("-100"));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, TypedDates,
    ::testing::Values(TypedDate{QLocale::English, QLocale::UnitedStates, "05/01/2020", "2020-05-01 00:00:00"},
                      TypedDate{QLocale::English, QLocale::UnitedKingdom, "05/01/2020", "2020-01-05 00:00:00"},
                      TypedDate{QLocale::German, QLocale::Germany, "05/01/2020", "2020-01-05 00:00:00"},
                      TypedDate{QLocale::French, QLocale::France, "05/01/2020", "2020-01-05 00:00:00"}));

// The date text Like compares had the locale's two-digit year ("1/5/24") under en_US and
// de_DE, so "*2024*" found nothing there; the short date always gets a four-digit year.
TEST_F(Dates, LikeOnADateSeesTheFourDigitYearInEveryLocale) {
    db->execute(QStringLiteral("Update tblContacts Set PurchaseDate = '2024-01-05 00:00:00' Where RecordID = 2"));
    db->execute(QStringLiteral("Update tblContacts Set PurchaseDate = '1924-03-04 10:30:00' Where RecordID = 3"));
    const struct {
        QLocale locale;
        const char *shown;
    } cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "1/5/2024"},
                 {QLocale(QLocale::German, QLocale::Germany), "05.01.2024"},
                 {QLocale(QLocale::English, QLocale::UnitedKingdom), "05/01/2024"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        EXPECT_EQ(column(QStringLiteral("Select RecordID from tblContacts Where PurchaseDate like \"*2024*\""),
                         QStringLiteral("RecordID"))
                      .join(u','),
                  QStringLiteral("2"));
        EXPECT_EQ(column(QStringLiteral("Select RecordID from tblContacts Where PurchaseDate like \"%1\"")
                             .arg(QLatin1String(c.shown)),
                         QStringLiteral("RecordID"))
                      .join(u','),
                  QStringLiteral("2"));
        EXPECT_EQ(column(QStringLiteral("Select RecordID from tblContacts Where PurchaseDate like \"*1924 *\""),
                         QStringLiteral("RecordID"))
                      .join(u','),
                  QStringLiteral("3"));
    }
}

// A filter of recent songs: with one song updated today, only that song is newer than 30 days.
TEST_F(Dates, RecentSongsFilterComparesDatesNotTheirText) {
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 08:00:00");
    db->execute(QStringLiteral("Update tblContacts Set DateUpdated = ? Where RecordID = 5"), {today});
    EXPECT_EQ(column(QStringLiteral("Select distinctrow * from  tblContacts Where  (DateUpdated > Date() - 30) "
                                    "Order By SongName"),
                     QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("5"));
    EXPECT_EQ(column(QStringLiteral("Select * from tblContacts Where DateUpdated >= Now() - 1 Or "
                                    "DateUpdated < #1/3/2024# + 0.5 Order By RecordID"),
                     QStringLiteral("RecordID"))
                  .join(u','),
              QStringLiteral("1,2,3,5"));
    auto rs = open(QStringLiteral("Select * From tblContacts Order By RecordID"));
    rs->findFirst(QStringLiteral("DateUpdated > Date() - 30"));
    EXPECT_EQ(rs->value(QStringLiteral("RecordID")).toLongLong(), 5);
}

struct ValueCase {
    const char *expression;
    const char *expected;
};

void PrintTo(const ValueCase &c, std::ostream *os) { *os << c.expression; }

class DateValues : public Dates, public ::testing::WithParamInterface<ValueCase> {
protected:
    void SetUp() override {
        Dates::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
};

TEST_P(DateValues, ComputeAsJetDoes) {
    EXPECT_EQ(eval(QString::fromUtf8(GetParam().expression)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, DateValues,
    ::testing::Values(ValueCase{"#1/31/2024# + 1", "2024-02-01 00:00:00"}, ValueCase{"#3/1/2024# - 1", "2024-02-29 00:00:00"},
                      ValueCase{"#1/1/2024# + 0.5", "2024-01-01 12:00:00"}, ValueCase{"1.25 + #1/1/2024#", "2024-01-02 06:00:00"},
                      ValueCase{"#1/1/2024# - #12/1/2023#", "31"}, ValueCase{"#1/1/2024 18:00# - #1/1/2024#", "0.75"},
                      ValueCase{"PurchaseDate + 366", "2021-01-05 00:00:00"}, ValueCase{"DateUpdated - PurchaseDate", "1457.4166666666667"},
                      ValueCase{"Year - 1", "1967"}, ValueCase{"TrackNum + FileSizeNum", "8.1"},
                      ValueCase{"'a' + Artist", "aThe Beatles"}, ValueCase{"Rating + Null", "<null>"}));

INSTANTIATE_TEST_SUITE_P(
    Functions, DateValues,
    ::testing::Values(ValueCase{"DateAdd('m', 1, #1/31/2024#)", "2024-02-29 00:00:00"},
                      ValueCase{"DateAdd('yyyy', 1, #2/29/2024#)", "2025-02-28 00:00:00"},
                      ValueCase{"DateAdd('q', -1, #5/31/2024#)", "2024-02-29 00:00:00"},
                      ValueCase{"DateAdd('ww', 2, #1/1/2024#)", "2024-01-15 00:00:00"},
                      ValueCase{"DateAdd('h', 30, #1/1/2024#)", "2024-01-02 06:00:00"},
                      ValueCase{"DateAdd('n', -1, #1/1/2024#)", "2023-12-31 23:59:00"},
                      ValueCase{"DateAdd('d', Null, #1/1/2024#)", "<null>"},
                      ValueCase{"DateDiff('yyyy', #12/31/2023#, #1/1/2024#)", "1"},
                      ValueCase{"DateDiff('m', #1/31/2024#, #2/1/2024#)", "1"},
                      ValueCase{"DateDiff('q', #3/31/2024#, #4/1/2024#)", "1"},
                      ValueCase{"DateDiff('d', #1/1/2024 23:00#, #1/2/2024 01:00#)", "1"},
                      ValueCase{"DateDiff('ww', #1/6/2024#, #1/7/2024#)", "1"},   // Saturday to Sunday
                      ValueCase{"DateDiff('ww', #1/7/2024#, #1/13/2024#)", "0"},  // Sunday to Saturday
                      ValueCase{"DateDiff('w', #1/6/2024#, #1/19/2024#)", "1"},
                      ValueCase{"DateDiff('h', #1/1/2024 10:59#, #1/1/2024 11:00#)", "1"},
                      ValueCase{"DateDiff('s', #1/2/2024#, #1/1/2024#)", "-86400"},
                      ValueCase{"DateDiff('d', Null, #1/1/2024#)", "<null>"},
                      ValueCase{"DatePart('q', #8/15/2024#) & DatePart('y', #2/1/2024#) & DatePart('w', #1/7/2024#)", "3321"},
                      ValueCase{"DatePart('ww', #1/7/2024#) & '/' & DatePart('ww', #12/31/2024#)", "2/53"},
                      ValueCase{"DatePart('h', #1/1/2024 13:45:30#) & DatePart('n', #1/1/2024 13:45:30#)", "1345"},
                      ValueCase{"DateSerial(2024, 13, 0)", "2024-12-31 00:00:00"},
                      ValueCase{"DateSerial(24, 2, 30)", "2024-03-01 00:00:00"},
                      ValueCase{"DateSerial(Null, 1, 1)", "<null>"},
                      ValueCase{"TimeValue('1/5/2024 2:30 PM')", "1899-12-30 14:30:00"},
                      ValueCase{"CDate(45292.5)", "2024-01-01 12:00:00"},
                      ValueCase{"IsDate('hello') & IsDate(12) & IsDate(PurchaseDate)", "00-1"},
                      ValueCase{"Weekday(#1/7/2024#) & Weekday(#1/6/2024#) & Weekday(#1/7/2024#, 2)", "177"},
                      ValueCase{"Hour(#1/1/2024 13:45:30#) & Minute(#1/1/2024 13:45:30#) & Second(#1/1/2024 13:45:30#)", "134530"},
                      ValueCase{"Hour(Null)", "<null>"},
                      ValueCase{"MonthName(2) & MonthName(2, True)", "FebruaryFeb"},
                      ValueCase{"Left(Time(), 10)", "1899-12-30"},
                      ValueCase{"Year(Date()) = Year(Now())", "1"}));

TEST_F(Dates, BadArgumentsToDateFunctionsAreReported) {
    for (const char *bad : {"DateAdd('x', 1, #1/1/2024#)", "DateDiff('yyyy', 'soon', #1/1/2024#)", "MonthName(13)",
                            "DateSerial(2024, 1, 1e300)", "CDate('not a date')", "'text' - 1"}) {
        try {
            eval(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const DbError &e) {
            EXPECT_NE(e.number(), err::NoCurrentRecord) << bad;
        }
    }
}

} // namespace
