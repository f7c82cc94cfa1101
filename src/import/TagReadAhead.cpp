#include "import/TagReadAhead.h"

#include "import/SongFields.h"
#include "platform/shell/ShellItem.h"

#include <QFileInfo>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace import {

namespace shell = platform::shell;

SongValues readTagValues(const TagSource &source) {
    // An item of its own: the folder listing's items cache what they read and are not to be
    // touched from two threads.
    const shell::ShellItem item{QFileInfo(source.itemPath)};
    try {
        return tagFieldsForNewSong(source.extension, source.extension.mid(1).toUpper(), source.winMajorVersion,
                                   source.filePath, source.fileName,
                                   [&item, &source](int column) {
                                       return item.detail(shell::detailOfColumn(column, source.winMajorVersion));
                                   })
            .values();
    } catch (...) {
        return {};
    }
}

// What the workers and the import's thread share; the workers keep it alive while they run.
struct TagReadAhead::Shared {
    TagReadAhead::Read read;
    std::vector<std::pair<int, TagSource>> files;
    std::unordered_map<int, std::size_t> byItem; // item index -> place in files
    std::vector<std::optional<SongValues>> results;
    std::vector<bool> taken; // a worker or the import's thread reads it
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0; // where the workers look for a file not taken yet
    int running = 0;      // workers not finished
    bool stop = false;

    // One worker: takes the files in order until none is left or the reads are stopped.
    void work() {
        std::unique_lock lock(mutex);
        while (!stop && next < files.size()) {
            const std::size_t k = next++;
            if (taken[k])
                continue;
            taken[k] = true;
            lock.unlock();
            SongValues values = read(files[k].second);
            lock.lock();
            results[k] = std::move(values);
            changed.notify_all();
        }
        --running;
        changed.notify_all();
    }
};

TagReadAhead::TagReadAhead(QThreadPool &pool, Read read) : pool_(pool), read_(std::move(read)) {}

TagReadAhead::~TagReadAhead() {
    if (!shared_)
        return;
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.wait(lock, [this] { return shared_->running == 0; });
}

void TagReadAhead::start(std::vector<std::pair<int, TagSource>> files) {
    shared_ = std::make_shared<Shared>();
    shared_->read = read_;
    shared_->results.resize(files.size());
    shared_->taken.resize(files.size());
    for (std::size_t k = 0; k < files.size(); ++k)
        shared_->byItem.emplace(files[k].first, k);
    shared_->files = std::move(files);
    // A worker for every few files: waking a thread costs about what reading a file does, and a
    // worker or two keep ahead of the store in a folder of twenty files.
    constexpr int filesPerWorker = 8;
    const int count = int(shared_->files.size());
    const int workers = std::min(pool_.maxThreadCount(), (count + filesPerWorker - 1) / filesPerWorker);
    shared_->running = workers;
    for (int w = 0; w < workers; ++w)
        pool_.start([shared = shared_] { shared->work(); });
}

SongValues TagReadAhead::take(int index, const TagSource &source) {
    if (!shared_)
        return read_(source);
    const auto place = shared_->byItem.find(index);
    if (place == shared_->byItem.end())
        return read_(source);
    const std::size_t k = place->second;
    std::unique_lock lock(shared_->mutex);
    // A file no worker has taken yet (they are only starting) is read here rather than waited for.
    if (!shared_->taken[k]) {
        shared_->taken[k] = true;
        lock.unlock();
        return read_(source);
    }
    shared_->changed.wait(lock, [&] { return shared_->results[k].has_value(); });
    return std::move(*shared_->results[k]);
}

} // namespace import
