#include "core/Rnd.h"

#include <chrono>
#include <cmath>
#include <random>

namespace core {

namespace {
std::mt19937_64 &engine() {
    static std::mt19937_64 e(std::random_device{}());
    return e;
}
RandomSource &source() {
    static RandomSource s;
    return s;
}
} // namespace

double Rnd() {
    if (source())
        return source()();
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine());
}

void Randomize() {
    engine().seed(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

void setRandomSource(RandomSource s) { source() = std::move(s); }

long CLng(double value) { return static_cast<long>(std::nearbyint(value)); }

} // namespace core
