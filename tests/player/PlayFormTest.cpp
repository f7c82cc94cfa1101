// The player window: what its load takes from the hand-over and the catalogue, where it opens,
// its resize rule, the mode boxes, the song list's click, Lyrics, the now-playing window and
// what closing it does, ending the program or not.
#include "player/PlayerFixture.h"

#include "player/frmNowPlaying.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <vector>

using core::g;
using player::frmNowPlaying;
using player::PlayForm;
using namespace platform::ui;

namespace {

void addPlayList(const QString &name) {
    auto rs = g().Db->openRecordset(QStringLiteral("tblPlayListHeader"), platform::db::RecordsetType::Table);
    rs->addNew();
    rs->setValue(QStringLiteral("ListName"), name);
    rs->update();
    rs->close();
}

const QStringList kThreeSongs{QStringLiteral("Alpha <> Ann|/m/a.mp3"), QStringLiteral("Beta <> Bob|/m/b.mp3"),
                              QStringLiteral("Gamma|/m/c.mp3")};

} // namespace

// ---------------------------------------------------------------- load

TEST_F(PlayerTest, LoadWithoutPlayListsEmptiesTheChosenListNames) {
    g().CurrentPlayList = QStringLiteral("Road");
    g().PlayerSelectedList = QStringLiteral("Road");
    PlayForm *w = load({QStringLiteral("Song|/m/song.mp3")});
    EXPECT_TRUE(g().PlayerOpen);
    EXPECT_EQ(w->cmbHeader->count(), 0);
    EXPECT_EQ(g().CurrentPlayList, QString());
    EXPECT_EQ(g().PlayerSelectedList, QString());
    EXPECT_EQ(w->lblSelectedPlaylist->text(), QStringLiteral("Road")) << "shown before the names were emptied";
    EXPECT_TRUE(w->cmdDelete->isHidden());
    EXPECT_EQ(fake()->calls, QStringList{QStringLiteral("URL=/m/song.mp3")});
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Playing"));
    EXPECT_EQ(w->cmbHeader->view()->minimumWidth(), 220);
}

TEST_F(PlayerTest, LoadFillsThePlayListsInNameOrderAndShowsDelete) {
    for (const char *n : {"Zeta", "Alpha", "Mid"})
        addPlayList(QString::fromLatin1(n));
    g().CurrentPlayList = QStringLiteral("Mid");
    g().PlayerSelectedList = QStringLiteral("Mid");
    PlayForm *w = load();
    ASSERT_EQ(w->cmbHeader->count(), 3);
    EXPECT_EQ(w->cmbHeader->itemText(0), QStringLiteral("Alpha"));
    EXPECT_EQ(w->cmbHeader->itemText(2), QStringLiteral("Zeta"));
    EXPECT_GT(w->cmbHeader->itemData(0).toLongLong(), 0) << "item data is the ListID";
    EXPECT_EQ(g().CurrentPlayList, QStringLiteral("Mid"));
    EXPECT_EQ(g().PlayerSelectedList, QStringLiteral("Mid"));
    // Play random starts hidden, so Delete is offered.
    EXPECT_FALSE(w->cmdDelete->isHidden());
}

TEST_F(PlayerTest, StartVisibilityAndCaptionsOfTheControls) {
    PlayForm *w = load();
    for (QWidget *c : {static_cast<QWidget *>(w->cbPlayNext), static_cast<QWidget *>(w->cbPlayRandom),
                       static_cast<QWidget *>(w->cmdDelete), static_cast<QWidget *>(w->txtSongAddedToPlaylist)})
        EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
    for (QWidget *c : {static_cast<QWidget *>(w->cbLoop), static_cast<QWidget *>(w->cbShuffle),
                       static_cast<QWidget *>(w->cbSkipDups), static_cast<QWidget *>(w->cbNowPlaying),
                       static_cast<QWidget *>(w->cmdLyrics), static_cast<QWidget *>(w->cmdExit),
                       static_cast<QWidget *>(w->cmdAddToPlaylist), static_cast<QWidget *>(w->cmbHeader),
                       static_cast<QWidget *>(w->WindowsMediaPlayer1)})
        EXPECT_FALSE(c->isHidden()) << c->objectName().toStdString();
    EXPECT_EQ(w->cbLoop->text(), QStringLiteral("Loop (repeats all songs in list)"));
    EXPECT_EQ(w->cbPlayNext->text(), QStringLiteral("Play next song once this song ends"));
    EXPECT_EQ(w->cbNowPlaying->text(), QStringLiteral("Display current song"));
    EXPECT_EQ(w->cmdExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(w->cmdDelete->text(), QStringLiteral("Delete from Playlist"));
    EXPECT_EQ(w->txtSongAddedToPlaylist->text(), QStringLiteral("Song added to Play List"));
    EXPECT_EQ(w->controlRect(w->lbSongURL).Height, 255);
    EXPECT_EQ(w->findChild<QWidget *>(QStringLiteral("WindowsMediaPlayer1")), w->WindowsMediaPlayer1);
}

TEST_F(PlayerTest, OpensTopLeftFirstThenWhereTheLastOneClosed) {
    g().PlayFromMain = true;
    PlayForm *w = load();
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    w->move(twipsToPixelsX(1500), twipsToPixelsY(900));
    w->close();
    flushUnloadedForms();
    EXPECT_EQ(g().PlayerLeft, 1500);
    EXPECT_EQ(g().PlayerTop, 900);

    g().PlayFromMain = true;
    w = load();
    EXPECT_EQ(w->pos(), QPoint(twipsToPixelsX(1500), twipsToPixelsY(900)));
    w->close();
    flushUnloadedForms();

    // Once a negative position is stored, the position is neither used nor saved.
    g().PlayerTop = -15;
    g().PlayFromMain = true;
    w = load();
    w->move(twipsToPixelsX(3000), twipsToPixelsY(3000));
    w->close();
    EXPECT_EQ(g().PlayerTop, -15);
    EXPECT_EQ(g().PlayerLeft, 1500);
}

// ---------------------------------------------------------------- resize

TEST_F(PlayerTest, ResizeKeepsTheWidthAtLeast6300AndLaysTheControlsOut) {
    PlayForm *w = load();
    w->show();
    auto setSize = [&](int widthTw, int heightTw) {
        w->resize(twipsToPixelsX(widthTw), twipsToPixelsY(heightTw));
        w->Form_Resize();
    };
    const auto r = [&](QWidget *c) { return w->controlRect(c); };

    setSize(9000, 6000);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Width, 3150);   // 35 %
    EXPECT_EQ(r(w->lbSongs).Width, 5130);               // 57 %
    EXPECT_EQ(r(w->lbSongs).Left, 120 + 3150 + 100);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Height, 3600);
    EXPECT_EQ(r(w->lbSongs).Height, 3600);
    EXPECT_EQ(r(w->cmdExit).Top, 4950);
    EXPECT_EQ(r(w->cmdExit).Left, 4500 - r(w->cmdExit).Width / 2);
    EXPECT_EQ(r(w->cbShuffle).Top, 4600);
    EXPECT_EQ(r(w->cbShuffle).Left + r(w->cbShuffle).Width, r(w->lbSongs).Left + r(w->lbSongs).Width);
    EXPECT_EQ(r(w->cbSkipDups).Top, 4600 + 255 + 5);
    EXPECT_EQ(r(w->cbNowPlaying).Top, r(w->cbSkipDups).Top + 255 + 5);
    EXPECT_EQ(r(w->lbSongURL).Top, 3600 + 120 + 100);
    EXPECT_EQ(r(w->lbSongURL).Width, 3150 + 5130 + 100);
    EXPECT_EQ(r(w->lblNumSongs).Top, 3820 + 255 + 10);
    EXPECT_EQ(r(w->cbLoop).Top, r(w->cbPlayNext).Top + 255 + 1);
    EXPECT_EQ(r(w->cbPlayRandom).Top, 4950);
    EXPECT_EQ(r(w->cmdAddToPlaylist).Top, 4950 - 372 - 150);
    EXPECT_EQ(r(w->cmdLyrics).Top, r(w->lblNumSongs).Top + 100);
    EXPECT_EQ(r(w->lblSelectedPlaylist).Top, r(w->cmdAddToPlaylist).Top + 372);
    EXPECT_EQ(r(w->txtSongAddedToPlaylist).Top, r(w->cmdAddToPlaylist).Top - 285);
    EXPECT_EQ(r(w->cmbHeader).Left, r(w->cmdAddToPlaylist).Left + r(w->cmdAddToPlaylist).Width);
    EXPECT_EQ(r(w->cmdDelete).Top, 4950);
    EXPECT_EQ(w->WindowsMediaPlayer1->geometry(), twipsRect(120, 120, 3150, 3600));

    // Narrower than 6300: back to 6300, and the player keeps at least 2600.
    setSize(5000, 3000);
    EXPECT_NEAR(pixelsToTwipsX(w->width()), 6300, 15);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Width, 2600);
    EXPECT_EQ(r(w->lbSongs).Width, 6300 - 2600 - 120 - 500);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Height, 600);
    EXPECT_EQ(r(w->cmdExit).Top, 1950);

    // 2100 twips high or lower: the player and Exit keep their last places.
    setSize(6990, 2100);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Height, 600);
    EXPECT_EQ(r(w->cmdExit).Top, 1950);
    EXPECT_EQ(r(w->WindowsMediaPlayer1).Width, 2600) << "35 % of 6990 is below 2600";
    EXPECT_EQ(r(w->lbSongs).Width, 6990 - 2600 - 120 - 500);
    setSize(6990, 2115);
    EXPECT_EQ(r(w->cmdExit).Top, 2115 - 1050);
}

// ---------------------------------------------------------------- mode boxes

TEST_F(PlayerTest, LoopPlayNextAndPlayRandomExcludeEachOther) {
    PlayForm *w = load();
    fake()->calls.clear();
    QCheckBox *loop = w->cbLoop, *next = w->cbPlayNext, *random = w->cbPlayRandom;
    struct Step {
        QCheckBox *tick;
        bool loop, next, random;
        QStringList calls;
    };
    const Step steps[] = {
        {loop, true, false, false, {"setMode(loop,true)"}},
        {random, false, false, true, {"setMode(loop,false)"}},
        {next, false, true, false, {}},
        {loop, true, false, false, {"setMode(loop,true)"}},
        {next, false, true, false, {"setMode(loop,false)"}},
        {random, false, false, true, {}},
    };
    for (const Step &s : steps) {
        fake()->calls.clear();
        s.tick->setChecked(true);
        EXPECT_EQ(loop->isChecked(), s.loop) << s.tick->objectName().toStdString();
        EXPECT_EQ(next->isChecked(), s.next) << s.tick->objectName().toStdString();
        EXPECT_EQ(random->isChecked(), s.random) << s.tick->objectName().toStdString();
        EXPECT_EQ(fake()->calls, s.calls) << s.tick->objectName().toStdString();
    }
    EXPECT_FALSE(fake()->loop());

    // Shuffle and Skip duplicates go with any of them.
    fake()->calls.clear();
    w->cbShuffle->setChecked(true);
    w->cbSkipDups->setChecked(true);
    w->cbShuffle->setChecked(false);
    EXPECT_EQ(fake()->calls, (QStringList{"setMode(shuffle,true)", "setMode(shuffle,false)"}));
    EXPECT_TRUE(random->isChecked());
}

// ---------------------------------------------------------------- the song list

TEST_F(PlayerTest, SelectionByTheProgramDoesNotRestartPlaying) {
    PlayForm *w = load(kThreeSongs, true);
    fake()->open();
    fake()->deliver();
    fake()->calls.clear();
    w->cmdExit->setFocus();
    w->lbSongs->setCurrentRow(2);
    w->lbSongURL->setCurrentRow(2);
    EXPECT_TRUE(fake()->calls.isEmpty()) << fake()->calls.join(", ").toStdString();
}

TEST_F(PlayerTest, TabbingIntoTheSongListDoesNotPlay) {
    PlayForm *w = load(kThreeSongs, true);
    fake()->open();
    fake()->deliver();
    w->show();
    QApplication::setActiveWindow(w);
    fake()->calls.clear();
    w->cmdExit->setFocus();
    QTest::keyClick(w->cmdExit, Qt::Key_Tab);
    w->lbSongs->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(w->focusWidget(), w->lbSongs);
    EXPECT_TRUE(fake()->calls.isEmpty()) << fake()->calls.join(", ").toStdString();
    // The next key press is the user's.
    QTest::keyClick(w->lbSongs, Qt::Key_Down);
    EXPECT_EQ(fake()->calls.value(1), QStringLiteral("currentItem=1"));
}

TEST_F(PlayerTest, UserClickJumpsToTheSongWithLoopCleared) {
    PlayForm *w = load(kThreeSongs, true);
    fake()->open();
    fake()->deliver();
    w->cbLoop->setChecked(true);
    fake()->calls.clear();
    w->lbSongs->setFocus();
    ASSERT_EQ(w->focusWidget(), w->lbSongs);
    w->lbSongs->setCurrentRow(1);
    EXPECT_EQ(fake()->calls, (QStringList{"setMode(loop,false)", "stop", "currentItem=1", "play", "currentItem=1"}));
    EXPECT_FALSE(w->cbLoop->isChecked());
    EXPECT_EQ(w->lbSongURL->currentRow(), 1);
    EXPECT_EQ(w->focusWidget(), w->WindowsMediaPlayer1);
    EXPECT_EQ(fake()->currentItem().sourceURL, QStringLiteral("/m/b.mp3"));

    // A click on the song already selected plays it again; a mouse click on another song runs
    // the handler once.
    w->show();
    QApplication::setActiveWindow(w);
    auto clickRow = [&](int row) {
        const QRect r = w->lbSongs->visualItemRect(w->lbSongs->item(row));
        QTest::mouseClick(w->lbSongs->viewport(), Qt::LeftButton, {}, r.center());
    };
    fake()->calls.clear();
    clickRow(1);
    EXPECT_EQ(fake()->calls, (QStringList{"stop", "currentItem=1", "play", "currentItem=1"}));
    fake()->calls.clear();
    clickRow(2);
    EXPECT_EQ(fake()->calls, (QStringList{"stop", "currentItem=2", "play", "currentItem=2"}));
    EXPECT_EQ(w->lbSongURL->currentRow(), 2);
}

TEST_F(PlayerTest, UserClickWhileTheListItselfIsCurrentPlaysAndSelectsTheFirstSong) {
    PlayForm *w = load(kThreeSongs, true);
    ASSERT_EQ(fake()->currentItem().name, QStringLiteral("OVPlayList"));
    fake()->calls.clear();
    w->lbSongs->setFocus();
    w->lbSongs->setCurrentRow(2);
    // The list has no entry 2 yet ("invalid argument"): the first song is selected, and that
    // selection, made while the list has the focus, is a click of its own.
    EXPECT_EQ(fake()->calls, (QStringList{"stop", "play", "stop", "play"}));
    EXPECT_EQ(w->lbSongs->currentRow(), 0);
    EXPECT_EQ(w->lbSongURL->currentRow(), 0);
    // Once open, the list plays from its first entry.
    fake()->open();
    fake()->deliver();
    EXPECT_EQ(fake()->currentItem().index, 0);
    EXPECT_EQ(fake()->playState(), platform::media::Playing);
}

TEST_F(PlayerTest, SongOutsideThePlayersListSelectsTheFirstSong) {
    PlayForm *w = load({QStringLiteral("One|/m/one.mp3"), QStringLiteral("Two|/m/two.mp3")});
    fake()->open();  // a single file: one entry
    fake()->deliver();
    fake()->calls.clear();
    w->lbSongs->setFocus();
    w->lbSongs->setCurrentRow(1);
    EXPECT_EQ(fake()->calls, (QStringList{"stop", "stop", "currentItem=0", "play", "currentItem=0"}));
    EXPECT_EQ(w->lbSongs->currentRow(), 0);
    EXPECT_EQ(w->lbSongURL->currentRow(), 0);
}

TEST_F(PlayerTest, FocusCannotMoveFromThePlayerToThePathList) {
    PlayForm *w = load(kThreeSongs);
    w->show();
    QApplication::setActiveWindow(w);
    w->WindowsMediaPlayer1->setFocus();
    w->lbSongURL->setFocus();
    EXPECT_EQ(w->focusWidget(), w->WindowsMediaPlayer1);
    w->cmdExit->setFocus();
    w->lbSongURL->setFocus();
    EXPECT_EQ(w->focusWidget(), w->lbSongURL);
}

// ---------------------------------------------------------------- lyrics and now playing

TEST_F(PlayerTest, LyricsSearchCarriesSongAndArtistAsTyped) {
    struct Case {
        QStringList songs;
        int selected;
        const char *query;
    };
    const Case cases[] = {
        {{"Rock & Roll <> AC/DC|/m/1.mp3"}, -1, "song+lyrics+for+Rock+%26+Roll+AC%2FDC"},
        {{"a|/m/a.mp3", "#1 Crush <> Garbage|/m/2.mp3"}, 1, "song+lyrics+for+%231+Crush+Garbage"},
        {{"100% + more <> Björk|/m/3.mp3"}, -1, "song+lyrics+for+100%25+%2B+more+Bj%C3%B6rk"},
        {{"Only A Song|/m/4.mp3"}, -1, "song+lyrics+for+Only+A+Song"},
        {{"a|/m/a.mp3", "b|/m/b.mp3"}, -1, "song+lyrics+for+"},   // several songs, none selected
    };
    for (const Case &c : cases) {
        prompts.openedUrls.clear();
        PlayForm *w = load(c.songs);
        w->cmdExit->setFocus();
        w->lbSongs->setCurrentRow(c.selected);
        w->cmdLyrics->click();
        ASSERT_EQ(prompts.openedUrls.size(), 1);
        const QString url = prompts.openedUrls.first().toString(QUrl::FullyEncoded);
        EXPECT_TRUE(url.endsWith(QStringLiteral("/search?newwindow=1&q=") + QString::fromUtf8(c.query)))
            << url.toStdString();
        g().PlayFromMain = true;
        w->close();
        flushUnloadedForms();
    }
}

TEST_F(PlayerTest, NowPlayingShowsTheSongWithItsAmpersandOnce) {
    PlayForm *w = load({QStringLiteral("Tom & Jerry <> Cats && Dogs|/m/t.mp3")});
    w->lbSongs->setCurrentRow(0);
    w->cbNowPlaying->setChecked(true);
    auto *now = findForm<frmNowPlaying>();
    ASSERT_TRUE(now);
    EXPECT_TRUE(now->isVisible());
    EXPECT_EQ(now->parentWidget(), w) << "owned by the player";
    EXPECT_EQ(now->windowTitle(), QStringLiteral("Now Playing"));
    EXPECT_EQ(now->caption(), QStringLiteral("Tom && Jerry <> Cats &&&& Dogs"));
    EXPECT_EQ(now->lblNowPlaying->text(), QStringLiteral("Tom & Jerry <> Cats && Dogs"));
    EXPECT_EQ(now->lblNowPlaying->font().family(), QStringLiteral("Arial"));

    now->resize(twipsToPixelsX(6000), now->height());
    now->Form_Resize();
    EXPECT_EQ(now->lblNowPlaying->width(), twipsToPixelsX(6000) - twipsToPixelsX(100));

    // Closing it clears the box; clearing the box closes it.
    now->close();
    EXPECT_FALSE(w->cbNowPlaying->isChecked());
    EXPECT_FALSE(isLoaded(QStringLiteral("frmNowPlaying")));
    w->cbNowPlaying->setChecked(true);
    ASSERT_TRUE(findForm<frmNowPlaying>());
    w->cbNowPlaying->setChecked(false);
    EXPECT_FALSE(isLoaded(QStringLiteral("frmNowPlaying")));
}

// ---------------------------------------------------------------- unload

TEST_F(PlayerTest, ClosingEndsTheProgramOnlyWhenNothingElseKeepsItRunning) {
    struct Case {
        bool fromMain, fromFolder, reopening, otherWindow, ends;
    };
    const Case cases[] = {
        {false, false, false, false, true},
        {true, false, false, false, false},
        {false, true, false, false, false},
        {false, false, true, false, false},
        {false, false, false, true, false},
    };
    for (const Case &c : cases) {
        endCodes.clear();
        QWidget *other = nullptr;
        if (c.otherWindow) {
            other = new QWidget;
            other->setObjectName(QStringLiteral("Other"));
            registerForm(other);
        }
        auto &s = g();
        s.PlayFromMain = c.fromMain;
        s.PlayFromFolder = c.fromFolder;
        s.ReopeningDatabase = c.reopening;
        PlayForm *w = load(kThreeSongs, true);
        ASSERT_TRUE(QFile::exists(s.DataFolder + "OVPlayList.m3u"));
        w->cbNowPlaying->setChecked(true);
        w->PlayerRecordset = s.Db->openRecordset(QStringLiteral("tblContacts"));
        w->cmdExit->click();
        EXPECT_FALSE(isLoaded(QStringLiteral("PlayForm")));
        EXPECT_FALSE(isLoaded(QStringLiteral("frmNowPlaying")));
        EXPECT_FALSE(QFile::exists(s.DataFolder + "OVPlayList.m3u"));
        EXPECT_FALSE(s.PlayerOpen);
        // As a vector: Qt 6.4 compares two empty QLists with a memcmp of null pointers.
        const std::vector<int> ended(endCodes.cbegin(), endCodes.cend());
        EXPECT_EQ(ended, c.ends ? std::vector<int>{0} : std::vector<int>{}) << c.fromMain << c.fromFolder << c.reopening;
        if (!c.ends) {
            EXPECT_FALSE(s.PlayFromMain);
            EXPECT_FALSE(s.PlayFromFolder);
            EXPECT_EQ(s.PlayPath, QString());
            EXPECT_EQ(s.PlayCaption, QString());
        }
        s.ReopeningDatabase = false;
        flushUnloadedForms();
        if (other) {
            unloadForm(other);  // destroyed by the flush
            flushUnloadedForms();
        }
    }
}

TEST_F(PlayerTest, EventsQueuedWhenTheWindowClosesDoNotReachIt) {
    PlayForm *w = load(kThreeSongs, true);
    int events = 0;
    QObject::connect(fake(), &platform::media::MediaPlayer::playStateChange, w, [&] { ++events; });
    fake()->open();
    g().PlayFromMain = true;
    w->close();
    fake()->deliver();
    EXPECT_EQ(events, 0);
}
