#pragma once
// An ordered list whose items can also be reached by a text key (compared case-blind), like the
// keyed collections the ID3v2 reader keeps its frames in. Adding keeps insertion order; removing
// leaves the order of the others. Lookups by key are constant time, so a tag with many thousand
// frames still reads in linear time.
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace import {

template <typename T>
class KeyedList {
public:
    int count() const { return live_; }
    bool contains(const QString &key) const { return index_.contains(key.toCaseFolded()); }

    // Adds at the end; false (and nothing added) when the key is already there.
    bool add(const QString &key, T value) {
        const QString k = key.toCaseFolded();
        if (index_.contains(k))
            return false;
        index_.insert(k, entries_.size());
        entries_.push_back({key, std::move(value), true});
        ++live_;
        return true;
    }
    // False when the key is absent.
    bool remove(const QString &key) {
        const auto it = index_.find(key.toCaseFolded());
        if (it == index_.end())
            return false;
        entries_[*it].alive = false;
        index_.erase(it);
        --live_;
        compactIfSparse();
        return true;
    }
    std::optional<T> value(const QString &key) const {
        const auto it = index_.find(key.toCaseFolded());
        if (it == index_.end())
            return std::nullopt;
        return entries_[*it].value;
    }
    // By 1-based position; nullopt when out of range.
    std::optional<T> valueAt(int position) const {
        const Entry *e = at(position);
        return e ? std::optional<T>(e->value) : std::nullopt;
    }
    std::optional<QString> keyAt(int position) const {
        const Entry *e = at(position);
        return e ? std::optional<QString>(e->key) : std::nullopt;
    }

private:
    struct Entry {
        QString key;
        T value;
        bool alive;
    };

    const Entry *at(int position) const {
        if (position < 1 || position > live_)
            return nullptr;
        for (const Entry &e : entries_)
            if (e.alive && --position == 0)
                return &e;
        return nullptr;
    }
    void compactIfSparse() {
        if (entries_.size() < 64 || std::size_t(live_) * 2 > entries_.size())
            return;
        std::vector<Entry> kept;
        kept.reserve(std::size_t(live_));
        index_.clear();
        for (Entry &e : entries_)
            if (e.alive) {
                index_.insert(e.key.toCaseFolded(), kept.size());
                kept.push_back(std::move(e));
            }
        entries_ = std::move(kept);
    }

    std::vector<Entry> entries_;
    QHash<QString, std::size_t> index_;
    int live_ = 0;
};

} // namespace import
