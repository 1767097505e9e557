#pragma once

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <functional>

// The main of a Google Benchmark program over Qt Quick windows: headless with the basic style
// unless the environment says otherwise, a failure reported under the program's name, and
// `release` run (the windows, controllers and engines) before the application goes.
inline int RunQuickBenchmarks(int argc, char** argv, const char* name, const std::function<void()>& release)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_CONTROLS_STYLE"))
        qputenv("QT_QUICK_CONTROLS_STYLE", "Basic");
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    int rc = 0;
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        rc = 1;
    }
    release();
    benchmark::Shutdown();
    return rc;
}
