// The engine's figures on the demo show:
//   bench_engine --benchmark_repetitions=5 --benchmark_report_aggregates_only=true [--drift-seconds=600]
// - construction of the engine (show file, change log, threads, MIDI, sound thread);
// - CPU use of the engine's threads while playing, and the longest gap between playhead
//   notifications (real clock, 10 s);
// - drift of the playhead against the steady clock over --drift-seconds of playback at a
//   fixed tempo (real clock; the same stepping the clock thread does).
#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "PlaybackCore.h"
#include "SteadyClock.h"
#include "zarn_core/EventObserver.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

double g_driftSeconds = 600.0;

// CPU time of every thread of the process but the calling one (Linux: /proc/self/task).
double OtherThreadsCpuSeconds()
{
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const std::string self = std::to_string(syscall(SYS_gettid));
    double seconds = 0.0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self)
            continue;
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 2));
        std::string field;
        unsigned long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                utime = std::stoul(field);
            if (i == 15)
                stime = std::stoul(field);
        }
        seconds += double(utime + stime) / ticksPerSecond;
    }
    return seconds;
}

std::unique_ptr<AudioInterface> MakeEngine()
{
    AudioInterface::Options options;
    options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
    // The data folder is a scratch folder; the demo show is only read.
    return std::make_unique<AudioInterface>(CORVANE_DEMO_SHOW, "/tmp/corvane-bench-engine-data", nullptr,
                                            std::move(options));
}

void BM_ConstructEngineOnDemoShow(benchmark::State& state)
{
    for (auto _ : state) {
        auto engine = MakeEngine();
        engine->ThrowIfThreadExceptions();
        state.PauseTiming();
        engine->Shutdown();
        engine.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConstructEngineOnDemoShow)->Unit(benchmark::kMillisecond);

void BM_PlayingCpuAndPlayheadGaps(benchmark::State& state)
{
    for (auto _ : state) {
        std::mutex mutex;
        std::chrono::steady_clock::time_point last{};
        double maxGapMs = 0.0;
        std::vector<double> gaps;
        notify::EventObserver observer;
        observer.SetCallbackFunc(
            [&](int, int, const char*, void*) {
                const auto now = std::chrono::steady_clock::now();
                std::lock_guard lock(mutex);
                if (last.time_since_epoch().count() != 0) {
                    gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
                    maxGapMs = std::max(maxGapMs, gaps.back());
                }
                last = now;
            },
            nullptr);
        observer.RegisterPlayhead(13);
        auto engine = MakeEngine();
        engine->LoadSong("4"); // 10 bars at 132 BPM with a tempo scale: longer than the run
        engine->WaitForDeliveries();
        {
            std::lock_guard lock(mutex);
            last = {};
            gaps.clear();
        }
        const double cpu0 = OtherThreadsCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        engine->Play();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double cpu = OtherThreadsCpuSeconds() - cpu0;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        engine->Shutdown();
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
        state.counters["max_playhead_gap_ms"] = maxGapMs;
        std::sort(gaps.begin(), gaps.end());
        state.counters["p99_playhead_gap_ms"] = gaps.empty() ? 0.0 : gaps[gaps.size() * 99 / 100];
        state.counters["median_playhead_gap_ms"] = gaps.empty() ? 0.0 : gaps[gaps.size() / 2];
    }
}
BENCHMARK(BM_PlayingCpuAndPlayheadGaps)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_PlayheadDriftAgainstSteadyClock(benchmark::State& state)
{
    for (auto _ : state) {
        // One long song at a fixed tempo, no flow control.
        auto show = std::make_shared<zarn::player::ShowDefinition>(zarn::player::ShowDefinition::Parse(
            R"({"format":"1.0","showId":"drift","songs":[{"number":"1","title":"Long","startTick":0,
                "lengthTicks":2000000000,"tempos":[{"tick":0,"bpm":123.4}]}]})",
            "drift"));
        zarn::player::PlaybackCore core(show);
        zarn::player::SteadyClock clock;
        auto at = clock.Attach();
        const auto start = at;
        core.Play();
        const auto end = start + std::chrono::duration_cast<zarn::player::Clock::Duration>(
                                     std::chrono::duration<double>(g_driftSeconds));
        while (at < end) {
            const auto now = clock.WaitForNextStep(at);
            core.Advance(std::chrono::duration<double>(now - at).count());
            core.TakeOutput();
            at = now;
        }
        const double wall = std::chrono::duration<double>(at - start).count();
        const double played = core.Position() / (123.4 * 480.0 / 60.0);
        state.counters["drift_ms"] = std::abs(played - wall) * 1000.0;
        state.counters["seconds_played"] = wall;
    }
}
BENCHMARK(BM_PlayheadDriftAgainstSteadyClock)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--drift-seconds=", 16) == 0) {
            g_driftSeconds = std::stod(argv[i] + 16);
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            --i;
        }
    }
    QCoreApplication app(argc, argv); // the sound thread needs an application object
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
