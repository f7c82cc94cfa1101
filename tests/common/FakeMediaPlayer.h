#pragma once
// A media player for window tests: records every call the program makes and raises the player's
// events on demand, in the order and with the states the real player gives them. Nothing opens
// by itself: the test says when the URL opens, when a song ends, what the user does on the
// transport. Events are queued as the real player queues them; deliver() hands them over.
#include "platform/media/MediaPlayer.h"

#include <QList>
#include <QPointer>
#include <QStringList>

namespace testenv {

class FakeMediaPlayer : public platform::media::MediaPlayer {
    Q_OBJECT
public:
    explicit FakeMediaPlayer(QWidget *parent = nullptr);

    // Every call the program makes (not the transport's), in order: "URL=<url>", "setMode(loop,true)", "play", "stop", "next",
    // "currentItem=<index>".
    QStringList calls;

    void setURL(const QString &url) override;
    QString URL() const override { return url_; }
    void setMode(const QString &mode, bool on) override;
    void play() override;
    void stop() override;
    void next() override;
    platform::media::MediaItem currentItem() const override;
    void setCurrentItem(const platform::media::MediaItem &item) override;
    int currentPlaylistCount() const override;
    platform::media::MediaItem currentPlaylistItem(int index) const override;

    bool loop() const { return loop_; }
    bool shuffle() const { return shuffle_; }

    // ---- what the test makes happen -------------------------------------------------------
    // The URL opens: a list is read (its first entry becomes current), a file becomes the one
    // entry; 9, item, then 3 (10 when the URL was set inside one of the events).
    void open();
    // The current entry ends (8, then what follows in a list), as the real player orders it.
    void endMedia();
    // The current entry cannot be opened: in a list it counts as ended; a file stays at 10.
    void failOpen();
    // The load fails for want of a sound output (a file or a list): 10; play() tries again.
    void failNoSoundOutput();
    // The transport's buttons.
    void userStop();
    void userNext();
    void userPrevious();
    // An event raised as given, with playState reading `playState` while it is delivered.
    void raiseState(int newState, int playState);
    void raiseItem(int playState);
    // Delivers every queued event now.
    void deliver() { deliverAll(); }
    int pending() const { return pendingEvents(); }

private:
    void startEntry(int index);
    void stopNow();
    void nextNow();

    QString url_;
    bool pendingOpen_ = false;
    bool startOnOpen_ = true;
    bool isList_ = false;
    QStringList entries_;
    int current_ = -1;
    bool loop_ = false;
    bool shuffle_ = false;
    bool broken_ = false;
    platform::media::PlayOrder order_;
};

// Puts FakeMediaPlayer in place of the real player for its lifetime and keeps those it made.
class FakeMediaPlayers {
public:
    FakeMediaPlayers();
    // The last player made (nullptr when none or when it was destroyed).
    FakeMediaPlayer *last() const { return made_.isEmpty() ? nullptr : made_.last().data(); }
    int count() const { return static_cast<int>(made_.size()); }

private:
    QList<QPointer<FakeMediaPlayer>> made_;
    platform::media::ScopedMediaPlayerFactory factory_;
};

} // namespace testenv
