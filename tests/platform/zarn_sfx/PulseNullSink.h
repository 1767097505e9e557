#pragma once

#include <QMap>
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
    // Another null sink, named `name` (the device id) and described `description` (the name a
    // device list shows; empty leaves PulseAudio's "Null Output"). False when it cannot be loaded.
    bool LoadSink(const QString& name, const QString& description);
    bool HasSink(const QString& name) const { return modules_.contains(name); }
    // Unloads a sink LoadSink loaded; false when it was not loaded or cannot be unloaded.
    bool UnloadSink(const QString& name);
    // The sink each stream plays on, by the sink's name, one entry per stream (this server's
    // streams are the test process's own).
    QStringList StreamSinks() const;

private:
    QString Pactl(const QStringList& args, bool* ok = nullptr) const;

    QTemporaryDir dir_;
    QMap<QString, QString> modules_; // sink name -> module index
    pid_t server_ = -1;
    bool started_ = false;
    QString problem_;
};
