#pragma once
// A fixed-seed generator for the mutation tests, so every run feeds the same inputs and a
// failure can be replayed.
#include <QtGlobal>

namespace testenv {

class Rng {
public:
    explicit Rng(quint64 seed) : s_(seed) {}
    quint32 next() {
        s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(s_ >> 33);
    }
    quint32 below(quint32 n) { return n == 0 ? 0 : next() % n; }

private:
    quint64 s_;
};

} // namespace testenv
