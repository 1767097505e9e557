#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace zarn::audio {

// Where the engine's sound goes: a device's render thread that pulls blocks of 32-bit float
// interleaved stereo through a callback. The frames it has pulled so far are the engine's
// clock, so musical time follows what is heard, not a wall clock.
//
// Lifetime: set the callbacks, Start(), later Stop() (the destructor stops too). Callbacks
// must not change while the output runs. Stop() may be called after the device was lost and
// returns promptly; it must not be called from inside either callback. Start() on a running
// output does nothing; on one whose device was lost it opens the device again.
class AudioOutput
{
public:
    static constexpr int kChannels = 2;
    // The most frames one render call asks for; a device that wants more is served in
    // several calls, so the renderer's buffers can be sized once.
    static constexpr int kMaxBlockFrames = 1024;

    // Render thread. The buffer (frames * kChannels floats) arrives zeroed, so a renderer may
    // add into it. FramesRendered() read inside the call is the block's first frame.
    using RenderCallback = std::function<void(float* interleavedStereo, int frames)>;
    // The output's thread, at most once per Start(): the device went away and this output
    // renders no more. The message names the device ("Audio device lost: <name>"). The owner
    // hands it on to another thread and switches outputs there.
    using LostCallback = std::function<void(const std::string& message)>;

    AudioOutput() = default;
    virtual ~AudioOutput() = default;
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    void SetRenderCallback(RenderCallback callback) { render_ = std::move(callback); }
    void SetLostCallback(LostCallback callback) { lost_ = std::move(callback); }

    // Opens the device and starts pulling. False, with Problem() saying why, when there is
    // nothing to play on; the owner then plays on a NullOutput.
    virtual bool Start() = 0;
    virtual void Stop() = 0;

    virtual int SampleRate() const = 0;
    // From rendering a frame to hearing it (what the device has queued plus its own delay):
    // a cue for a frame rendered now is due this much later. Any thread; read inside the
    // render callback it is the delay of the block's first frame.
    virtual double LatencySeconds() const = 0;
    // What the operator calls the device; empty for an output without one. Caller's thread.
    virtual std::string DeviceName() const = 0;

    // Why the last Start() failed. Caller's thread.
    const std::string& Problem() const { return problem_; }
    // What the operator should know though playback goes on (a device id that is not there
    // any more plays on the default device). Set by Start(); caller's thread.
    const std::string& Notice() const { return notice_; }

    // Frames handed to the device since construction; never goes back. Any thread.
    int64_t FramesRendered() const { return framesRendered_.load(std::memory_order_acquire); }

protected:
    // Render thread: zeroes the block, has the callback fill it, counts it. frames is at
    // most kMaxBlockFrames.
    void RenderBlock(float* out, int frames);
    // The output's thread: reports the loss once per ResetLost().
    void ReportLost(const std::string& message);
    void ResetLost() { lostReported_.store(false, std::memory_order_relaxed); }
    bool Lost() const { return lostReported_.load(std::memory_order_acquire); }

    std::string problem_;
    std::string notice_;

private:
    RenderCallback render_;
    LostCallback lost_;
    std::atomic<int64_t> framesRendered_{0};
    std::atomic<bool> lostReported_{false};
};

} // namespace zarn::audio
