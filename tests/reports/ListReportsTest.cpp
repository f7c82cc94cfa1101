// The list reports: page breaks every so many song lines and on each new artist, headings that
// group artists case-blind, the three line formats, durations, and the rows that make up a
// report (exactly the grid's, whatever view it shows); the lines-per-page setting.
#include "ReportsFixture.h"

#include "core/DuplicateQueries.h"
#include "core/MsgForm.h"
#include "core/RegistryOptions.h"
#include "reports/ListReports.h"

using reports::ListReports;
namespace ui = platform::ui;

namespace {
const QString FF = QString(QChar(12));
}

TEST_F(ReportsTest, SongReportBreaksAfterEveryFiftyFourthLineAndNotAtTheEnd) {
    for (int i = 0; i < 120; ++i)
        song(QStringLiteral("Song %1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("Band"));
    open();
    w->mnuSongRpt_Click();
    ASSERT_TRUE(report());
    // The window is shown, its box locked with the caret at the start; the progress window is gone.
    EXPECT_TRUE(report()->isVisible());
    EXPECT_TRUE(box().Locked());
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(report()->windowTitle(), QStringLiteral("Report"));
    EXPECT_EQ(prompts.asked().first().text,
              QStringLiteral("NOTE: If you are filtering records, displaying one Category or Artist, or otherwise "
                             "limiting the records displayed, only those songs currently displayed on the Grid will be "
                             "included in this report.\r\n\r\nProceed?"));
    EXPECT_EQ(prompts.asked().first().title, QStringLiteral("Confirmation"));
    const QStringList pages = text().split(FF);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0].count(QLatin1Char('\n')), 54);
    EXPECT_TRUE(pages[0].startsWith(QStringLiteral(" Song 000 [by] Band\n")));
    EXPECT_TRUE(pages[1].startsWith(QStringLiteral(" Song 054 [by] Band\n")));
    EXPECT_TRUE(pages[2].startsWith(QStringLiteral(" Song 108 [by] Band\n")));
    EXPECT_FALSE(text().endsWith(FF));
    for (int f : feeds())
        EXPECT_EQ(at(f).color, 0xFFFFFF) << f;
    const Attr line = at(1);
    EXPECT_EQ(line.color, 0);
    EXPECT_FALSE(line.bold);
    EXPECT_EQ(line.size, 10);
    EXPECT_EQ(line.font, QStringLiteral("Arial"));
}

TEST_F(ReportsTest, ZeroLinesPerPageBreaksOnlyBetweenArtists) {
    for (int i = 0; i < 60; ++i)
        song(QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')), i < 30 ? QStringLiteral("Alpha") : QStringLiteral("Beta"),
             {{"PathName", QStringLiteral("/m/")}, {"FileName", QStringLiteral("f%1.mp3").arg(i)}});
    core::g().ReportLinesPerPage = QStringLiteral("0");
    open();
    w->mnuSongRpt_Click();
    EXPECT_TRUE(feeds().isEmpty());
    w->mnuPathRpt_Click();
    EXPECT_TRUE(feeds().isEmpty());
    EXPECT_EQ(lines().first(), QStringLiteral(" /m/f0.mp3"));
    w->mnuArtistRpt_Click();
    ASSERT_EQ(feeds().size(), 1);
    EXPECT_EQ(text().mid(feeds().first() + 1, 5), QStringLiteral("Beta\n"));
}

TEST_F(ReportsTest, ArtistsDifferingInCaseAndTrailingBlanksShareTheFirstHeading) {
    song(QStringLiteral("One"), QStringLiteral("abba"));
    song(QStringLiteral("Two"), QStringLiteral("ABBA "));
    song(QStringLiteral("Three"), QStringLiteral("Abba"));
    song(QStringLiteral("Four"), QStringLiteral("Cream"), {{"Duration", QStringLiteral("01:02:03")}});
    open();
    w->mnuArtistRpt_Click();
    const QStringList l = lines();
    ASSERT_GE(l.size(), 8);
    EXPECT_EQ(l[0], QString());  // the first heading follows an empty line
    EXPECT_EQ(l[1], QStringLiteral("abba"));
    EXPECT_TRUE(l[2].startsWith(QStringLiteral("    One      ")));
    EXPECT_TRUE(l[3].startsWith(QStringLiteral("    Three      ")));
    EXPECT_TRUE(l[4].startsWith(QStringLiteral("    Two      ")));
    EXPECT_EQ(l[5], QString());
    EXPECT_EQ(l[6], QStringLiteral("Cream"));
    EXPECT_EQ(l[7], QStringLiteral("    Four      02:03"));
    const Attr heading = at(indexOf(QStringLiteral("Cream")));
    EXPECT_EQ(heading.color, 0xFF0000);
    EXPECT_TRUE(heading.bold);
    EXPECT_EQ(heading.size, 12);
    // Three song lines, then a new artist: a white page break before its heading.
    ASSERT_EQ(feeds().size(), 1);
    EXPECT_EQ(at(feeds().first()).color, 0xFFFFFF);
    EXPECT_LT(feeds().first(), indexOf(QStringLiteral("Cream")));
}

// Sorted by the stored artist, a leading blank put " NORDLYS" first and "Mango" between it and
// "nordlys": one artist under two headings, on two pages.
TEST_F(ReportsTest, ArtistWithLeadingBlanksStaysUnderOneHeading) {
    song(QStringLiteral("Aurora"), QStringLiteral(" NORDLYS"));
    song(QStringLiteral("Mist"), QStringLiteral("Mango"));
    song(QStringLiteral("Dag"), QStringLiteral("nordlys "));
    song(QStringLiteral("Bris"), QStringLiteral("nordlys"));
    song(QStringLiteral("Ekko"), QStringLiteral("Nordlys Band"));
    core::g().ReportLinesPerPage = QStringLiteral("0");
    open();
    w->mnuArtistRpt_Click();
    QStringList l = lines();
    l.removeAll(QString());
    EXPECT_EQ(l, (QStringList{QStringLiteral("Mango"), QStringLiteral("    Mist      "), QStringLiteral(" NORDLYS"),
                              QStringLiteral("    Aurora      "), QStringLiteral("    Bris      "),
                              QStringLiteral("    Dag      "), QStringLiteral("Nordlys Band"),
                              QStringLiteral("    Ekko      ")}));
    EXPECT_EQ(feeds().size(), 2);
}

TEST_F(ReportsTest, SongsWithoutArtistAndOddDurations) {
    song(QStringLiteral("Nameless"), QVariant());
    song(QStringLiteral("Blank"), QStringLiteral(" "), {{"Duration", QStringLiteral("3:25")}});
    song(QStringLiteral("Known"), QStringLiteral("Zed"), {{"Duration", QStringLiteral("00:03:25")}});
    open();
    w->mnuSongRpt_Click();
    EXPECT_EQ(lines().mid(0, 3),
              (QStringList{QStringLiteral(" Blank"), QStringLiteral(" Known [by] Zed"), QStringLiteral(" Nameless")}));
    w->mnuArtistRpt_Click();
    const QStringList l = lines();
    // Null sorts first, then the blank artist: both under "No Artist Name", no other heading.
    EXPECT_EQ(l[0], QStringLiteral("No Artist Name"));
    EXPECT_EQ(l[1], QStringLiteral("    Nameless      "));
    EXPECT_EQ(l[2], QStringLiteral("    Blank      3:25"));
    EXPECT_EQ(l[4], QStringLiteral("Zed"));
    EXPECT_EQ(l[5], QStringLiteral("    Known      03:25"));
    EXPECT_EQ(at(0).color, 0xFF0000);
}

TEST_F(ReportsTest, ReportListsExactlyTheGridsRowsInEveryView) {
    song(QStringLiteral("Loose"), QStringLiteral("A"), {{"Selected", QStringLiteral("x")}});
    song(QStringLiteral("Twice"), QStringLiteral("B"));
    song(QStringLiteral("Once"), QStringLiteral("C"));
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryNumber, CategoryDesc) Values (1, 'One')"));
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryNumber, CategoryDesc) Values (2, 'Two')"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (2, 1)"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (2, 2)"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (3, 2)"));
    open();

    // All songs: the uncategorised one is there, the one in two categories once.
    w->mnuSongRpt_Click();
    EXPECT_EQ(lines().mid(0, 4), (QStringList{QStringLiteral(" Loose [by] A"), QStringLiteral(" Once [by] C"),
                                              QStringLiteral(" Twice [by] B"), QString()}));

    // One category shown through the joined query: its songs only.
    view(QStringLiteral("Select * from  qryContacts Where CategoryNumber = 2  Order By Artist"));
    w->mnuSongRpt_Click();
    EXPECT_EQ(lines().mid(0, 3), (QStringList{QStringLiteral(" Once [by] C"), QStringLiteral(" Twice [by] B"), QString()}));

    // The selected songs, with a WHERE part followed by the selection part.
    view(QStringLiteral("Select * from  tblContacts Where Selected = 'x'  Order By SongName"));
    w->mnuPathRpt_Click();
    EXPECT_EQ(lines().size(), 2);

    // A play-list style join on another table, and a view with no key of its own.
    view(QStringLiteral("Select tblContacts.* from tblContacts Inner Join tblCategoryID On tblContacts.RecordID = "
                        "tblCategoryID.ID Where tblCategoryID.CategoryNumber = 1"));
    w->mnuArtistRpt_Click();
    EXPECT_EQ(lines().mid(0, 3), (QStringList{QString(), QStringLiteral("B"), QStringLiteral("    Twice      ")}));
}

TEST_F(ReportsTest, DuplicateViewReportsTheSavedQuerysRows) {
    core::createDuplicateQueries(*core::g().Db);
    for (int i = 0; i < 2; ++i)
        song(QStringLiteral("Dup"), QStringLiteral("Band"), {{"FileSize", QStringLiteral("5 MB")}});
    song(QStringLiteral("Single"), QStringLiteral("Band"), {{"FileSize", QStringLiteral("1 MB")}});
    open();
    core::g().WhereClause = QStringLiteral(" Where SongName = 'Single'");
    w->mnuShowDuplicates_Click();
    w->mnuSongRpt_Click();
    EXPECT_EQ(lines().mid(0, 3), (QStringList{QStringLiteral(" Dup [by] Band"), QStringLiteral(" Dup [by] Band"), QString()}));
}

TEST_F(ReportsTest, NoRowsNoQuestionAndNoAnswerNothingChanges) {
    open();
    prompts.clear();  // the empty catalogue's notice
    w->mnuArtistRpt_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_FALSE(report());
    song(QStringLiteral("One"), QStringLiteral("A"));
    w->ShowAllMenu_Click();
    prompts.answer(ui::Answer::No);
    w->mnuArtistRpt_Click();
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked().first().defaultButton, ui::DefaultButton::First);
    EXPECT_FALSE(report());
}

TEST_F(ReportsTest, ReadErrorShowsTheErrorAndClosesTheProgressWindow) {
    song(QStringLiteral("One"), QStringLiteral("A"));
    open();
    view(QStringLiteral("Select SongName from tblContacts"));
    w->mnuArtistRpt_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Item not found in this collection: 'Artist'.    Error number: 3265"));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Error"));
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(ReportsTest, ReportsReadTheGridWithoutMovingItsCurrentRow) {
    for (int i = 0; i < 5; ++i)
        song(QStringLiteral("S%1").arg(i), QStringLiteral("A"));
    open();
    w->Data1->moveLast();
    const QString before = currentSong();
    int moves = 0;
    QObject::connect(w->Data1, &ui::DataControl::currentRowMoved, [&moves] { ++moves; });
    w->mnuArtistRpt_Click();
    EXPECT_EQ(currentSong(), before);
    EXPECT_EQ(moves, 0);
}

struct LinesCase {
    const char *typed;
    const char *message;  // "" = no message
    const char *stored;   // the setting afterwards
    bool written;         // the option was written
};

class LinesPerPageTest : public ReportsTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(LinesPerPageTest, AnswerIsStoredAsTypedOrRefusedWithItsMessage) {
    const LinesCase c = GetParam();
    song(QStringLiteral("One"), QStringLiteral("A"));
    open();
    prompts.answerInput(QString::fromUtf8(c.typed));
    w->mnuRptLinesPerPage_Click();
    const auto &input = prompts.asked().first();
    EXPECT_EQ(input.title, QStringLiteral("Number of Lines Per Page"));
    EXPECT_EQ(input.inputRequest.defaultText, QStringLiteral("54"));
    EXPECT_EQ(input.text,
              QStringLiteral("Enter number of lines per page for all reports.  For no page breaks, enter 0.\r\n\r\nThis "
                             "setting only affects saved or printed reports, not those viewed on screen.  The original "
                             "setting was 54."));
    if (*c.message) {
        EXPECT_EQ(prompts.lastMessage(), QString::fromUtf8(c.message));
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Invalid value"));
        EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Exclamation);
    } else {
        EXPECT_EQ(prompts.asked().size(), 1);
    }
    EXPECT_EQ(core::g().ReportLinesPerPage, QString::fromUtf8(c.stored));
    EXPECT_EQ(core::RegistryOptions::rptLinesPerPage(), c.written ? QString::fromUtf8(c.stored) : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LinesPerPageTest,
    ::testing::Values(LinesCase{"", "", "54", false}, LinesCase{"   ", "", "54", false},
                      LinesCase{"abc", "Value must be numeric.", "54", false},
                      LinesCase{"-1", "Value can not be negative.", "54", false},
                      LinesCase{"32001", "Value can not be greater than 32,000.", "54", false},
                      LinesCase{"1e3", "", "1e3", true}, LinesCase{" 54 ", "", "54", true}, LinesCase{"0", "", "0", true},
                      LinesCase{"32000.5", "", "32000.5", true}, LinesCase{"1,000", "", "1,000", true}));

TEST(LinesPerPageValue, NumbersAsTheUsersLocaleWritesThem) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ListReports::numericValue(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(ListReports::numericValue(QStringLiteral("40")), 40);
    EXPECT_FALSE(ListReports::numericValue(QStringLiteral("inf")));
    EXPECT_FALSE(ListReports::numericValue(QStringLiteral("12abc")));
    QLocale::setDefault(saved);
}
