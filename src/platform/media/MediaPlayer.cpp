#include "platform/media/MediaPlayer.h"

#include "platform/media/QtMediaPlayer.h"

#include <QMetaObject>
#include <QPointer>
#include <QRandomGenerator>
#include <algorithm>
#include <numeric>

namespace platform::media {

// ---------------------------------------------------------------- play order

namespace {
QList<int> shuffled(int count, int firstEntry) {
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    if (firstEntry >= 0 && firstEntry < count)
        std::iter_swap(order.begin(), std::find(order.begin(), order.end(), firstEntry));
    return order;
}
} // namespace

void PlayOrder::reset(int count, bool shuffle) {
    count_ = std::max(count, 0);
    shuffle_ = shuffle;
    order_ = shuffle_ ? shuffled(count_, -1) : QList<int>{};
}

void PlayOrder::setShuffle(bool on, int current) {
    shuffle_ = on;
    // The entry playing stays first, so the rest of this pass plays each other entry once.
    order_ = shuffle_ ? shuffled(count_, current) : QList<int>{};
}

int PlayOrder::first() {
    if (count_ == 0)
        return -1;
    if (!shuffle_)
        return 0;
    order_ = shuffled(count_, -1);
    return order_.first();
}

int PlayOrder::after(int current) const {
    if (!shuffle_)
        return current >= 0 && current + 1 < count_ ? current + 1 : -1;
    const qsizetype at = order_.indexOf(current);
    return at >= 0 && at + 1 < order_.size() ? order_[at + 1] : -1;
}

int PlayOrder::before(int current) const {
    if (!shuffle_)
        return current > 0 && current < count_ ? current - 1 : -1;
    const qsizetype at = order_.indexOf(current);
    return at > 0 ? order_[at - 1] : -1;
}

int PlayOrder::last() const {
    if (count_ == 0)
        return -1;
    return shuffle_ ? order_.last() : count_ - 1;
}

// ---------------------------------------------------------------- events

MediaPlayer::MediaPlayer(QWidget *parent) : QWidget(parent) {}

MediaPlayer::~MediaPlayer() = default;

int MediaPlayer::playState() const { return snapshotValid_ ? snapshotState_ : state_; }

void MediaPlayer::setState(int state) {
    state_ = state;
    snapshotValid_ = false;
}

void MediaPlayer::raisePlayStateChange(int newState) { raisePlayStateChange(newState, state_); }

void MediaPlayer::raisePlayStateChange(int newState, int stateAtEvent) {
    enqueue({false, newState, stateAtEvent});
}

void MediaPlayer::raiseCurrentItemChange() { raiseCurrentItemChange(state_); }

void MediaPlayer::raiseCurrentItemChange(int stateAtEvent) { enqueue({true, 0, stateAtEvent}); }

void MediaPlayer::enqueue(const Event &e) {
    queue_.append(e);
    if (deliveryPosted_)
        return;
    deliveryPosted_ = true;
    QMetaObject::invokeMethod(this, [this] { deliverOne(); }, Qt::QueuedConnection);
}

void MediaPlayer::deliverOne() {
    deliveryPosted_ = false;
    if (queue_.isEmpty())
        return;
    const Event e = queue_.takeFirst();
    if (!queue_.isEmpty()) {
        // One event per turn of the event loop, so whatever a handler posts (a window closing
        // itself, say) is handled before the next event.
        deliveryPosted_ = true;
        QMetaObject::invokeMethod(this, [this] { deliverOne(); }, Qt::QueuedConnection);
    }
    QPointer<MediaPlayer> alive(this);
    const bool outer = delivering_;
    const bool outerSnapshotValid = snapshotValid_;
    const int outerSnapshot = snapshotState_;
    delivering_ = true;
    snapshotValid_ = true;
    snapshotState_ = e.stateAtEvent;
    if (e.itemChange)
        emit currentItemChange();
    else
        emit playStateChange(e.newState);
    if (!alive)
        return;
    delivering_ = outer;
    snapshotValid_ = outer && outerSnapshotValid;
    snapshotState_ = outerSnapshot;
}

void MediaPlayer::deliverAll() {
    // Bounded: a handler that keeps raising events cannot hold a test here for ever.
    for (int guard = 0; guard < 10000 && !queue_.isEmpty(); ++guard)
        deliverOne();
}

// ---------------------------------------------------------------- factory

namespace {
MediaPlayerFactory &factory() {
    static MediaPlayerFactory f;
    return f;
}
} // namespace

MediaPlayer *createMediaPlayer(QWidget *parent) {
    if (factory())
        return factory()(parent);
    return new QtMediaPlayer(parent);
}

void setMediaPlayerFactory(MediaPlayerFactory f) { factory() = std::move(f); }

ScopedMediaPlayerFactory::ScopedMediaPlayerFactory(MediaPlayerFactory f) : previous_(factory()) {
    setMediaPlayerFactory(std::move(f));
}

ScopedMediaPlayerFactory::~ScopedMediaPlayerFactory() { setMediaPlayerFactory(std::move(previous_)); }

} // namespace platform::media
