// Adding a song at the end of a play list from the grid's pop-up, the song editor and the
// player: the number it gets, the fields stored, each variant's refusals word for word, the
// confirmation, and the player's removal of the playing song from the list it plays.
#include "PlayListFixture.h"

#include "common/FakeMediaPlayer.h"
#include "core/StartupHooks.h"
#include "editor/EditorFixture.h"
#include "platform/ui/DataControl.h"
#include "player/ConfirmationFlash.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/PlayListWindows.h"
#include "player/frmPlayList.h"
#include "songlist/OtherWindows.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using core::g;
using player::ConfirmationFlash;
using player::PlayForm;
namespace ui = platform::ui;
using Asked = ui::ScriptedPrompts::Asked;

namespace {

// A stored track as "number|title|artist|file|record|notes".
QStringList tracksOf(long list) {
    QStringList out;
    auto rs = g().Db->openRecordset(
        QStringLiteral("select ListTrackID, SongTitle, ArtistName, FileName, ContactRecordID, Notes, LastUpdated "
                       "from tblPlayListDetail where ListID=%1 order by ListTrackID")
            .arg(list));
    for (; !rs->eof(); rs->moveNext()) {
        QStringList f;
        for (int i = 0; i < 6; ++i)
            f << rs->value(i).toString();
        // Rows the tests write themselves have no time; an append always stamps one.
        if (rs->value(4).toLongLong() != 0) {
            EXPECT_FALSE(rs->value(6).isNull()) << "LastUpdated";
        }
        out << f.join(QLatin1Char('|'));
    }
    return out;
}

class AppendTest : public PlayListTest {
protected:
    void SetUp() override {
        PlayListTest::SetUp();
        player::registerPlayCommands();
        ConfirmationFlash::setPauseOverride(0);
        music = tmp.path() + QStringLiteral("/music/");
        saved = core::hooks();
        core::hooks().endProgram = [](int) {};
    }
    void TearDown() override {
        unloadForms();
        songlist::OtherWindows::clear();
        ConfirmationFlash::setPauseOverride(-1);
        core::hooks() = saved;
        PlayListTest::TearDown();
    }
    long song(const QString &name, const QString &artist = {}, const QVariant &folder = {}, const QVariant &file = {}) {
        addSong({{"SongName", name}, {"Artist", artist}, {"PathName", folder.isNull() ? QVariant(music) : folder},
                 {"FileName", file.isNull() ? QVariant(name + QStringLiteral(".mp3")) : file}});
        auto rs = db().openRecordset(QStringLiteral("select Max(RecordID) from tblContacts"));
        return long(rs->value(0).toLongLong());
    }
    void current(long id) {
        if (!w)
            open();
        w->Data1->refresh();
        ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("RecordID = %1").arg(id)));
    }
    void popupAdd() {
        prompts.clear();
        w->mnuPopupAddToPlaylist->trigger();
    }
    const Asked &lastBox() const { return *prompts.lastAsked(); }

    QString music;
    core::StartupHooks saved;
};

} // namespace

// ---------------------------------------------------------------- the grid's pop-up

TEST_F(AppendTest, PlayListsButtonAfterAnAddFromThePopUpOffersNoAddSong) {
    addList(QStringLiteral("Rock"));
    core::g().CurrentPlayList = QStringLiteral("Rock");
    current(song(QStringLiteral("Blue")));
    player::installPlayLists();
    w->Table1_ShowPopupMenu(2, 0, 5, w->Table1->rowViewportPosition(0) + 1);
    w->mnuPopup->hide();
    popupAdd();  // added at once: no window needed
    QString title, message;
    bool addSongShown = true;
    {
        ui::ScopedModalHook hook([&](QDialog *d) {
            if (auto *p = qobject_cast<player::frmPlayList *>(d)) {
                title = p->windowTitle();
                message = p->lblMsg->text();
                addSongShown = p->cmdOK->isVisibleTo(p);
            }
        });
        w->cmdPlayList->click();
    }
    EXPECT_EQ(title, QStringLiteral("Play Lists"));
    EXPECT_FALSE(message.contains(QStringLiteral("Add Song button"))) << message.toStdString();
    EXPECT_FALSE(addSongShown);
    EXPECT_FALSE(core::g().PlayListAddSongMode);
}

TEST_F(AppendTest, GridAddGoesAfterTheHighestTrackWithTheSongsFields) {
    const long rock = addList(QStringLiteral("Rock"));
    const long gaps = addList(QStringLiteral("Gaps"));
    addTracks(gaps, {QStringLiteral("One"), QStringLiteral("Three")}, {1, 3});
    const long id = song(QStringLiteral("Say \"Hi\""), QStringLiteral("Ann"));
    current(id);
    const QString row = QStringLiteral("|Say 'Hi'|Ann|") + music + QStringLiteral("Say \"Hi\".mp3|%1|").arg(id);

    g().CurrentPlayList = QStringLiteral("rock");  // lists are found without regard to case
    popupAdd();
    popupAdd();  // the same song twice is listed twice
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(tracksOf(rock), (QStringList{QStringLiteral("1") + row, QStringLiteral("2") + row}));

    g().CurrentPlayList = QStringLiteral("Gaps");
    popupAdd();
    EXPECT_EQ(tracksOf(gaps).last(), QStringLiteral("4") + row) << "after a gap: the highest + 1";
    EXPECT_TRUE(w->txtSongAddedToPlaylist->isHidden()) << "hidden again after the flash";
}

TEST_F(AppendTest, AListAtTheLimitTakesTrack32000AndThenRefuses) {
    const long big = addList(QStringLiteral("Big"));
    addTracks(big, {QStringLiteral("Old")}, {31999});
    current(song(QStringLiteral("New")));
    g().CurrentPlayList = QStringLiteral("Big");
    popupAdd();
    EXPECT_TRUE(tracksOf(big).last().startsWith(QStringLiteral("32000|New|")));
    popupAdd();
    EXPECT_EQ(lastBox().text,
              QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  Song not added to Play List."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Not added"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_EQ(tracksOf(big).size(), 2);
}

TEST_F(AppendTest, GridRefusalsSayWhyAndWriteNothing) {
    const long rock = addList(QStringLiteral("Rock"));
    const struct {
        QVariant folder, file;
        const char *list, *text, *title;
        ui::Icon icon;
    } cases[] = {
        {{}, QStringLiteral(" "), "Rock", "No File Name exists for this record, so not added to Play List.",
         "NOT added to Play List", ui::Icon::Exclamation},
        {QStringLiteral(""), {}, "Rock", "No Path Name (folder) exists for this record, so not added to Play List.",
         "NOT added to Play List", ui::Icon::Exclamation},
        // A list deleted or renamed after it became current.
        {{}, {}, "Gone", "\"Gone\" Play list name not found.", "Sub mnuPopupAddToPlaylist_Click", ui::Icon::Critical},
    };
    for (const auto &c : cases) {
        current(song(QStringLiteral("Song"), {}, c.folder, c.file));
        g().CurrentPlayList = QString::fromLatin1(c.list);
        popupAdd();
        ASSERT_EQ(prompts.asked().size(), 1) << c.text;
        EXPECT_EQ(lastBox().text, QString::fromLatin1(c.text));
        EXPECT_EQ(lastBox().title, QString::fromLatin1(c.title));
        EXPECT_EQ(lastBox().icon, c.icon);
    }
    EXPECT_TRUE(tracksOf(rock).isEmpty());
}

TEST_F(AppendTest, GridWithoutACurrentListOpensThePlayListWindowToPickOne) {
    addList(QStringLiteral("Rock"));
    current(song(QStringLiteral("Blue")));
    QString title;
    bool modeWhileShown = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        title = d->windowTitle();
        modeWhileShown = g().PlayListAddSongMode;
    });
    popupAdd();
    EXPECT_EQ(title, QStringLiteral("Add song: \"Blue\" to play list."));
    EXPECT_TRUE(modeWhileShown);
    EXPECT_FALSE(g().PlayListAddSongMode);
}

TEST_F(AppendTest, TheConfirmationShowsWhileTheEventLoopRunsAndASecondPressAddsAgain) {
    const long rock = addList(QStringLiteral("Rock"));
    current(song(QStringLiteral("Blue")));
    g().CurrentPlayList = QStringLiteral("Rock");
    ConfirmationFlash::setPauseOverride(1);
    bool shown = false;
    QTimer::singleShot(0, w, [&] {
        shown = w->txtSongAddedToPlaylist->isVisibleTo(w);
        w->mnuPopupAddToPlaylist->trigger();
    });
    popupAdd();
    EXPECT_TRUE(shown);
    EXPECT_EQ(tracksOf(rock).size(), 2);
    EXPECT_TRUE(w->txtSongAddedToPlaylist->isHidden());
}

// ---------------------------------------------------------------- the player

namespace {
class PlayerAppendTest : public AppendTest {
protected:
    // A player loaded with "text|path" songs, as a play command hands them over.
    PlayForm *player(const QStringList &songs, const QString &caption = QStringLiteral("Playing")) {
        if (!w)
            open();
        prompts.clear();  // what the main window said on opening
        g().PlayCaption = caption;
        g().PlayPath = songs.first().section(QLatin1Char('|'), 1);
        auto *p = ui::form<PlayForm>();
        for (const QString &s : songs) {
            p->lbSongs->addItem(s.section(QLatin1Char('|'), 0, 0));
            p->lbSongURL->addItem(s.section(QLatin1Char('|'), 1));
        }
        return p;
    }
    void choose(PlayForm *p, const QString &list) {
        p->cmbHeader->setCurrentIndex(p->cmbHeader->findText(list));
        p->cmbHeader_Click();
    }
    testenv::FakeMediaPlayers fakes;
};
} // namespace

TEST_F(PlayerAppendTest, PlayerAddSplitsTheSongTextAndLooksUpTheCatalogueRecord) {
    const long mix = addList(QStringLiteral("Mix"));
    const long id = song(QStringLiteral("Known"), {}, QStringLiteral("/m/"), QStringLiteral("known.mp3"));
    // A path not catalogued, or without a folder, leaves ContactRecordID at its default, 0.
    const struct {
        const char *text, *path, *stored;
    } cases[] = {
        {"Alpha <> Ann", "/m/known.mp3", "Alpha|Ann|/m/known.mp3|%1|Added from Player"},
        {"Plain", "/m/other.mp3", "Plain||/m/other.mp3|0|Added from Player"},
        {" <> Lead", "/m/known.mp3", "|Lead|/m/known.mp3|%1|Added from Player"},
        {"A <> B <> C", "nofolder.mp3", "A|B <> C|nofolder.mp3|0|Added from Player"},
        {"Say \"Hi\" <> X", "/m/known.mp3", "Say 'Hi'|X|/m/known.mp3|%1|Added from Player"},
    };
    QStringList expected;
    int n = 0;
    for (const auto &c : cases) {
        auto *p = player({QString::fromUtf8(c.text) + QLatin1Char('|') + QString::fromUtf8(c.path)});
        choose(p, QStringLiteral("Mix"));
        p->cmdAddToPlaylist->click();
        expected << QString::number(++n) + QLatin1Char('|') +
                        QString::fromUtf8(c.stored).replace(QStringLiteral("%1"), QString::number(id));
        ui::unloadForm(p);
        ui::flushUnloadedForms();
    }
    EXPECT_TRUE(prompts.asked().isEmpty()) << prompts.lastMessage().toStdString();
    EXPECT_EQ(tracksOf(mix), expected);
}

TEST_F(PlayerAppendTest, PlayerAddTakesTheSelectedSongOrTheFirstAndMakesTheCombosListCurrent) {
    const long mix = addList(QStringLiteral("Mix"));
    addList(QStringLiteral("Other"));
    auto *p = player({QStringLiteral("One|/m/1.mp3"), QStringLiteral("Two|/m/2.mp3")});
    g().CurrentPlayList = QStringLiteral("Other");
    choose(p, QStringLiteral("Mix"));
    EXPECT_EQ(g().PlayerSelectedList, QStringLiteral("Mix"));
    EXPECT_EQ(g().CurrentPlayList, QStringLiteral("Other")) << "the combo sets it only when empty";
    p->cmdAddToPlaylist->click();
    p->lbSongs->setCurrentRow(1);
    p->lbSongURL->setCurrentRow(1);
    p->cmdAddToPlaylist->click();
    EXPECT_EQ(tracksOf(mix), (QStringList{QStringLiteral("1|One||/m/1.mp3|0|Added from Player"),
                                          QStringLiteral("2|Two||/m/2.mp3|0|Added from Player")}));
    EXPECT_EQ(g().CurrentPlayList, QStringLiteral("Mix"));
}

TEST_F(PlayerAppendTest, PlayerAddWithoutAChosenListAsksForOne) {
    auto *p = player({QStringLiteral("One|/m/1.mp3")});
    p->cmdAddToPlaylist->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("There are no Play Lists.  You must create one first by clicking the "
                                             "PlayLists button on the main toolbar."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No Play Lists Exist"));
    ui::unloadForm(p);

    addList(QStringLiteral("Mix"));
    g().PlayerSelectedList = QStringLiteral("Deleted since");
    p = player({QStringLiteral("One|/m/1.mp3")});
    prompts.clear();
    p->cmdAddToPlaylist->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("You must select a Play List from the drop down list first."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No Play List selected"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_TRUE(p->cmbHeader->view()->isVisible()) << "the combo's list drops down";
    p->cmbHeader->hidePopup();
}

TEST_F(PlayerAppendTest, DeleteRemovesThePathFromTheListPlayedOnlyAndMovesOn) {
    // "PlayList Rock" is played; "Rock" is another list holding the same song.
    const long played = addList(QStringLiteral("PlayList Rock"));
    const long rock = addList(QStringLiteral("Rock"));
    for (long list : {played, rock})
        for (int i = 1; i <= 4; ++i)
            db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, FileName) "
                                        "Values (?, ?, 'T', ?)"),
                         {qlonglong(list), i, i % 2 ? QStringLiteral("/m/a.mp3") : QStringLiteral("/m/b.mp3")});
    auto *p = player({QStringLiteral("A|/m/a.mp3"), QStringLiteral("B|/m/b.mp3")},
                     QStringLiteral("PlayList PlayList Rock"));
    p->lbSongURL->setCurrentRow(0);
    fakes.last()->calls.clear();
    p->cmdDelete->click();
    EXPECT_TRUE(prompts.asked().isEmpty()) << prompts.lastMessage().toStdString();
    EXPECT_EQ(stored(played), (QStringList{QStringLiteral("2:T"), QStringLiteral("4:T")}));
    EXPECT_EQ(stored(rock).size(), 4);
    EXPECT_EQ(fakes.last()->calls, QStringList{QStringLiteral("next")});
    EXPECT_EQ(p->txtSongAddedToPlaylist->text(), QStringLiteral("Song added to Play List"));
    EXPECT_EQ(p->cmdDelete->toolTip(),
              QStringLiteral("Permanently deletes current song from Play List the NEXT time Play List is loaded into Player."));

    // The same press again finds no row: nothing is said to be deleted, the player stays.
    p->cmdDelete->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("The song playing is not in this Play List, so nothing was deleted."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Not deleted"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(fakes.last()->calls, QStringList{QStringLiteral("next")});
}

TEST_F(PlayerAppendTest, DeleteWithACaptionThatNamesNoListRemovesNothing) {
    const long rock = addList(QStringLiteral("a.mp3"));
    addTracks(rock, {QStringLiteral("a")});  // path /m/a.mp3
    // The editor's Play: the caption is the bare file name, never a list.
    auto *p = player({QStringLiteral("A|/m/a.mp3")}, QStringLiteral("a.mp3"));
    p->lbSongURL->setCurrentRow(0);
    fakes.last()->calls.clear();
    p->cmdDelete->click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Not deleted"));
    EXPECT_TRUE(fakes.last()->calls.isEmpty());
    EXPECT_EQ(stored(rock).size(), 1);
}

// ---------------------------------------------------------------- the editor

namespace {
class EditorAppendTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        player::registerPlayCommands();
        ConfirmationFlash::setPauseOverride(0);
    }
    void TearDown() override {
        ConfirmationFlash::setPauseOverride(-1);
        EditorTest::TearDown();
    }
    long addList(const QString &name) {
        g().Db->execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values (?)"), {name});
        return long(g().Db->openRecordset(QStringLiteral("select Max(ListID) from tblPlayListHeader"))->value(0).toLongLong());
    }
};
} // namespace

TEST_F(EditorAppendTest, EditorAddsTheSongAsSavedNotAsTyped) {
    const long road = addList(QStringLiteral("Road"));
    const long id = idOf(QStringLiteral("Full Song"));
    g().CurrentPlayList = QStringLiteral("Road");
    edit(id);
    e->txtSongName->setText(QStringLiteral("Typed, not saved"));
    e->cmdAddToPlaylist->click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(tracksOf(road), QStringList{QStringLiteral("1|Full Song|The Artist|") + music +
                                          QStringLiteral("full.mp3|%1|").arg(id)});
    EXPECT_TRUE(e->txtSongAddedToPlaylist->isHidden());
}

TEST_F(EditorAppendTest, EditorRefusalsInItsOwnWords) {
    const long road = addList(QStringLiteral("Road"));
    const struct {
        long song;  // 0: a new record
        const char *current, *text, *title;
    } cases[] = {
        {idOf(QStringLiteral("Full Song")), "",
         "You must select a Play List from the drop down list first.", "No Play List selected"},
        // The grid shows another song while the editor holds a new one.
        {0, "Road", "No saved File Name exists for this record, so not added to Play List.", "NOT added to Play List"},
        {idOf(QStringLiteral("Plain Two")), "Road",
         "No saved File Name exists for this record, so not added to Play List.", "NOT added to Play List"},
        // The current list was renamed since it was chosen.
        {idOf(QStringLiteral("Full Song")), "Road", "\"Road\" Play list name not found.",
         "Sub mnuPopupAddToPlaylist_Click"},
    };
    for (const auto &c : cases) {
        if (c.song == 0)
            go(idOf(QStringLiteral("Full Song")));
        edit(c.song);
        g().CurrentPlayList = QString::fromLatin1(c.current);
        if (QByteArray(c.title) == "Sub mnuPopupAddToPlaylist_Click")
            g().Db->execute(QStringLiteral("Update tblPlayListHeader Set ListName = 'Renamed'"));
        prompts.clear();
        e->cmdAddToPlaylist->click();
        ASSERT_EQ(prompts.asked().size(), 1) << c.text;
        EXPECT_EQ(lastBox().text, QString::fromLatin1(c.text));
        EXPECT_EQ(lastBox().title, QString::fromLatin1(c.title));
        if (QByteArray(c.title) == "No Play List selected") {
            EXPECT_TRUE(e->cmbHeader->view()->isVisible()) << "the combo's list drops down";
            e->cmbHeader->hidePopup();
        }
        closeEditor();
    }
    EXPECT_TRUE(tracksOf(road).isEmpty());

    g().Db->execute(QStringLiteral("Delete From tblPlayListHeader"));
    g().CurrentPlayList.clear();
    edit(idOf(QStringLiteral("Full Song")));
    prompts.clear();
    e->cmdAddToPlaylist->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("There are no Play Lists.  You must create one first by clicking the "
                                             "PlayLists button on the main toolbar."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No Play Lists Exist"));
}
