#include "NullOutput.h"

#include <algorithm>

namespace zarn::audio {

NullOutput::NullOutput(int sampleRate, int blockFrames)
    : sampleRate_(sampleRate > 0 ? sampleRate : 48000)
    , blockFrames_(std::clamp(blockFrames > 0 ? blockFrames : sampleRate_ / 200, 1, kMaxBlockFrames))
    , buffer_(static_cast<size_t>(blockFrames_) * kChannels)
{
}

NullOutput::~NullOutput()
{
    Stop();
}

bool NullOutput::Start()
{
    problem_.clear();
    notice_.clear();
    if (thread_.joinable())
        return true;
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void NullOutput::Stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void NullOutput::Run()
{
    using Clock = std::chrono::steady_clock;
    const auto frameTime = [this](int64_t frames) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(frames * 1'000'000'000 / sampleRate_));
    };
    // Deadlines come from the frame count since the anchor, never from adding up block
    // lengths, so rounding cannot build up into drift.
    Clock::time_point anchor = Clock::now();
    int64_t sinceAnchor = 0;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const Clock::time_point due = anchor + frameTime(sinceAnchor);
        if (wake_.wait_until(lock, due, [this] { return stopping_; }))
            break;
        const Clock::time_point now = Clock::now();
        if (now - due > std::chrono::seconds(1)) {
            anchor = now;
            sinceAnchor = 0;
        }
        // The callback runs without the lock, so Stop() is never kept waiting on it for
        // longer than one block.
        lock.unlock();
        RenderBlock(buffer_.data(), blockFrames_);
        lock.lock();
        sinceAnchor += blockFrames_;
    }
}

} // namespace zarn::audio
