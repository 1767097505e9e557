// Saving and sharing the edits from the main window, on the real window and the real engine
// (manual clock, no sound) over a copy of the demo show:
//   taskset -c 0,1 bench_save --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - save: the edit bar's Save, from the request to the return of the main window's slot: the
//   scan of the show folder for the newest version, the engine's write of the next minor and
//   its reload, the edit panel's flags and label, and the "Save Complete" dialog made;
// - share over loopback: the same for Share against the reference server on 127.0.0.1 over a
//   temporary copy of the demo server root: the server's list, the write of the next major,
//   the upload and the "Share Complete" dialog;
// - version scan: the scan alone.
// Between steps, untimed: the written file is removed (locally and on the server) so every
// step writes the same version, the edits are marked again, deferred deletions and the event
// loop run.
#include "QuickBenchmarkMain.h"
#include "ChangeLogVersions.h"
#include "DialogController.h"
#include "EditController.h"
#include "MainWindowFixture.h"
#include "ReferenceServerProcess.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString DialogTitle(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
}

void Settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The main window over the demo show, its server a copy of the demo server root served by
// the reference server on loopback.
struct Window
{
    MainWindowFixture f;
    QTemporaryDir root;
    std::unique_ptr<ReferenceServerProcess> server;

    Window()
    {
        std::filesystem::copy(CORVANE_DEMO_SERVER_ROOT, root.path().toStdString(),
                              std::filesystem::copy_options::recursive);
        server = std::make_unique<ReferenceServerProcess>(root.path());
        QString problem;
        if (!server->Start(&problem))
            throw std::runtime_error(problem.toStdString());
        const QString demoRoot = QStringLiteral(CORVANE_DEMO_SERVER_ROOT);
        QFile credential(QDir(f.showFolder).filePath(QStringLiteral("credential.json")));
        const QByteArray credentialBytes = ReadAll(demoRoot + QStringLiteral("/show/credential.json"));
        if (!credential.open(QIODevice::WriteOnly) || credential.write(credentialBytes) != credentialBytes.size())
            throw std::runtime_error("cannot install the credential");
        credential.close();
        cmn::ShowRecord record;
        record.id = "lanterns";
        record.folder = "lanterns";
        record.showName = "Lanterns";
        record.customerName = "Hall Theatre";
        record.authHash = QJsonDocument::fromJson(ReadAll(demoRoot + QStringLiteral("/server.json")))
                              .object()
                              .value(QStringLiteral("authHash"))
                              .toString()
                              .toStdString();
        record.apiBaseUrl = server->BaseUrl().toStdString();
        cmn::ShowStore::Write(f.dataFolder.toStdString(), record.id, {record});
        f.Create();
        Settle();
    }

    zarn::qt::EditController& Edit() const { return *f.controller->GetEditController(); }
    QString Title() const { return DialogTitle(f.controller->GetCurrentDialog()); }
};

std::unique_ptr<Window> g_window;

Window& TheWindow()
{
    if (!g_window)
        g_window = std::make_unique<Window>();
    return *g_window;
}

template <class Step>
void Run(benchmark::State& state, const QString& written, const QString& title, Step&& step,
         const QString& alsoRemove = QString())
{
    Window& w = TheWindow();
    const QString path = QDir(w.f.showFolder).filePath(written);
    for (auto _ : state) {
        w.Edit().MarkChangeLogModified();
        Settle();
        const auto t0 = Clock::now();
        step(w);
        state.SetIterationTime(Seconds(Clock::now() - t0));
        const bool done = QFileInfo::exists(path) && w.Title() == title;
        QFile::remove(path);
        if (!alsoRemove.isEmpty())
            QFile::remove(QDir(w.root.path()).filePath(alsoRemove));
        Settle();
        if (!done) {
            state.SkipWithError(("no " + written.toStdString() + " with \"" + title.toStdString() + "\": \""
                                 + w.Title().toStdString() + "\"")
                                    .c_str());
            break;
        }
    }
}

void BM_Save(benchmark::State& state)
{
    Run(state, QStringLiteral("lanterns-1.1.logdata"), QStringLiteral("Save Complete"),
        [](Window& w) { w.f.controller->onSaveButton(); });
}
BENCHMARK(BM_Save)->Name("save")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ShareLoopback(benchmark::State& state)
{
    // The demo server holds 1.0 and 2.0.
    Run(state, QStringLiteral("lanterns-3.0.logdata"), QStringLiteral("Share Complete"),
        [](Window& w) { w.f.controller->onSaveAndUploadButton(); }, QStringLiteral("changelogs/lanterns-3.0.logdata"));
}
BENCHMARK(BM_ShareLoopback)->Name("share over loopback")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_VersionScan(benchmark::State& state)
{
    const std::string folder = QDir(TheWindow().f.showFolder).absolutePath().toStdString();
    for (auto _ : state) {
        auto version = zarn::qt::NewestLogVersion(zarn::qt::FileNamesIn(folder));
        benchmark::DoNotOptimize(version);
    }
}
BENCHMARK(BM_VersionScan)->Name("version scan")->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_save", [] { g_window.reset(); });
}
