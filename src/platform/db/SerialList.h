#pragma once
// The serials of a key list, one per row. A list read in one go numbers its rows one after
// another, so until a row is taken out or a number comes out of turn the list is only its first
// number and its length: a million-row view spends no eight megabytes, and no page faults, on
// numbers it can compute. Any other change writes the numbers out once and goes on as a vector.
#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace platform::db::detail {

class SerialList {
public:
    size_t size() const { return run_ ? count_ : spelled_.size(); }
    bool empty() const { return size() == 0; }
    qint64 operator[](size_t i) const { return run_ ? first_ + qint64(i) : spelled_[i]; }

    void clear() {
        spelled_.clear();
        run_ = true;
        first_ = 0;
        count_ = 0;
    }
    // n serials from `first` on, one after another.
    void assignRun(qint64 first, size_t n) {
        std::vector<qint64>().swap(spelled_);
        run_ = true;
        first_ = first;
        count_ = n;
    }
    void assign(std::vector<qint64> serials) {
        spelled_ = std::move(serials);
        run_ = false;
    }
    void push_back(qint64 serial) {
        if (run_) {
            if (count_ == 0) first_ = serial;
            if (serial == first_ + qint64(count_)) {
                ++count_;
                return;
            }
            spell();
        }
        spelled_.push_back(serial);
    }
    void erase(size_t i) {
        if (run_ && i + 1 == count_) {
            --count_;
            return;
        }
        spell();
        spelled_.erase(spelled_.begin() + std::ptrdiff_t(i));
    }
    // Adds `delta` to every serial.
    void shift(qint64 delta) {
        if (run_) first_ += delta;
        else
            for (qint64 &s : spelled_) s += delta;
    }
    // Where `serial` is, or -1, in a list whose serials rise.
    long indexOf(qint64 serial) const {
        if (run_) return serial >= first_ && serial < first_ + qint64(count_) ? long(serial - first_) : -1;
        const auto it = std::lower_bound(spelled_.begin(), spelled_.end(), serial);
        return it != spelled_.end() && *it == serial ? long(it - spelled_.begin()) : -1;
    }

    friend bool operator==(const SerialList &a, const SerialList &b) {
        if (a.size() != b.size()) return false;
        if (a.run_ && b.run_) return a.count_ == 0 || a.first_ == b.first_;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }

private:
    void spell() {
        if (!run_) return;
        spelled_.resize(count_);
        for (size_t i = 0; i < count_; ++i) spelled_[i] = first_ + qint64(i);
        run_ = false;
    }

    std::vector<qint64> spelled_; // the serials, once they are no longer a run
    bool run_ = true;
    qint64 first_ = 0;
    size_t count_ = 0;
};

} // namespace platform::db::detail
