#pragma once
// The program's random numbers: one generator, seeded from the clock when the main window loads.
// Tests put a source of their own in place to make a random choice predictable.
#include <functional>

namespace core {

// A number from 0 up to, but not including, 1.
double Rnd();

// Seeds the generator from the clock.
void Randomize();

// Replaces the generator (an empty function brings the program's own back).
using RandomSource = std::function<double()>;
void setRandomSource(RandomSource source);

// Rounds to the nearest whole number, a half to the even neighbour.
long CLng(double value);

// Puts a source in place for its lifetime (tests).
class ScopedRandomSource {
public:
    explicit ScopedRandomSource(RandomSource source) { setRandomSource(std::move(source)); }
    ~ScopedRandomSource() { setRandomSource({}); }
    ScopedRandomSource(const ScopedRandomSource &) = delete;
    ScopedRandomSource &operator=(const ScopedRandomSource &) = delete;
};

} // namespace core
