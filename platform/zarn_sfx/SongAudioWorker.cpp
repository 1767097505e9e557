#include "SongAudioWorker.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zarn::audio {

PcmSource::PcmSource(std::shared_ptr<const WavFile> wav, std::shared_ptr<SongAudioRenderer::Shared> shared)
    : wav_(std::move(wav))
    , shared_(std::move(shared))
{
}

qint64 PcmSource::bytesAvailable() const
{
    return 1 << 20;
}

qint64 PcmSource::readData(char* data, qint64 maxSize)
{
    const int channels = wav_->channels;
    const qint64 frameBytes = 2 * channels;
    const qint64 frames = maxSize / frameBytes;
    auto* out = reinterpret_cast<int16_t*>(data);
    if (!shared_->playing.load()) {
        std::memset(data, 0, static_cast<size_t>(frames * frameBytes));
        synced_ = false;
        return frames * frameBytes;
    }
    const double rate = wav_->sampleRate;
    const double target = shared_->seconds.load() * rate;
    // Follow the engine: small drift is left alone so the sound stays smooth, a jump is taken.
    if (!synced_ || std::abs(cursor_ - target) > 0.1 * rate) {
        cursor_ = target;
        synced_ = true;
    }
    const double gain = std::clamp(shared_->gain.load(), 0.0, 4.0);
    const long long total = static_cast<long long>(wav_->Frames());
    long long frame = static_cast<long long>(std::floor(cursor_));
    for (qint64 f = 0; f < frames; ++f, ++frame) {
        for (int c = 0; c < channels; ++c) {
            int16_t sample = 0;
            if (frame >= 0 && frame < total) {
                const double v = wav_->samples[static_cast<size_t>(frame * channels + c)] * gain;
                sample = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
            }
            out[f * channels + c] = sample;
        }
    }
    cursor_ += static_cast<double>(frames);
    shared_->framesRendered += frames;
    return frames * frameBytes;
}

SongAudioWorker::SongAudioWorker(std::shared_ptr<SongAudioRenderer::Shared> shared)
    : shared_(std::move(shared))
{
}

SongAudioWorker::~SongAudioWorker() = default;

void SongAudioWorker::Report(const std::string& problem)
{
    std::lock_guard lock(shared_->mutex);
    shared_->problem = problem;
}

void SongAudioWorker::ApplyDevice(const QByteArray& id)
{
    deviceId_ = id;
    Rebuild();
}

void SongAudioWorker::ApplySource(const QString& path)
{
    if (path == path_)
        return;
    path_ = path;
    wav_.reset();
    if (!path.isEmpty()) {
        try {
            wav_ = std::make_shared<const WavFile>(WavFile::Load(path.toStdString()));
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
    Rebuild();
}

void SongAudioWorker::Teardown()
{
    if (sink_)
        sink_->stop();
    sink_.reset();
    source_.reset();
    shared_->active = false;
}

void SongAudioWorker::Rebuild()
{
    Teardown();
    if (!wav_)
        return;
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!deviceId_.isEmpty()) {
        for (const QAudioDevice& d : QMediaDevices::audioOutputs()) {
            if (d.id() == deviceId_)
                device = d;
        }
    }
    if (device.isNull()) {
        Report("No audio output device is available; playing silently.");
        return;
    }
    QAudioFormat format;
    format.setSampleRate(wav_->sampleRate);
    format.setChannelCount(wav_->channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        Report("The audio device " + device.description().toStdString() + " cannot play this song's format.");
        return;
    }
    source_ = std::make_unique<PcmSource>(wav_, shared_);
    source_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(wav_->sampleRate * wav_->channels * 2 / 10); // 100 ms
    connect(sink_.get(), &QAudioSink::stateChanged, this,
            [this](QAudio::State state) { shared_->active = state == QAudio::ActiveState; });
    sink_->start(source_.get());
    if (sink_->error() != QAudio::NoError)
        Report("The audio device " + device.description().toStdString() + " could not be started.");
    else
        Report({});
    shared_->active = sink_->state() == QAudio::ActiveState;
}

} // namespace zarn::audio
