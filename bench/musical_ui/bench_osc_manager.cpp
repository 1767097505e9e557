// The OSC settings window's figures:
//   bench_osc_manager --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - open: the controller made on the real engine over a copy of the demo show, with its
//   destination list and its window loaded (hidden, as the opener gets it), then destroyed
//   with its deferred deletions (untimed);
// - next free id and the rows back to destinations, on a list of 100 rows whose ids are
//   NETWORK0 to NETWORK99 (the search starts at the row count, so the id costs one scan of
//   every row).
#include "QuickBenchmarkMain.h"
#include "DemoShowEngine.h"
#include "Interface.h"
#include "NetworkListModel.h"
#include "OscManagerController.h"
#include "QmlModuleLoader.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct DemoShow
{
    DemoShow()
    {
        CopyDemoShow(dir);
        engine = StartDemoEngine(dir);
        zarn::qt::QmlModuleLoader::PrepareEngine(qml);
        main.resize(800, 600);
        main.show();
    }
    QTemporaryDir dir;
    std::shared_ptr<AudioInterface> engine;
    QQmlEngine qml;
    QQuickWindow main;
};

std::unique_ptr<DemoShow>& Show()
{
    static std::unique_ptr<DemoShow> show;
    if (!show)
        show = std::make_unique<DemoShow>();
    return show;
}

CL::NetworkPathVectorT HundredRows()
{
    CL::NetworkPathVectorT paths;
    for (int i = 0; i < 100; ++i)
        paths.emplace_back("NETWORK" + std::to_string(i), "Desk " + std::to_string(i), "10.0.0." + std::to_string(i),
                           9000 + i, i % 2);
    return paths;
}

void BM_OpenWindow(benchmark::State& state)
{
    DemoShow& show = *Show();
    for (auto _ : state) {
        auto manager = std::make_unique<zarn::qt::OscManagerController>(&show.qml, zarn::osc::OscSettings(), show.engine,
                                                                        &show.main);
        benchmark::DoNotOptimize(manager->GetQmlObject());
        state.PauseTiming();
        manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond);

void BM_NextFreeNetworkId(benchmark::State& state)
{
    zarn::NetworkListModel model(HundredRows());
    for (auto _ : state)
        benchmark::DoNotOptimize(model.nextFreeNetworkId());
}
BENCHMARK(BM_NextFreeNetworkId)->Unit(benchmark::kMicrosecond);

void BM_RowsBackToDestinations(benchmark::State& state)
{
    zarn::NetworkListModel model(HundredRows());
    for (auto _ : state)
        benchmark::DoNotOptimize(model.ToNetworkPaths());
}
BENCHMARK(BM_RowsBackToDestinations)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_osc_manager", [] { Show().reset(); });
}
