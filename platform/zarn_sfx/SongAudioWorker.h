#pragma once

#include "SongAudioRenderer.h"
#include "WavFile.h"

#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <QString>

#include <memory>

class QAudioSink;

namespace zarn::audio {

// Hands the sink the file's samples at the engine's position, scaled by the gain.
class PcmSource : public QIODevice
{
    Q_OBJECT
public:
    PcmSource(std::shared_ptr<const WavFile> wav, std::shared_ptr<SongAudioRenderer::Shared> shared);

    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<const WavFile> wav_;
    std::shared_ptr<SongAudioRenderer::Shared> shared_;
    double cursor_ = 0.0;
    bool synced_ = false;
};

// Lives on the renderer's thread and owns the Qt Multimedia objects.
class SongAudioWorker : public QObject
{
    Q_OBJECT
public:
    explicit SongAudioWorker(std::shared_ptr<SongAudioRenderer::Shared> shared);
    ~SongAudioWorker() override;

public slots:
    void ApplyDevice(const QByteArray& id);
    void ApplySource(const QString& path);
    void Teardown();

private:
    void Rebuild();
    void Report(const std::string& problem);

    std::shared_ptr<SongAudioRenderer::Shared> shared_;
    QByteArray deviceId_;
    QString path_;
    std::shared_ptr<const WavFile> wav_;
    std::unique_ptr<PcmSource> source_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace zarn::audio
