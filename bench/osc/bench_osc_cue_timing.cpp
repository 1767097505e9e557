// Outgoing cues: how late each arrives at a loopback receiver after its hand-off plus
// its delay, and how long ExecuteEvent keeps the engine's thread.
#include "LoopbackReceiver.h"
#include "OscFakeEngine.h"
#include "OscMessage.h"
#include "Percentiles.h"
#include "ZarnPlayerOscCallback.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

void BM_CueLateness(benchmark::State& state)
{
    const auto delay = std::uint32_t(state.range(0));
    const long cues = state.range(1);
    // Spaced so that the eight send threads never all sleep at once.
    const auto spacing = std::chrono::microseconds(2000 + std::int64_t(delay) * 1000 / 6);

    std::vector<double> lateUs;
    std::vector<double> executeUs;
    for (auto _ : state) {
        LoopbackReceiver receiver(true);
        auto engine = std::make_shared<OscFakeEngine>();
        engine->networks["console"] = CL::NetworkPath("console", "Lighting", "127.0.0.1", receiver.port());
        engine->playing = true;
        zarn::ZarnPlayerOscCallback callback(9);
        callback.SetPlayer(engine);

        std::map<QByteArray, Clock::time_point> dueByDatagram;
        const auto start = Clock::now();
        for (long i = 0; i < cues; ++i) {
            std::this_thread::sleep_until(start + i * spacing);
            const std::string command = "/cue/" + std::to_string(i) + "/go";
            const CL::Osc cue(0, "S" + std::to_string(i), CL::OscProperties(command, "console"));
            const auto handOff = Clock::now();
            callback.ExecuteEvent(cue, delay);
            executeUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - handOff).count());
            dueByDatagram[zarn::osc::EncodeOscMessage(QString::fromStdString(command))] =
                handOff + std::chrono::milliseconds(delay);
        }
        const auto waitUntil = Clock::now() + std::chrono::milliseconds(delay) + std::chrono::seconds(2);
        while (receiver.count() < std::size_t(cues) && Clock::now() < waitUntil)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (const auto& arrival : receiver.arrivals()) {
            const auto due = dueByDatagram.find(arrival.datagram);
            if (due != dueByDatagram.end())
                lateUs.push_back(std::chrono::duration<double, std::micro>(arrival.time - due->second).count());
        }
        state.counters["received"] = double(receiver.count());
    }
    state.counters["late_p50_us"] = percentile(lateUs, 0.50);
    state.counters["late_p99_us"] = percentile(lateUs, 0.99);
    state.counters["late_min_us"] = percentile(lateUs, 0.0);
    state.counters["execute_p50_us"] = percentile(executeUs, 0.50);
    state.counters["execute_p99_us"] = percentile(executeUs, 0.99);
}
BENCHMARK(BM_CueLateness)
    ->Args({0, 1000})->Args({50, 300})->Args({500, 100})->Args({2000, 40})
    ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
