// How long an engine notification takes to show on the main window: from the post on an
// engine thread to the moment the window property it sets has changed on the GUI thread.
//   bench_main_window_events [--samples N]
// The window is the one the launcher makes (the test harness's, over the real engine on the
// real clock, its audio into a private PulseAudio null sink). A thread of our own stands for
// the engine's: it posts through the notification hub as the engine does, then waits until
// the GUI thread has seen the property take the posted value, and posts the next one after a
// pause of 0.2 to 2 ms, so each notification finds the GUI thread idle or busy as it happens
// to be rather than always just woken. Three notifications, each setting one property: bar
// and beat ("measure"), song title ("songTitle") and tempo ("tempo"); first with the show
// stopped, then while song 1 plays, when the engine's own notifications (playhead, level,
// bars and beats) share the GUI thread. The posted values are ones the engine never sends,
// so only the bench's own post can end a sample. N samples per row, 3000 unless told.
#include "MainWindowBench.h"
#include "Percentiles.h"
#include "PulseNullSink.h"
#include "zarn_core/EngineEventHub.h"

#include <QGuiApplication>
#include <QMetaProperty>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace main_window_bench;

// Stamps, on the GUI thread, the moment a window property takes the value a sample waits for.
class PropertyStamp : public QObject
{
    Q_OBJECT

public:
    PropertyStamp(QObject* window, const char* name)
        : window_(window), name_(name)
    {
        const QMetaObject* meta = window->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(name));
        if (!property.isValid() || !property.hasNotifySignal())
            throw std::runtime_error(std::string("the window has no notifying property ") + name);
        connect(window, property.notifySignal(), this, metaObject()->method(metaObject()->indexOfSlot("Changed()")));
    }

    // Any thread: the next change to `value` ends the sample.
    void Arm(const QString& value)
    {
        const std::lock_guard lock(mutex_);
        expected_ = value;
        seen_.reset();
    }

    std::optional<Clock::time_point> Wait(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, timeout, [&] { return seen_.has_value(); });
        return seen_;
    }

public slots:
    void Changed()
    {
        const auto now = Clock::now();
        const QString value = window_->property(name_).toString();
        const std::lock_guard lock(mutex_);
        if (!seen_ && value == expected_) {
            seen_ = now;
            done_.notify_one();
        }
    }

private:
    QObject* window_;
    const char* name_;
    std::mutex mutex_;
    std::condition_variable done_;
    QString expected_;
    std::optional<Clock::time_point> seen_;
};

// A value no show sends: a letter and three base-36 digits for the four-character bar.
QString Tag(int i)
{
    return QStringLiteral("Z%1").arg(i % (36 * 36 * 36), 3, 36, QLatin1Char('0')).toUpper();
}

struct Row
{
    const char* property;
    notify::EngineEvent kind;
    // The posted text and the value the property then takes.
    std::string (*text)(int i);
    QString (*expected)(int i);
};

const Row kRows[] = {
    {"measure", notify::EngineEvent::BarBeat,
     [](int i) { return (Tag(i) + QStringLiteral("|01")).toStdString(); }, [](int i) { return Tag(i); }},
    {"songTitle", notify::EngineEvent::SongTitle,
     [](int i) { return "Bench title " + std::to_string(i); },
     [](int i) { return QStringLiteral("Bench title %1").arg(i); }},
    {"tempo", notify::EngineEvent::Tempo, [](int i) { return "T" + std::to_string(i); },
     [](int i) { return QStringLiteral("T%1").arg(i); }},
};

struct Result
{
    std::vector<double> micros;
    int lost = 0;
};

Result Measure(QObject* window, const Row& row, int samples)
{
    PropertyStamp stamp(window, row.property);
    Result result;
    result.micros.reserve(samples);
    QEventLoop loop;
    std::thread engineThread([&] {
        std::minstd_rand random(17);
        std::uniform_int_distribution<int> pause(200, 2000);
        for (int i = 0; i < samples; ++i) {
            const std::string text = row.text(i);
            stamp.Arm(row.expected(i));
            const auto posted = Clock::now();
            notify::EngineEventHub::Post(row.kind, 0, text);
            const auto seen = stamp.Wait(std::chrono::seconds(2));
            if (!seen) {
                // A lost notification would stall the rest: stop the row and say so.
                ++result.lost;
                break;
            }
            result.micros.push_back(std::chrono::duration<double, std::micro>(*seen - posted).count());
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    engineThread.join();
    return result;
}

void PrintRow(const char* state, const Row& row, const Result& result)
{
    const auto& m = result.micros;
    std::printf("%-9s %-10s %7zu %10.1f %10.1f %10.1f %10.1f%s\n", state, row.property, m.size(), percentile(m, 0.5),
                percentile(m, 0.99), percentile(m, 0.0), percentile(m, 1.0), result.lost ? "  LOST" : "");
    std::fflush(stdout);
}

int Run(int samples, const PulseNullSink& sink)
{
    MainWindowFixture fixture;
    UseRealClockEngine(fixture.profile);
    QQuickWindow* window = OpenMainWindow(fixture);
    std::printf("platform %s; sound: %s; %d samples per row; times in microseconds\n",
                qPrintable(QGuiApplication::platformName()),
                sink.Started() ? "PulseAudio null sink" : qPrintable(sink.Problem()), samples);
    std::printf("%-9s %-10s %7s %10s %10s %10s %10s\n", "state", "property", "samples", "median", "p99", "min", "max");

    bool lost = false;
    for (const Row& row : kRows) {
        const Result result = Measure(window, row, samples);
        PrintRow("stopped", row, result);
        lost |= result.lost > 0;
    }
    StartPlayback(fixture);
    for (const Row& row : kRows) {
        const Result result = Measure(window, row, samples);
        PrintRow("playing", row, result);
        lost |= result.lost > 0;
    }
    std::printf("engine after the playing rows: %s\n", EngineState(fixture).c_str());
    fixture.Destroy();
    return lost ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    return main_window_bench::Main(argc, argv, "bench_main_window_events", "--samples", 3000, Run);
}

#include "bench_main_window_events.moc"
