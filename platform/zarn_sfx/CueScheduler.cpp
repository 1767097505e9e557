#include "CueScheduler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <optional>

#if defined(__linux__)
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace zarn::audio {

namespace {

constexpr int64_t kNanosPerSecond = 1'000'000'000;

// Nanoseconds from one frame to another, rounded to the nearest; split so that hours of
// frames cannot overflow, and held within centuries so that nonsense cannot either.
int64_t NanosBetweenFrames(int64_t from, int64_t to, int sampleRate)
{
    constexpr int64_t kMaxSeconds = int64_t(1) << 32;
    int64_t frames = 0;
    if (__builtin_sub_overflow(to, from, &frames))
        frames = to < from ? INT64_MIN : INT64_MAX;
    const int64_t whole = std::clamp(frames / sampleRate, -kMaxSeconds, kMaxSeconds);
    const int64_t rest = frames % sampleRate;
    const int64_t half = rest >= 0 ? sampleRate / 2 : -(sampleRate / 2);
    return whole * kNanosPerSecond + (rest * kNanosPerSecond + half) / sampleRate;
}

void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// The scheduler thread wakes at its deadline itself rather than up to 50 us after it (the
// default timer slack), and gets the priority asked for as far as the process may: it sleeps
// nearly all the time and, when due, sends one datagram. Gives what it got.
CueScheduler::Settings::Priority TuneSchedulerThread(CueScheduler::Settings::Priority wanted)
{
    using Priority = CueScheduler::Settings::Priority;
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "corvane-cues");
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    if (wanted == Priority::RealTime) {
        sched_param realTime{};
        realTime.sched_priority = 1;
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime) == 0)
            return Priority::RealTime;
    }
    if (wanted != Priority::Unchanged && setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -20) == 0)
        return Priority::Raised;
#else
    (void)wanted;
#endif
    return Priority::Unchanged;
}

uint64_t RingSize(int capacity)
{
    uint64_t size = 2;
    while (size < static_cast<uint64_t>(std::clamp(capacity, 2, 1 << 20)))
        size <<= 1;
    return size;
}

} // namespace

std::chrono::steady_clock::time_point CueDeadline(int64_t cueFrame, int64_t blockStartFrame,
                                                  std::chrono::steady_clock::time_point blockTime,
                                                  double latencySeconds, int sampleRate) noexcept
{
    using std::chrono::nanoseconds;
    int64_t latency = 0;
    // Longer than any device buffer by far; keeps the conversion in range.
    if (std::isfinite(latencySeconds) && latencySeconds > 0.0)
        latency = std::llround(std::min(latencySeconds, 3600.0) * double(kNanosPerSecond));
    const int64_t offset = sampleRate > 0 ? NanosBetweenFrames(blockStartFrame, cueFrame, sampleRate) : 0;
    return blockTime + std::chrono::duration_cast<std::chrono::steady_clock::duration>(nanoseconds(latency + offset));
}

// Wakes the scheduler's thread from any thread without blocking or locking: a flag, and a
// futex wake only when the flag goes up. The thread sleeps on the futex to an absolute
// steady-clock deadline (CLOCK_MONOTONIC, which the steady clock is on Linux).
struct CueScheduler::Wake
{
    std::atomic<int32_t> pending{0};

    void Signal() noexcept
    {
        if (pending.exchange(1, std::memory_order_acq_rel) != 0)
            return;
#if defined(__linux__)
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&pending), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
#endif
    }

    // True, and the flag down again, when a Signal came since the last Take or wait.
    bool Take() noexcept
    {
        return pending.load(std::memory_order_relaxed) != 0 && pending.exchange(0, std::memory_order_acq_rel) != 0;
    }

    // Until `until` (none: until signalled), or at once when a Signal came since the last one.
    void WaitUntil(std::optional<Clock::time_point> until)
    {
        if (pending.exchange(0, std::memory_order_acq_rel) != 0)
            return;
#if defined(__linux__)
        timespec deadline{};
        if (until) {
            const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(until->time_since_epoch()).count();
            deadline.tv_sec = static_cast<time_t>(ns / kNanosPerSecond);
            deadline.tv_nsec = static_cast<long>(ns % kNanosPerSecond);
        }
        // Sleeps only while the flag is still down, so a Signal in between is never lost.
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&pending), FUTEX_WAIT_BITSET_PRIVATE, 0,
                until ? &deadline : nullptr, nullptr, FUTEX_BITSET_MATCH_ANY);
#else
        // Without a futex: short naps, so a wake-up costs at most one of them.
        const auto nap = Clock::now() + std::chrono::milliseconds(1);
        std::this_thread::sleep_until(until ? std::min(*until, nap) : nap);
#endif
        pending.exchange(0, std::memory_order_acq_rel);
    }
};

CueScheduler::CueScheduler()
    : CueScheduler(Settings{})
{
}

CueScheduler::CueScheduler(Settings settings)
    : settings_(settings)
    , mask_(RingSize(settings.capacity) - 1)
    , ring_(new Cue[mask_ + 1])
    , wake_(std::make_unique<Wake>())
{
    pending_.reserve(mask_ + 1);
}

CueScheduler::~CueScheduler()
{
    Stop();
}

void CueScheduler::Start()
{
    if (thread_.joinable())
        return;
    stopping_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this] { Run(); });
}

void CueScheduler::Stop()
{
    if (!thread_.joinable())
        return;
    stopping_.store(true, std::memory_order_release);
    wake_->Signal();
    thread_.join();
}

bool CueScheduler::Schedule(const Cue& cue) noexcept
{
    const uint64_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) > mask_) {
        overflowed_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    ring_[tail & mask_] = cue;
    tail_.store(tail + 1, std::memory_order_release);
    wake_->Signal();
    return true;
}

uint32_t CueScheduler::CancelAll() noexcept
{
    const uint32_t generation = generation_.fetch_add(1, std::memory_order_acq_rel) + 1;
    wake_->Signal();
    return generation;
}

CueScheduler::Counters CueScheduler::Count() const noexcept
{
    Counters counters;
    counters.sent = sent_.load(std::memory_order_relaxed);
    counters.dropped = dropped_.load(std::memory_order_relaxed);
    counters.overflowed = overflowed_.load(std::memory_order_relaxed);
    counters.failed = failed_.load(std::memory_order_relaxed);
    return counters;
}

namespace {

// Heap order: the earliest deadline on top, equal deadlines in arrival order.
template <typename Pending>
bool ComesLater(const Pending& a, const Pending& b)
{
    if (a.cue.deadline != b.cue.deadline)
        return a.cue.deadline > b.cue.deadline;
    return a.order > b.order;
}

} // namespace

void CueScheduler::Drain()
{
    const uint64_t tail = tail_.load(std::memory_order_acquire);
    // Read after the ring, so it is at least the generation any cue taken here was stamped
    // with: a cue of a newer generation is never mistaken for a stale one.
    const uint32_t generation = generation_.load(std::memory_order_acquire);
    const auto later = [](const Pending& a, const Pending& b) { return ComesLater(a, b); };
    if (generation != pendingGeneration_) {
        const auto kept = std::remove_if(pending_.begin(), pending_.end(),
                                         [generation](const Pending& p) { return p.cue.generation != generation; });
        dropped_.fetch_add(static_cast<uint64_t>(pending_.end() - kept), std::memory_order_relaxed);
        pending_.erase(kept, pending_.end());
        std::make_heap(pending_.begin(), pending_.end(), later);
        pendingGeneration_ = generation;
    }
    uint64_t head = head_.load(std::memory_order_relaxed);
    for (; head != tail; ++head) {
        const Cue& cue = ring_[head & mask_];
        if (cue.generation != generation) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        pending_.push_back({cue, arrivals_++});
        std::push_heap(pending_.begin(), pending_.end(), later);
    }
    head_.store(head, std::memory_order_release);
}

void CueScheduler::Send(const Cue& cue)
{
    try {
        if (send_)
            send_(cue);
        sent_.fetch_add(1, std::memory_order_relaxed);
    } catch (const std::exception& e) {
        failed_.fetch_add(1, std::memory_order_relaxed);
        std::cerr << "Cue " << cue.id << " could not be sent: " << e.what() << std::endl;
    } catch (...) {
        failed_.fetch_add(1, std::memory_order_relaxed);
        std::cerr << "Cue " << cue.id << " could not be sent: unknown error" << std::endl;
    }
}

void CueScheduler::Run()
{
    granted_.store(TuneSchedulerThread(settings_.priority), std::memory_order_release);
    const auto onThread = [](const ThreadCallback& callback, const char* when) {
        if (!callback)
            return;
        try {
            callback();
        } catch (const std::exception& e) {
            std::cerr << "Cue sender " << when << ": " << e.what() << std::endl;
        } catch (...) {
            std::cerr << "Cue sender " << when << ": unknown error" << std::endl;
        }
    };
    onThread(started_, "could not start");
    const auto later = [](const Pending& a, const Pending& b) { return ComesLater(a, b); };
    const auto spin = std::chrono::duration_cast<Clock::duration>(std::max(settings_.spin, std::chrono::microseconds(0)));

    while (!stopping_.load(std::memory_order_acquire)) {
        Drain();
        if (pending_.empty()) {
            wake_->WaitUntil(std::nullopt);
            continue;
        }
        const Clock::time_point deadline = pending_.front().cue.deadline;
        Clock::time_point now = Clock::now();
        if (deadline - now > spin) {
            wake_->WaitUntil(deadline - spin);
            continue;
        }
        // The last stretch: a new cue, a cancel or a stop ends it early, to be looked at first.
        bool interrupted = false;
        while (now < deadline) {
            if (wake_->Take() || stopping_.load(std::memory_order_relaxed)) {
                interrupted = true;
                break;
            }
            CpuRelax();
            now = Clock::now();
        }
        if (interrupted)
            continue;
        // A cancel while this thread slept: the next Drain drops the cue.
        if (pending_.front().cue.generation != generation_.load(std::memory_order_acquire))
            continue;
        std::pop_heap(pending_.begin(), pending_.end(), later);
        const Cue cue = pending_.back().cue;
        pending_.pop_back();
        Send(cue);
    }

    // Everything scheduled before the stop goes, whether taken from the ring yet or not.
    const uint64_t tail = tail_.load(std::memory_order_acquire);
    dropped_.fetch_add(pending_.size() + (tail - head_.load(std::memory_order_relaxed)), std::memory_order_relaxed);
    head_.store(tail, std::memory_order_release);
    pending_.clear();
    onThread(finished_, "could not finish");
}

} // namespace zarn::audio
