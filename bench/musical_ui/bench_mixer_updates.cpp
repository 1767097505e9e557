// What a host following its engine costs the mixer page: 2 sections of 16 tracks, every
// track's volume and pan updated at 60 Hz through the models' quiet update (no requests), the
// page shown in a window, for S seconds (10 unless told) and R runs (5 unless told). Prints
// per run the GUI thread's CPU time as a share of one core (and the part spent inside the
// updates, where the page's bindings follow the models), the updates made and the frames
// swapped, then the median share.
//   taskset -c 0,1 sh tests/zarn_ui/run_under_xvfb.sh build/bench/musical_ui/bench_mixer_updates
//   bench_mixer_updates [--seconds S] [--runs R]
// Frames only swap where the window is exposed and rendered: under run_under_xvfb.sh for X
// with GL; offscreen shows what that platform does.
#include "GraphicsApiName.h"
#include "MixerHost.h"
#include "QmlModuleLoader.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Run
{
    double share = 0;
    int updates = 0;
    int frames = 0;
};

Run RunOnce(QQmlEngine& qml, int seconds)
{
    MixerHost host(2, 16);
    QQuickWindow window;
    window.resize(900, 700);
    QQuickItem* view = MixerHost::LoadView(qml, window);
    if (!view)
        return {};
    host.Attach(view);
    window.show();
    QTest::qWaitForWindowExposed(&window);
    QTest::qWait(500);

    std::atomic<int> frames{0};
    QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [&frames] { ++frames; }, Qt::DirectConnection);
    int updates = 0;
    double inStep = 0;
    double phase = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1000 / 60);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        phase += 2.0 * 3.14159265 / 120.0;
        const double before = ThreadCpuSeconds();
        host.Step(phase);
        inStep += ThreadCpuSeconds() - before;
        ++updates;
    });
    QElapsedTimer wall;
    frames = 0;
    const double cpu0 = ThreadCpuSeconds();
    wall.start();
    timer.start();
    QTest::qWait(seconds * 1000);
    timer.stop();
    const double cpu = ThreadCpuSeconds() - cpu0;
    const double elapsed = double(wall.nsecsElapsed()) * 1e-9;
    static bool reported = false;
    if (!reported) {
        std::printf("graphics: %s\n", GraphicsApiName(&window));
        reported = true;
    }
    std::printf("  in the updates themselves: %.1f us each, %.2f %% of one core\n",
                updates ? 1e6 * inStep / updates : 0.0, 100.0 * inStep / elapsed);
    return {100.0 * cpu / elapsed, updates, frames.load()};
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 10;
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_CONTROLS_STYLE"))
        qputenv("QT_QUICK_CONTROLS_STYLE", "Basic");
    QGuiApplication app(argc, argv);
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    std::vector<double> shares;
    for (int r = 0; r < runs; ++r) {
        const Run run = RunOnce(qml, seconds);
        std::printf("run %d: GUI thread %.2f %% of one core, %d updates of 32 tracks, %d frames in %d s\n", r + 1,
                    run.share, run.updates, run.frames, seconds);
        shares.push_back(run.share);
    }
    std::sort(shares.begin(), shares.end());
    std::printf("median GUI thread share: %.2f %% of one core\n", shares[shares.size() / 2]);
    return 0;
}
