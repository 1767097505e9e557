#include "PulseNullSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

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
    // A server left behind by a crashed test goes away on its own once idle.
    server_.setProgram(program);
    server_.setArguments({QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=20"), QStringLiteral("-n"),
                          QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                          QStringLiteral("--load=module-null-sink sink_name=corvane_null"),
                          QStringLiteral("--load=module-native-protocol-unix socket=") + socket});
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start();
    if (!server_.waitForStarted(5000)) {
        problem_ = QStringLiteral("pulseaudio did not start: ") + server_.errorString();
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
        if (server_.state() == QProcess::NotRunning)
            break;
        QThread::msleep(100);
    }
    problem_ = QStringLiteral("pulseaudio did not answer: ") + QString::fromUtf8(server_.readAll()).left(400);
}

PulseNullSink::~PulseNullSink()
{
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(3000)) {
            server_.kill();
            server_.waitForFinished(3000);
        }
    }
}

QString PulseNullSink::Pactl(const QStringList& args, bool* ok) const
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), args);
    const bool finished = pactl.waitForFinished(3000);
    if (ok)
        *ok = finished && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
    return QString::fromUtf8(pactl.readAllStandardOutput());
}

QString PulseNullSink::SinkInputs() const
{
    return Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
}
