// What playback costs the main window: over a stretch of real-clock playback of song 1
// (10 s unless told), the frames the window swapped against the playhead notifications that
// reached the GUI thread, and the GUI thread's share of one core.
//   bench_playhead_frames [--seconds S]
// The window is the one the launcher makes (the test harness's, over the real engine on the
// real clock, its audio into a private PulseAudio null sink). Playhead notifications are
// counted through an observer of our own registered beside the window's: the engine posts
// each one to every observer, so this one sees the window's stream; it counts each post on
// the engine thread and again when its queued call arrives on the GUI thread. The playhead
// item's moves (changes of its x) are counted too: a notification that lands on the same
// pixel moves nothing.
// Song 1 enters a vamp at bar 3, about 4 s in, and the exit-vamp button glows (an endless
// animation) while it lasts, so the counts are also split by whether the glow was on, and
// given second by second. Frames only swap where the window is exposed and rendered: run it
// under run_under_xvfb.sh for X with GL; offscreen shows what that platform does.
#include "GraphicsApiName.h"
#include "MainWindowBench.h"
#include "PulseNullSink.h"
#include "zarn_core/EventObserver.h"

#include <QGuiApplication>
#include <QMetaProperty>
#include <QQuickItem>
#include <QThread>
#include <QTimer>

#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace main_window_bench;

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The counts, shared with the render thread (which may swap a frame after Run has returned
// and before the window is gone) and the engine thread. Indexed by the glow: 0 off, 1 on.
struct Counts
{
    explicit Counts(int seconds)
        : framesPerSecond(seconds + 1), receivedPerSecond(seconds + 1)
    {
    }

    int Second() const
    {
        const auto since = Clock::now() - Clock::time_point(Clock::duration(start.load()));
        const auto s = std::chrono::duration_cast<std::chrono::seconds>(since).count();
        return int(std::min<long long>(std::max<long long>(s, 0), (long long)framesPerSecond.size() - 1));
    }

    std::atomic<bool> counting{false};
    std::atomic<Clock::rep> start{0};
    std::atomic<bool> glow{false};
    std::atomic<long> frames[2]{};
    std::atomic<long> posted{0};
    long received[2]{};
    std::vector<std::atomic<long>> framesPerSecond;
    std::vector<long> receivedPerSecond;
    std::atomic<bool> swappedOffGuiThread{false};
};

// Keeps Counts::glow in step with the window's exit-vamp highlight, on the GUI thread.
class GlowWatch : public QObject
{
    Q_OBJECT

public:
    GlowWatch(QObject* window, std::shared_ptr<Counts> counts)
        : window_(window), counts_(std::move(counts))
    {
        const QMetaObject* meta = window->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty("highlightContinueButton"));
        if (!property.isValid() || !property.hasNotifySignal())
            throw std::runtime_error("the window has no highlightContinueButton");
        connect(window, property.notifySignal(), this, metaObject()->method(metaObject()->indexOfSlot("Changed()")));
        Changed();
    }

public slots:
    void Changed() { counts_->glow = window_->property("highlightContinueButton").toBool(); }

private:
    QObject* window_;
    std::shared_ptr<Counts> counts_;
};

int Run(int seconds, const PulseNullSink& sink)
{
    MainWindowFixture fixture;
    UseRealClockEngine(fixture.profile);
    QQuickWindow* window = OpenMainWindow(fixture);
    auto* timeline = fixture.WindowProperty("timelineControl").value<QObject*>();
    auto* playhead = timeline ? timeline->property("playheadItem").value<QQuickItem*>() : nullptr;
    if (!playhead)
        throw std::runtime_error("the timeline has no playhead item");

    const auto counts = std::make_shared<Counts>(seconds);
    QThread* const guiThread = QThread::currentThread();
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [counts, guiThread] {
        if (!counts->counting)
            return;
        ++counts->frames[counts->glow ? 1 : 0];
        ++counts->framesPerSecond[counts->Second()];
        if (QThread::currentThread() != guiThread)
            counts->swappedOffGuiThread = true;
    }, Qt::DirectConnection);

    // GUI thread only; its connections end with `guiSide`, which goes before it.
    long moves = 0;
    QObject guiSide;
    GlowWatch glow(window, counts);
    QObject::connect(playhead, &QQuickItem::xChanged, &guiSide, [&] {
        if (counts->counting)
            ++moves;
    });
    // Declared after what its callbacks touch, so it goes first: its destructor waits for a
    // callback running on the engine thread.
    notify::EventObserver observer;
    observer.SetCallbackFunc([counts, &guiSide](int, int, const char*, void*) {
        if (!counts->counting)
            return;
        ++counts->posted;
        QMetaObject::invokeMethod(&guiSide, [counts] {
            if (!counts->counting)
                return;
            ++counts->received[counts->glow ? 1 : 0];
            ++counts->receivedPerSecond[counts->Second()];
        }, Qt::QueuedConnection);
    }, nullptr);
    observer.RegisterPlayhead(0);

    StartPlayback(fixture);
    const double cpu0 = ThreadCpuSeconds();
    const double process0 = ProcessCpuSeconds();
    const auto wall0 = Clock::now();
    counts->start = wall0.time_since_epoch().count();
    counts->counting = true;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    counts->counting = false;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = ThreadCpuSeconds() - cpu0;
    const double process = ProcessCpuSeconds() - process0;

    const long frames = counts->frames[0] + counts->frames[1];
    const long received = counts->received[0] + counts->received[1];
    std::printf("platform %s, graphics %s, frames swapped on %s; sound: %s\n",
                qPrintable(QGuiApplication::platformName()), GraphicsApiName(window),
                counts->swappedOffGuiThread ? "a render thread" : "the GUI thread",
                sink.Started() ? "PulseAudio null sink" : qPrintable(sink.Problem()));
    std::printf("playback of song 1 over %.2f s of wall time (engine after it: %s)\n", wall,
                EngineState(fixture).c_str());
    std::printf("  %-40s %6ld  (%.1f per s)\n", "frames swapped by the main window", frames, frames / wall);
    std::printf("  %-40s %6ld  (%.1f per s)\n", "playhead notifications posted", counts->posted.load(),
                counts->posted / wall);
    std::printf("  %-40s %6ld  (%.1f per s)\n", "playhead notifications on the GUI thread", received,
                received / wall);
    std::printf("  %-40s %6ld\n", "playhead item moves", moves);
    std::printf("  %-40s %s\n", "frames <= notifications received", frames <= received ? "yes" : "NO");
    std::printf("  %-40s frames %ld, notifications %ld\n", "exit-vamp glow off", counts->frames[0].load(),
                counts->received[0]);
    std::printf("  %-40s frames %ld, notifications %ld\n", "exit-vamp glow on (vamp)", counts->frames[1].load(),
                counts->received[1]);
    std::printf("  GUI thread CPU %.3f s = %.1f %% of one core; whole process %.1f %% of one core\n", cpu,
                100.0 * cpu / wall, 100.0 * process / wall);
    std::printf("  second  frames  notifications\n");
    for (int s = 0; s < seconds; ++s)
        std::printf("  %6d  %6ld  %13ld\n", s, counts->framesPerSecond[s].load(), counts->receivedPerSecond[s]);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return main_window_bench::Main(argc, argv, "bench_playhead_frames", "--seconds", 10, Run);
}

#include "bench_playhead_frames.moc"
