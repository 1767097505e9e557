#pragma once

#include "AudioOutput.h"

#include <string>
#include <vector>

namespace zarn::audio {

// An output without a device or a thread: the caller pulls frames through the same render
// callback a device uses, in blocks of BlockFrames() (the last one shorter), into a buffer or
// a WAV file. Tests listen to the engine through it, and a manual clock steps it.
class OfflineRender final : public AudioOutput
{
public:
    explicit OfflineRender(int sampleRate = 48000, int blockFrames = 512);

    // Nothing to open or run: rendering happens in Render().
    bool Start() override;
    void Stop() override {}

    int SampleRate() const override { return sampleRate_; }
    double LatencySeconds() const override { return 0.0; }
    std::string DeviceName() const override { return {}; }
    int BlockFrames() const { return blockFrames_; }

    // Exactly `frames` frames (frames * kChannels floats) into out, on the caller's thread.
    void Render(float* out, int64_t frames);
    std::vector<float> Render(int64_t frames);
    // Exactly `frames` frames into a 32-bit float stereo WAV file, streamed block by block
    // and replacing the file only when complete. Throws std::runtime_error naming the file.
    void RenderToWav(const std::string& path, int64_t frames);

private:
    const int sampleRate_;
    const int blockFrames_;
};

} // namespace zarn::audio
