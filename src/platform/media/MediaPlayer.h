#pragma once
// The media player the player window wraps: what to play (one music file or a play list), its
// loop and shuffle modes, play / stop / next, the current item and the play list's entries, and
// two events, the play state's change and the current item's change.
//
// Events are never raised inside a call the program makes: each is queued when it arises and
// delivered, one at a time and in order, when control is back in the event loop. While an event
// is delivered, playState() reads the state as it stood when that event arose (a later state of
// the backend would mislead a handler), until the handler itself changes the state.
//
// The order of events the window relies on:
//   URL set (a file, or a list at its entry 0)      9, item, 3
//   an entry ends, not the last                     8, 9, item, 3
//   the last entry ends, loop on                    8, 9, item (entry 0), 3
//   the last entry ends, loop off                   8, item (entry 0, state 10), 1
//   a single file ends                              8
//   URL set while one of the events is delivered    9, item, 10; play() then gives 3
//   stop (the program's or the transport's)         1
//   next, previous, currentItem set                 9, item, 3
//   the transport's Previous on entry 0             item (state 1), 9, 3   (to the last entry)
// An entry that cannot be opened counts as ended (at most one pass over the list, then 10); a
// single file that cannot be opened stays at 10 and play() on it does nothing. Without a sound
// output every load fails at once (10, for a file and a list alike); play() then tries the same
// entry again (9, item, then 3, or 10 while there is still no sound output).
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

namespace platform::media {

// The play states (playState and the play-state event's argument).
enum PlayState : int {
    Undefined = 0,
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    MediaEnded = 8,
    Transitioning = 9,
    Ready = 10,
};

// An entry of the current play list (for a single file, the file itself).
struct MediaItem {
    int index = -1;       // position in the play list; -1: no such entry
    QString name;         // file name without extension (the list's own name before it opens)
    QString sourceURL;    // the path as the list or URL wrote it (not a file:// URL)
    bool isValid() const { return index >= 0; }
};

// Which entry plays next in a play list of `count` entries: in list order, or with shuffle on in
// a random order that plays each entry once per pass. Shared by the player and its test fake.
class PlayOrder {
public:
    void reset(int count, bool shuffle);
    void setShuffle(bool on, int current);
    int count() const { return count_; }
    // The first entry of a pass (a new random order with shuffle on).
    int first();
    // The entry after / before `current` in this pass; -1 past either end.
    int after(int current) const;
    int before(int current) const;
    // The last entry of the pass.
    int last() const;
    bool isLast(int current) const { return current == last(); }

private:
    int count_ = 0;
    bool shuffle_ = false;
    QList<int> order_;   // entry indexes in play order (shuffle only)
};

class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget *parent = nullptr);
    ~MediaPlayer() override;

    // What to play: a music file, or a play list (a name ending in ".m3u"). Only recorded here;
    // the file is opened, or the list read, when control next returns to the event loop, so a
    // caller may still be writing the list.
    virtual void setURL(const QString &url) = 0;
    virtual QString URL() const = 0;

    // settings.setMode: "loop" repeats the play list, "shuffle" plays its entries in random order.
    virtual void setMode(const QString &mode, bool on) = 0;

    // controls
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual MediaItem currentItem() const = 0;
    virtual void setCurrentItem(const MediaItem &item) = 0;

    // currentPlaylist
    virtual int currentPlaylistCount() const = 0;
    // Entry i (from 0); an invalid item when there is no such entry.
    virtual MediaItem currentPlaylistItem(int index) const = 0;

    // currentMedia (its sourceURL is what the window compares with its paths).
    virtual MediaItem currentMedia() const { return currentItem(); }

    // The state as the event being delivered saw it, otherwise the current state.
    int playState() const;

    // Why the single file set last could not be opened, in the backend's words; empty while it
    // opens or plays, and for a play list.
    QString openError() const { return openError_; }
    // True when that failure was this computer's lack of a sound output, not the media's.
    bool noSoundOutput() const { return noSoundOutput_; }

signals:
    void playStateChange(int NewState);
    void currentItemChange();

protected:
    void setOpenError(const QString &reason, bool noSoundOutput = false) {
        openError_ = reason;
        noSoundOutput_ = noSoundOutput && !reason.isEmpty();
    }
    // The current state; changing it inside a delivered event ends that event's view of it.
    void setState(int state);
    int liveState() const { return state_; }
    // Queues an event with the state it arose in (the current state unless given).
    void raisePlayStateChange(int newState);
    void raisePlayStateChange(int newState, int stateAtEvent);
    void raiseCurrentItemChange();
    void raiseCurrentItemChange(int stateAtEvent);
    // True while one of this player's events is being delivered.
    bool delivering() const { return delivering_; }
    // Delivers every queued event now, in order (also those raised meanwhile).
    void deliverAll();
    int pendingEvents() const { return static_cast<int>(queue_.size()); }

private:
    QString openError_;
    bool noSoundOutput_ = false;
    struct Event {
        bool itemChange = false;
        int newState = 0;
        int stateAtEvent = 0;
    };
    void enqueue(const Event &e);
    void deliverOne();

    QList<Event> queue_;
    bool deliveryPosted_ = false;
    bool delivering_ = false;
    bool snapshotValid_ = false;
    int snapshotState_ = 0;
    int state_ = Undefined;
};

// Where the window gets its player. The default makes the Qt Multimedia player; tests install a
// fake for their lifetime.
using MediaPlayerFactory = std::function<MediaPlayer *(QWidget *parent)>;
MediaPlayer *createMediaPlayer(QWidget *parent);
void setMediaPlayerFactory(MediaPlayerFactory factory);

class ScopedMediaPlayerFactory {
public:
    explicit ScopedMediaPlayerFactory(MediaPlayerFactory factory);
    ~ScopedMediaPlayerFactory();
    ScopedMediaPlayerFactory(const ScopedMediaPlayerFactory &) = delete;
    ScopedMediaPlayerFactory &operator=(const ScopedMediaPlayerFactory &) = delete;

private:
    MediaPlayerFactory previous_;
};

} // namespace platform::media
