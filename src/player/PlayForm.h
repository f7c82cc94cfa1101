#pragma once
// The player window: plays one music file or a list of songs, shows the songs in a list with
// their paths beside it, and offers the play modes (Loop, Play next, Play random, Shuffle play,
// Skip duplicates, Display current song), a lyrics look-up and Exit. One instance, reached as
// platform::ui::form<PlayForm>(); shown without waiting (modally only in the player-only start).
//
// How a caller plays something (the hand-over):
//   1. The window takes what it is given only when it loads. A caller that finds it loaded
//      unloads it first (platform::ui::unloadForm) or declines.
//   2. core::g().PlayPath = a music file's full path, or DataFolder + "OVPlayList.m3u", the
//      temporary play list whose lines are the paths of lbSongURL in the same order. The
//      end-of-song rules know the temporary list by PlayPath containing "OVPlayList".
//   3. core::g().PlayCaption = the window caption.
//   4. The start flags: PlayFromMain (the main window's or the editor's play commands),
//      PlayFromFolder (a folder of files), PlayOnlyMode (the player-only start).
//      PlayerSelectedList and CurrentPlayList keep their values; PlayFromEditor is not read here.
//   5. One lbSongs->addItem and one lbSongURL->addItem per song, in step: entry i of both lists
//      and line i+1 of the temporary list are the same song. A catalogue song's text is
//      SongName + " <> " + Artist, or SongName alone when Artist is empty (Lyrics splits there).
//   6. Show or hide cbPlayNext, cbPlayRandom, cbShuffle, cbSkipDups, cbNowPlaying, cmdDelete,
//      cmbHeader and cmdAddToPlaylist as the start needs; the others keep their start state.
//   7. Normal window state, then show() (not modal).
// The window loads at the first form<PlayForm>(): PlayPath, PlayCaption, PlayOnlyMode and
// PlayerSelectedList must be set, and the temporary list written, before it; the load reads
// whether cbPlayRandom is visible at that moment. The player opens its file or list only when
// control returns to the event loop, so the list may still be written after the load.
#include "platform/db/Recordset.h"
#include "platform/media/MediaPlayer.h"
#include "platform/ui/Forms.h"
#include "songlist/NameList.h"

#include <QDialog>
#include <QHash>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace player {

class PlayForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit PlayForm(QWidget *parent = nullptr);
    ~PlayForm() override;

    // Designed client size (twips); the resize rule keeps the width at least MinimumWidth and
    // moves the player and Exit only while the height is above MinimumHeight.
    static constexpr int DesignWidth = 9600;
    static constexpr int DesignHeight = 6000;
    static constexpr int MinimumWidth = 6300;
    static constexpr int MinimumHeight = 2100;
    // The temporary play list in the data folder.
    static constexpr const char *TempListName = "OVPlayList.m3u";

    // ---- controls ----------------------------------------------------------------------
    platform::media::MediaPlayer *WindowsMediaPlayer1 = nullptr;
    QListWidget *lbSongs = nullptr;
    QListWidget *lbSongURL = nullptr;
    QCheckBox *cbLoop = nullptr;
    QCheckBox *cbPlayNext = nullptr;
    QCheckBox *cbPlayRandom = nullptr;
    QCheckBox *cbShuffle = nullptr;
    QCheckBox *cbSkipDups = nullptr;
    QCheckBox *cbNowPlaying = nullptr;
    QPushButton *cmdLyrics = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdAddToPlaylist = nullptr;
    QPushButton *cmdDelete = nullptr;
    QComboBox *cmbHeader = nullptr;
    QLabel *lblSelectedPlaylist = nullptr;
    QLineEdit *txtSongAddedToPlaylist = nullptr;
    QLabel *lblNumSongs = nullptr;

    // ---- window state ------------------------------------------------------------------
    // The main grid's record source when the window loaded.
    QString PlayerRecordSource;
    // Opened on PlayerRecordSource when the next or a random song is first needed.
    std::unique_ptr<platform::db::Recordset> PlayerRecordset;
    // The grid's rows in its order when the window loaded, over the player's fields (read when
    // asked): PlayerRecordset is taken from it while PlayerRecordSource is still its source.
    std::unique_ptr<platform::db::Recordset> PlayerView;

    // ---- public procedures -------------------------------------------------------------
    // Sets how wide the combo's drop-down list opens, in pixels.
    void SetComboDropDownWidth(QComboBox *Combo, int Width);

    // ---- handlers ----------------------------------------------------------------------
    void Form_Resize();
    void lbSongs_Click();
    void cbLoop_Click();
    void cbPlayNext_Click();
    void cbPlayRandom_Click();
    void cbShuffle_Click();
    void cbNowPlaying_Click();
    void cmdLyrics_Click();
    void cmdExit_Click();
    // The play lists: the combo chooses the list the player adds to; Delete removes the playing
    // song from the list being played.
    void cmbHeader_Click();
    void cmdAddToPlaylist_Click();
    void cmdDelete_Click();
    // What the player does when its state or its current song changes.
    void WindowsMediaPlayer1_PlayStateChange(int NewState);
    void WindowsMediaPlayer1_CurrentItemChange();
    // Puts the next ("next") or a random ("random") song of the main grid's view, as it was when
    // the window loaded, into the player; the Ready state that follows starts it.
    void PlayNextRandom(const QString &Mode);
    // Keeps the rows of `grid` (the main grid's recordset, opened on PlayerRecordSource) as
    // PlayerView.
    void keepPlayerView(const platform::db::Recordset *grid);

    // The address Lyrics opens for a song text ("Song <> Artist" or a song alone).
    static QUrl lyricsAddress(const QString &songText);
    // A text for a label caption: every "&" doubled, so that it shows as typed.
    static QString labelCaption(const QString &text);

    // A control's place in twips, as the resize rule keeps it.
    songlist::TwRect controlRect(const QWidget *w) const { return rects_.value(w); }

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void formUnload() override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildControls();
    void load();
    void loadPlayLists();
    void setControlRect(QWidget *w, const songlist::TwRect &r);
    void applyRects();
    void focusChanged(QWidget *old, QWidget *now);
    void selectBoth(int index);
    void showNowPlaying();
    void setNowPlayingCaption();
    void moveBoth(int by);
    QString songPath(int index) const;
    QString entryText(int index) const;

    QHash<const QWidget *, songlist::TwRect> rects_;
    bool inResize_ = false;
    bool pressChangedRow_ = false;
    bool focusSetsRow_ = false;
    // Ended in the destructor: the children's destruction moves the focus, and the application
    // would otherwise call into a window that is already half gone.
    QMetaObject::Connection focusConnection_;
};

// The player-only start: both lists get `path`, the controls that need a catalogue are hidden,
// and the player is shown modally; returns when it has closed.
void showPlayerOnly(const QString &path);

} // namespace player
