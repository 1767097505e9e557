// The start-up's figures, offscreen:
//   taskset -c 0,1 bench_startup_download --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true \
//     --benchmark_report_aggregates_only=true
// - StartupCheck: the file list, plan and validation of the installed and complete demo show
//   over file:// (what every start pays before a window opens), and the same asked of a server
//   that refuses the connection;
// - MainWindow: from the launcher's construction to its main window, with nothing to fetch:
//   "direct" makes the main window controller alone (no check at all), "file" checks with the
//   demo root over file://, "refused" with a server that refuses the connection, "silent" with
//   one that accepts and never answers the file list;
// - Download200MB: a 200 MB show (four 50 MB files) from the reference server on loopback,
//   "bare" through the library on a worker thread with no callbacks, "window" through the
//   download controller with its window on screen, until the launcher would see the
//   completion. gap_ms is the GUI thread's longest stretch without running its event loop
//   (a 1 ms timer's longest interval) during the download.
// The main window uses the test profile's real engine on a manual clock, without sound.
#include "QuickBenchmarkMain.h"
#include "IsolatedDataHome.h"
#include "LargeFile.h"
#include "Launcher.h"
#include "MusicalMainController.h"
#include "NetworkApiInterface.h"
#include "PerformShowDownload.h"
#include "QmlModuleLoader.h"
#include "ReferenceServerProcess.h"
#include "ShowDownloaderController.h"
#include "ShowInstaller.h"
#include "ShowUpdateCheck.h"
#include "TestPlayerProfile.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Keeps what the check writes to standard error off the report.
class CerrSilenced
{
public:
    CerrSilenced() : old_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~CerrSilenced() { std::cerr.rdbuf(old_); }

private:
    std::ostringstream sink_;
    std::streambuf* old_;
};

// The demo installed from a copy of its server root into a fresh data home and fetched once,
// so that a start has nothing to fetch.
struct InstalledDemo {
    IsolatedDataHome home;
    QTemporaryDir root;
    std::filesystem::path dataFolder;

    InstalledDemo()
    {
        std::filesystem::copy(CORVANE_DEMO_ROOT, root.path().toStdString(), std::filesystem::copy_options::recursive);
        dataFolder = std::filesystem::path(home.path().toStdString()) / TestPlayerProfile().folderName.toStdString();
        zarn::tools::ShowInstaller::Install(root.path().toStdString(), dataFolder);
        const cmn::ShowStore store(dataFolder);
        auto plan = zarn::qt::FetchDownloadPlan(store.ApiBaseUrl(), store.CurrentShowRecord().AuthenticationHash(), 1,
                                                store.CurrentShowFolder().string());
        std::atomic<bool> cancel{false};
        zarn_download::PerformShowDownload(store.CurrentShowRecord().AuthenticationHash(),
                                           std::make_shared<zarn::networking::DownloadCallbacks>(), &cancel, "", 1,
                                           plan.get());
    }

    void PointAt(const std::string& base) const
    {
        const cmn::ShowStore installed(dataFolder);
        std::vector<cmn::ShowRecord> records = installed.Shows();
        for (cmn::ShowRecord& record : records)
            record.apiBaseUrl = base;
        cmn::ShowStore::Write(dataFolder, installed.CurrentShowId(), records, base);
    }
};

void BM_StartupCheck(benchmark::State& state)
{
    const bool refused = state.range(0) == 1;
    InstalledDemo demo;
    if (refused)
        demo.PointAt("http://127.0.0.1:1");
    const cmn::ShowStore store(demo.dataFolder);
    for (auto _ : state) {
        CerrSilenced quiet;
        auto plan = zarn::qt::FetchDownloadPlan(store.ApiBaseUrl(), store.CurrentShowRecord().AuthenticationHash(), 1,
                                                store.CurrentShowFolder().string());
        if (!plan->empty()) {
            state.SkipWithError("the installed demo lacks files");
            return;
        }
    }
}
BENCHMARK(BM_StartupCheck)->ArgName("file0_refused1")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

enum class Check { Direct, File, Refused, Silent };

void BM_MainWindow(benchmark::State& state)
{
    const auto check = static_cast<Check>(state.range(0));
    InstalledDemo demo;
    std::unique_ptr<ReferenceServerProcess> server;
    if (check == Check::Refused) {
        demo.PointAt("http://127.0.0.1:1");
    } else if (check == Check::Silent) {
        server = std::make_unique<ReferenceServerProcess>(
            demo.root.path(), QStringList{"--slow-path", "/show/files", "--slow-ms", "600000"});
        QString problem;
        if (!server->Start(&problem)) {
            state.SkipWithError(qPrintable(problem));
            return;
        }
        demo.PointAt(server->BaseUrl().toStdString());
    }
    QQmlApplicationEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    {
        // The engine's first window compiles and caches the screens; no start pays it twice.
        TestPlayerProfile profile;
        zarn::qt::MusicalMainController warmUp(&qml, &profile);
    }
    FlushDeletes();
    for (auto _ : state) {
        CerrSilenced quiet;
        const auto start = Clock::now();
        bool opened = false;
        if (check == Check::Direct) {
            TestPlayerProfile profile;
            auto main = std::make_unique<zarn::qt::MusicalMainController>(&qml, &profile);
            opened = main->GetQmlObject() != nullptr;
            state.SetIterationTime(Seconds(Clock::now() - start));
            main.reset();
        } else {
            auto launcher = std::make_unique<zarn::qt::Launcher>(&qml, std::make_unique<TestPlayerProfile>(), nullptr);
            opened = launcher->GetMainController() != nullptr;
            state.SetIterationTime(Seconds(Clock::now() - start));
            launcher.reset();
        }
        FlushDeletes();
        if (!opened) {
            state.SkipWithError("no main window");
            return;
        }
    }
}
BENCHMARK(BM_MainWindow)
    ->ArgName("direct0_file1_refused2_silent3")
    ->Arg(0)->Arg(1)->Arg(2)->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

constexpr const char* kAuth = "b3nchb3nchb3nch";
constexpr qint64 kShowBytes = 200LL * 1024 * 1024;

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// The server issue's benchmark show: four long audio files and a small one.
QTemporaryDir* largeShowRoot = nullptr;

QTemporaryDir* LargeShowRoot()
{
    if (!largeShowRoot) {
        auto* dir = new QTemporaryDir;
        WriteFile(QDir(dir->path()).filePath("server.json"),
                  QJsonDocument(QJsonObject{{"authHash", kAuth}, {"record", QJsonObject{{"id", "bench"}}}}).toJson());
        QDir().mkpath(QDir(dir->path()).filePath("changelogs"));
        for (int i = 0; i < 4; ++i)
            WriteLargeFile(QDir(dir->path()).filePath(QStringLiteral("show/audio/song%1.wav").arg(i)), kShowBytes / 4);
        WriteFile(QDir(dir->path()).filePath("show/show.json"), "{}");
        largeShowRoot = dir;
    }
    return largeShowRoot;
}

// The GUI thread's longest stretch between two turns of a 1 ms timer.
class GapWatch
{
public:
    GapWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void Start()
    {
        longest_ = {};
        last_ = Clock::now();
        timer_.start();
    }
    double StopMs()
    {
        timer_.stop();
        return std::chrono::duration<double, std::milli>(longest_).count();
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
};

void BM_Download200MB(benchmark::State& state)
{
    const bool throughWindow = state.range(0) == 1;
    ReferenceServerProcess server(LargeShowRoot()->path());
    QString problem;
    if (!server.Start(&problem)) {
        state.SkipWithError(qPrintable(problem));
        return;
    }
    QQmlApplicationEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QTemporaryDir target;
    GapWatch gaps;
    double gapMs = 0;
    for (auto _ : state) {
        const QString show = QDir(target.path()).filePath("show");
        QDir(show).removeRecursively();
        zarn::networking::NetworkApiInterface api(server.BaseUrl().toStdString());
        api.SetCredential(kAuth, 1);
        auto files = api.GetAllShowFiles();
        if (!files.data) {
            state.SkipWithError(files.message.c_str());
            return;
        }
        auto plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                           show.toStdString());
        cmn::ShowRecord record;
        record.authHash = kAuth;
        QEventLoop loop;
        QTimer::singleShot(600000, &loop, [&loop] { loop.exit(1); });
        std::unique_ptr<zarn::qt::ShowDownloaderController> controller;
        std::thread bare;
        if (throughWindow) {
            controller = std::make_unique<zarn::qt::ShowDownloaderController>(&qml, nullptr, 1);
            QObject::connect(controller.get(), &zarn::qt::ShowDownloaderController::DownloadCompleteSignal, &loop,
                             [&loop] { loop.exit(0); }, Qt::QueuedConnection);
            // The window is on screen before the clock starts, as at a start.
            QCoreApplication::processEvents();
        }
        gaps.Start();
        const auto start = Clock::now();
        if (throughWindow) {
            controller->Download(record, std::move(plan));
        } else {
            bare = std::thread([&loop, &plan, &record] {
                std::atomic<bool> cancel{false};
                zarn_download::PerformShowDownload(record.AuthenticationHash(),
                                                   std::make_shared<zarn::networking::DownloadCallbacks>(), &cancel,
                                                   "", 1, plan.get());
                QMetaObject::invokeMethod(&loop, [&loop] { loop.exit(0); }, Qt::QueuedConnection);
            });
        }
        const int rc = loop.exec();
        state.SetIterationTime(Seconds(Clock::now() - start));
        gapMs = std::max(gapMs, gaps.StopMs());
        if (bare.joinable())
            bare.join();
        const bool complete = !throughWindow || controller->FetchedEveryFile();
        controller.reset();
        FlushDeletes();
        if (rc != 0 || !complete || QFileInfo(QDir(show).filePath("audio/song3.wav")).size() != kShowBytes / 4) {
            state.SkipWithError("the download did not complete");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * kShowBytes);
    state.counters["gap_ms"] = gapMs;
}
BENCHMARK(BM_Download200MB)
    ->ArgName("bare0_window1")
    ->Arg(0)->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_startup_download", [] { delete largeShowRoot; });
}
