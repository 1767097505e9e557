#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace zarn::audio {

// When output frame `cueFrame` is heard, on the steady clock: the render callback of the
// block that starts at output frame `blockStartFrame` ran at `blockTime`, and the output
// reported `latencySeconds` from rendering that block's first frame to hearing it
// (AudioOutput::LatencySeconds read in the callback). A cue before the block start gives an
// earlier time. A latency that is negative or not a number counts as none; a sample rate of
// 0 or less places every frame at the block's start. Any thread; never allocates.
std::chrono::steady_clock::time_point CueDeadline(int64_t cueFrame, int64_t blockStartFrame,
                                                  std::chrono::steady_clock::time_point blockTime,
                                                  double latencySeconds, int sampleRate) noexcept;

// Sends cues at absolute deadlines from a thread of its own. The render thread hands each cue
// over as a small fixed-size record (the owner's id, an index the owner resolves into what to
// send, the deadline) through a bounded lock-free ring; the scheduler's thread sleeps to the
// earliest deadline, waits the last stretch actively, and calls the send callback on itself,
// never on the render thread.
//
// - Order: cues go out in deadline order, those with the same deadline in the order they
//   were scheduled, though they arrive out of order (a later block may hand over an earlier
//   cue), as long as each arrives before the cue it should precede has gone.
// - A cue whose deadline has passed goes out at once.
// - CancelAll (a seek, a stop) drops every cue not yet sent. Each cue carries the generation
//   its producer read from Generation(); a cue of an earlier generation than the current one
//   is dropped when it arrives or when its turn comes, so one handed over by a block that was
//   under way during the cancel never goes out. A send already under way finishes.
// - A full ring refuses the cue (Schedule gives false, Count().overflowed counts it);
//   nothing ever blocks the producer.
// - Stop drops what is pending and ends the thread at once, whatever the deadlines.
//
// Lifetime: set the callbacks, Start(), later Stop() (the destructor stops too). Callbacks
// must not change while the thread runs; Stop() must not be called from a callback.
class CueScheduler
{
public:
    using Clock = std::chrono::steady_clock;

    // 24 bytes, copied by value through the ring.
    struct Cue
    {
        uint64_t id = 0; // the owner's (a sequence number, say), handed back as it came
        uint32_t payload = 0; // what to send, as an index the owner resolves
        uint32_t generation = 0; // Generation() as read at the start of the block that scheduled it
        Clock::time_point deadline{};
    };

    // The scheduler's thread, at the cue's deadline or as soon after as it can. An exception
    // it throws is reported on standard error and counted (Count().failed); the thread
    // goes on.
    using SendCallback = std::function<void(const Cue& cue)>;
    // The scheduler's thread, once when it starts and once when it ends: for what the send
    // callback needs to live on that thread (a socket object of a thread-bound library).
    using ThreadCallback = std::function<void()>;

    struct Settings
    {
        // Cues the ring holds between the scheduler's wake-ups; rounded up to a power of two.
        int capacity = 256;
        // How long before a deadline the thread stops sleeping and waits actively: a timed
        // sleep wakes late on a loaded or virtual machine.
        std::chrono::microseconds spin{500};
        // How the thread is scheduled. A thread of ordinary priority waits for a busy core
        // for up to a time slice (milliseconds), whatever its nice value; a real-time one
        // does not. What the process may not have, the thread goes without: real time falls
        // back to the top ordinary priority, and that to the thread as it is.
        enum class Priority
        {
            Unchanged,
            Raised, // the top of the ordinary priorities (nice -20)
            RealTime, // the lowest real-time priority (SCHED_FIFO 1)
        };
        Priority priority = Priority::RealTime;
    };

    struct Counters
    {
        uint64_t sent = 0; // send callback returned
        uint64_t dropped = 0; // cancelled, of an earlier generation, or pending at Stop
        uint64_t overflowed = 0; // refused by a full ring
        uint64_t failed = 0; // send callback threw
    };

    CueScheduler();
    explicit CueScheduler(Settings settings);
    ~CueScheduler();
    CueScheduler(const CueScheduler&) = delete;
    CueScheduler& operator=(const CueScheduler&) = delete;

    // Caller's thread, while stopped.
    void SetSendCallback(SendCallback send) { send_ = std::move(send); }
    void SetThreadCallbacks(ThreadCallback started, ThreadCallback finished)
    {
        started_ = std::move(started);
        finished_ = std::move(finished);
    }

    // Starts the thread; cues scheduled before are kept. Does nothing while running.
    void Start();
    // Ends the thread promptly, dropping every cue scheduled before the call; cues scheduled
    // while stopped wait for the next Start. Does nothing while stopped.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // Render thread, or whichever one thread produces cues at a time (a producer that hands
    // over to another must be done before the other begins). Wait-free: allocates nothing,
    // takes no lock, makes at most one futex wake call; false when the ring is full. May be
    // called while stopped.
    bool Schedule(const Cue& cue) noexcept;

    // Any thread; wait-free. Drops every cue not yet sent and returns the new generation.
    uint32_t CancelAll() noexcept;
    // Any thread. A producer reads it before it takes up a request that may cancel (at the
    // start of a block) and stamps its cues with it.
    uint32_t Generation() const noexcept { return generation_.load(std::memory_order_acquire); }

    // Any thread.
    Counters Count() const noexcept;
    int Capacity() const noexcept { return static_cast<int>(mask_ + 1); }
    // What the thread got of Settings::priority; Unchanged until it has started. Any thread.
    Settings::Priority GrantedPriority() const noexcept { return granted_.load(std::memory_order_acquire); }

private:
    struct Pending
    {
        Cue cue;
        uint64_t order = 0; // arrival, for equal deadlines
    };
    struct Wake;

    void Run();
    void Drain();
    void Send(const Cue& cue);

    const Settings settings_;
    const uint64_t mask_;
    std::unique_ptr<Cue[]> ring_;
    alignas(64) std::atomic<uint64_t> head_{0}; // next to take (scheduler's thread)
    alignas(64) std::atomic<uint64_t> tail_{0}; // next to fill (producer)
    alignas(64) std::atomic<uint32_t> generation_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<Settings::Priority> granted_{Settings::Priority::Unchanged};
    std::unique_ptr<Wake> wake_;

    std::atomic<uint64_t> sent_{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<uint64_t> overflowed_{0};
    std::atomic<uint64_t> failed_{0};

    SendCallback send_;
    ThreadCallback started_;
    ThreadCallback finished_;
    std::thread thread_;

    // The scheduler's thread only: cues taken from the ring, a min-heap by deadline.
    std::vector<Pending> pending_;
    uint64_t arrivals_ = 0;
    uint32_t pendingGeneration_ = 0;
};

} // namespace zarn::audio
