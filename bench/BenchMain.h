// The main of a benchmark program that needs a widget application and nothing set up before
// its timings: runs the registered benchmarks offscreen, with settings kept in a temporary
// folder so that no run touches the user's own.
#pragma once

#include "core/ProcessMemory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace bench {

// Before the application is made: the offscreen platform, and settings in `config` instead of
// the user's own.
inline void prepareOffscreen(const QTemporaryDir &config) {
    core::keepFreedMemory(); // as the program starts
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);
}

// After the application is made: the names its settings are kept under.
inline void nameBenchApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Orvalis"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvalisBench"));
}

// `beforeQuit` releases what the benchmarks kept (windows, catalogues) while the application
// still stands.
inline int runOffscreenBenchmarks(int argc, char **argv, const std::function<void()> &beforeQuit = {}) {
    QTemporaryDir config;
    prepareOffscreen(config);
    QApplication app(argc, argv);
    nameBenchApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit)
        beforeQuit();
    return 0;
}

} // namespace bench
