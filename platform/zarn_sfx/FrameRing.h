#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

namespace zarn::audio {

// Interleaved stereo frames from one thread to another: the render thread of the device that
// drives the show writes what the paths on another device play, that device's own thread
// reads it. Single producer, single consumer, wait-free on both sides, never allocates after
// construction. A full ring takes what fits (the rest is dropped and counted); an empty one
// gives what it has (the reader fills the rest with silence and counts it), so two devices
// whose clocks differ slowly lose or repeat nothing worse than a short gap.
class FrameRing
{
public:
    // Capacity in frames, rounded up to a power of two.
    explicit FrameRing(int frames)
    {
        uint64_t capacity = 1;
        while (capacity < uint64_t(std::max(frames, 1)))
            capacity <<= 1;
        mask_ = capacity - 1;
        samples_ = std::make_unique<float[]>(2 * capacity);
    }

    int Capacity() const { return int(mask_ + 1); }

    // Producer: appends up to `frames` frames; returns how many went in.
    int Write(const float* stereo, int frames) noexcept
    {
        const uint64_t tail = tail_.load(std::memory_order_relaxed);
        const uint64_t head = head_.load(std::memory_order_acquire);
        const int n = int(std::min<uint64_t>(uint64_t(std::max(frames, 0)), mask_ + 1 - (tail - head)));
        for (int i = 0; i < n; ++i) {
            const uint64_t at = ((tail + uint64_t(i)) & mask_) * 2;
            samples_[at] = stereo[2 * i];
            samples_[at + 1] = stereo[2 * i + 1];
        }
        tail_.store(tail + uint64_t(n), std::memory_order_release);
        if (n < frames)
            dropped_.fetch_add(uint64_t(frames - n), std::memory_order_relaxed);
        return n;
    }

    // Consumer: fills `frames` frames, silence where the ring ran dry; returns the frames
    // that came from the ring.
    int Read(float* stereo, int frames) noexcept
    {
        const uint64_t head = head_.load(std::memory_order_relaxed);
        const uint64_t tail = tail_.load(std::memory_order_acquire);
        const int n = int(std::min<uint64_t>(uint64_t(std::max(frames, 0)), tail - head));
        for (int i = 0; i < n; ++i) {
            const uint64_t at = ((head + uint64_t(i)) & mask_) * 2;
            stereo[2 * i] = samples_[at];
            stereo[2 * i + 1] = samples_[at + 1];
        }
        head_.store(head + uint64_t(n), std::memory_order_release);
        std::fill(stereo + 2 * n, stereo + 2 * std::max(frames, n), 0.0f);
        if (n < frames)
            missing_.fetch_add(uint64_t(frames - n), std::memory_order_relaxed);
        return n;
    }

    // Frames waiting to be read (either side; a moment's view).
    int Available() const noexcept
    {
        return int(tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire));
    }
    uint64_t DroppedFrames() const noexcept { return dropped_.load(std::memory_order_relaxed); }
    uint64_t MissingFrames() const noexcept { return missing_.load(std::memory_order_relaxed); }

private:
    uint64_t mask_ = 0;
    std::unique_ptr<float[]> samples_;
    alignas(64) std::atomic<uint64_t> head_{0};
    alignas(64) std::atomic<uint64_t> tail_{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<uint64_t> missing_{0};
};

} // namespace zarn::audio
