// The artist button: into the artist view and back, with every part of the earlier view.
#include "CommandsFixture.h"

#include "songlist/ArtistFilter.h"

#include <QComboBox>
#include <QPushButton>

using songlist::ArtistFilter;
using songlist::RecordSourceParts;

namespace {

using ArtistFilterTest = CommandsTest;

TEST_F(ArtistFilterTest, ArtistViewAndReturnRestoreViewSortSongAndEveryPart) {
    open();
    auto &s = core::g();
    // A filter view over the songs from "Cherry" on, sorted by year.
    s.WhereClause = QStringLiteral(" Where SongName >= 'Cherry'");
    s.CriteriaClause = QStringLiteral("SongName >= 'Cherry'");
    w->Data1->setRecordSource(QStringLiteral("Select distinctrow * from  tblContacts") + s.WhereClause +
                              s.OrderByClause);
    w->Data1->refresh();
    w->setSortText(QStringLiteral("Track"));
    go(QStringLiteral("SongName = 'zebra'"));
    const QString before = source();
    const RecordSourceParts parts = RecordSourceParts::capture();
    ASSERT_EQ(w->Table1->columnDataField(1), QStringLiteral("SongName"));

    w->cmdShowArtistSongs_Click();
    // The sort keeps everything before its tail, the blank in front of it included.
    EXPECT_EQ(source().simplified(),
              QStringLiteral("Select * from tblContacts Where Artist = \"Zed\" Order By SongName, Artist"));
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Song Name"));
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QString::fromLatin1(ArtistFilter::ReturnCaption));
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("Artist"));
    EXPECT_FALSE(w->cmdAdd->isEnabled());
    EXPECT_EQ(count(), 1);

    w->cmdShowArtistSongs_Click();
    EXPECT_EQ(source().simplified(), before.simplified());
    EXPECT_EQ(RecordSourceParts::capture(), parts);
    EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Track"));
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("SongName"));
    EXPECT_EQ(current("SongName"), QStringLiteral("zebra"));
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QStringLiteral("Show all songs by Zed"));
}

TEST_F(ArtistFilterTest, ArtistWithQuotesIsFoundAndANullArtistReadsEmpty) {
    open();
    go(QStringLiteral("SongName = 'Say \"Hi\"'"));
    w->cmdShowArtistSongs_Click();
    EXPECT_EQ(core::g().WhereClause, QStringLiteral(" Where Artist = \"The \"\"Q\"\" Band\" "));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(ArtistFilter::whereClause(QString()), QStringLiteral(" Where Artist = \"\" "));
}

} // namespace

namespace {

// A view that empties the artist button's caption (a find, a filter, a category) hides the
// button: an empty white button that does nothing is no command.
TEST_F(ArtistFilterTest, AnEmptiedArtistButtonIsHiddenUntilARowNamesAnArtist) {
    open();
    w->show();
    ASSERT_FALSE(w->cmdShowArtistSongs->isHidden());
    prompts.answerInput(QStringLiteral("Arrival"));
    w->FindEditMenu_Click();
    EXPECT_TRUE(w->cmdShowArtistSongs->text().isEmpty());
    EXPECT_TRUE(w->cmdShowArtistSongs->isHidden());
    go(QStringLiteral("SongName = 'Cherry'"));
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QStringLiteral("Show all songs by ABBA"));
    EXPECT_FALSE(w->cmdShowArtistSongs->isHidden());
}

} // namespace
