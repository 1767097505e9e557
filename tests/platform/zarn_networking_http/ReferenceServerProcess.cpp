#include "ReferenceServerProcess.h"

#include <QElapsedTimer>

ReferenceServerProcess::ReferenceServerProcess(QString root, QStringList extraArguments)
    : root_(std::move(root))
    , extra_(std::move(extraArguments))
{
}

ReferenceServerProcess::~ReferenceServerProcess()
{
    Kill();
}

QString ReferenceServerProcess::ProgramPath()
{
#ifdef REFERENCE_SERVER_PATH
    return QStringLiteral(REFERENCE_SERVER_PATH);
#else
    return QString();
#endif
}

bool ReferenceServerProcess::Start(QString* error)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(ProgramPath(), QStringList{QStringLiteral("--root"), root_, QStringLiteral("--port"), QStringLiteral("0")}
                                      + extra_);
    if (!process_.waitForStarted(10000)) {
        if (error) *error = QStringLiteral("reference_server did not start: ") + process_.errorString();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    QByteArray output;
    while (timer.elapsed() < 10000) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(200)) {
            if (process_.state() != QProcess::Running) {
                break;
            }
            continue;
        }
        output += process_.readLine();
        if (output.startsWith("LISTENING ") && output.endsWith('\n')) {
            port_ = static_cast<quint16>(output.mid(10).trimmed().toUInt());
            return port_ != 0;
        }
    }
    if (error) *error = QStringLiteral("reference_server printed no port: ") + QString::fromUtf8(output);
    return false;
}

void ReferenceServerProcess::Kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString ReferenceServerProcess::BaseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}
