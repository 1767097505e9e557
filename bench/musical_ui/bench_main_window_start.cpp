// Cold start of the program on an installed show with nothing to fetch: from the moment the
// kernel started the process to the main window's first frame on screen.
//   bench_main_window_start [--runs N]
// The parent prepares a fresh data folder pointed at the demo server root, lets one untimed
// child fetch the show, then starts N children (10 unless told) one after the other and
// prints each one's figures, the median, the minimum and the maximum. A child
// (`--child`) is the program itself: the edition's application object runs exactly as main
// does; the only addition is a watcher, installed when the application object is made, that
// stamps the steps on the way (application object made, main window shown, its first scene
// sync, its first frame rendered) and the main window's first frame swapped, then ends the
// run. The steps show where the time goes; the figure is the last one.
//
// The start comes from /proc/self/stat (its field 22, in clock ticks since boot, so it is
// rounded down to 10 ms and the figure is up to 10 ms long); the end is CLOCK_BOOTTIME,
// the clock that field counts on. The parent's own stamp just before it starts a child
// gives a second, finer figure that also holds the fork and exec.
//
// A private PulseAudio server with a null sink stands in for the machine's sound, as the
// engine opens its output while the window opens. The platform is what the environment
// says: under run_under_xvfb.sh that is X with GL; QT_QPA_PLATFORM=offscreen for the other.
#include "CorvaneApp.h"
#include "GraphicsApiName.h"
#include "Percentiles.h"
#include "PulseNullSink.h"
#include "ShowInstaller.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kChildOption = "--child";
constexpr int kChildTimeoutMs = 60000;

long long BootTimeNs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// When the kernel started this process, in nanoseconds since boot (clock-tick resolution).
long long ProcessStartNs()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The command name may hold blanks and parentheses: the fields that follow start after
    // the last ')', with field 3 (the state) first.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int number = 3; number <= 22; ++number) {
        if (!(fields >> field))
            return -1;
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return static_cast<long long>(std::stoll(field) * (1000000000LL / ticksPerSecond));
}

// --- the child ---

long long g_startNs = 0;
long long g_mainNs = 0;
// First moments of the start, on CLOCK_BOOTTIME; 0 until reached.
std::atomic<long long> g_appNs{0};
std::atomic<long long> g_shownNs{0};
std::atomic<long long> g_syncNs{0};
std::atomic<long long> g_renderedNs{0};
std::atomic<bool> g_frameSeen{false};

void StampOnce(std::atomic<long long>& stamp)
{
    long long unset = 0;
    stamp.compare_exchange_strong(unset, BootTimeNs());
}

double SinceStartMs(long long ns)
{
    return ns ? double(ns - g_startNs) / 1e6 : -1.0;
}

// Runs on the thread that swapped the frame (the render thread with the threaded loop).
void OnFirstFrame(QQuickWindow* window)
{
    if (g_frameSeen.exchange(true))
        return;
    const long long now = BootTimeNs();
    std::printf("FRAME main=%.1f app=%.1f shown=%.1f sync=%.1f rendered=%.1f frame=%.1f frame_boot_ns=%lld "
                "platform=%s api=%s\n",
                SinceStartMs(g_mainNs), SinceStartMs(g_appNs), SinceStartMs(g_shownNs), SinceStartMs(g_syncNs),
                SinceStartMs(g_renderedNs), SinceStartMs(now), now, qPrintable(QGuiApplication::platformName()),
                GraphicsApiName(window));
    std::fflush(stdout);
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

// The main window is the one with the timeline; the notice dialogs have none. It is hooked
// when it is shown, before it can have rendered anything.
class FirstFrameWatch : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!hooked_ && event->type() == QEvent::Show) {
            auto* window = qobject_cast<QQuickWindow*>(watched);
            if (window && window->metaObject()->indexOfProperty("timelineControl") >= 0) {
                hooked_ = true;
                StampOnce(g_shownNs);
                connect(window, &QQuickWindow::beforeSynchronizing, window, [] { StampOnce(g_syncNs); },
                        Qt::DirectConnection);
                connect(window, &QQuickWindow::afterRendering, window, [] { StampOnce(g_renderedNs); },
                        Qt::DirectConnection);
                connect(window, &QQuickWindow::frameSwapped, window, [window] { OnFirstFrame(window); },
                        Qt::DirectConnection);
            }
        }
        return false;
    }

private:
    bool hooked_ = false;
};

// Runs as the application object is made.
void InstallFirstFrameWatch()
{
    StampOnce(g_appNs);
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new FirstFrameWatch(app));
}

int RunChild(char* program)
{
    qAddPreRoutine(InstallFirstFrameWatch);
    // The program sees the arguments an operator's start gives it: none.
    char* args[] = {program, nullptr};
    int exitCode = 0;
    {
        zarn::qt::CorvaneApp app(1, args);
        exitCode = app.ExitCode();
    }
    if (!g_frameSeen) {
        std::fprintf(stderr, "the main window never swapped a frame (exit code %d)\n", exitCode);
        return 1;
    }
    return exitCode;
}

// --- the parent ---

// The moments of one start, in ms since the kernel started it, in the child's order.
const char* const kPhases[] = {"main", "app", "shown", "sync", "rendered", "frame"};
constexpr int kPhaseCount = int(sizeof(kPhases) / sizeof(kPhases[0]));

struct ChildRun
{
    bool ok = false;
    double phaseMs[kPhaseCount] = {};
    double spawnToFrameMs = 0;
    QString platform;
    QString api;
    QString problem;
};

ChildRun StartChild()
{
    ChildRun run;
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(kChildOption)});
    const long long spawnNs = BootTimeNs();
    child.start();
    if (!child.waitForFinished(kChildTimeoutMs)) {
        child.kill();
        child.waitForFinished(5000);
        run.problem = QStringLiteral("no first frame within %1 s").arg(kChildTimeoutMs / 1000);
        return run;
    }
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QString line = out.mid(out.indexOf(QLatin1String("FRAME "))).section(QLatin1Char('\n'), 0, 0);
    QMap<QString, QString> values;
    static const QRegularExpression pair(QStringLiteral("(\\w+)=(\\S+)"));
    for (const QRegularExpressionMatch& match : pair.globalMatch(line))
        values[match.captured(1)] = match.captured(2);
    if (!line.startsWith(QLatin1String("FRAME ")) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        run.problem = QStringLiteral("exit code %1; output: %2; errors: %3")
                          .arg(child.exitCode())
                          .arg(out.trimmed(), QString::fromLocal8Bit(child.readAllStandardError()).right(2000));
        return run;
    }
    run.ok = true;
    for (int i = 0; i < kPhaseCount; ++i)
        run.phaseMs[i] = values.value(QString::fromLatin1(kPhases[i]), QStringLiteral("-1")).toDouble();
    run.spawnToFrameMs = double(values.value(QStringLiteral("frame_boot_ns")).toLongLong() - spawnNs) / 1e6;
    run.platform = values.value(QStringLiteral("platform"));
    run.api = values.value(QStringLiteral("api"));
    return run;
}

// Every file under `folder` with its size and time of last change, to show that the timed
// starts fetched nothing.
std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> Snapshot(
    const std::filesystem::path& folder)
{
    std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] = {entry.file_size(), entry.last_write_time()};
    }
    return files;
}

int RunParent(int argc, char** argv)
{
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }

    // Before anything of Qt: the children find the server through the environment.
    PulseNullSink sink;
    QCoreApplication app(argc, argv);

    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    const std::filesystem::path dataFolder = std::filesystem::path(home.path().toStdString()) / "data" / "corvane";
    try {
        zarn::tools::ShowInstaller::Install(CORVANE_DEMO_SERVER_ROOT, dataFolder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "installing the demo failed: %s\n", e.what());
        return 1;
    }

    std::printf("sound: %s\n", sink.Started() ? "PulseAudio null sink" : qPrintable(sink.Problem()));
    const ChildRun fetch = StartChild();
    const std::filesystem::path showFolder = cmn::ShowStore(dataFolder).CurrentShowFolder();
    if (!fetch.ok || !std::filesystem::exists(showFolder / "show.json")) {
        std::fprintf(stderr, "the untimed first start did not fetch the show: %s\n", qPrintable(fetch.problem));
        return 1;
    }
    std::printf("untimed first start (fetches the demo): %.1f ms, platform %s, %s\n", fetch.phaseMs[kPhaseCount - 1],
                qPrintable(fetch.platform), qPrintable(fetch.api));
    const auto fetched = Snapshot(dataFolder);

    // Each column is ms since the kernel started the process: main() entered, application
    // object made, main window shown, its first scene sync, first frame rendered, first frame
    // swapped; the last column is from just before the parent started the process.
    std::printf("%4s", "run");
    for (const char* phase : kPhases)
        std::printf(" %9s", phase);
    std::printf(" %13s\n", "spawn->frame");
    std::vector<double> phases[kPhaseCount];
    std::vector<double> spawned;
    for (int i = 1; i <= runs; ++i) {
        const ChildRun run = StartChild();
        if (!run.ok) {
            std::fprintf(stderr, "run %d failed: %s\n", i, qPrintable(run.problem));
            return 1;
        }
        std::printf("%4d", i);
        for (int p = 0; p < kPhaseCount; ++p) {
            std::printf(" %9.1f", run.phaseMs[p]);
            phases[p].push_back(run.phaseMs[p]);
        }
        std::printf(" %13.1f\n", run.spawnToFrameMs);
        std::fflush(stdout);
        spawned.push_back(run.spawnToFrameMs);
    }
    std::printf("%4s", "med");
    for (const auto& column : phases)
        std::printf(" %9.1f", percentile(column, 0.5));
    std::printf(" %13.1f\n", percentile(spawned, 0.5));

    const auto after = Snapshot(dataFolder);
    int changed = 0;
    for (const auto& [name, file] : after) {
        const auto before = fetched.find(name);
        if (before == fetched.end() || before->second != file) {
            std::printf("changed by the timed starts: %s\n", name.c_str());
            ++changed;
        }
    }
    if (changed == 0)
        std::printf("the timed starts changed no file in the data folder (%zu files)\n", after.size());
    const std::vector<double>& frames = phases[kPhaseCount - 1];
    std::printf("start->first frame: median %.1f ms, min %.1f ms, max %.1f ms (%d processes)\n",
                percentile(frames, 0.5), percentile(frames, 0.0), percentile(frames, 1.0), runs);
    std::printf("spawn->first frame: median %.1f ms, min %.1f ms, max %.1f ms\n", percentile(spawned, 0.5),
                percentile(spawned, 0.0), percentile(spawned, 1.0));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    g_mainNs = BootTimeNs();
    g_startNs = ProcessStartNs();
    if (argc > 1 && std::strcmp(argv[1], kChildOption) == 0)
        return RunChild(argv[0]);
    return RunParent(argc, argv);
}
