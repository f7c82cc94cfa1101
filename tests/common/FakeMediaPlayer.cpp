#include "common/FakeMediaPlayer.h"

#include "platform/media/M3uList.h"

namespace testenv {

using namespace platform::media;

FakeMediaPlayer::FakeMediaPlayer(QWidget *parent) : MediaPlayer(parent) { setFocusPolicy(Qt::StrongFocus); }

void FakeMediaPlayer::setURL(const QString &url) {
    calls << QStringLiteral("URL=") + url;
    url_ = url;
    setOpenError({});
    pendingOpen_ = true;
    startOnOpen_ = !delivering();
}

void FakeMediaPlayer::setMode(const QString &mode, bool on) {
    calls << QStringLiteral("setMode(%1,%2)").arg(mode, on ? QStringLiteral("true") : QStringLiteral("false"));
    if (mode == QLatin1String("loop"))
        loop_ = on;
    else if (mode == QLatin1String("shuffle")) {
        shuffle_ = on;
        order_.setShuffle(on, current_);
    }
}

void FakeMediaPlayer::play() {
    calls << QStringLiteral("play");
    if (pendingOpen_) {
        startOnOpen_ = true;
        return;
    }
    if (broken_ && noSoundOutput()) {
        setOpenError({});
        startEntry(current_);
        return;
    }
    if (broken_ || current_ < 0 || liveState() == Playing)
        return;
    setState(Playing);
    raisePlayStateChange(Playing);
}

void FakeMediaPlayer::stop() {
    calls << QStringLiteral("stop");
    stopNow();
}

void FakeMediaPlayer::stopNow() {
    if (broken_ || liveState() == Stopped)
        return;
    setState(Stopped);
    raisePlayStateChange(Stopped);
}

void FakeMediaPlayer::next() {
    calls << QStringLiteral("next");
    nextNow();
}

void FakeMediaPlayer::nextNow() {
    if (pendingOpen_ || !isList_ || entries_.isEmpty())
        return;
    int following = order_.after(current_);
    if (following < 0)
        following = order_.first();
    startEntry(following);
}

MediaItem FakeMediaPlayer::currentItem() const {
    if (pendingOpen_ || current_ < 0)
        return {-1, M3uList::isList(url_) ? M3uList::baseName(url_) : QString(), url_};
    return currentPlaylistItem(current_);
}

void FakeMediaPlayer::setCurrentItem(const MediaItem &item) {
    calls << QStringLiteral("currentItem=%1").arg(item.index);
    if (pendingOpen_ || item.index < 0 || item.index >= entries_.size())
        return;
    startEntry(item.index);
}

int FakeMediaPlayer::currentPlaylistCount() const { return pendingOpen_ ? 0 : int(entries_.size()); }

MediaItem FakeMediaPlayer::currentPlaylistItem(int index) const {
    if (pendingOpen_ || index < 0 || index >= entries_.size())
        return {};
    return {index, M3uList::baseName(entries_[index]), entries_[index]};
}

void FakeMediaPlayer::startEntry(int index) {
    broken_ = false;
    setState(Transitioning);
    raisePlayStateChange(Transitioning);
    current_ = index;
    raiseCurrentItemChange();
    setState(Playing);
    raisePlayStateChange(Playing);
}

void FakeMediaPlayer::open() {
    pendingOpen_ = false;
    broken_ = false;
    isList_ = M3uList::isList(url_);
    entries_ = isList_ ? M3uList::read(url_) : (url_.isEmpty() ? QStringList{} : QStringList{url_});
    order_.reset(int(entries_.size()), shuffle_);
    current_ = -1;
    if (entries_.isEmpty()) {
        setState(Ready);
        raisePlayStateChange(Ready);
        return;
    }
    setState(Transitioning);
    raisePlayStateChange(Transitioning);
    current_ = order_.first();
    raiseCurrentItemChange();
    setState(startOnOpen_ ? Playing : Ready);
    raisePlayStateChange(liveState());
}

void FakeMediaPlayer::endMedia() {
    setState(MediaEnded);
    raisePlayStateChange(MediaEnded);
    if (!isList_)
        return;
    const int following = order_.after(current_);
    if (following >= 0) {
        startEntry(following);
    } else if (loop_) {
        startEntry(order_.first());
    } else {
        setState(Ready);
        current_ = order_.first();
        raiseCurrentItemChange();
        setState(Stopped);
        raisePlayStateChange(Stopped);
    }
}

void FakeMediaPlayer::failOpen() {
    if (isList_) {
        endMedia();
        return;
    }
    broken_ = true;
    setOpenError(QStringLiteral("Could not open file."));
    setState(Ready);
    raisePlayStateChange(Ready);
}

void FakeMediaPlayer::failNoSoundOutput() {
    broken_ = true;
    setOpenError(QStringLiteral("No sound output was found."), true);
    setState(Ready);
    raisePlayStateChange(Ready);
}

void FakeMediaPlayer::userStop() { stopNow(); }

void FakeMediaPlayer::userNext() {
    if (isList_ && !loop_ && order_.isLast(current_))
        return;
    nextNow();
}

void FakeMediaPlayer::userPrevious() {
    if (!isList_ || entries_.isEmpty())
        return;
    const int before = order_.before(current_);
    if (before >= 0) {
        startEntry(before);
        return;
    }
    setState(Stopped);
    current_ = order_.last();
    raiseCurrentItemChange();
    setState(Transitioning);
    raisePlayStateChange(Transitioning);
    setState(Playing);
    raisePlayStateChange(Playing);
}

void FakeMediaPlayer::raiseState(int newState, int playState) { raisePlayStateChange(newState, playState); }

void FakeMediaPlayer::raiseItem(int playState) { raiseCurrentItemChange(playState); }

FakeMediaPlayers::FakeMediaPlayers()
    : factory_([this](QWidget *parent) -> MediaPlayer * {
          auto *p = new FakeMediaPlayer(parent);
          made_.append(p);
          return p;
      }) {}

} // namespace testenv
