// The main of a benchmark program that needs a widget application and nothing set up before
// its timings: runs the registered benchmarks offscreen.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

namespace bench {

inline int runOffscreenBenchmarks(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
