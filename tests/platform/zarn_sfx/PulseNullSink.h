#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

// A private PulseAudio server with one null sink, for tests that need a real audio output
// on a machine without sound hardware. Must be started before the process first touches
// Qt Multimedia. Started() is false (with Problem() saying why) where PulseAudio cannot run.
// Processes start by fork and exec, which ThreadSanitizer follows (QProcess's vfork-style
// start is not, and leaves it reporting correctly locked code), so threaded tests can use it.
class PulseNullSink
{
public:
    PulseNullSink();
    ~PulseNullSink();
    PulseNullSink(const PulseNullSink&) = delete;
    PulseNullSink& operator=(const PulseNullSink&) = delete;

    bool Started() const { return started_; }
    QString Problem() const { return problem_; }
    // Output of "pactl list short sink-inputs": one line per stream playing into the server.
    QString SinkInputs() const;

private:
    QString Pactl(const QStringList& args, bool* ok = nullptr) const;

    QTemporaryDir dir_;
    pid_t server_ = -1;
    bool started_ = false;
    QString problem_;
};
