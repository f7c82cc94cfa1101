// The play-list window: which commands each state enables, the track lines, dragging and the
// saved order, and the track and list commands of its menus.
#include "PlayListFixture.h"

#include "core/frmHelp.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListWindows.h"
#include "songlist/OtherWindows.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

namespace ui = platform::ui;
using player::frmPlayList;

namespace {
struct Enabled {
    bool cmdOK, cmdPlay, mnuEditDelete, mnuEditAddSong, mnuAddAllSongs, mnuFilePopulate, mnuEditDeleteSong;
};
Enabled enabled(const frmPlayList *p) {
    return {p->cmdOK->isEnabled(),          p->cmdPlay->isEnabled(),         p->mnuEditDelete->isEnabled(),
            p->mnuEditAddSong->isEnabled(), p->mnuAddAllSongs->isEnabled(), p->mnuFilePopulate->isEnabled(),
            p->mnuEditDeleteSong->isEnabled()};
}
} // namespace

// ---------------------------------------------------------------- states

TEST_F(PlayListTest, NoListAtAllOffersOnlyANewList) {
    addSongs(2);
    openPlayLists();
    const Enabled e = enabled(pl);
    EXPECT_FALSE(e.cmdOK || e.cmdPlay || e.mnuEditDelete || e.mnuEditAddSong || e.mnuAddAllSongs ||
                 e.mnuFilePopulate || e.mnuEditDeleteSong);
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("There are no play lists.  Click the Add New Play List button."));
    EXPECT_FALSE(pl->lblInstructions->isVisibleTo(pl));
    EXPECT_EQ(pl->lbDetail->count(), 0);
    EXPECT_EQ(pl->windowTitle(), QStringLiteral("Play Lists"));
}

TEST_F(PlayListTest, ListsButNoneChosenShowTheInstructions) {
    addList(QStringLiteral("Rock"));
    openPlayLists();
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("Select a play list."));
    EXPECT_TRUE(pl->lblInstructions->isVisibleTo(pl));
    EXPECT_EQ(pl->cmbHeader->currentIndex(), -1);
    EXPECT_FALSE(pl->mnuEditDelete->isEnabled());
    EXPECT_FALSE(pl->cmdOK->isEnabled());
}

// The list dropped as the window opened was drawn as flat grey rows with none highlighted:
// nothing showed that the keys went to it. It shows as a list, its first entry highlighted.
TEST_F(PlayListTest, TheListDroppedAtOpeningShowsAsAListWithItsEntryHighlighted) {
    addList(QStringLiteral("Evening"));
    addList(QStringLiteral("Morning"));
    openPlayLists();
    pl->show();
    pl->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pl));
    QCoreApplication::processEvents();
    QAbstractItemView *list = pl->cmbHeader->view();
    ASSERT_TRUE(list->isVisible()) << "the list is not dropped";
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(pl->cmbHeader->currentIndex(), -1) << "no list is chosen by dropping";
    const QImage shown = list->viewport()->grab().toImage();
    const QRect first = list->visualRect(list->model()->index(0, 0));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    // Beyond each entry's text: the colour its row is drawn on (the style shades it a little).
    const auto near = [&](const QRect &row, QPalette::ColorRole role) {
        const QColor c = shown.pixelColor(QPoint(row.right() - 2, row.center().y()) * shown.devicePixelRatio());
        const QColor want = list->palette().color(role);
        return std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) + std::abs(c.blue() - want.blue()) <
               12;
    };
    EXPECT_TRUE(near(first, QPalette::Highlight)) << "the first entry is not highlighted";
    EXPECT_TRUE(near(second, QPalette::Base)) << "the rows are not drawn on the list's own colour";
    pl->cmbHeader->hidePopup();
}

TEST_F(PlayListTest, ChosenListEnablesItsCommandsByTracksAndGrid) {
    addSongs(1);
    const long empty = addList(QStringLiteral("Empty"));
    const long full = addList(QStringLiteral("Full"));
    addTracks(full, {QStringLiteral("A")});
    Q_UNUSED(empty);
    openPlayLists();
    chooseList(QStringLiteral("Empty"));
    Enabled e = enabled(pl);
    EXPECT_TRUE(e.mnuEditDelete && e.mnuEditAddSong && e.mnuAddAllSongs && e.mnuFilePopulate);
    EXPECT_FALSE(e.cmdPlay || e.mnuEditDeleteSong || e.cmdOK);
    EXPECT_FALSE(pl->cmdOK->isVisibleTo(pl));
    EXPECT_EQ(pl->lblMsg->text(),
              QStringLiteral("Add Songs by selecting them from previous screen using the Right mouse button."));
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Empty"));
    chooseList(QStringLiteral("Full"));
    e = enabled(pl);
    EXPECT_TRUE(e.cmdPlay && e.mnuEditDeleteSong && pl->mnuEditEditSong->isEnabled());
}

TEST_F(PlayListTest, EmptyGridDisablesAddAll) {
    addList(QStringLiteral("Rock"));
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    EXPECT_FALSE(pl->mnuAddAllSongs->isEnabled());
}

TEST_F(PlayListTest, RememberedListIsChosenAtLoad) {
    const long id = addList(QStringLiteral("Rock"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B")});
    core::g().CurrentPlayList = QStringLiteral("Rock");
    openPlayLists();
    EXPECT_EQ(pl->cmbHeader->currentText(), QStringLiteral("Rock"));
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QString()}));
    EXPECT_TRUE(pl->mnuEditDelete->isEnabled());
    EXPECT_TRUE(pl->lblMsg->text().isEmpty());  // not in add-song mode
}

TEST_F(PlayListTest, RememberedListThatIsGoneIsForgotten) {
    addList(QStringLiteral("Rock"));
    core::g().CurrentPlayList = QStringLiteral("Deleted meanwhile");
    openPlayLists();
    EXPECT_TRUE(core::g().CurrentPlayList.isEmpty());
    EXPECT_EQ(pl->cmbHeader->currentIndex(), -1);
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("Select a play list."));
}

TEST_F(PlayListTest, AddSongModeNamesTheGridsSongAndOffersAddSong) {
    addSong({{"SongName", QStringLiteral("Blue")}});
    addList(QStringLiteral("Rock"));
    open();
    core::g().PlayListAddSongMode = true;
    openPlayLists();
    EXPECT_EQ(pl->windowTitle(), QStringLiteral("Add song: \"Blue\" to play list."));
    chooseList(QStringLiteral("Rock"));
    EXPECT_TRUE(pl->cmdOK->isEnabled());
    EXPECT_TRUE(pl->cmdOK->isVisibleTo(pl));
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("Press the Add Song button to add this song, or choose another play list."));
}

TEST_F(PlayListTest, AddSongModeWithoutASongNameNeverOffersAddSong) {
    addSong({{"Artist", QStringLiteral("Nobody")}});
    addList(QStringLiteral("Rock"));
    open();
    core::g().PlayListAddSongMode = true;
    openPlayLists();
    EXPECT_EQ(pl->windowTitle(), QStringLiteral("Play Lists"));
    chooseList(QStringLiteral("Rock"));
    EXPECT_FALSE(pl->cmdOK->isVisibleTo(pl));
}

// ---------------------------------------------------------------- lines

TEST_F(PlayListTest, TrackLinesCarryArtistAndNumberThenABlankLine) {
    const long id = addList(QStringLiteral("Mix"));
    addTracks(id, {QStringLiteral("One|Ann"), QStringLiteral("Two"), QStringLiteral("Three|")}, {2, 5, 9});
    db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, ArtistName) Values (?, 12, 'Bo')"),
                 QVariantList{qlonglong(id)});
    openPlayLists();
    chooseList(QStringLiteral("Mix"));
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("One <> Ann"), QStringLiteral("Two"), QStringLiteral("Three"),
                                    QStringLiteral(" <> Bo"), QString()}));
    EXPECT_EQ(lineData(), (QList<long>{2, 5, 9, 12, 0}));
    EXPECT_EQ(pl->lblNumSongs->text(), QStringLiteral("Number of songs: 4"));
}

TEST_F(PlayListTest, BlankLineClickedSelectsTheLastTrackAndStopsARun) {
    openNewList(QStringLiteral("Mix"), {QStringLiteral("A"), QStringLiteral("B")});
    pl->lbDetail->setCurrentRow(2);
    EXPECT_EQ(pl->lbDetail->currentRow(), 1);
    EXPECT_TRUE(core::g().StopPlayOneByOne);
    pl->lbDetail->setCurrentRow(0);
    EXPECT_FALSE(core::g().StopPlayOneByOne);
}

TEST_F(PlayListTest, HelpShowsItsElevenParagraphsInEightPoint) {
    openPlayLists();
    QString body;
    int size = 0;
    ui::ScopedModalHook hook([&](QDialog *d) {
        auto *h = qobject_cast<core::frmHelp *>(d);
        ASSERT_TRUE(h);
        body = h->lblBody1->text();
        size = h->lblBody1->font().pointSize();
        EXPECT_EQ(h->lblHeading1->text(), QStringLiteral("Using Play Lists"));
    });
    pl->mnuHelp->trigger();
    EXPECT_EQ(size, 8);
    EXPECT_EQ(body.split(QStringLiteral("\n\n")).size(), 11);
    EXPECT_TRUE(frmPlayList::helpText().contains(
        QStringLiteral("Press the \"Create New Play List\" button to add a new Play List  \r\n\r\nAdd a song")));
}

// ---------------------------------------------------------------- dragging

struct DragCase {
    int from, to;
    QStringList after;
};

class PlayListDragTest : public PlayListTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(PlayListDragTest, DropLandsAboveTheLineUnderThePointerAndIsSavedOnLeaving) {
    const DragCase c = GetParam();
    const long id = openNewList(QStringLiteral("ABC"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    pl->lbDetail->setFocus();
    drag(c.from, c.to);
    QStringList expected = c.after;
    expected << QString();
    EXPECT_EQ(lines(), expected);
    pl->cmdClose->setFocus();
    pl->lbDetail_LostFocus();  // the offscreen platform may not move the focus
    QStringList saved;
    for (int i = 0; i < c.after.size(); ++i)
        saved << QString::number(i + 1) + QLatin1Char(':') + c.after[i];
    EXPECT_EQ(stored(id), saved);
    EXPECT_EQ(lineData(), (QList<long>{1, 2, 3, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Drops, PlayListDragTest,
    ::testing::Values(DragCase{2, 0, {"C", "A", "B"}}, DragCase{0, 3, {"B", "C", "A"}}, DragCase{2, 1, {"A", "C", "B"}},
                      DragCase{0, 2, {"B", "A", "C"}}, DragCase{1, 1, {"A", "B", "C"}},
                      DragCase{1, -1, {"A", "B", "C"}}));

TEST_F(PlayListTest, SeveralDragsAreSavedInOnePassAndReopeningShowsThem) {
    const long id = openNewList(QStringLiteral("ABCD"), {QStringLiteral("A"), QStringLiteral("B|x"), QStringLiteral("C"), QStringLiteral("D")});
    drag(3, 0);  // D A B C
    drag(3, 1);  // D C A B
    EXPECT_TRUE(pl->DragOrderChanged);
    EXPECT_EQ(stored(id).first(), QStringLiteral("1:A"));  // a drop itself writes nothing
    pl->lbDetail_LostFocus();
    EXPECT_FALSE(pl->DragOrderChanged);
    EXPECT_EQ(stored(id), (QStringList{"1:D", "2:C", "3:A", "4:B"}));
    pl->close();
    unloadForms();
    w = nullptr;
    core::g().CurrentPlayList = QStringLiteral("ABCD");
    openPlayLists();
    EXPECT_EQ(lines(), (QStringList{"D", "C", "A", "B <> x", ""}));
}

TEST_F(PlayListTest, ClosingRightAfterADragKeepsTheNewOrder) {
    const long id = addList(QStringLiteral("ABC"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    for (int way = 0; way < 2; ++way) {
        openPlayLists();
        chooseList(QStringLiteral("ABC"));
        drag(2, 0);
        if (way == 0)
            pl->mnuFileClose->trigger();
        else
            pl->close();  // the close box
        unloadForms();
        w = nullptr;
    }
    // Twice C onto the first line: C A B, then B C A.
    EXPECT_EQ(stored(id), (QStringList{"1:B", "2:C", "3:A"}));
}

// A key leaves the focus on the list, so no focus change saves the drag before the command.
TEST_F(PlayListTest, CommandsThatReloadTheListKeepADragNotYetSaved) {
    const long id = openNewList(QStringLiteral("ABCD"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    drag(3, 0);  // D A B C
    pl->lbDetail->setCurrentRow(3);
    QTest::keyClick(pl->lbDetail, Qt::Key_Delete);  // C goes
    EXPECT_EQ(stored(id), (QStringList{"1:D", "2:A", "3:B"}));
    EXPECT_EQ(lines(), (QStringList{"D", "A", "B", ""}));

    addSongs(1);
    w->Data1->refresh();
    drag(2, 0);  // B D A
    prompts.answer(ui::Answer::Yes);
    pl->mnuAddAllSongs_Click();
    ASSERT_EQ(stored(id).size(), 4);
    EXPECT_EQ(stored(id).mid(0, 3), (QStringList{"1:B", "2:D", "3:A"}));
    EXPECT_FALSE(pl->DragOrderChanged);
}

TEST_F(PlayListTest, ARowMissingDuringTheSaveChangesNothing) {
    const long id = openNewList(QStringLiteral("ABC"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    drag(2, 0);  // C A B
    db().execute(QStringLiteral("Delete from tblPlayListDetail where ListTrackID=1"));  // A goes meanwhile
    pl->lbDetail_LostFocus();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("In ReOrderTracksAfterDrag routine.  Match not found on Track Title: A"));
    EXPECT_EQ(stored(id), (QStringList{"2:B", "3:C"}));
    EXPECT_EQ(lines(), (QStringList{"B", "C", ""}));  // the stored order shown again
}

TEST_F(PlayListTest, EscapeCancelsADrag) {
    openNewList(QStringLiteral("ABC"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    pl->show();
    auto *vp = pl->lbDetail->viewport();
    const QPoint a = pl->lbDetail->visualItemRect(pl->lbDetail->item(2)).center();
    const QPoint b = pl->lbDetail->visualItemRect(pl->lbDetail->item(0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, a, vp->mapToGlobal(a), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent move(QEvent::MouseMove, b, vp->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    EXPECT_TRUE(pl->lbDetail->isDragging());
    EXPECT_EQ(pl->lbDetail->insertMarkIndex(), 0);
    QTest::keyClick(pl->lbDetail, Qt::Key_Escape);
    QMouseEvent release(QEvent::MouseButtonRelease, b, vp->mapToGlobal(b), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
    EXPECT_EQ(lines(), (QStringList{"A", "B", "C", ""}));
}

TEST_F(PlayListTest, ProgramFolderNamedSourceAllowsNoDrag) {
    const long id = addList(QStringLiteral("ABC"));
    addTracks(id, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    core::g().ProgramFolderOverride = tmp.path() + QStringLiteral("/My Source/bin");
    openPlayLists();
    chooseList(QStringLiteral("ABC"));
    drag(2, 0);
    EXPECT_EQ(lines(), (QStringList{"A", "B", "C", ""}));
    EXPECT_FALSE(pl->DragOrderChanged);
}

// ---------------------------------------------------------------- appends

TEST_F(PlayListTest, AddSongAfterAGapTakesTheHighestNumberPlusOne) {
    addSong({{"SongName", QStringLiteral("Say \"Hi\"")}, {"Artist", QStringLiteral("Ann")},
             {"PathName", QStringLiteral("/m/")}, {"FileName", QStringLiteral("hi.mp3")}});
    const long id = addList(QStringLiteral("Rock"));
    addTracks(id, {QStringLiteral("One"), QStringLiteral("Three")}, {1, 3});  // track 2 left through the player
    open();
    core::g().PlayListAddSongMode = true;
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    pl->cmdOK->click();
    EXPECT_EQ(stored(id), (QStringList{"1:One", "3:Three", "4:Say 'Hi'"}));
    EXPECT_EQ(pl->lbDetail->currentItem()->text(), QStringLiteral("Say 'Hi' <> Ann"));
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("Song was added to Play List."));
    EXPECT_FALSE(pl->cmdOK->isVisibleTo(pl));
    auto rs = db().openRecordset(QStringLiteral("select FileName from tblPlayListDetail where ListTrackID=4"));
    EXPECT_EQ(rs->value(0).toString(), QStringLiteral("/m/hi.mp3"));
}

TEST_F(PlayListTest, AddSongStopsAtThirtyTwoThousand) {
    addSong({{"SongName", QStringLiteral("Last")}});
    const long id = addList(QStringLiteral("Big"));
    addTracks(id, {QStringLiteral("x")}, {31999});
    open();
    core::g().PlayListAddSongMode = true;
    openPlayLists();
    chooseList(QStringLiteral("Big"));
    pl->cmdOK_Click();
    EXPECT_EQ(stored(id).last(), QStringLiteral("32000:Last"));
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    pl->cmdOK_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  Song not added to Play List."));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Not added"));
    EXPECT_EQ(stored(id).size(), 2);
}

TEST_F(PlayListTest, AddAllAppendsInGridOrderAfterTheHighestTrack) {
    addSong({{"SongName", QStringLiteral("b")}});
    addSong({{"SongName", QStringLiteral("c")}});
    addSong({{"SongName", QStringLiteral("a")}});
    const long id = addList(QStringLiteral("Rock"));
    addTracks(id, {QStringLiteral("old1"), QStringLiteral("old5")}, {1, 5});
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * From tblContacts Order By SongName"));
    w->Data1->refresh();
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::Yes);
    pl->mnuAddAllSongs->trigger();
    const auto *q = prompts.lastAsked();
    EXPECT_EQ(q->title, QStringLiteral("Confirm Adding All *3* Songs To Play List"));
    EXPECT_TRUE(q->text.endsWith(QStringLiteral("Number of songs about to be added to Play List: 3.\r\n\r\nAre you sure?")));
    EXPECT_EQ(q->defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(stored(id), (QStringList{"1:old1", "5:old5", "6:a", "7:b", "8:c"}));
    EXPECT_EQ(pl->lblMsg->text(), QStringLiteral("3 songs were added to Play List."));
    EXPECT_EQ(pl->lbDetail->currentRow(), 4);
}

TEST_F(PlayListTest, AddAllRefusesWhatWouldPassTheLimitAndAddsNothingOnNo) {
    addSongs(3);
    const long id = addList(QStringLiteral("Rock"));
    addTracks(id, {QStringLiteral("x")}, {31998});
    open();
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    pl->mnuAddAllSongs_Click();
    EXPECT_EQ(prompts.lastMessage(), frmPlayList::limitText(31998, 3));
    db().execute(QStringLiteral("Update tblPlayListDetail set ListTrackID=31997"));
    prompts.answer(ui::Answer::No);
    pl->mnuAddAllSongs_Click();
    EXPECT_EQ(stored(id).size(), 1);
    prompts.answer(ui::Answer::Yes);
    pl->mnuAddAllSongs_Click();
    EXPECT_EQ(stored(id).last().section(QLatin1Char(':'), 0, 0), QStringLiteral("32000"));
}

TEST_F(PlayListTest, TheLimitsRefusalSaysWhatTheListHoldsInSingularOrPlural) {
    const QString head = QStringLiteral("You cannot add more than 32,000 songs to a single Play List.  ");
    EXPECT_EQ(frmPlayList::limitText(32000, 1),
              head + "The list already holds " + QLocale().toString(32000) + " songs and you are trying to add 1 song.");
    EXPECT_EQ(frmPlayList::limitText(1, 32000),
              head + "The list already holds 1 song and you are trying to add " + QLocale().toString(32000) + " songs.");
    EXPECT_EQ(frmPlayList::limitText(0, 40000),
              head + "The list already holds 0 songs and you are trying to add " + QLocale().toString(40000) + " songs.");
}

TEST_F(PlayListTest, AddAllWithAnEmptyGridAddsNothing) {
    const long id = addList(QStringLiteral("Rock"));
    open();
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::Yes);
    pl->mnuAddAllSongs_Click();
    EXPECT_TRUE(prompts.lastAsked()->title.contains(QStringLiteral("*0*")));
    EXPECT_TRUE(stored(id).isEmpty());
    EXPECT_NE(pl->lblMsg->text(), QStringLiteral("0 songs were added to Play List."));
}

TEST_F(PlayListTest, CountOfDisplayedSongsIgnoresWordsInsideLiterals) {
    EXPECT_EQ(frmPlayList::countSql(QStringLiteral("Select * From tblContacts Where SongName = 'From Order By' Order By SongName")),
              QStringLiteral("Select Count(*) as RowCount From tblContacts Where SongName = 'From Order By' "));
    EXPECT_EQ(frmPlayList::countSql(QStringLiteral("qryContacts")), QString());
}

// ---------------------------------------------------------------- track and list commands

TEST_F(PlayListTest, DeletingATrackRenumbersTheRest) {
    const long id = openNewList(QStringLiteral("Mix"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    pl->lbDetail->setCurrentRow(1);
    QTest::keyClick(pl->lbDetail, Qt::Key_Delete);
    EXPECT_EQ(stored(id), (QStringList{"1:A", "2:C", "3:D"}));
    EXPECT_EQ(lines(), (QStringList{"A", "C", "D", ""}));
}

TEST_F(PlayListTest, DeletingTheOnlyTrackDisablesTheTrackCommands) {
    const long id = openNewList(QStringLiteral("One"), {QStringLiteral("A")});
    pl->lbDetail->setCurrentRow(0);
    pl->mnuEditDeleteSong_Click();
    EXPECT_TRUE(stored(id).isEmpty());
    EXPECT_EQ(lines(), QStringList{QString()});
    EXPECT_FALSE(pl->mnuEditDeleteSong->isEnabled());
    EXPECT_FALSE(pl->mnuFilePopulate->isEnabled());
    EXPECT_FALSE(pl->cmdPlay->isEnabled());
}

TEST_F(PlayListTest, TrackCommandsWithoutASelectionSayWhatIsMissing) {
    addList(QStringLiteral("Empty"));
    openPlayLists();
    chooseList(QStringLiteral("Empty"));
    pl->mnuEditDeleteSong_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must select a song to remove from the list."));
    pl->mnuEditEditSong_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must select a song to edit from the list."));
    pl->lbDetail->setCurrentRow(0);  // the blank line of an empty list
    pl->mnuEditEditSong_Click();
    EXPECT_EQ(prompts.messageTexts().size(), 3);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("No song selected"));
    pl->cmbHeader->setCurrentIndex(-1);
    pl->mnuEditPlayList_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must select a Play List name from the list first."));
}

TEST_F(PlayListTest, DeletingAListAsksAndRemovesItWhole) {
    const long rock = addList(QStringLiteral("Rock"));
    addTracks(rock, {QStringLiteral("A"), QStringLiteral("B")});
    core::g().PlayerSelectedList = QStringLiteral("Rock");
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::No);
    pl->mnuEditDelete_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Confirm Play List Deletion"));
    EXPECT_EQ(prompts.lastAsked()->defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(stored(rock).size(), 2);
    prompts.answer(ui::Answer::Yes);
    pl->mnuEditDelete_Click();
    EXPECT_TRUE(stored(rock).isEmpty());
    EXPECT_EQ(pl->cmbHeader->count(), 0);
    EXPECT_TRUE(core::g().CurrentPlayList.isEmpty());
    EXPECT_TRUE(core::g().PlayerSelectedList.isEmpty());
    EXPECT_FALSE(pl->mnuEditDelete->isEnabled());
}

TEST_F(PlayListTest, AFailedListDeleteKeepsHeaderAndTracksTogether) {
    const long rock = addList(QStringLiteral("Rock"));
    addTracks(rock, {QStringLiteral("A")});
    // The header row refuses to go: the tracks' delete must be undone too.
    ASSERT_EQ(sqlite3_exec(db().handle(),
                           "CREATE TRIGGER keep BEFORE DELETE ON tblPlayListHeader BEGIN "
                           "SELECT RAISE(ABORT, 'Could not delete the list.'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    openPlayLists();
    chooseList(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::Yes);
    pl->mnuEditDelete_Click();
    ASSERT_EQ(prompts.messageTexts().size(), 2);  // the question, then the error's description
    EXPECT_FALSE(prompts.lastMessage().isEmpty());
    EXPECT_TRUE(prompts.lastAsked()->title.isEmpty());
    EXPECT_EQ(stored(rock).size(), 1);
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Rock"));
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(PlayListTest, PlayListsButtonOpensTheWindowModally) {
    open();
    player::installPlayLists();
    bool shown = false;
    ui::ScopedModalHook hook([&](QDialog *d) { shown = qobject_cast<frmPlayList *>(d) != nullptr; });
    w->cmdPlayList->click();
    EXPECT_TRUE(shown);
    songlist::OtherWindows::clear();
}

TEST_F(PlayListTest, RightButtonOffersTheTrackItemsOfTheEditMenuOnly) {
    openNewList(QStringLiteral("Mix"), {QStringLiteral("A"), QStringLiteral("B")});
    pl->show();
    const QPoint onB = pl->lbDetail->visualItemRect(pl->lbDetail->item(1)).center();
    pl->lbDetail_MouseUp(2, onB);
    EXPECT_EQ(pl->lbDetail->currentRow(), 1);
    for (QAction *a : {pl->mnuAddAllSongs, pl->mnuEditAddSong, pl->mnuEditDelete, pl->mnuEditPlayList,
                       pl->mnuEditSeparator1})
        EXPECT_FALSE(a->isVisible());
    EXPECT_TRUE(pl->mnuEditDeleteSong->isVisible());
    pl->mnuEdit->hide();
    for (QAction *a : {pl->mnuAddAllSongs, pl->mnuEditAddSong, pl->mnuEditDelete, pl->mnuEditPlayList,
                       pl->mnuEditSeparator1})
        EXPECT_TRUE(a->isVisible());
}

TEST_F(PlayListTest, ADatabaseErrorInTheSaveUndoesItAndClosesTheWindow) {
    const long id = openNewList(QStringLiteral("ABC"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    drag(2, 0);
    // The third row's update fails.
    ASSERT_EQ(sqlite3_exec(db().handle(),
                           "CREATE TRIGGER stop BEFORE UPDATE ON tblPlayListDetail WHEN old.SongTitle = 'B' BEGIN "
                           "SELECT RAISE(ABORT, 'locked'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    pl->lbDetail_LostFocus();
    EXPECT_TRUE(prompts.lastMessage().startsWith(QStringLiteral("Error number:")));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Error"));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Critical);
    EXPECT_EQ(stored(id), (QStringList{"1:A", "2:B", "3:C"}));
    EXPECT_FALSE(ui::isLoaded(pl));
}

TEST_F(PlayListTest, TrackListStopsAfter32001Lines) {
    const long id = addList(QStringLiteral("Huge"));
    sqlite3 *h = db().handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO tblPlayListDetail (ListID, ListTrackID, SongTitle) VALUES (?, ?, 't')", -1, &s,
                       nullptr);
    for (int i = 1; i <= 32005; ++i) {
        sqlite3_bind_int64(s, 1, id);
        sqlite3_bind_int64(s, 2, i);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    openPlayLists();
    chooseList(QStringLiteral("Huge"));
    EXPECT_EQ(pl->lbDetail->count(), 32002);  // 32,001 tracks and the blank line
    EXPECT_EQ(pl->lblNumSongs->text(), QStringLiteral("Number of songs: 32001"));
}
