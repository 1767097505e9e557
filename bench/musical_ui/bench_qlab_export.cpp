// The QLab network patch on the demo show, over the real engine (manual clock, no sound):
//   taskset -c 0,1 bench_qlab_export --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - export: the OSC settings window's whole export, folder text to file in place: the engine's
//   song list, the document made in memory, the temporary file written, synced and renamed;
// - render: the document alone, into memory;
// - choice list: a combo box's list of sixteen choices made and read back through its roles,
//   as a MIDI command row fills and shows one.
#include "DemoShowEngine.h"
#include "QLabFileWriter.h"
#include "StringValueListModel.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

struct DemoShow
{
    DemoShow()
    {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        CopyDemoShow(dir);
        engine = StartDemoEngine(dir);
    }
    QTemporaryDir dir;
    std::shared_ptr<AudioInterface> engine;
};

DemoShow& Demo()
{
    static DemoShow demo;
    return demo;
}

void BM_QLabExport(benchmark::State& state)
{
    QTemporaryDir out;
    QLabFileWriter writer(Demo().engine);
    const QString folder = QUrl::fromLocalFile(out.path()).toString();
    for (auto _ : state) {
        const QLabFileWriter::ExportResult result = writer.ExportToFolder(folder);
        if (!result.ok)
            state.SkipWithError(result.reason.toUtf8().constData());
    }
}
BENCHMARK(BM_QLabExport)->Unit(benchmark::kMicrosecond);

void BM_QLabRender(benchmark::State& state)
{
    QLabFileWriter writer(Demo().engine);
    for (auto _ : state) {
        std::ostringstream text;
        writer.Write(text);
        benchmark::DoNotOptimize(text.str().size());
    }
}
BENCHMARK(BM_QLabRender)->Unit(benchmark::kMicrosecond);

void BM_ChoiceList(benchmark::State& state)
{
    for (auto _ : state) {
        StringValueListModel model;
        for (int i = 0; i < 16; ++i)
            model.append({QStringLiteral("Status %1").arg(i), 128 + 16 * (i % 8)});
        int sum = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row);
            sum += model.data(index, StringValueListModel::ValueRole).toInt();
            sum += model.data(index, StringValueListModel::DisplayNameRole).toString().size();
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ChoiceList)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
