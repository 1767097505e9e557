#pragma once

#include "AudioOutput.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace zarn::audio {

// The output without a device: its own thread renders small blocks at absolute deadlines
// from a steady clock, so playback, notifications and cues go on as with sound. A block is
// rendered when its first frame falls due: at any moment the frames rendered are the time
// since Start() times the rate, rounded up to a block, with no drift however long it runs.
// A thread held up (a loaded machine) catches up at once; one held up for longer than a
// second (a suspended machine) starts counting again from now rather than render the gap
// in a burst.
class NullOutput final : public AudioOutput
{
public:
    explicit NullOutput(int sampleRate = 48000, int blockFrames = 0 /* 5 ms */);
    ~NullOutput() override;

    bool Start() override;
    void Stop() override;

    int SampleRate() const override { return sampleRate_; }
    double LatencySeconds() const override { return 0.0; }
    std::string DeviceName() const override { return {}; }
    int BlockFrames() const { return blockFrames_; }

private:
    void Run();

    const int sampleRate_;
    const int blockFrames_;
    std::vector<float> buffer_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace zarn::audio
