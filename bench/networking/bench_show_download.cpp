// Show download from the reference server on loopback, and the file list of a large show.
//   bench_show_download --benchmark_repetitions=5
// Reports bytes per second, the client's and the server's peak resident memory, and the
// median time of a 2,000-file list (answered by the warm server and parsed by the client).
#include "DownloadPlan.h"
#include "LargeFile.h"
#include "NetworkApiInterface.h"
#include "PerformShowDownload.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr const char* kAuth = "b3nchb3nchb3nch";

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

void WriteRoot(const QString& root)
{
    WriteFile(QDir(root).filePath("server.json"),
              QJsonDocument(QJsonObject{{"authHash", kAuth}, {"record", QJsonObject{{"id", "bench"}}}}).toJson());
    QDir().mkpath(QDir(root).filePath("changelogs"));
}

long StatusKb(const QString& statusFile, const char* key)
{
    std::ifstream in(statusFile.toStdString());
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stol(line.substr(std::string(key).size()));
        }
    }
    return -1;
}

void ResetPeak(const QString& pid)
{
    std::ofstream(("/proc/" + pid + "/clear_refs").toStdString()) << "5";
}

class Server {
public:
    explicit Server(const QString& root)
    {
        process_.start(QStringLiteral(REFERENCE_SERVER_PATH), {"--root", root, "--port", "0"});
        process_.waitForStarted(10000);
        while (process_.waitForReadyRead(60000)) {
            const QByteArray line = process_.readLine();
            if (line.startsWith("LISTENING ")) {
                base_ = QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(line.mid(10).trimmed());
                break;
            }
        }
    }
    ~Server()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    const QString& Base() const { return base_; }
    QString Pid() const { return QString::number(process_.processId()); }

private:
    QProcess process_;
    QString base_;
};

void BM_ShowDownload(benchmark::State& state)
{
    QTemporaryDir root;
    WriteRoot(root.path());
    const qint64 kBytes = state.range(0) * 1024 * 1024;
    // A show's usual shape: a few long audio files and some small ones.
    for (int i = 0; i < 4; ++i) {
        WriteLargeFile(QDir(root.path()).filePath(QStringLiteral("show/audio/song%1.wav").arg(i)), kBytes / 4);
    }
    WriteFile(QDir(root.path()).filePath("show/show.json"), "{}");
    Server server(root.path());
    QTemporaryDir target;
    long clientPeak = 0;
    long clientBase = 0;
    long serverPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString show = QDir(target.path()).filePath("show");
        QDir(show).removeRecursively();
        ResetPeak("self");
        ResetPeak(server.Pid());
        clientBase = StatusKb("/proc/self/status", "VmRSS:");
        state.counters["client_idle_anon_MB"] = StatusKb("/proc/self/status", "RssAnon:") / 1024.0;
        state.counters["client_idle_file_MB"] = StatusKb("/proc/self/status", "RssFile:") / 1024.0;
        state.ResumeTiming();

        zarn::networking::NetworkApiInterface api(server.Base().toStdString());
        api.SetCredential(kAuth, 1);
        auto files = api.GetAllShowFiles();
        if (!files.data) {
            state.SkipWithError(files.message.c_str());
            return;
        }
        auto plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                           show.toStdString());
        std::atomic<bool> cancel{false};
        zarn_download::PerformShowDownload(kAuth, std::make_shared<zarn::networking::DownloadCallbacks>(), &cancel, "",
                                           1, plan.get());

        state.PauseTiming();
        clientPeak = StatusKb("/proc/self/status", "VmHWM:");
        serverPeak = StatusKb("/proc/" + server.Pid() + "/status", "VmHWM:");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (kBytes + 2));
    state.counters["client_peak_rss_MB"] = clientPeak / 1024.0;
    // What the download itself added on top of the idle process (Qt, the benchmark library).
    state.counters["client_download_MB"] = (clientPeak - clientBase) / 1024.0;
    state.counters["server_peak_rss_MB"] = serverPeak / 1024.0;
}
// 200 MB is the show size that matters; 20 MB shows what is fixed cost (the network
// manager, its thread and plugins) rather than buffering that grows with the download.
BENCHMARK(BM_ShowDownload)->ArgName("MB")->Arg(200)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

QTemporaryDir* ManyFilesRoot()
{
    static QTemporaryDir* root = [] {
        auto* dir = new QTemporaryDir;
        WriteRoot(dir->path());
        for (int i = 0; i < 2000; ++i) {
            WriteFile(QDir(dir->path()).filePath(QStringLiteral("show/audio/%1/file%2.wav").arg(i / 100).arg(i)),
                      QByteArray(512 + i, static_cast<char>(i)));
        }
        return dir;
    }();
    return root;
}

void BM_FileList2000_Http(benchmark::State& state)
{
    Server server(ManyFilesRoot()->path()); // warms its hashes before it listens
    zarn::networking::NetworkApiInterface api(server.Base().toStdString());
    api.SetCredential(kAuth, 1);
    for (auto _ : state) {
        auto files = api.GetAllShowFiles();
        if (!files.data || files.data->files.size() != 2000) {
            state.SkipWithError("file list incomplete");
            return;
        }
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_FileList2000_Http)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FileList2000_FileBaseCold(benchmark::State& state)
{
    const std::string base = QUrl::fromLocalFile(ManyFilesRoot()->path()).toString().toStdString();
    for (auto _ : state) {
        // A new client each time: the handler hashes all 2,000 files afresh.
        zarn::networking::NetworkApiInterface api(base);
        api.SetCredential(kAuth, 1);
        auto files = api.GetAllShowFiles();
        if (!files.data || files.data->files.size() != 2000) {
            state.SkipWithError("file list incomplete");
            return;
        }
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_FileList2000_FileBaseCold)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete ManyFilesRoot();
    return 0;
}
