#include "AllocationCounter.h"
#include "CueReceiver.h"
#include "CueScheduler.h"
#include "NullOutput.h"
#include "OscUdpClient.h"

#include <QHostAddress>
#include <QtTest>

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace zarn::audio;
using namespace zarn::audio::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Cue = CueScheduler::Cue;

namespace {

// Polls a condition until it holds or the deadline passes.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = 10s)
{
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(200us);
    }
    return true;
}

// What the send callback saw, in the order it was called.
class SendLog
{
public:
    struct Send
    {
        Cue cue;
        Clock::time_point at;
        std::thread::id thread;
    };

    CueScheduler::SendCallback Callback()
    {
        return [this](const Cue& cue) {
            const auto now = Clock::now();
            std::lock_guard lock(mutex_);
            sends_.push_back({cue, now, std::this_thread::get_id()});
        };
    }

    std::vector<Send> Sends() const
    {
        std::lock_guard lock(mutex_);
        return sends_;
    }
    size_t Count() const
    {
        std::lock_guard lock(mutex_);
        return sends_.size();
    }
    std::vector<uint64_t> Ids() const
    {
        std::vector<uint64_t> ids;
        for (const Send& send : Sends())
            ids.push_back(send.cue.id);
        return ids;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Send> sends_;
};

Cue MakeCue(uint64_t id, Clock::time_point deadline, uint32_t generation = 0)
{
    Cue cue;
    cue.id = id;
    cue.payload = uint32_t(id * 10);
    cue.generation = generation;
    cue.deadline = deadline;
    return cue;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

} // namespace

class TestCueScheduler : public QObject
{
    Q_OBJECT

private slots:
    void deadlineFromFrames_data();
    void deadlineFromFrames();
    void deadlineSurvivesNonsense();
    void sendsInDeadlineOrder();
    void anEarlierCueWakesTheSleepingThread();
    void sleepsUntilTheLastStretch();
    void pastDeadlinesGoAtOnce();
    void cancelDropsPendingAndStaleGenerations();
    void fullRingRefusesWithoutBlockingOrAllocating();
    void stopDropsPendingAtOnce();
    void aThrowingSendIsCounted();
    void cueLatenessOnLoopback();
};

void TestCueScheduler::deadlineFromFrames_data()
{
    QTest::addColumn<qint64>("cueFrame");
    QTest::addColumn<qint64>("blockStart");
    QTest::addColumn<double>("latency");
    QTest::addColumn<int>("rate");
    QTest::addColumn<qint64>("expectedNs");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("at the block start") << qint64(1000) << qint64(1000) << 0.0 << 48000 << qint64(0);
    QTest::newRow("latency only") << qint64(1000) << qint64(1000) << 0.010 << 48000 << qint64(10'000'000);
    QTest::newRow("inside the block") << qint64(1240) << qint64(1000) << 0.010 << 48000 << qint64(15'000'000);
    QTest::newRow("before the block start") << qint64(520) << qint64(1000) << 0.010 << 48000 << qint64(0);
    QTest::newRow("44.1 kHz to the nearest ns") << qint64(1) << qint64(0) << 0.0 << 44100 << qint64(22676);
    QTest::newRow("44.1 kHz, just before") << qint64(-1) << qint64(0) << 0.0 << 44100 << qint64(-22676);
    QTest::newRow("ten hours into the show") << qint64(48000LL * 36000 + 24) << qint64(0) << 0.0075 << 48000
                                             << qint64(36000'000'000'000LL + 7'500'000 + 500'000);
    QTest::newRow("negative latency counts as none") << qint64(1000) << qint64(1000) << -0.5 << 48000 << qint64(0);
    QTest::newRow("latency not a number") << qint64(1480) << qint64(1000) << nan << 48000 << qint64(10'000'000);
    QTest::newRow("no sample rate") << qint64(5000) << qint64(1000) << 0.010 << 0 << qint64(10'000'000);
}

void TestCueScheduler::deadlineFromFrames()
{
    QFETCH(qint64, cueFrame);
    QFETCH(qint64, blockStart);
    QFETCH(double, latency);
    QFETCH(int, rate);
    QFETCH(qint64, expectedNs);

    const Clock::time_point blockTime = Clock::now();
    const auto deadline = CueDeadline(cueFrame, blockStart, blockTime, latency, rate);
    QCOMPARE(qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - blockTime).count()), expectedNs);
}

void TestCueScheduler::deadlineSurvivesNonsense()
{
    // Frame counts that overflow when subtracted and an infinite latency: a deadline far off
    // in the right direction, not an overflow (the sanitizer tree checks the arithmetic).
    const Clock::time_point blockTime = Clock::now();
    const auto late = CueDeadline(std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(), blockTime,
                                  std::numeric_limits<double>::infinity(), 1);
    QVERIFY(late > blockTime + std::chrono::hours(24 * 365 * 100));
    const auto early = CueDeadline(std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), blockTime, 0.0, 1);
    QVERIFY(early < blockTime - std::chrono::hours(24 * 365 * 100));
}

void TestCueScheduler::sendsInDeadlineOrder()
{
    SendLog log;
    CueScheduler scheduler;
    scheduler.SetSendCallback(log.Callback());
    scheduler.Start();

    // Handed over out of order, as successive blocks may; ids 3 and 4 share a deadline.
    const auto base = Clock::now() + 60ms;
    const int order[] = {7, 2, 9, 0, 4, 3, 8, 1, 6, 5};
    const std::map<int, int> slot = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}};
    for (int id : order)
        QVERIFY(scheduler.Schedule(MakeCue(uint64_t(id), base + slot.at(id) * 3ms)));

    QVERIFY(WaitFor([&] { return log.Count() == 10; }));
    QCOMPARE(log.Ids(), (std::vector<uint64_t>{0, 1, 2, 4, 3, 5, 6, 7, 8, 9}));
    for (const SendLog::Send& send : log.Sends()) {
        QVERIFY2(send.at >= send.cue.deadline, qPrintable(QStringLiteral("cue %1 went out early").arg(send.cue.id)));
        QCOMPARE(send.cue.payload, uint32_t(send.cue.id * 10));
        QVERIFY(send.thread != std::this_thread::get_id());
    }
    QCOMPARE(scheduler.Count().sent, uint64_t(10));
}

void TestCueScheduler::anEarlierCueWakesTheSleepingThread()
{
    SendLog log;
    CueScheduler scheduler;
    scheduler.SetSendCallback(log.Callback());
    scheduler.Start();

    const auto far = Clock::now() + 3s;
    QVERIFY(scheduler.Schedule(MakeCue(1, far)));
    QVERIFY(scheduler.Schedule(MakeCue(2, Clock::now() + 20ms)));
    QVERIFY(WaitFor([&] { return log.Count() == 1; }));
    const auto sends = log.Sends();
    QCOMPARE(sends[0].cue.id, uint64_t(2));
    QVERIFY2(sends[0].at < far - 1s, "the earlier cue waited for the later one's deadline");
}

void TestCueScheduler::sleepsUntilTheLastStretch()
{
    // On two cores a sender that waits actively for long takes half the machine from the
    // render thread: the scheduler's own CPU time over a 400 ms wait stays far below it.
    SendLog log;
    std::atomic<bool> haveClock{false};
    clockid_t schedulerCpu{};
    CueScheduler scheduler;
    scheduler.SetSendCallback(log.Callback());
    scheduler.SetThreadCallbacks(
        [&] {
            pthread_getcpuclockid(pthread_self(), &schedulerCpu);
            haveClock = true;
        },
        {});
    scheduler.Start();
    QVERIFY(WaitFor([&] { return haveClock.load(); }));
    const auto cpuNow = [&] {
        timespec t{};
        clock_gettime(schedulerCpu, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const double before = cpuNow();
    QVERIFY(scheduler.Schedule(MakeCue(1, Clock::now() + 400ms)));
    QVERIFY(WaitFor([&] { return log.Count() == 1; }));
    const double usedMs = cpuNow() - before;
    QVERIFY2(usedMs < 100.0, qPrintable(QStringLiteral("%1 ms of CPU for one cue").arg(usedMs)));
}

void TestCueScheduler::pastDeadlinesGoAtOnce()
{
    SendLog log;
    CueScheduler scheduler;
    scheduler.SetSendCallback(log.Callback());

    // Taken up together (a running thread would send the first overdue one before it sees
    // the others), they go in deadline order; the future one waits.
    const auto now = Clock::now();
    QVERIFY(scheduler.Schedule(MakeCue(9, now + 60s)));
    QVERIFY(scheduler.Schedule(MakeCue(3, now)));
    QVERIFY(scheduler.Schedule(MakeCue(1, now - 1s)));
    QVERIFY(scheduler.Schedule(MakeCue(2, now - 10ms)));
    scheduler.Start();
    QVERIFY(WaitFor([&] { return log.Count() == 3; }, 5s));
    QCOMPARE(log.Ids(), (std::vector<uint64_t>{1, 2, 3}));

    scheduler.Stop();
    QCOMPARE(scheduler.Count().sent, uint64_t(3));
    QCOMPARE(scheduler.Count().dropped, uint64_t(1));
}

void TestCueScheduler::cancelDropsPendingAndStaleGenerations()
{
    SendLog log;
    CueScheduler scheduler;
    scheduler.SetSendCallback(log.Callback());
    scheduler.Start();

    const uint32_t before = scheduler.Generation();
    for (uint64_t id = 1; id <= 5; ++id)
        QVERIFY(scheduler.Schedule(MakeCue(id, Clock::now() + 10s, before)));
    const uint32_t after = scheduler.CancelAll();
    QCOMPARE(after, before + 1);
    QCOMPARE(scheduler.Generation(), after);

    // A block that read the generation before the cancel hands over its cue after it.
    QVERIFY(scheduler.Schedule(MakeCue(6, Clock::now(), before)));
    // A cue due soon, cancelled while the thread waits for it...
    QVERIFY(scheduler.Schedule(MakeCue(7, Clock::now() + 30ms, after)));
    const uint32_t latest = scheduler.CancelAll();
    // ...so the first to go out is one due after it.
    QVERIFY(scheduler.Schedule(MakeCue(8, Clock::now() + 60ms, latest)));

    QVERIFY(WaitFor([&] { return log.Count() >= 1 && scheduler.Count().dropped == 7; }));
    scheduler.Stop();
    QCOMPARE(log.Ids(), std::vector<uint64_t>{8});
    QCOMPARE(log.Sends()[0].cue.generation, latest);
    QCOMPARE(scheduler.Count().sent, uint64_t(1));
    QCOMPARE(scheduler.Count().dropped, uint64_t(7));
}

void TestCueScheduler::fullRingRefusesWithoutBlockingOrAllocating()
{
    SendLog log;
    CueScheduler::Settings settings;
    settings.capacity = 5;
    CueScheduler scheduler(settings);
    scheduler.SetSendCallback(log.Callback());
    QCOMPARE(scheduler.Capacity(), 8);

    // Stopped, nothing drains the ring: the render thread fills it and is refused, at once.
    const auto due = Clock::now();
    int accepted = 0;
    long allocations = 0;
    {
        CountAllocations count;
        for (uint64_t id = 0; id < 10; ++id)
            accepted += scheduler.Schedule(MakeCue(id, due)) ? 1 : 0;
        allocations = count.Count();
    }
    QCOMPARE(accepted, 8);
    QCOMPARE(scheduler.Count().overflowed, uint64_t(2));
    if (CountAllocations::Available())
        QCOMPARE(allocations, 0L);

    scheduler.Start();
    QVERIFY(WaitFor([&] { return log.Count() == 8; }));
    QCOMPARE(log.Ids(), (std::vector<uint64_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    // Room again once taken.
    QVERIFY(scheduler.Schedule(MakeCue(20, Clock::now())));
    QVERIFY(WaitFor([&] { return log.Count() == 9; }));

    {
        CountAllocations count;
        scheduler.CancelAll();
        allocations = count.Count();
    }
    if (CountAllocations::Available())
        QCOMPARE(allocations, 0L);
}

void TestCueScheduler::stopDropsPendingAtOnce()
{
    SendLog log;
    std::atomic<std::thread::id> startedOn{};
    std::atomic<std::thread::id> finishedOn{};
    auto scheduler = std::make_unique<CueScheduler>();
    scheduler->SetSendCallback(log.Callback());
    scheduler->SetThreadCallbacks([&] { startedOn = std::this_thread::get_id(); },
                                  [&] { finishedOn = std::this_thread::get_id(); });
    scheduler->Start();
    QVERIFY(scheduler->Schedule(MakeCue(1, Clock::now())));
    QVERIFY(WaitFor([&] { return log.Count() == 1; }));
    for (uint64_t id = 2; id <= 11; ++id)
        QVERIFY(scheduler->Schedule(MakeCue(id, Clock::now() + 60s)));

    const auto stopping = Clock::now();
    scheduler->Stop();
    QVERIFY2(Clock::now() - stopping < 5s, "Stop waited for the pending cues");
    QVERIFY(!scheduler->Running());
    QCOMPARE(scheduler->Count().dropped, uint64_t(10));
    QCOMPARE(log.Count(), size_t(1));
    QCOMPARE(startedOn.load(), log.Sends()[0].thread);
    QCOMPARE(finishedOn.load(), log.Sends()[0].thread);

    // It starts again, with what was scheduled meanwhile; destroyed while cues wait, it
    // neither sends them nor waits for them.
    QVERIFY(scheduler->Schedule(MakeCue(12, Clock::now())));
    scheduler->Start();
    QVERIFY(WaitFor([&] { return log.Count() == 2; }));
    QVERIFY(scheduler->Schedule(MakeCue(13, Clock::now() + 60s)));
    const auto destroying = Clock::now();
    scheduler.reset();
    QVERIFY(Clock::now() - destroying < 5s);
    QCOMPARE(log.Ids(), (std::vector<uint64_t>{1, 12}));
}

void TestCueScheduler::aThrowingSendIsCounted()
{
    std::atomic<int> calls{0};
    CueScheduler scheduler;
    scheduler.SetSendCallback([&](const Cue& cue) {
        ++calls;
        if (cue.id == 1)
            throw std::runtime_error("no route to the lighting desk");
    });
    scheduler.Start();
    QVERIFY(scheduler.Schedule(MakeCue(1, Clock::now())));
    QVERIFY(scheduler.Schedule(MakeCue(2, Clock::now() + 5ms)));
    QVERIFY(WaitFor([&] { return calls == 2; }));
    scheduler.Stop();
    QCOMPARE(scheduler.Count().failed, uint64_t(1));
    QCOMPARE(scheduler.Count().sent, uint64_t(1));
}

// A render thread (the null output's, at real time) schedules cues at the frames where they
// fall, as a device with 10 ms of latency would hear them; the send callback sends each as an
// OSC datagram to a loopback socket, which stamps its arrival.
void TestCueScheduler::cueLatenessOnLoopback()
{
    constexpr int kCues = 60;
    constexpr int64_t kSpacing = 1117; // frames, about 23 ms, never on a block boundary
    constexpr double kLatency = 0.010;
    CueReceiver receiver;
    QVERIFY(receiver.Port() != 0);

    std::vector<QString> commands;
    for (int i = 0; i < kCues; ++i)
        commands.push_back(QStringLiteral("/cue/%1").arg(i));

    CueScheduler scheduler;
    std::unique_ptr<zarn::osc::OscUdpClient> client; // lives on the scheduler's thread
    const QHostAddress loopback(QHostAddress::LocalHost);
    scheduler.SetThreadCallbacks(
        [&] {
            client = std::make_unique<zarn::osc::OscUdpClient>();
            client->prepare(loopback);
        },
        [&] { client.reset(); });
    scheduler.SetSendCallback([&](const Cue& cue) { client->send(commands[cue.payload], loopback, receiver.Port()); });
    scheduler.Start();

    NullOutput output(48000);
    const int64_t first = output.BlockFrames() * 4;
    std::vector<Clock::time_point> due(kCues);
    std::atomic<int> scheduled{0};
    output.SetRenderCallback([&](float*, int frames) {
        const auto blockTime = Clock::now();
        const int64_t start = output.FramesRendered();
        const uint32_t generation = scheduler.Generation();
        for (int i = scheduled.load(std::memory_order_relaxed); i < kCues; ++i) {
            const int64_t frame = first + i * kSpacing;
            if (frame >= start + frames)
                break;
            Cue cue;
            cue.id = uint64_t(i);
            cue.payload = uint32_t(i);
            cue.generation = generation;
            cue.deadline = CueDeadline(frame, start, blockTime, kLatency, output.SampleRate());
            due[size_t(i)] = cue.deadline;
            scheduler.Schedule(cue);
            scheduled.store(i + 1, std::memory_order_release);
        }
    });
    QVERIFY(output.Start());
    QVERIFY(WaitFor([&] { return receiver.Count() == size_t(kCues); }, 30s));
    output.Stop();
    const auto granted = scheduler.GrantedPriority();
    scheduler.Stop();

    std::vector<double> lateMs;
    for (const CueReceiver::Arrival& arrival : receiver.Arrivals()) {
        const int64_t number = CueReceiver::CueNumber(arrival.datagram);
        QVERIFY(number >= 0 && number < kCues);
        lateMs.push_back(std::chrono::duration<double, std::milli>(arrival.time - due[size_t(number)]).count());
    }
    const double p50 = Percentile(lateMs, 0.5);
    const double p99 = Percentile(lateMs, 0.99);
    const char* priority = granted == CueScheduler::Settings::Priority::RealTime ? "real-time"
        : granted == CueScheduler::Settings::Priority::Raised                   ? "nice -20"
                                                                                : "ordinary";
    qInfo("cue lateness at the loopback socket (%s thread): p50 %.3f ms, p99 %.3f ms, earliest %.3f ms", priority, p50,
          p99, Percentile(lateMs, 0.0));
    // Never early (beyond the receive stamp's own error), and a bound that a busy CI machine
    // keeps; the real figures come from bench_cue_lateness.
    QVERIFY2(Percentile(lateMs, 0.0) > -0.2, "a cue arrived before its deadline");
    QVERIFY2(p99 < 50.0, qPrintable(QStringLiteral("p99 lateness %1 ms").arg(p99)));
    QCOMPARE(scheduler.Count().overflowed, uint64_t(0));
}

QTEST_GUILESS_MAIN(TestCueScheduler)
#include "tst_cue_scheduler.moc"
