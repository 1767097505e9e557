// From switching a running PulseOutput's source from silence to a tone to the first loud
// frame on the sink's monitor, over a private null sink; how far the latency the output
// reports for cue scheduling is off (the render callback's time plus that latency against
// the onset on the monitor); the buffer granted, underruns and the client's CPU while idle.
//   bench_output_latency [trials=20] [target buffer in ms=10]
#include "PulseNullSink.h"
#include "PulseOutput.h"
#include "PulseProbe.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

using namespace zarn::audio;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    PulseNullSink sink;
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const double targetMs = argc > 2 ? atof(argv[2]) : 10.0;
    if (!sink.Started()) {
        std::fprintf(stderr, "PulseAudio cannot run here: %s\n", qPrintable(sink.Problem()));
        return 1;
    }

    std::atomic<bool> loud{false};
    std::atomic<int64_t> predicted{0}; // ns on the steady clock: when the first loud frame is due
    bool wasLoud = false;
    double phase = 0.0;
    PulseOutput output("corvane_null", 48000, targetMs / 1000.0);
    output.SetRenderCallback([&](float* out, int frames) {
        const bool on = loud.load(std::memory_order_relaxed);
        if (on && !wasLoud) {
            const auto due = Clock::now() + std::chrono::duration<double>(output.LatencySeconds());
            predicted = std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
        }
        wasLoud = on;
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = out[2 * i + 1] = on ? float(0.5 * std::sin(phase)) : 0.0f;
            phase = std::fmod(phase + 2 * M_PI * 1000.0 / 48000, 2 * M_PI);
        }
    });
    if (!output.Start()) {
        std::fprintf(stderr, "%s\n", output.Problem().c_str());
        return 1;
    }
    // An idle null sink takes a new stream's frames only after what it rendered ahead.
    if (!WaitUntil([&] { return output.FramesRendered() > 48000 / 10; }, std::chrono::seconds(5))) {
        std::fprintf(stderr, "the null sink takes no frames\n");
        return 1;
    }

    const double cpuBefore = CpuSeconds();
    const Clock::time_point idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double idleCpu = (CpuSeconds() - cpuBefore) / std::chrono::duration<double>(Clock::now() - idleStart).count();

    PulseProbe probe;
    if (!probe.Connected() || !probe.Record("corvane_null.monitor", 48000)) {
        std::fprintf(stderr, "cannot record the monitor: %s\n", probe.Problem().c_str());
        return 1;
    }
    const int64_t underrunsBefore = output.Underruns();
    std::vector<double> ms, errors;
    for (int i = 0; i < trials; ++i) {
        const auto onset = probe.MeasureOnset([&](bool on) { loud = on; });
        if (!onset) {
            std::fprintf(stderr, "trial %d: the sound did not change\n", i);
            return 1;
        }
        ms.push_back(onset->count() * 1000.0);
        const auto heard = std::chrono::duration_cast<std::chrono::nanoseconds>(probe.Onset()->time_since_epoch()).count();
        errors.push_back(double(heard - predicted.load()) / 1e6);
        probe.Take();
    }
    const auto at = [](std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
    };
    std::printf("target buffer %.1f ms, granted %.2f ms\n", targetMs, output.BufferSeconds() * 1000);
    std::printf("source switch to first loud frame on the monitor, %d trials: median %.2f ms, p90 %.2f ms, "
                "min %.2f ms, max %.2f ms\n",
                trials, at(ms, 0.5), at(ms, 0.9), at(ms, 0), at(ms, 1));
    std::printf("onset on the monitor minus (render time + reported latency): median %.2f ms, p10 %.2f ms, "
                "p90 %.2f ms\n",
                at(errors, 0.5), at(errors, 0.1), at(errors, 0.9));
    std::printf("underruns during the trials: %lld; client CPU with the stream idle: %.2f %% of one core\n",
                static_cast<long long>(output.Underruns() - underrunsBefore), idleCpu * 100);
    output.Stop();
    return 0;
}
