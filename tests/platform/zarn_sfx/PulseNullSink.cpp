#include "PulseNullSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Starts a program with stdout and stderr on outFd (or /dev/null). Everything the child
// needs is prepared before the fork: between fork and exec only async-signal-safe calls.
pid_t Spawn(const QString& program, const QStringList& args, int outFd)
{
    std::vector<std::string> strings{program.toStdString()};
    for (const QString& arg : args)
        strings.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = outFd >= 0 ? outFd : devNull;
        ::dup2(devNull, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (devNull >= 0)
        ::close(devNull);
    return pid;
}

// Waits for a child until the deadline; true with its exit status when it ended.
bool WaitFor(pid_t pid, int timeoutMs, int* status)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const pid_t done = ::waitpid(pid, status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 || timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
}

void Kill(pid_t pid)
{
    int status = 0;
    ::kill(pid, SIGTERM);
    if (!WaitFor(pid, 3000, &status)) {
        ::kill(pid, SIGKILL);
        WaitFor(pid, 3000, &status);
    }
}

} // namespace

PulseNullSink::PulseNullSink()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty()) {
        problem_ = QStringLiteral("pulseaudio or pactl is not installed");
        return;
    }
    if (!dir_.isValid()) {
        problem_ = QStringLiteral("no temporary folder");
        return;
    }
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString socket = dir_.path() + QStringLiteral("/native");
    qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
    qputenv("PULSE_RUNTIME_PATH", dir_.path().toUtf8());
    qputenv("PULSE_STATE_PATH", dir_.path().toUtf8());
    qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    const QString logPath = dir_.path() + QStringLiteral("/server.log");
    const int log = ::open(QFile::encodeName(logPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // A server left behind by a crashed test goes away on its own once idle.
    server_ = Spawn(program,
                    {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=20"), QStringLiteral("-n"),
                     QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                     QStringLiteral("--load=module-null-sink sink_name=corvane_null"),
                     QStringLiteral("--load=module-native-protocol-unix socket=") + socket},
                    log);
    const int spawnError = errno;
    if (log >= 0)
        ::close(log);
    if (server_ < 0) {
        problem_ = QStringLiteral("pulseaudio did not start: ") + QString::fromLocal8Bit(std::strerror(spawnError));
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 8000) {
        bool ok = false;
        Pactl({QStringLiteral("info")}, &ok);
        if (ok) {
            started_ = true;
            return;
        }
        int status = 0;
        if (::waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            break;
        }
        QThread::msleep(100);
    }
    QFile logFile(logPath);
    logFile.open(QIODevice::ReadOnly);
    problem_ = QStringLiteral("pulseaudio did not answer: ") + QString::fromUtf8(logFile.readAll()).left(400);
}

PulseNullSink::~PulseNullSink()
{
    if (server_ > 0)
        Kill(server_);
}

QString PulseNullSink::Pactl(const QStringList& args, bool* ok) const
{
    if (ok)
        *ok = false;
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = Spawn(QStandardPaths::findExecutable(QStringLiteral("pactl")), args, pipe[1]);
    ::close(pipe[1]);
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    if (pid > 0) {
        // Read until the child closes its end or the deadline passes.
        pollfd fd{pipe[0], POLLIN, 0};
        while (timer.elapsed() < 3000 && ::poll(&fd, 1, 50) >= 0) {
            if (!(fd.revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, n);
        }
    }
    ::close(pipe[0]);
    if (pid <= 0)
        return {};
    int status = 0;
    const bool finished = WaitFor(pid, static_cast<int>(std::max<qint64>(0, 3000 - timer.elapsed())), &status);
    if (!finished)
        Kill(pid);
    if (ok)
        *ok = finished && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return QString::fromUtf8(out);
}

QString PulseNullSink::SinkInputs() const
{
    return Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
}

bool PulseNullSink::LoadSink(const QString& name, const QString& description)
{
    if (!started_ || modules_.contains(name))
        return false;
    QStringList args{QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                     QStringLiteral("sink_name=") + name};
    if (!description.isEmpty())
        args << QStringLiteral("sink_properties=device.description=") + description;
    bool ok = false;
    const QString module = Pactl(args, &ok).trimmed();
    if (!ok || module.isEmpty()) {
        qWarning("pactl load-module for %s failed: %s", qPrintable(name), qPrintable(module));
        return false;
    }
    modules_.insert(name, module);
    return true;
}

bool PulseNullSink::UnloadSink(const QString& name)
{
    const auto module = modules_.find(name);
    if (module == modules_.end())
        return false;
    bool ok = false;
    Pactl({QStringLiteral("unload-module"), module.value()}, &ok);
    if (ok)
        modules_.erase(module);
    return ok;
}

QStringList PulseNullSink::StreamSinks() const
{
    // "index name driver format state" per sink; "index sink client driver format" per stream.
    QMap<QString, QString> sinkNames;
    for (const QString& line : Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2)
            sinkNames.insert(fields[0], fields[1]);
    }
    QStringList sinks;
    for (const QString& line : SinkInputs().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2)
            sinks << sinkNames.value(fields[1], fields[1]);
    }
    return sinks;
}
