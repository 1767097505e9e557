#pragma once

// What the main window's latency and redraw programs share: the window over the real engine
// on the real clock with sound, playback of song 1, and the clocks they read.
#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "MainWindowFixture.h"
#include "MusicalMainController.h"
#include "PulseNullSink.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTest>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace main_window_bench {

// Runs the event loop until `done` holds; false when `timeoutMs` passed first.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// CPU time of the calling thread, in seconds.
inline double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The profile's engine becomes the one an operator runs: the steady clock and the songs'
// audio (into whatever PulseAudio server the environment names). MIDI input stays a fake:
// the machine has none, and opening the system's would only add a failure to the start.
inline void UseRealClockEngine(TestPlayerProfile& profile)
{
    profile.makeEngine = [&profile](const QString& showFolder) -> std::unique_ptr<Interface> {
        AudioInterface::Options options;
        options.sound = true;
        options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
        auto engine = std::make_unique<AudioInterface>(showFolder.toStdString(),
                                                       profile.GetDataFolder().toStdString(), nullptr,
                                                       std::move(options));
        engine->ThrowIfThreadExceptions();
        return engine;
    };
}

inline QQuickWindow* MainWindow(const MainWindowFixture& fixture)
{
    auto* window = qobject_cast<QQuickWindow*>(fixture.Window());
    if (!window)
        throw std::runtime_error("the main window is not a QQuickWindow");
    return window;
}

// Makes the main window on the demo show and waits until it is on screen with song 1 loaded.
inline QQuickWindow* OpenMainWindow(MainWindowFixture& fixture)
{
    fixture.Create();
    QQuickWindow* window = MainWindow(fixture);
    if (!QTest::qWaitForWindowExposed(window, 10000))
        throw std::runtime_error("the main window was never exposed");
    if (!WaitFor([&] { return fixture.WindowProperty("songTitle").toString() == QLatin1String("Overture"); }, 10000))
        throw std::runtime_error("song 1 did not load");
    return window;
}

// Presses Play as the transport bar does and waits for the engine's start to reach the window.
inline void StartPlayback(MainWindowFixture& fixture)
{
    bool started = false;
    const auto connection = QObject::connect(fixture.controller.get(), &zarn::qt::MusicalMainController::PlayStarted,
                                             [&] { started = true; });
    fixture.controller->Play_();
    const bool ok = WaitFor([&] { return started; }, 10000);
    QObject::disconnect(connection);
    if (!ok)
        throw std::runtime_error("playback did not start");
}

// "playing, sound on" or what keeps the engine from sounding.
inline std::string EngineState(const MainWindowFixture& fixture)
{
    const auto& engine = fixture.controller->GetEngine();
    if (!engine)
        return "no engine";
    std::string state = engine->IsStopped() ? "stopped" : "playing";
    if (auto* audio = dynamic_cast<AudioInterface*>(engine.get())) {
        const std::string problem = audio->GetSoundProblem();
        state += audio->IsSoundActive() ? ", sound on" : ", sound off";
        if (!problem.empty())
            state += " (" + problem + ")";
    }
    return state;
}

} // namespace main_window_bench

inline void InitMainWindowBenchImages()
{
    Q_INIT_RESOURCE(images);
}

namespace main_window_bench {

// The shared main: `option N` on the command line (default `value`, at least 1), the offscreen
// platform unless one is named, a private PulseAudio server with a null sink made before the
// application (the engine's sound finds it through the environment), then `run`. A failure is
// one line on standard error under the program's name and exit code 1.
inline int Main(int argc, char** argv, const char* program, const char* option, int value,
                const std::function<int(int, PulseNullSink&)>& run)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0)
            value = std::max(1, std::atoi(argv[i + 1]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PulseNullSink sink;
    InitMainWindowBenchImages();
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    try {
        return run(value, sink);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
        return 1;
    }
}

} // namespace main_window_bench
