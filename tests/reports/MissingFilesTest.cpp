// The check for songs whose music file is gone: what counts as missing, the list it shows and
// how it is sorted and labelled, the grid left alone when nothing is missing or nothing is
// shown, a category on screen, and a failure that leaves everything as it was.
#include "CleanupFixture.h"

#include "core/MsgForm.h"
#include "reports/MissingFiles.h"
#include "songlist/RecordSourceParts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using reports::MissingFiles;
namespace ui = platform::ui;

namespace {
QStringList gridSongs(songlist::NameList *w) {
    QStringList out;
    auto *rs = w->Data1->recordset();
    const int col = rs->fieldOrdinal(QStringLiteral("SongName"));
    for (long p = 0; p < rs->recordCount(); ++p)
        out << rs->valueAt(p, col).toString();
    return out;
}
} // namespace

TEST_F(CleanupTest, MissingMeansNoRegularFileAtThatExactPath) {
    makeFile(QStringLiteral("a/song.mp3"));
    makeFile(QStringLiteral("a/xy.mp3"));
    makeFile(QStringLiteral("a/.hidden.mp3"));
    QDir().mkpath(music() + QStringLiteral("a/folder.mp3"));
    const QString a = music() + QStringLiteral("a/");
    const struct {
        QVariant path, file;
        bool missing;
    } cases[] = {
        {a, QStringLiteral("song.mp3"), false},
        {a, QStringLiteral("SONG.mp3"), true},      // another name on this file system
        {a, QStringLiteral("x*.mp3"), true},        // never a pattern
        {a, QStringLiteral("?y.mp3"), true},
        {a, QStringLiteral(".hidden.mp3"), true},   // hidden
        {a, QStringLiteral("folder.mp3"), true},    // a folder
        {a, QString(), true},
        {a, QVariant(), true},
        {QVariant(), QStringLiteral("song.mp3"), true},
        {a + QStringLiteral("gone/"), QStringLiteral("song.mp3"), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MissingFiles::fileMissing(c.path, c.file), c.missing) << c.file.toString().toStdString();
}

TEST_F(CleanupTest, ListsTheMissingSongsInTheGridsOrderWithAddDisabled) {
    makeFile(QStringLiteral("ok.mp3"));
    makeFile(QStringLiteral("folder/any.mp3"));
    songAt(QStringLiteral("Present"), music(), QStringLiteral("ok.mp3"));
    songAt(QStringLiteral("Zed gone"), music(), QStringLiteral("gone.mp3"));
    songAt(QStringLiteral("Empty name"), music() + QStringLiteral("folder/"), QString());
    songAt(QStringLiteral("Null name"), music() + QStringLiteral("folder/"), QVariant());
    core::g().Db->execute(QStringLiteral("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (99)"));
    open();
    w->setSortText(QStringLiteral("Song Name"));
    w->setCategoryCaption(QStringLiteral("Favourites"));

    w->mnuFindInvalidFilenames_Click();

    EXPECT_TRUE(prompts.asked().isEmpty()) << "no count is reported";
    EXPECT_EQ(gridSongs(w), QStringList({"Empty name", "Null name", "Zed gone"}));
    EXPECT_EQ(orphanIds(), QStringLiteral("2,3,4"));
    EXPECT_EQ(source(), QStringLiteral("Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = "
                                       "tblOrphanFileNames.RecordIdOrphan  Order By SongName, Artist"));
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Records with invalid path/file names"));
    EXPECT_FALSE(w->lblFilterMsg->isHidden());
    EXPECT_EQ(w->lblCategory->text(), QString());
    EXPECT_FALSE(w->cmdAdd->isEnabled());
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);

    // Another sort keeps the list.
    w->setSortText(QStringLiteral("Path Name"));
    EXPECT_EQ(gridSongs(w).size(), 3);
    EXPECT_TRUE(source().contains(MissingFiles::JoinText));
}

TEST_F(CleanupTest, NothingMissingLeavesTheGridAndEmptiesTheTable) {
    makeFile(QStringLiteral("ok.mp3"));
    songAt(QStringLiteral("Present"), music(), QStringLiteral("ok.mp3"));
    core::g().Db->execute(QStringLiteral("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (99)"));
    open();
    const QString before = source();

    w->mnuFindInvalidFilenames_Click();

    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No records with invalid path/file names exist."));
    EXPECT_EQ(lastTitle(), QStringLiteral("No records found"));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Exclamation);
    EXPECT_EQ(source(), before);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblOrphanFileNames")), QStringLiteral("0"));
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
}

TEST_F(CleanupTest, AnEmptyGridDoesNothingAtAll) {
    songAt(QStringLiteral("Gone"), music(), QStringLiteral("gone.mp3"));
    core::g().Db->execute(QStringLiteral("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (99)"));
    open();
    view(QStringLiteral("Select * from  tblContacts Where SongName = 'nothing'"));

    w->mnuFindInvalidFilenames_Click();

    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(orphanIds(), QStringLiteral("99"));
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts Where SongName = 'nothing'"));
}

TEST_F(CleanupTest, WithACategoryShownEveryMissingSongIsListed) {
    songAt(QStringLiteral("In category"), music(), QStringLiteral("a.mp3"));
    songAt(QStringLiteral("Outside"), music(), QStringLiteral("b.mp3"));
    core::g().Db->execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (1, 1)"));
    open();
    auto &s = core::g();
    s.RecordSourceName = QStringLiteral("qryContacts");
    s.CategoryClause = QStringLiteral(" CategoryNumber = 1 ");
    s.WhereClause = QStringLiteral(" Where ") + s.CategoryClause;
    view(songlist::NameList::standardRecordSource());
    ASSERT_EQ(w->recordCount(), 1);

    w->mnuFindInvalidFilenames_Click();

    EXPECT_EQ(gridSongs(w).size(), 2);
    EXPECT_EQ(s.RecordSourceName, QStringLiteral("tblContacts"));
    EXPECT_EQ(s.CategoryClause, QString());
    w->setSortText(QStringLiteral("Artist"));
    EXPECT_EQ(gridSongs(w).size(), 2);
}

TEST_F(CleanupTest, AFailedCheckRollsBackAndPutsEveryPartBack) {
    songAt(QStringLiteral("Gone"), music(), QStringLiteral("gone.mp3"));
    songAt(QStringLiteral("Also gone"), music(), QStringLiteral("gone2.mp3"));
    core::g().Db->execute(QStringLiteral("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (99)"));
    open();
    auto &s = core::g();
    s.CriteriaClause = QStringLiteral(" (Artist = \"Artist\") ");
    s.WhereClause = QStringLiteral(" Where ") + s.CriteriaClause;
    const QString filtered = QStringLiteral("Select distinctrow * from  tblContacts") + s.WhereClause + s.OrderByClause;
    view(filtered);
    const auto parts = songlist::RecordSourceParts::capture();
    refuse("tblOrphanFileNames", "INSERT");

    w->mnuFindInvalidFilenames_Click();

    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.lastMessage(), Refused + QStringLiteral(".  Error number:3317"));
    EXPECT_EQ(lastTitle(), QStringLiteral("Error"));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Critical);
    EXPECT_EQ(orphanIds(), QStringLiteral("99"));
    EXPECT_FALSE(s.Db->inTransaction());
    EXPECT_EQ(songlist::RecordSourceParts::capture(), parts);
    EXPECT_EQ(source(), filtered);
    EXPECT_EQ(w->recordCount(), 2);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}
