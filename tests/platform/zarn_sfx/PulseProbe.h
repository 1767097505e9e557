#pragma once

#include "PulseClient.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The test's side of a PulseAudio server: loads and unloads null sinks, changes the default,
// counts the streams playing into a sink, and records a sink's monitor, noting when the first
// loud frame arrives. Connects to the server the environment names (PulseNullSink's).
class PulseProbe
{
public:
    using Clock = std::chrono::steady_clock;

    PulseProbe();
    ~PulseProbe();
    PulseProbe(const PulseProbe&) = delete;
    PulseProbe& operator=(const PulseProbe&) = delete;

    bool Connected() const { return connected_; }
    const std::string& Problem() const { return problem_; }

    // The module's index, or PA_INVALID_INDEX.
    uint32_t LoadNullSink(const std::string& name, const std::string& description, int rate = 48000);
    bool Unload(uint32_t module);
    bool SetDefaultSink(const std::string& name);
    // Streams playing into the sink (-1 when the server does not answer).
    int SinkInputsOn(const std::string& sink);

    // Records float stereo at `rate` from a source, e.g. "<sink>.monitor". A null sink's
    // monitor delivers nothing while no stream plays into the sink: start one first.
    bool Record(const std::string& source, int rate);
    // What was recorded since the last call.
    std::vector<float> Take();
    // From now, the first frame with a sample above threshold is noted with its arrival time.
    void ArmOnset(float threshold);
    std::optional<Clock::time_point> Onset() const;
    // Frames at the end of the recording with every sample at or below the threshold.
    int64_t QuietFramesAtEnd() const;

    // Makes the source quiet, waits for the monitor to fall quiet, then makes it loud and
    // measures from that moment to the first loud frame on the monitor. nullopt when the
    // sound does not change within two seconds.
    std::optional<std::chrono::duration<double>> MeasureOnset(const std::function<void(bool loud)>& setLoud);

private:
    static void OnRead(pa_stream* stream, size_t bytes, void* self);

    zarn::audio::pulse::Client client_;
    bool connected_ = false;
    std::string problem_;
    pa_stream* record_ = nullptr;
    int recordRate_ = 0;

    mutable std::mutex mutex_;
    std::vector<float> recorded_;
    float threshold_ = 0.05f;
    bool armed_ = false;
    std::optional<Clock::time_point> onset_;
    int64_t quietFrames_ = 0;
};
