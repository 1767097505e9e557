// Cue lateness: a render thread (the null output's, at real time) schedules cues at the frames
// where they fall, as a device with the given latency would play them; the CueScheduler sends
// each as an OSC datagram to a loopback socket, whose kernel receive stamp is compared with
// the cue's deadline. Each load runs the scheduler's thread at each priority (as far as the
// process may have it; the column says what it got) with each active wait before a deadline,
// sending through the program's OSC client on its own thread; and once through the program's
// outgoing-OSC callback with no delay, which hands each send to a pool of its own.
//   taskset -c 0,1 bench_cue_lateness [cues=300] [latency ms=10] [loads=idle,busy]
// "busy" runs two busy processes (arithmetic and a 16 MB buffer streamed through, in their
// own sessions, as a build started from another shell) beside the measurement.
#include "BusyLoad.h"
#include "CueReceiver.h"
#include "Percentiles.h"
#include "CueScheduler.h"
#include "NullOutput.h"
#include "OscUdpClient.h"
#include "ZarnPlayerOscCallback.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace zarn::audio;
using Clock = std::chrono::steady_clock;

namespace {

using Priority = CueScheduler::Settings::Priority;

constexpr int kRate = 48000;
constexpr int64_t kSpacing = 557; // frames between cues, about 11.6 ms, never on a block boundary

double ThreadCpuMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Result
{
    std::vector<double> lateMs;
    size_t expected = 0;
    Priority granted = Priority::Unchanged;
    double schedulerCpuPercent = 0.0;
};

enum class Sender
{
    Client, // OscUdpClient on the scheduler's thread
    Callback, // ZarnPlayerOscCallback::ExecuteEvent(cue, 0) from the scheduler's thread
};

const char* PriorityName(Priority priority)
{
    switch (priority) {
    case Priority::Unchanged:
        return "as is";
    case Priority::Raised:
        return "nice-20";
    case Priority::RealTime:
        return "fifo1";
    }
    return "?";
}

Result Measure(int cues, double latencySeconds, std::chrono::microseconds spin, Priority priority, Sender sender)
{
    test::CueReceiver receiver;
    std::vector<QString> commands;
    std::vector<CL::Osc> oscCues;
    for (int i = 0; i < cues; ++i) {
        commands.push_back(QStringLiteral("/cue/%1").arg(i));
        oscCues.emplace_back(0, "S" + std::to_string(i), CL::OscProperties(commands.back().toStdString(), "none"));
    }

    CueScheduler::Settings settings;
    settings.spin = spin;
    settings.priority = priority;
    CueScheduler scheduler(settings);
    const QHostAddress loopback(QHostAddress::LocalHost);
    std::unique_ptr<zarn::osc::OscUdpClient> client;
    // No engine set: every cue goes to the default port on this machine, i.e. the receiver.
    zarn::ZarnPlayerOscCallback callback(receiver.Port());
    clockid_t schedulerCpu{};
    std::atomic<bool> started{false};
    scheduler.SetThreadCallbacks(
        [&] {
            pthread_getcpuclockid(pthread_self(), &schedulerCpu);
            client = std::make_unique<zarn::osc::OscUdpClient>();
            client->prepare(loopback);
            started = true;
        },
        [&] { client.reset(); });
    scheduler.SetSendCallback([&](const CueScheduler::Cue& cue) {
        if (sender == Sender::Client)
            client->send(commands[cue.payload], loopback, receiver.Port());
        else
            callback.ExecuteEvent(oscCues[cue.payload], 0);
    });
    scheduler.Start();
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    NullOutput output(kRate);
    const int64_t first = output.BlockFrames() * 10;
    std::vector<Clock::time_point> due(static_cast<size_t>(cues));
    int next = 0; // render thread only
    output.SetRenderCallback([&](float*, int frames) {
        const auto blockTime = Clock::now();
        const int64_t start = output.FramesRendered();
        const uint32_t generation = scheduler.Generation();
        for (; next < cues; ++next) {
            const int64_t frame = first + next * kSpacing;
            if (frame >= start + frames)
                break;
            CueScheduler::Cue cue;
            cue.id = uint64_t(next);
            cue.payload = uint32_t(next);
            cue.generation = generation;
            cue.deadline = CueDeadline(frame, start, blockTime, latencySeconds, kRate);
            due[size_t(next)] = cue.deadline;
            scheduler.Schedule(cue);
        }
    });
    const double cpuBefore = ThreadCpuMs(schedulerCpu);
    const auto wallBefore = Clock::now();
    output.Start();
    const auto giveUp = Clock::now() + std::chrono::milliseconds(cues * kSpacing * 1000 / kRate) + std::chrono::seconds(5);
    while (receiver.Count() < size_t(cues) && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    output.Stop();
    Result result;
    result.schedulerCpuPercent = (ThreadCpuMs(schedulerCpu) - cpuBefore) /
        std::chrono::duration<double, std::milli>(Clock::now() - wallBefore).count() * 100.0;
    result.granted = scheduler.GrantedPriority();
    scheduler.Stop();

    result.expected = size_t(cues);
    for (const test::CueReceiver::Arrival& arrival : receiver.Arrivals()) {
        const int64_t number = test::CueReceiver::CueNumber(arrival.datagram);
        if (number >= 0 && number < cues)
            result.lateMs.push_back(std::chrono::duration<double, std::milli>(arrival.time - due[size_t(number)]).count());
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int cues = argc > 1 ? std::max(10, atoi(argv[1])) : 300;
    const double latencyMs = argc > 2 ? atof(argv[2]) : 10.0;
    const std::string loads = argc > 3 ? argv[3] : "idle,busy";

    std::printf("%d cues %.1f ms apart, output latency %.1f ms; lateness = kernel receive stamp - deadline\n", cues,
                double(kSpacing) * 1000.0 / kRate, latencyMs);
    std::printf("%-5s %-8s %-8s %-9s %8s %8s %8s %8s %6s %9s\n", "load", "spin", "priority", "sender", "p50 ms", "p90 ms",
                "p99 ms", "max ms", "lost", "cpu %");
    for (const char* load : {"idle", "busy"}) {
        if (loads.find(load) == std::string::npos)
            continue;
        std::unique_ptr<test::BusyLoad> busy;
        if (std::strcmp(load, "busy") == 0)
            busy = std::make_unique<test::BusyLoad>(2);
        struct Run
        {
            Sender sender;
            Priority priority;
            std::chrono::microseconds spin;
        };
        std::vector<Run> runs;
        for (const Priority priority : {Priority::Unchanged, Priority::Raised, Priority::RealTime})
            for (const int spinUs : {0, 100, 500})
                runs.push_back({Sender::Client, priority, std::chrono::microseconds(spinUs)});
        runs.push_back({Sender::Callback, Priority::RealTime, std::chrono::microseconds(500)});
        for (const Run& run : runs) {
            const Result r = Measure(cues, latencyMs / 1000.0, run.spin, run.priority, run.sender);
            std::printf("%-5s %-8s %-8s %-9s %8.3f %8.3f %8.3f %8.3f %6zu %9.2f\n", load,
                        (std::to_string(run.spin.count()) + " us").c_str(), PriorityName(r.granted),
                        run.sender == Sender::Client ? "client" : "callback", percentile(r.lateMs, 0.5),
                        percentile(r.lateMs, 0.9), percentile(r.lateMs, 0.99), percentile(r.lateMs, 1.0),
                        r.expected - r.lateMs.size(), r.schedulerCpuPercent);
            std::fflush(stdout);
        }
    }
    return 0;
}
