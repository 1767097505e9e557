#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The reference server as a child process on 127.0.0.1, started and stopped by the test.
class ReferenceServerProcess {
public:
    ReferenceServerProcess(QString root, QStringList extraArguments = {});
    ~ReferenceServerProcess();

    // Starts the program and waits (at most 10 s) for "LISTENING <port>".
    bool Start(QString* error = nullptr);
    void Kill();

    quint16 Port() const { return port_; }
    QString BaseUrl() const;

    static QString ProgramPath();

private:
    QString root_;
    QStringList extra_;
    QProcess process_;
    quint16 port_ = 0;
};
