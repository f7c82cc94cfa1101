// The track and list dialogs of the play-list window, and the store's appends and renumbering
// passes beneath them.
#include "PlayListFixture.h"

#include "player/frmPlayListDetail.h"
#include "player/frmPlayListHeader.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <sqlite3.h>

namespace ui = platform::ui;
using player::frmPlayList;
using player::frmPlayListDetail;
using player::frmPlayListHeader;
using player::PlayListStore;

class PlayListDialogTest : public PlayListTest {
protected:
    // Runs a window command that shows a dialog, acting on the dialog while it is shown.
    template <class D> void withDialog(const std::function<void()> &command, const std::function<void(D *)> &act) {
        bool seen = false;
        ui::ScopedModalHook hook([&](QDialog *d) {
            if (auto *dlg = qobject_cast<D *>(d)) {
                seen = true;
                act(dlg);
            }
        });
        command();
        EXPECT_TRUE(seen);
    }
    QString field(const QString &name, const QString &where) {
        auto rs = db().openRecordset(QStringLiteral("select %1 from tblPlayListDetail where %2").arg(name, where));
        return rs->eof() ? QStringLiteral("<none>") : rs->value(0).toString();
    }
};

// ---------------------------------------------------------------- track dialog

TEST_F(PlayListDialogTest, HandAddedTrackGoesLastAfterAGapWithItsNotesSuffix) {
    const long id = addList(QStringLiteral("Mix"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("C")}, {1, 3});
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    withDialog<frmPlayListDetail>([&] { pl->mnuEditAddSong_Click(); }, [](frmPlayListDetail *d) {
        EXPECT_EQ(d->windowTitle(), QString::fromLatin1(frmPlayListDetail::AddCaption));
        d->txtSongName->setText(QStringLiteral(" Say \"so\"  "));
        d->txtArtistName->setText(QStringLiteral("The \"Band\" "));
        d->txtFileName->setText(QStringLiteral("/nowhere/x.mp3 "));
        d->cmdOK->click();
    });
    EXPECT_FALSE(core::g().DetailAddMode);
    EXPECT_EQ(stored(id), (QStringList{"1:A", "3:C", "4: Say 'so'"}));
    EXPECT_EQ(field("ArtistName", "ListTrackID=4"), QStringLiteral("The \"Band\""));
    EXPECT_EQ(field("FileName", "ListTrackID=4"), QStringLiteral("/nowhere/x.mp3"));
    EXPECT_EQ(field("Notes", "ListTrackID=4"), QStringLiteral("  *added manually, when song was not cataloged in database*"));
    EXPECT_EQ(pl->lbDetail->currentRow(), 2);  // the new track's line
}

TEST_F(PlayListDialogTest, HandAddNeedsSongAndFileNames) {
    const long id = addList(QStringLiteral("Mix"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    withDialog<frmPlayListDetail>([&] { pl->mnuEditAddSong_Click(); }, [](frmPlayListDetail *d) {
        d->txtSongName->setText(QStringLiteral("Song"));
        d->txtFileName->setText(QStringLiteral("   "));
        d->cmdOK_Click();
    });
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must enter both a Song Name and a File Name for this new song."));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Name not specified"));
    EXPECT_TRUE(stored(id).isEmpty());
}

TEST_F(PlayListDialogTest, HandAddIsRefusedOnAFullList) {
    const long id = addList(QStringLiteral("Big"));
    addTracks(id, {QStringLiteral("x")}, {32000});
    openPlayLists();
    chooseList(QStringLiteral("Big"));
    pl->mnuEditAddSong_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Play List has reached maximum size of 32,000 songs.  No more can be added."));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Cannot add more songs"));
}

TEST_F(PlayListDialogTest, EditAfterAGapLoadsAndSavesTheSelectedTrack) {
    const long id = addList(QStringLiteral("Mix"));
    addTracks(id, {QStringLiteral("One"), QStringLiteral("Three|Ann"), QStringLiteral("Four")}, {1, 3, 4});
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    pl->lbDetail->setCurrentRow(1);
    withDialog<frmPlayListDetail>([&] { pl->lbDetail_DblClick(); }, [](frmPlayListDetail *d) {
        EXPECT_EQ(d->windowTitle(), QString::fromLatin1(frmPlayListDetail::EditCaption));
        EXPECT_EQ(d->txtSongName->text(), QStringLiteral("Three"));
        EXPECT_EQ(d->txtArtistName->text(), QStringLiteral("Ann"));
        d->txtSongName->setText(QStringLiteral("Drei \"x\" "));
        d->txtFileName->clear();  // an edited track may lose its file name
        d->txtNotes->setText(QStringLiteral("kept \"as\" typed "));
        d->cmdOK_Click();
    });
    EXPECT_EQ(stored(id), (QStringList{"1:One", "3:Drei 'x'", "4:Four"}));
    EXPECT_EQ(field("Notes", "ListTrackID=3"), QStringLiteral("kept \"as\" typed "));
    EXPECT_EQ(field("FileName", "ListTrackID=3"), QString());
    EXPECT_EQ(pl->lbDetail->currentItem()->text(), QStringLiteral("Drei 'x' <> Ann"));
}

TEST_F(PlayListDialogTest, EditRefusesABlankSongName) {
    const long id = addList(QStringLiteral("Mix"));
    addTracks(id, {QStringLiteral("One")});
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    pl->lbDetail->setCurrentRow(0);
    withDialog<frmPlayListDetail>([&] { pl->mnuEditEditSong_Click(); }, [](frmPlayListDetail *d) {
        d->txtSongName->setText(QStringLiteral("  "));
        d->cmdOK_Click();
    });
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("The song name cannot be blank."));
    EXPECT_EQ(stored(id), QStringList{"1:One"});
}

TEST_F(PlayListDialogTest, LeavingAMissingFileNameWarnsButKeepsIt) {
    addList(QStringLiteral("Mix"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    core::g().DetailAddMode = true;
    auto *d = ui::form<frmPlayListDetail>();
    core::g().DetailAddMode = false;
    d->show();
    d->txtFileName->setFocus();
    d->txtFileName->setText(QStringLiteral("/no/such/file.mp3"));
    d->txtNotes->setFocus();  // the move the leave check sees
    EXPECT_FALSE(d->txtFileName_Validate());
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Warning!  The file name \"/no/such/file.mp3\" does not exist!"));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("File not found"));
    EXPECT_EQ(d->txtFileName->text(), QStringLiteral("/no/such/file.mp3"));
    const QString real = tmp.path() + QStringLiteral("/real.mp3");
    testenv::writeFile(real, "x");
    prompts.clear();
    d->txtFileName->setText(real);
    d->txtFileName_Validate();
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    d->close();
}

TEST_F(PlayListDialogTest, BrowseStartsInTheTypedFolderAndTakesTheChoice) {
    addList(QStringLiteral("Mix"));
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    auto *d = ui::form<frmPlayListDetail>();
    d->txtFileName->setText(tmp.path() + QStringLiteral("/gone.mp3"));
    prompts.answerFile(QStringLiteral("/music/chosen.flac"));
    d->cmdBrowse_Click();
    const auto *asked = prompts.lastAsked();
    EXPECT_EQ(asked->file.title, QStringLiteral("Select a music file"));
    EXPECT_EQ(asked->file.initialDir, tmp.path() + QStringLiteral("/"));
    EXPECT_TRUE(asked->file.fileMustExist);
    EXPECT_EQ(d->txtFileName->text(), QStringLiteral("/music/chosen.flac"));
    prompts.answerFile(std::nullopt);
    d->cmdBrowse_Click();
    EXPECT_EQ(d->txtFileName->text(), QStringLiteral("/music/chosen.flac"));
    // "\\" belongs to the name: the folder is the one before the last "/".
    QDir(tmp.path()).mkdir(QStringLiteral("AC"));
    d->txtFileName->setText(tmp.path() + QStringLiteral("/AC\\DC.mp3"));
    prompts.answerFile(std::nullopt);
    d->cmdBrowse_Click();
    EXPECT_EQ(prompts.lastAsked()->file.initialDir, tmp.path() + QStringLiteral("/"));
    d->close();
}

// ---------------------------------------------------------------- list dialog

TEST_F(PlayListDialogTest, NewListIsAddedChosenAndAnnounced) {
    openPlayLists();
    withDialog<frmPlayListHeader>([&] { pl->cmdAddHeader_Click(); }, [](frmPlayListHeader *d) {
        EXPECT_EQ(d->windowTitle(), QString::fromLatin1(frmPlayListHeader::AddCaption));
        EXPECT_EQ(d->cmdOK->text(), QStringLiteral("Add New Play List"));
        EXPECT_FALSE(d->cmdDelete->isVisibleTo(d));
        d->txtPlayListName->setText(QStringLiteral("Best \"of\"  "));
        d->txtNotes->setText(QStringLiteral("n"));
        d->cmdOK->click();
    });
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("New play list added.\r\n(Best 'of')"));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Added"));
    EXPECT_EQ(pl->cmbHeader->currentText(), QStringLiteral("Best 'of'"));
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Best 'of'"));
}

TEST_F(PlayListDialogTest, EnterInTheBoxesSubmitsTheListAndTheTrackWindows) {
    openPlayLists();
    withDialog<frmPlayListHeader>([&] { pl->cmdAddHeader_Click(); }, [](frmPlayListHeader *d) {
        d->txtPlayListName->setText(QStringLiteral("Evening"));
        d->txtPlayListName->setFocus();
        QTest::keyClick(d->txtPlayListName, Qt::Key_Return);
    });
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Evening"));
    const long id = pl->chosenListId();

    withDialog<frmPlayListDetail>([&] { pl->mnuEditAddSong_Click(); }, [](frmPlayListDetail *d) {
        d->txtSongName->setText(QStringLiteral("Late"));
        d->txtFileName->setText(QStringLiteral("/nowhere/late.mp3"));
        d->txtNotes->setFocus();
        QTest::keyClick(d->txtNotes, Qt::Key_Enter);
    });
    EXPECT_EQ(stored(id), (QStringList{"1:Late"}));
}

struct TakenCase {
    const char *typed;
    bool taken;
};

class PlayListNameTest : public PlayListDialogTest, public ::testing::WithParamInterface<TakenCase> {};

TEST_P(PlayListNameTest, TakenNamesAreRefusedWhateverTheCaseOrTrailingBlanks) {
    addList(QStringLiteral("Rock"));
    openPlayLists();
    withDialog<frmPlayListHeader>([&] { pl->cmdAddHeader_Click(); }, [](frmPlayListHeader *d) {
        d->txtPlayListName->setText(QString::fromUtf8(GetParam().typed));
        d->cmdOK_Click();
    });
    auto rs = db().openRecordset(QStringLiteral("select * from tblPlayListHeader"));
    EXPECT_EQ(rs->recordCount(), GetParam().taken ? 1 : 2);
    if (GetParam().taken) {
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("A Play List already exists with this name.  Please chose another name."));
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Name already taken"));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PlayListNameTest,
                         ::testing::Values(TakenCase{"Rock", true}, TakenCase{"ROCK", true}, TakenCase{"Rock  ", true},
                                           TakenCase{" Rock", false}, TakenCase{"Rock'n", false},
                                           TakenCase{"Rock \"n\" Roll", false}));

TEST_F(PlayListDialogTest, BlankOrLongNames) {
    openPlayLists();
    withDialog<frmPlayListHeader>([&] { pl->cmdAddHeader_Click(); }, [](frmPlayListHeader *d) {
        d->txtPlayListName->setText(QStringLiteral("   "));
        d->cmdOK_Click();
    });
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must enter a name for this new Play List."));
    const QString longName(300, QLatin1Char('L'));
    withDialog<frmPlayListHeader>([&] { pl->cmdAddHeader_Click(); }, [&](frmPlayListHeader *d) {
        d->txtPlayListName->setText(longName);
        d->cmdOK_Click();
    });
    EXPECT_EQ(pl->cmbHeader->currentText(), longName);
}

TEST_F(PlayListDialogTest, RenameInLetterCaseOnlySavesAndTheCurrentListFollows) {
    const long id = addList(QStringLiteral("rock"), QStringLiteral("old"));
    addList(QStringLiteral("Jazz"));
    addTracks(id, {QStringLiteral("A")});
    openPlayLists();
    chooseList(QStringLiteral("rock"));
    withDialog<frmPlayListHeader>([&] { pl->mnuEditPlayList_Click(); }, [&](frmPlayListHeader *d) {
        EXPECT_EQ(d->windowTitle(), QString::fromLatin1(frmPlayListHeader::EditCaption));
        EXPECT_EQ(d->cmdOK->text(), QStringLiteral("Save Changes"));
        EXPECT_EQ(d->txtNotes->text(), QStringLiteral("old"));
        EXPECT_EQ(d->EditListID, id);
        d->txtPlayListName->setText(QStringLiteral("Rock"));
        d->txtNotes->setText(QStringLiteral("new"));
        d->cmdOK_Click();
    });
    EXPECT_FALSE(core::g().HeaderEditMode);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_EQ(pl->cmbHeader->currentText(), QStringLiteral("Rock"));
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Rock"));
    EXPECT_EQ(stored(id), QStringList{"1:A"});
    // Renaming onto the other list is refused.
    withDialog<frmPlayListHeader>([&] { pl->mnuEditPlayList_Click(); }, [&](frmPlayListHeader *d) {
        d->txtPlayListName->setText(QStringLiteral("JAZZ "));
        d->cmdOK_Click();
    });
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Name already taken"));
}

TEST_F(PlayListDialogTest, DeleteFromTheDialogAsksThenRemovesListAndTracks) {
    const long id = addList(QStringLiteral("Rock"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B")});
    core::g().PlayerSelectedList = QStringLiteral("Rock");
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::No);
    withDialog<frmPlayListHeader>([&] { pl->mnuEditPlayList_Click(); }, [](frmPlayListHeader *d) { d->cmdDelete_Click(); });
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Are you sure you want to delete this play list?"));
    EXPECT_EQ(stored(id).size(), 2);
    prompts.answer(ui::Answer::Yes);
    withDialog<frmPlayListHeader>([&] { pl->mnuEditPlayList_Click(); }, [](frmPlayListHeader *d) { d->cmdDelete_Click(); });
    EXPECT_TRUE(stored(id).isEmpty());
    EXPECT_EQ(pl->cmbHeader->count(), 0);
    EXPECT_TRUE(core::g().CurrentPlayList.isEmpty());
    EXPECT_TRUE(core::g().PlayerSelectedList.isEmpty());
}

// ---------------------------------------------------------------- store

TEST_F(PlayListDialogTest, ReorderFindsRowsByTheirStartingNumbers) {
    // A search by the current number would find C (renumbered to 1) again for A's line.
    const long id = addList(QStringLiteral("ABC"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    EXPECT_EQ(PlayListStore::reorder(db(), id, {{3, "C"}, {1, "A"}, {2, "B"}}), PlayListStore::ReorderResult::Saved);
    EXPECT_EQ(stored(id), (QStringList{"1:C", "2:A", "3:B"}));
    QString missing;
    EXPECT_EQ(PlayListStore::reorder(db(), id, {{3, "B"}, {9, "ghost"}, {1, "C"}}, &missing),
              PlayListStore::ReorderResult::NotFound);
    EXPECT_EQ(missing, QStringLiteral("ghost"));
    EXPECT_EQ(stored(id), (QStringList{"1:C", "2:A", "3:B"}));  // undone whole
    // Lines that name one track twice: its second line finds no row left to renumber.
    EXPECT_EQ(PlayListStore::reorder(db(), id, {{2, "A"}, {2, "A again"}, {1, "C"}}, &missing),
              PlayListStore::ReorderResult::NotFound);
    EXPECT_EQ(missing, QStringLiteral("A again"));
    EXPECT_EQ(stored(id), (QStringList{"1:C", "2:A", "3:B"}));
}

TEST_F(PlayListDialogTest, ReorderStampsTheDateInTheFormRenumberStoresIt) {
    const long moved = addList(QStringLiteral("Moved"));
    addTracks(moved, {QStringLiteral("A"), QStringLiteral("B")});
    const long closed = addList(QStringLiteral("Closed"));
    addTracks(closed, {QStringLiteral("C")}, {4});
    ASSERT_EQ(PlayListStore::reorder(db(), moved, {{2, "B"}, {1, "A"}}), PlayListStore::ReorderResult::Saved);
    ASSERT_TRUE(PlayListStore::renumber(db(), closed));
    // The stored bytes, not the value read back: a date bound as a number reads back the same.
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db().handle(),
                                 "SELECT typeof(LastUpdated), LastUpdated FROM tblPlayListDetail "
                                 "ORDER BY ListID, ListTrackID",
                                 -1, &st, nullptr),
              SQLITE_OK);
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "text");
        const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
        EXPECT_TRUE(stamp.match(text).hasMatch()) << qPrintable(text);
    }
    sqlite3_finalize(st);
    EXPECT_EQ(rows, 3);
    auto rs = db().openRecordset(QStringLiteral("select LastUpdated from tblPlayListDetail where ListID=") +
                                 QString::number(moved));
    const QDateTime read = rs->value(0).toDateTime();
    EXPECT_LE(std::abs(read.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_F(PlayListDialogTest, RenumberClosesGapsKeepingTheOrder) {
    const long id = addList(QStringLiteral("Gaps"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, {2, 5, 9});
    EXPECT_TRUE(PlayListStore::renumber(db(), id));
    EXPECT_EQ(stored(id), (QStringList{"1:A", "2:B", "3:C"}));
    EXPECT_FALSE(PlayListStore::renumber(db(), addList(QStringLiteral("None"))));
}
