#pragma once

#include "AudioOutput.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct pa_stream;

namespace zarn::audio {

namespace pulse {
class Client;
}

// A PulseAudio sink as the engine's clock: one playback stream of float stereo with its own
// threaded main loop, rendering in the stream's write callback on that loop's thread, with
// about 10 ms of buffer. The stream runs from Start() to Stop() and plays silence while the
// renderer has nothing, so starting playback never waits for a stream to open.
//
// The stream stays on its sink: when the sink goes away the stream fails (within about
// 11 ms), and the lost callback says "Audio device lost: <name>". It does the same when the
// server itself goes away.
class PulseOutput final : public AudioOutput
{
public:
    // deviceId is a sink's name, the id Qt Multimedia gives the device on PulseAudio; empty
    // means the default sink, and so does an id no sink has (with a Notice()).
    explicit PulseOutput(std::string deviceId, int sampleRate = 48000, double targetBufferSeconds = 0.010);
    ~PulseOutput() override;

    bool Start() override;
    void Stop() override;

    int SampleRate() const override { return sampleRate_; }
    double LatencySeconds() const override { return latencySeconds_.load(std::memory_order_relaxed); }
    std::string DeviceName() const override { return deviceName_; }

    // The sink the stream plays on (after Start()). Caller's thread.
    const std::string& SinkName() const { return sinkName_; }
    // The buffer the server granted (after Start()).
    double BufferSeconds() const { return bufferSeconds_; }
    // Times the device ran dry because a render came too late. Any thread.
    int64_t Underruns() const { return underruns_.load(std::memory_order_relaxed); }

private:
    static void OnWrite(pa_stream* stream, size_t bytes, void* self);
    static void OnState(pa_stream* stream, void* self);
    static void OnUnderflow(pa_stream* stream, void* self);
    bool Fail(const std::string& problem);
    void TearDown();

    const std::string deviceId_;
    const int sampleRate_;
    const double targetBufferSeconds_;
    std::unique_ptr<pulse::Client> client_;
    pa_stream* stream_ = nullptr;
    std::string sinkName_;
    std::string deviceName_;
    double bufferSeconds_ = 0.0;
    bool streamReady_ = false; // under the loop's lock: a failure from now on is a loss
    std::vector<float> spare_; // when the server lends no buffer to write into
    std::atomic<bool> stopping_{false};
    std::atomic<double> latencySeconds_{0.0};
    std::atomic<int64_t> underruns_{0};
};

} // namespace zarn::audio
