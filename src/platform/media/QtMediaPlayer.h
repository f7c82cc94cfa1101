#pragma once
// The media player on Qt Multimedia (QMediaPlayer and QAudioOutput). Qt's own states do not
// follow the order the window relies on: it reports Stopped before the end of the media, leaves
// a file it cannot read in its Playing state, and signals inside stop(). So this player derives
// its states itself from what it asked for and from Qt's media status, works through a play
// list entry by entry, and raises its events through the queue of MediaPlayer.
//
// Its widget carries the full transport: play/pause, stop, previous, next, the position, the
// volume and mute.
#include "platform/media/MediaPlayer.h"

#include <QMediaPlayer>
#include <QStringList>
#include <functional>

class QAudioOutput;
class QLabel;
class QSlider;
class QToolButton;

namespace platform::media {

class QtMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QWidget *parent = nullptr);
    ~QtMediaPlayer() override;

    // False when Qt has no media backend: nothing can play.
    bool isAvailable() const;
    // True when a media backend is installed for Qt to load.
    static bool backendInstalled();
    // With no sound output at all a song "plays" to its end at once, and the player closes as
    // if it had ended: a load then fails with kNoSoundOutput instead. On by default; tests that
    // run without a sound card turn it off to play through the backend's silent output.
    static bool &requireSoundOutput();
    static const QString kNoSoundOutput;

    void setURL(const QString &url) override;
    QString URL() const override { return url_; }
    void setMode(const QString &mode, bool on) override;
    void play() override;
    void stop() override;
    void next() override;
    MediaItem currentItem() const override;
    void setCurrentItem(const MediaItem &item) override;
    int currentPlaylistCount() const override;
    MediaItem currentPlaylistItem(int index) const override;

    // The transport's own commands (the user's buttons).
    void transportPlayPause();
    void transportStop() { stop(); }
    void transportPrevious();
    void transportNext();

    QToolButton *btnPlayPause = nullptr;
    QToolButton *btnStop = nullptr;
    QToolButton *btnPrevious = nullptr;
    QToolButton *btnNext = nullptr;
    QToolButton *btnMute = nullptr;
    QSlider *sldPosition = nullptr;
    QSlider *sldVolume = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblTime = nullptr;

private:
    void makeBackend();
    void open();
    void startEntry(int index, bool play);
    void loadEntry(int index, bool play);
    void entryEnded();
    void handleEnd(quint64 load);
    void handleFailure(quint64 load);
    bool deferWhileEventsPending(const std::function<void()> &action);
    void checkPlaying();
    void onStatus(QMediaPlayer::MediaStatus status);
    void updateTransport();
    void quietStop();
    bool isList() const { return isList_; }

    QMediaPlayer *backend_ = nullptr;
    QAudioOutput *audio_ = nullptr;

    QString url_;
    QString failReason_;  // why the current load fails, when not the backend's own error
    bool openPending_ = false;
    quint64 openRequest_ = 0;
    bool autoStart_ = true;
    bool isList_ = false;
    QString listName_;
    QStringList entries_;   // as written
    QStringList files_;     // the files they name
    int current_ = -1;
    PlayOrder order_;
    bool loop_ = false;
    bool shuffle_ = false;

    quint64 load_ = 0;       // counts the sources given to the backend
    bool wantPlay_ = false;  // the current source is to play
    bool playingRaised_ = false;
    bool loadFailed_ = false;
    bool endHandled_ = false;
    int failures_ = 0;       // entries that failed in a row
    bool gaveUp_ = false;    // a whole pass failed, or the single file did
    bool quiet_ = false;     // inside the backend's stop()
};

} // namespace platform::media
