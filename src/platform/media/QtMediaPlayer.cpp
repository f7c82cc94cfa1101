#include "platform/media/QtMediaPlayer.h"

#include "platform/media/M3uList.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibrary>
#include <QMetaObject>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace platform::media {

namespace {
QToolButton *transportButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &tip) {
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

QString clock(qint64 ms) {
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

QtMediaPlayer::QtMediaPlayer(QWidget *parent) : MediaPlayer(parent) {
    setFocusPolicy(Qt::StrongFocus);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setWordWrap(true);
    lblTime = new QLabel(clock(0), this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    sldPosition = new QSlider(Qt::Horizontal, this);
    sldPosition->setObjectName(QStringLiteral("sldPosition"));
    btnPlayPause = transportButton(this, "btnPlayPause", QStyle::SP_MediaPlay, tr("Play"));
    btnStop = transportButton(this, "btnStop", QStyle::SP_MediaStop, tr("Stop"));
    btnPrevious = transportButton(this, "btnPrevious", QStyle::SP_MediaSkipBackward, tr("Previous"));
    btnNext = transportButton(this, "btnNext", QStyle::SP_MediaSkipForward, tr("Next"));
    btnMute = transportButton(this, "btnMute", QStyle::SP_MediaVolume, tr("Mute"));
    btnMute->setCheckable(true);
    sldVolume = new QSlider(Qt::Horizontal, this);
    sldVolume->setObjectName(QStringLiteral("sldVolume"));
    sldVolume->setRange(0, 100);
    sldVolume->setValue(50);
    sldVolume->setMaximumWidth(90);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(lblTitle, 1);
    auto *position = new QHBoxLayout;
    position->addWidget(sldPosition, 1);
    position->addWidget(lblTime);
    column->addLayout(position);
    auto *buttons = new QHBoxLayout;
    for (QToolButton *b : {btnPlayPause, btnStop, btnPrevious, btnNext})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnMute);
    buttons->addWidget(sldVolume);
    column->addLayout(buttons);

    connect(btnPlayPause, &QToolButton::clicked, this, [this] { transportPlayPause(); });
    connect(btnStop, &QToolButton::clicked, this, [this] { transportStop(); });
    connect(btnPrevious, &QToolButton::clicked, this, [this] { transportPrevious(); });
    connect(btnNext, &QToolButton::clicked, this, [this] { transportNext(); });
    if (backendInstalled())
        makeBackend();
    updateTransport();
}

void QtMediaPlayer::makeBackend() {
    backend_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    backend_->setAudioOutput(audio_);
    // Start settings: volume 50, not muted, rate 1.0, played once.
    audio_->setVolume(0.5f);
    audio_->setMuted(false);
    backend_->setPlaybackRate(1.0);
    backend_->setLoops(1);

    connect(btnMute, &QToolButton::toggled, audio_, &QAudioOutput::setMuted);
    connect(sldVolume, &QSlider::valueChanged, audio_, [this](int v) { audio_->setVolume(float(v) / 100.0f); });
    connect(sldPosition, &QSlider::sliderMoved, backend_, &QMediaPlayer::setPosition);

    connect(backend_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) { onStatus(s); });
    connect(backend_, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState s) {
        // Stopped and Paused are derived from what was asked; Qt's Stopped even comes before
        // the end of the media.
        if (s == QMediaPlayer::PlayingState)
            checkPlaying();
        updateTransport();
    });
    connect(backend_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error e, const QString &) {
        if (e == QMediaPlayer::NoError)
            return;
        const quint64 load = load_;
        QMetaObject::invokeMethod(this, [this, load] { handleFailure(load); }, Qt::QueuedConnection);
    });
    connect(backend_, &QMediaPlayer::durationChanged, this, [this](qint64 d) { sldPosition->setRange(0, int(d)); });
    connect(backend_, &QMediaPlayer::positionChanged, this, [this](qint64 p) {
        if (!sldPosition->isSliderDown())
            sldPosition->setValue(int(p));
        lblTime->setText(clock(p));
        // Some backends never report their buffer filled: sound moving counts as playing.
        if (p > 0)
            checkPlaying();
    });
}

QtMediaPlayer::~QtMediaPlayer() {
    if (!backend_)
        return;
    backend_->disconnect(this);
    backend_->stop();
    delete backend_;
    backend_ = nullptr;
}

const QString QtMediaPlayer::kNoSoundOutput =
    QStringLiteral("No sound output was found: this computer has no sound device, or its sound server is not "
                   "running.");

bool &QtMediaPlayer::requireSoundOutput() {
    static bool on = true;
    return on;
}

bool QtMediaPlayer::backendInstalled() {
    // Qt ends the program when it finds no media backend to load, so look for one first: a
    // plugin in a "multimedia" folder of the plugin paths (the one QT_MEDIA_BACKEND names, when
    // it names one).
    const QString wanted = qEnvironmentVariable("QT_MEDIA_BACKEND");
    const auto paths = QCoreApplication::libraryPaths();
    for (const QString &path : paths) {
        const auto files = QDir(path + QLatin1String("/multimedia")).entryInfoList(QDir::Files);
        for (const QFileInfo &f : files) {
            if (!QLibrary::isLibrary(f.fileName()))
                continue;
            if (wanted.isEmpty() || f.fileName().contains(wanted + QLatin1String("mediaplugin")))
                return true;
        }
    }
    return false;
}

bool QtMediaPlayer::isAvailable() const { return backend_ && backend_->isAvailable(); }

// ---------------------------------------------------------------- what to play

void QtMediaPlayer::setURL(const QString &url) {
    url_ = url;
    setOpenError({});
    openPending_ = true;
    // Set by a handler of this player's own events, the new media waits in Ready for play().
    autoStart_ = !delivering();
    const quint64 request = ++openRequest_;
    QMetaObject::invokeMethod(this, [this, request] {
        if (request == openRequest_ && openPending_)
            open();
    }, Qt::QueuedConnection);
}

void QtMediaPlayer::open() {
    openPending_ = false;
    gaveUp_ = false;
    failures_ = 0;
    isList_ = M3uList::isList(url_);
    entries_.clear();
    files_.clear();
    current_ = -1;
    if (isList_) {
        listName_ = M3uList::baseName(url_);
        entries_ = M3uList::read(url_);
        for (const QString &e : std::as_const(entries_))
            files_.append(M3uList::resolve(url_, e));
    } else if (!url_.isEmpty()) {
        entries_.append(url_);
        files_.append(QFileInfo(url_).absoluteFilePath());
    }
    order_.reset(int(entries_.size()), shuffle_);
    if (entries_.isEmpty()) {
        ++load_;
        wantPlay_ = false;
        if (backend_)
            backend_->setSource(QUrl());
        gaveUp_ = true;
        setState(Ready);
        raisePlayStateChange(Ready);
        updateTransport();
        return;
    }
    startEntry(order_.first(), autoStart_);
}

// 9, the item, then 3 once it plays (or 10 when it is only to be loaded).
void QtMediaPlayer::startEntry(int index, bool play) {
    setState(Transitioning);
    raisePlayStateChange(Transitioning);
    loadEntry(index, play);
    raiseCurrentItemChange();
}

void QtMediaPlayer::loadEntry(int index, bool play) {
    current_ = index;
    ++load_;
    wantPlay_ = play;
    playingRaised_ = false;
    loadFailed_ = false;
    endHandled_ = false;
    failReason_.clear();
    if (isAvailable() && requireSoundOutput() && QMediaDevices::audioOutputs().isEmpty())
        failReason_ = kNoSoundOutput;
    if (!isAvailable() || !failReason_.isEmpty()) {
        // Nothing can open: the entry fails like a file that cannot be read.
        const quint64 load = load_;
        QMetaObject::invokeMethod(this, [this, load] { handleFailure(load); }, Qt::QueuedConnection);
        updateTransport();
        return;
    }
    backend_->setSource(QUrl::fromLocalFile(files_.value(index)));
    if (play)
        backend_->play();
    updateTransport();
}

// ---------------------------------------------------------------- backend reports

void QtMediaPlayer::quietStop() {
    if (!backend_)
        return;
    // Qt reports statuses from inside stop(); they say nothing about what comes next.
    quiet_ = true;
    backend_->stop();
    quiet_ = false;
}

void QtMediaPlayer::onStatus(QMediaPlayer::MediaStatus status) {
    if (quiet_)
        return;
    const quint64 load = load_;
    switch (status) {
    case QMediaPlayer::LoadedMedia:
        if (!wantPlay_ && liveState() == Transitioning) {
            setState(Ready);
            raisePlayStateChange(Ready);
        }
        break;
    case QMediaPlayer::BufferedMedia:
        checkPlaying();
        break;
    case QMediaPlayer::EndOfMedia:
        QMetaObject::invokeMethod(this, [this, load] { handleEnd(load); }, Qt::QueuedConnection);
        break;
    case QMediaPlayer::InvalidMedia:
        QMetaObject::invokeMethod(this, [this, load] { handleFailure(load); }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    updateTransport();
}

void QtMediaPlayer::checkPlaying() {
    if (!backend_ || !wantPlay_ || playingRaised_ || loadFailed_ ||
        backend_->playbackState() != QMediaPlayer::PlayingState)
        return;
    const auto status = backend_->mediaStatus();
    if (status != QMediaPlayer::BufferedMedia && !(status == QMediaPlayer::LoadedMedia && backend_->position() > 0))
        return;
    playingRaised_ = true;
    failures_ = 0;
    setState(Playing);
    raisePlayStateChange(Playing);
    updateTransport();
}

bool QtMediaPlayer::deferWhileEventsPending(const std::function<void()> &action) {
    // The program must see each event with the item it arose for: what the backend reports
    // next waits until every event before it has been delivered.
    if (pendingEvents() == 0 && !delivering())
        return false;
    QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
    return true;
}

void QtMediaPlayer::handleEnd(quint64 load) {
    if (load != load_ || endHandled_ || loadFailed_)
        return;
    if (deferWhileEventsPending([this, load] { handleEnd(load); }))
        return;
    endHandled_ = true;
    wantPlay_ = false;
    playingRaised_ = false;
    if (!isList_) {
        setState(MediaEnded);
        raisePlayStateChange(MediaEnded);
        updateTransport();
        return;
    }
    entryEnded();
}

void QtMediaPlayer::handleFailure(quint64 load) {
    if (load != load_ || loadFailed_ || endHandled_)
        return;
    if (deferWhileEventsPending([this, load] { handleFailure(load); }))
        return;
    loadFailed_ = true;
    const bool wasToPlay = wantPlay_;
    wantPlay_ = false;
    playingRaised_ = false;
    // Qt leaves a file it cannot read "playing"; nothing will come of it.
    quietStop();
    if (!isList_) {
        gaveUp_ = true;
        const QString reason = !failReason_.isEmpty() ? failReason_ : backend_ ? backend_->errorString() : QString();
        setOpenError(reason.isEmpty() ? QStringLiteral("The file cannot be played.") : reason,
                     failReason_ == kNoSoundOutput);
        setState(Ready);
        raisePlayStateChange(Ready);
        updateTransport();
        return;
    }
    if (++failures_ >= entries_.size() || failReason_ == kNoSoundOutput) {
        // A whole pass without one entry that plays: stop trying until told again. Without a
        // sound output no entry can play, and the user is told why.
        gaveUp_ = true;
        if (failReason_ == kNoSoundOutput)
            setOpenError(failReason_, true);
        setState(Ready);
        raisePlayStateChange(Ready);
        updateTransport();
        return;
    }
    if (!wasToPlay) {
        // Only loaded (waiting for play): play() moves past it.
        if (liveState() == Transitioning) {
            setState(Ready);
            raisePlayStateChange(Ready);
        }
        updateTransport();
        return;
    }
    entryEnded();
}

// A list entry ended (or could not be opened): the next one, the first again, or stop at the
// first.
void QtMediaPlayer::entryEnded() {
    setState(MediaEnded);
    raisePlayStateChange(MediaEnded);
    const int following = order_.after(current_);
    if (following >= 0) {
        startEntry(following, true);
    } else if (loop_) {
        startEntry(order_.first(), true);
    } else {
        const int first = order_.first();
        setState(Ready);
        current_ = first;
        raiseCurrentItemChange();
        setState(Stopped);
        raisePlayStateChange(Stopped);
        loadEntry(first, false);
    }
    updateTransport();
}

// ---------------------------------------------------------------- controls

void QtMediaPlayer::setMode(const QString &mode, bool on) {
    if (mode.compare(QLatin1String("loop"), Qt::CaseInsensitive) == 0) {
        loop_ = on;
    } else if (mode.compare(QLatin1String("shuffle"), Qt::CaseInsensitive) == 0) {
        shuffle_ = on;
        order_.setShuffle(on, current_);
    }
    updateTransport();
}

void QtMediaPlayer::play() {
    if (openPending_) {
        autoStart_ = true;
        return;
    }
    if (gaveUp_ && noSoundOutput() && current_ >= 0) {
        // Nothing was wrong with the media, and a sound output may have come since (a sound
        // server started, a headset plugged in): the same entry is tried again.
        gaveUp_ = false;
        setOpenError({});
        startEntry(current_, true);
        return;
    }
    if (gaveUp_ || current_ < 0 || liveState() == Playing)
        return;
    if (loadFailed_) {
        // The entry waiting to be played cannot be opened: it counts as ended.
        loadFailed_ = false;
        wantPlay_ = true;
        ++load_;
        const quint64 load = load_;
        QMetaObject::invokeMethod(this, [this, load] { handleFailure(load); }, Qt::QueuedConnection);
        return;
    }
    wantPlay_ = true;
    playingRaised_ = false;
    endHandled_ = false;
    if (!backend_)
        return;
    if (backend_->mediaStatus() == QMediaPlayer::EndOfMedia)
        backend_->setPosition(0);
    backend_->play();
    checkPlaying();
}

void QtMediaPlayer::stop() {
    if (openPending_)
        autoStart_ = false;
    wantPlay_ = false;
    playingRaised_ = false;
    // A file that cannot be opened stays Ready.
    const bool change = !gaveUp_ && liveState() != Stopped && current_ >= 0;
    if (change)
        setState(Stopped);
    quietStop();
    if (change)
        raisePlayStateChange(Stopped);
    updateTransport();
}

void QtMediaPlayer::next() {
    if (openPending_ || !isList_ || entries_.isEmpty())
        return;
    int following = order_.after(current_);
    if (following < 0)
        following = order_.first();
    gaveUp_ = false;
    startEntry(following, true);
}

MediaItem QtMediaPlayer::currentItem() const {
    if (openPending_ || current_ < 0) {
        // A list before its first entry opens is current itself.
        const QString url = openPending_ ? url_ : (isList_ ? url_ : QString());
        return {-1, M3uList::isList(url) ? M3uList::baseName(url) : QString(), url};
    }
    return currentPlaylistItem(current_);
}

void QtMediaPlayer::setCurrentItem(const MediaItem &item) {
    if (openPending_ || item.index < 0 || item.index >= entries_.size())
        return;
    gaveUp_ = false;
    startEntry(item.index, true);
}

int QtMediaPlayer::currentPlaylistCount() const { return openPending_ ? 0 : int(entries_.size()); }

MediaItem QtMediaPlayer::currentPlaylistItem(int index) const {
    if (openPending_ || index < 0 || index >= entries_.size())
        return {};
    return {index, M3uList::baseName(files_[index]), entries_[index]};
}

// ---------------------------------------------------------------- transport

void QtMediaPlayer::transportPlayPause() {
    if (liveState() == Playing && backend_) {
        wantPlay_ = false;
        playingRaised_ = false;
        setState(Paused);
        backend_->pause();
        raisePlayStateChange(Paused);
        updateTransport();
        return;
    }
    play();
}

void QtMediaPlayer::transportPrevious() {
    if (openPending_ || !isList_ || entries_.isEmpty())
        return;
    gaveUp_ = false;
    const int before = order_.before(current_);
    if (before >= 0) {
        startEntry(before, true);
        return;
    }
    // Back from the first entry to the last: the item changes while stopped, then it plays.
    const int last = order_.last();
    setState(Stopped);
    current_ = last;
    raiseCurrentItemChange();
    setState(Transitioning);
    raisePlayStateChange(Transitioning);
    loadEntry(last, true);
}

void QtMediaPlayer::transportNext() {
    // The transport's Next stops at the last entry unless the list loops.
    if (isList_ && !loop_ && order_.isLast(current_))
        return;
    next();
}

void QtMediaPlayer::updateTransport() {
    const bool list = isList_ && !entries_.isEmpty() && !openPending_;
    btnPrevious->setEnabled(list);
    btnNext->setEnabled(list && (loop_ || !order_.isLast(current_)));
    btnPlayPause->setIcon(style()->standardIcon(liveState() == Playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    lblTitle->setText(currentItem().name);
}

} // namespace platform::media
