// Parsing and dispatching one received command, the work the GUI thread does per datagram.
#include "OscCommandDispatcher.h"
#include "OscMessage.h"
#include "Percentiles.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace zarn::osc;

namespace {

class CountingHandler : public OscProcInterface
{
public:
    long fades = 0;
    void OnFadeTo(const std::string&, const std::string&, float, float, bool) override { ++fades; }
};

void BM_ParseAndDispatchFadeTo(benchmark::State& state)
{
    const QByteArray datagram = EncodeOscMessage("/zarn/song/12/fadeto -6 2.5");
    auto owned = std::make_unique<CountingHandler>();
    CountingHandler* handler = owned.get();
    OscCommandDispatcher dispatcher(std::move(owned));
    std::vector<double> samples;
    samples.reserve(1 << 20);

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::size_t used = 0;
        const OscMessage message = ParseOscMessage(datagram.constData(), std::size_t(datagram.size()), used);
        dispatcher.Dispatch(message);
        const auto end = std::chrono::steady_clock::now();
        if (samples.size() < samples.capacity())
            samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    if (handler->fades != long(state.iterations()))
        state.SkipWithError("a fade was not dispatched");
    state.counters["p50_us"] = percentile(samples, 0.50);
    state.counters["p99_us"] = percentile(samples, 0.99);
}
BENCHMARK(BM_ParseAndDispatchFadeTo);

void BM_EncodeFadeTo(benchmark::State& state)
{
    const QString command = QStringLiteral("/zarn/song/12/fadeto -6 2.5");
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeOscMessage(command));
}
BENCHMARK(BM_EncodeFadeTo);

} // namespace

BENCHMARK_MAIN();
