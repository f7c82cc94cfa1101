// The main of a benchmark program that needs a widget application and nothing set up before
// its timings: runs the registered benchmarks offscreen, with settings kept in a temporary
// folder so that no run touches the user's own.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace bench {

// `beforeQuit` releases what the benchmarks kept (windows, catalogues) while the application
// still stands.
inline int runOffscreenBenchmarks(int argc, char **argv, const std::function<void()> &beforeQuit = {}) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvalis"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvalisBench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit)
        beforeQuit();
    return 0;
}

} // namespace bench
