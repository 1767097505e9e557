// The "Event Log Manager"'s figures:
//   taskset -c 0,1 bench_changelogs --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - BM_LoadLocalLogs/<events>: the local list filled from a show folder of 200 change-log files
//   of <events> markers each (150 events make a file of about 20 KB, 5000 about 650 KB). Every
//   file is read whole to find its "modified" member.
// - BM_ModelWork: the list alone: Clear of 200 rows, 200 Appends, SortByVersion and
//   NotifyAllRowsChanged, with no view attached.
// - BM_LoadServerLogs: the server list filled with 200 shared versions from the reference
//   server on loopback; BM_ServerListRequest is the request alone, and BM_CannedListRequest the
//   same answer served from a prepared file, so the difference is the server's own scan of its
//   change-log folder.
#include "QuickBenchmarkMain.h"

#include "ChangelogListModel.h"
#include "ChangelogManagerController.h"
#include "NetworkApiInterface.h"
#include "QmlModuleLoader.h"
#include "ReferenceServerProcess.h"
#include "ServerRootFixture.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kLogCount = 200;

QByteArray LogWithMarkers(int major, int minor, int events)
{
    QJsonArray list;
    for (int i = 0; i < events; ++i) {
        list.append(QJsonObject{{QStringLiteral("code"), QStringLiteral("E")},
                                {QStringLiteral("id"), QStringLiteral("E%1.1").arg(i + 1)},
                                {QStringLiteral("start"), 1920 * (i + 1)},
                                {QStringLiteral("end"), 0},
                                {QStringLiteral("text"), QStringLiteral("Rehearsal letter %1 before the chorus, strings and brass enter together").arg(i)}});
    }
    const QJsonObject log{{QStringLiteral("format"), QStringLiteral("1.0")},
                          {QStringLiteral("version"),
                           QJsonObject{{QStringLiteral("major"), major}, {QStringLiteral("minor"), minor}}},
                          {QStringLiteral("modified"), 1666893600 + major * 256 + minor},
                          {QStringLiteral("songs"),
                           QJsonObject{{QStringLiteral("1"),
                                        QJsonObject{{QStringLiteral("attacca"), 0}, {QStringLiteral("events"), list}}}}}};
    return QJsonDocument(log).toJson(QJsonDocument::Compact);
}

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// A data folder whose one show is "demo" in folder "demo", talking to `base`.
std::shared_ptr<cmn::ShowStore> InstallShow(const QString& dataFolder, const QString& base)
{
    cmn::ShowRecord record;
    record.id = "demo";
    record.folder = "demo";
    record.showName = "Lanterns";
    record.authHash = ServerRootFixture::kAuth;
    record.apiBaseUrl = base.toStdString();
    cmn::ShowStore::Write(dataFolder.toStdString(), record.id, {record});
    return std::make_shared<cmn::ShowStore>(dataFolder.toStdString());
}

std::unique_ptr<QQmlApplicationEngine>& QmlEngine()
{
    static std::unique_ptr<QQmlApplicationEngine> qml;
    return qml;
}

QQmlApplicationEngine& Qml()
{
    std::unique_ptr<QQmlApplicationEngine>& qml = QmlEngine();
    if (!qml) {
        qml = std::make_unique<QQmlApplicationEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml);
    }
    return *qml;
}

struct LocalFolder
{
    explicit LocalFolder(int events)
    {
        store = InstallShow(data.path(), QStringLiteral("http://127.0.0.1:1"));
        for (int i = 0; i < kLogCount; ++i)
            Write(QDir(data.path()).filePath(QStringLiteral("demo/demo-%1.%2.logdata").arg(i / 100).arg(i % 100)),
                  LogWithMarkers(i / 100, i % 100, events));
        manager = std::make_unique<zarn::qt::ChangelogManagerController>(&Qml(), store, nullptr);
    }
    QTemporaryDir data;
    std::shared_ptr<cmn::ShowStore> store;
    std::unique_ptr<zarn::qt::ChangelogManagerController> manager;
};

std::map<int, std::unique_ptr<LocalFolder>>& LocalFolders()
{
    static std::map<int, std::unique_ptr<LocalFolder>> folders;
    return folders;
}

void BM_LoadLocalLogs(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    auto& folder = LocalFolders()[events];
    if (!folder)
        folder = std::make_unique<LocalFolder>(events);
    for (auto _ : state)
        folder->manager->LoadLocalLogs();
    if (folder->manager->GetLocalList()->rowCount() != kLogCount)
        state.SkipWithError("not every log was listed");
    const auto size = QFileInfo(QDir(folder->data.path()).filePath(QStringLiteral("demo/demo-0.0.logdata"))).size();
    state.counters["KB per file"] = static_cast<double>(size) / 1024.0;
}
BENCHMARK(BM_LoadLocalLogs)->Arg(150)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ModelWork(benchmark::State& state)
{
    std::vector<CL::ChangeLog> logs;
    for (int i = 0; i < kLogCount; ++i) {
        CL::ChangeLog log;
        // Listing order is not version order.
        const int n = (i * 73) % kLogCount;
        log.version = cmn::ZARNVersion(static_cast<std::uint16_t>(n / 100), static_cast<std::uint16_t>(n % 100));
        log.modified = 1666893600u + static_cast<std::uint32_t>(n);
        logs.push_back(log);
    }
    zarn::qt::ChangelogListModel model;
    for (const auto& log : logs)
        model.Append(log);
    for (auto _ : state) {
        model.Clear();
        for (const auto& log : logs)
            model.Append(log);
        model.SortByVersion();
        model.NotifyAllRowsChanged();
    }
}
BENCHMARK(BM_ModelWork)->Unit(benchmark::kMicrosecond);

struct SharedVersions
{
    SharedVersions()
    {
        QDir(root.LogFolder()).removeRecursively();
        QJsonArray list;
        for (int i = 0; i < kLogCount; ++i) {
            const int major = i / 100;
            const int minor = i % 100;
            Write(QDir(root.LogFolder()).filePath(QStringLiteral("demo-%1.%2.logdata").arg(major).arg(minor)),
                  LogWithMarkers(major, minor, 150));
            list.append(QJsonObject{{QStringLiteral("major"), major},
                                    {QStringLiteral("minor"), minor},
                                    {QStringLiteral("date"), 1666893600 + i}});
        }
        const QString canned = QDir(root.Root()).filePath(QStringLiteral("canned-list.json"));
        Write(canned, QJsonDocument(QJsonObject{{QStringLiteral("logs"), list}}).toJson(QJsonDocument::Compact));
        scanning = std::make_unique<ReferenceServerProcess>(root.Root());
        cannedServer = std::make_unique<ReferenceServerProcess>(
            root.Root(), QStringList{QStringLiteral("--canned"), QStringLiteral("/changelogs=") + canned});
        QString why;
        if (!scanning->Start(&why) || !cannedServer->Start(&why))
            throw std::runtime_error(why.toStdString());
        store = InstallShow(data.path(), scanning->BaseUrl());
        QDir(data.path()).mkpath(QStringLiteral("demo"));
        manager = std::make_unique<zarn::qt::ChangelogManagerController>(&Qml(), store, nullptr);
    }
    ServerRootFixture root;
    QTemporaryDir data;
    std::unique_ptr<ReferenceServerProcess> scanning;
    std::unique_ptr<ReferenceServerProcess> cannedServer;
    std::shared_ptr<cmn::ShowStore> store;
    std::unique_ptr<zarn::qt::ChangelogManagerController> manager;
};

std::unique_ptr<SharedVersions>& Shared()
{
    static std::unique_ptr<SharedVersions> shared;
    if (!shared)
        shared = std::make_unique<SharedVersions>();
    return shared;
}

void BM_LoadServerLogs(benchmark::State& state)
{
    SharedVersions& shared = *Shared();
    for (auto _ : state)
        shared.manager->LoadServerLogs();
    if (shared.manager->GetServerList()->rowCount() != kLogCount)
        state.SkipWithError("not every shared version was listed");
}
BENCHMARK(BM_LoadServerLogs)->Unit(benchmark::kMillisecond);

void ListRequest(benchmark::State& state, const QString& base)
{
    zarn::networking::NetworkApiInterface api(base.toStdString());
    api.SetCredential(ServerRootFixture::kAuth, 0);
    for (auto _ : state) {
        const auto result = api.GetAvailableLogs();
        if (!result.data || result.data->size() != static_cast<std::size_t>(kLogCount)) {
            state.SkipWithError("the list did not come");
            break;
        }
    }
}

void BM_ServerListRequest(benchmark::State& state)
{
    ListRequest(state, Shared()->scanning->BaseUrl());
}
BENCHMARK(BM_ServerListRequest)->Unit(benchmark::kMillisecond);

void BM_CannedListRequest(benchmark::State& state)
{
    ListRequest(state, Shared()->cannedServer->BaseUrl());
}
BENCHMARK(BM_CannedListRequest)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_changelogs", [] {
        LocalFolders().clear();
        Shared().reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QmlEngine().reset();
    });
}
