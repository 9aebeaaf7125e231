#pragma once

// The main of a benchmark program that needs a Qt application object: App is
// QCoreApplication, or QApplication for one that draws (then on the offscreen platform
// unless QT_QPA_PLATFORM names another).
#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

namespace kv::bench {

template <typename App> int runBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace kv::bench
