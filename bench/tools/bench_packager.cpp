// The show packager's Package button end to end: a 200 MB show (the download benchmark's
// shape: four long incompressible audio files, a record and a change log) with a 100-page
// score, packed by PackagerController::package() while the GUI thread's event loop runs.
//   taskset -c 0,1 bench_packager --benchmark_repetitions=5
// Reports MB/s over the show's bytes and the GUI thread's longest stall (the widest gap
// between two turns of its event loop) while the job ran.
#include "LargeFile.h"
#include "PackagerController.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

void BM_PackageShow(benchmark::State& state)
{
    QTemporaryDir source;
    QTemporaryDir pages;
    const qint64 bytes = state.range(0) * 1024 * 1024;
    for (int i = 0; i < 4; ++i)
        WriteLargeFile(QDir(source.path()).filePath(QStringLiteral("audio/song%1.wav").arg(i)), bytes / 4);
    WriteFile(QDir(source.path()).filePath("show.json"), "{\"name\":\"Bench\"}");
    WriteFile(QDir(source.path()).filePath("bench-1.0.logdata"), QByteArray(4096, 'x'));
    const QDir demoPages(QStringLiteral(CORVANE_DEMO_PAGES));
    const QStringList demo = demoPages.entryList({"*.png"}, QDir::Files, QDir::Name);
    for (int page = 1; page <= 100; ++page)
        QFile::copy(demoPages.filePath(demo[(page - 1) % demo.size()]),
                    QDir(pages.path()).filePath(QStringLiteral("page%1.png").arg(page)));

    double longestStallMs = 0;
    for (auto _ : state) {
        QTemporaryDir destination;
        zarn::tools::PackagerController controller;
        controller.setName(QStringLiteral("Bench Show"));
        controller.setSourceDirectory(source.path());
        controller.setImageDirectory(pages.path());
        controller.setDestinationDirectory(destination.path());
        QEventLoop loop;
        QObject::connect(&controller, &zarn::tools::PackagerController::messageChanged, &loop, [&] {
            if (controller.message())
                loop.quit();
        });
        QElapsedTimer sinceTurn;
        double stall = 0;
        QTimer beat;
        beat.setInterval(1);
        QObject::connect(&beat, &QTimer::timeout, &loop, [&] {
            stall = std::max(stall, sinceTurn.nsecsElapsed() / 1e6);
            sinceTurn.restart();
        });
        sinceTurn.start();
        beat.start();
        controller.package();
        loop.exec();
        beat.stop();
        stall = std::max(stall, sinceTurn.nsecsElapsed() / 1e6);
        if (!controller.messageBody().startsWith(QStringLiteral("Packed "))) {
            state.SkipWithError(qPrintable(controller.messageBody()));
            break;
        }
        longestStallMs = std::max(longestStallMs, stall);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["gui_longest_stall_ms"] = longestStallMs;
}
BENCHMARK(BM_PackageShow)->ArgName("MB")->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
