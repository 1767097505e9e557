// The output paths window's figures:
//   bench_output_paths --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - build: the controller made for a show of 50 paths whose device file binds every path
//   (reading the file, the window loaded hidden as the show load gets it, the devices applied),
//   then destroyed with its deferred deletions (untimed); 8 devices listed;
// - save: the device file of 50 paths written in place (document, temporary file written,
//   synced and renamed), into a show folder on the temporary folder's file system.
#include "QuickBenchmarkMain.h"
#include "DeviceControlWin32.h"
#include "OutputPathsManagerController.h"
#include "QmlModuleLoader.h"
#include "zarn_core/Directories.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using PathMap = std::map<std::string, CL::OutputPath>;

struct Show
{
    Show()
    {
        std::vector<zarn::audio::AudioDevice> devices;
        for (int i = 0; i < 8; ++i)
            devices.push_back({"Device " + std::to_string(i), "sink-" + std::to_string(i)});
        zarn::audio::DeviceControlWin32::SetDevicesForTesting(devices);
        directories.SetShowDirectory(dir.path().toStdString());
        PathMap saved;
        for (int i = 0; i < 50; ++i) {
            const std::string id = "path-" + std::to_string(1000 + i);
            paths[id] = CL::OutputPath(id, "Speaker " + std::to_string(i), "");
            saved[id] = CL::OutputPath(id, "", "sink-" + std::to_string(i % 8));
        }
        zarn::qt::OutputPathsManagerController::WriteDeviceFile(zarn::qt::OutputPathsManagerController::DeviceFilePath(),
                                                                saved);
        zarn::qt::QmlModuleLoader::PrepareEngine(qml);
        main.resize(800, 600);
        main.show();
    }
    ~Show() { zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::nullopt); }

    QTemporaryDir dir;
    PathMap paths;
    QQmlEngine qml;
    QQuickWindow main;
};

std::unique_ptr<Show>& TheShow()
{
    static std::unique_ptr<Show> show;
    if (!show)
        show = std::make_unique<Show>();
    return show;
}

void BM_BuildWindow50Paths(benchmark::State& state)
{
    Show& show = *TheShow();
    for (auto _ : state) {
        auto manager = std::make_unique<zarn::qt::OutputPathsManagerController>(show.paths, &show.qml, &show.main);
        manager->SetVisible(false);
        benchmark::DoNotOptimize(manager->GetQmlObject());
        state.PauseTiming();
        if (manager->GetModel()->PathDeviceId(49) != QStringLiteral("sink-1"))
            state.SkipWithError("the saved devices were not applied");
        manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildWindow50Paths)->Unit(benchmark::kMillisecond);

void BM_SaveDeviceFile50Paths(benchmark::State& state)
{
    Show& show = *TheShow();
    zarn::qt::OutputPathsManagerController manager(show.paths, &show.qml, &show.main);
    for (auto _ : state)
        manager.SaveDeviceFile();
}
BENCHMARK(BM_SaveDeviceFile50Paths)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_output_paths", [] { TheShow().reset(); });
}
