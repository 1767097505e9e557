#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <cstdio>
#include <iostream>
#include <unistd.h>

// Sends what the code under test writes to standard output or error into a file for the
// life of the object, so a test can read the diagnostics it printed.
class StreamCapture
{
public:
    explicit StreamCapture(FILE* stream) : stream_(stream)
    {
        file_.open();
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stream_);
        saved_ = ::dup(::fileno(stream_));
        ::dup2(file_.handle(), ::fileno(stream_));
    }
    ~StreamCapture() { restore(); }

    QString text()
    {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stream_);
        QFile reader(file_.fileName());
        reader.open(QIODevice::ReadOnly);
        return QString::fromUtf8(reader.readAll());
    }

    void restore()
    {
        if (saved_ < 0)
            return;
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stream_);
        ::dup2(saved_, ::fileno(stream_));
        ::close(saved_);
        saved_ = -1;
    }

private:
    FILE* stream_;
    QTemporaryFile file_;
    int saved_ = -1;
};
