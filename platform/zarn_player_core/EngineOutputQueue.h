#pragma once

#include "EngineNotice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace zarn::player {

// Wakes a waiting thread from other threads without a lock. Notify is a counter increment,
// plus one wake-up system call only while someone waits; a waiter re-checks its condition
// after announcing itself, so a Notify that comes between its check and its sleep ends the
// sleep at once (no lost wake-up). Several queues may share one signal so that one
// delivery thread waits on all of them.
class WakeSignal
{
public:
    // Any thread, any number of them; never blocks.
    void Notify();

    // One waiting thread. Returns once ready() holds, after a Notify, or at the timeout,
    // whichever comes first (a Notify for something else counts): the caller re-checks.
    // Returns ready().
    template<class Ready>
    bool WaitUntil(Ready&& ready, std::chrono::nanoseconds timeout)
    {
        if (ready())
            return true;
        const uint32_t key = PrepareWait();
        if (ready()) {
            CancelWait();
            return true;
        }
        Sleep(key, timeout);
        return ready();
    }

private:
    uint32_t PrepareWait();
    void CancelWait();
    void Sleep(uint32_t key, std::chrono::nanoseconds timeout); // also ends the wait

    std::atomic<uint32_t> epoch_{0};
    std::atomic<uint32_t> waiters_{0};
};

// An OSC cue as the render thread names it: the index of an event in an event list the owner
// keeps (the list's id is the owner's to choose, a flow state's generation say), and the
// output frame at which the cue falls. The owner keeps the list until the delivery thread is
// done with every cue naming it.
struct CueRef
{
    uint64_t list = 0;
    int32_t song = -1;
    uint32_t event = 0;
    int64_t frame = 0;
    bool execute = true; // false: held back until playback starts
};

// What the delivery thread takes from the queue.
struct EngineOutputItem
{
    enum class Type : uint8_t {
        Notice, // notice
        Cue, // cue
        FadeDone, // ticket: a fade finished (FadeCompletions::Take)
        Lost, // lost: so many items were refused here while the queue was full
    };
    Type type = Type::Notice;
    EngineNotice notice; // its text keeps its capacity from item to item
    bool truncated = false; // the notice's text was longer than the queue takes and ends in "…"
    CueRef cue;
    uint64_t ticket = 0;
    uint64_t lost = 0;
};

// The engine's output on its way from the render thread (the one producer) to the delivery
// thread (the one consumer): notices, OSC cues, finished fades.
//
// The producer never blocks, takes no lock and allocates nothing: everything is allocated
// in the constructor. The consumer may fall behind by any amount of time (a GUI thread that
// stalls in a notification callback stalls the delivery thread with it) without holding up
// the producer.
//
// Delivery rules:
// - Kinds whose notice states a current value, which a newer one makes stale, are coalesced
//   (IsCoalesced): the playhead, bar and beat, volume, key, tempo, meter, tempo scale,
//   transposition, score page, and the MIDI activity blink. Each has one slot holding its
//   latest value; a value the consumer has not yet taken is replaced, so they never fill
//   the queue however far the consumer lags. The consumer gets the latest value, late.
// - Everything else is delivered, each item once, in the order pushed: playback started,
//   stopped, paused, fading; flow-control states; markers passed; song title and song
//   loaded; vamp on and off; learned and cancelled MIDI commands; cues; finished fades.
// - Order: every push takes the next number of one sequence, and the consumer hands out
//   what it has in that order; the only items skipped are coalesced values a newer value of
//   their kind replaced. So a coalesced value arrives neither before an item pushed ahead of
//   it (a song's playhead never before that song's "song loaded") nor after one pushed
//   behind it (the last song's playhead never after the next one's "song loaded").
// - Texts are copied whole, up to maxTextBytes (64 KiB less one byte by default): a record
//   is a 56-byte header and its text in as many consecutive 64-byte slots of the one ring as
//   it needs, so song numbers, titles and error texts naming paths arrive byte for byte,
//   and no second pool can run out on its own. A longer text (a show file may hold one) is
//   cut at a UTF-8 character boundary and ends in "…", and the item says so. A coalesced
//   value with a text longer than its slot holds (48 bytes) goes through the ring whole.
// - Full ring: the item is refused whole (the push returns false and never waits), counted,
//   and the consumer gets a Lost item with the count where the items went missing (after
//   the latest values pushed before the first of them, before the next record), so the
//   owner can say so and have the engine announce its state afresh. With coalescing the
//   ring holds only event-rate items, a handful per bar; the default 4096 slots (256 KiB)
//   hold many minutes of them.
// - MIDI notices come from the MIDI input thread, not the render thread: give that thread a
//   queue of its own sharing this one's WakeSignal, and have the delivery thread wait on the
//   signal for both. Several render threads likewise each get their own.
class EngineOutputQueue
{
public:
    struct Config
    {
        size_t slotCount = 4096; // 64 bytes each; rounded up to a power of two
        size_t maxTextBytes = 65535; // at most a quarter of the ring
    };

    static constexpr size_t kSlotBytes = 64;
    static constexpr size_t kLatestTextBytes = 48;

    static constexpr bool IsCoalesced(EngineEventKind kind)
    {
        switch (kind) {
        case EngineEventKind::Playhead:
        case EngineEventKind::BarBeat:
        case EngineEventKind::StatusVolume:
        case EngineEventKind::Key:
        case EngineEventKind::Tempo:
        case EngineEventKind::Meter:
        case EngineEventKind::TempoScale:
        case EngineEventKind::Transposition:
        case EngineEventKind::PageNum:
        case EngineEventKind::MidiNotification:
            return true;
        default:
            return false;
        }
    }

    // `signal`: one the consumer shares with other queues, or null for the queue's own.
    EngineOutputQueue();
    explicit EngineOutputQueue(Config config, WakeSignal* signal = nullptr);
    ~EngineOutputQueue();
    EngineOutputQueue(const EngineOutputQueue&) = delete;
    EngineOutputQueue& operator=(const EngineOutputQueue&) = delete;

    // Render thread (the one producer). Never block, lock or allocate; a consumer asleep in
    // WaitFor is woken with one system call that does not wait (a futex wake). False: the
    // ring was full and the item is lost (reported to the consumer as Lost); a coalesced
    // notice is always taken.
    bool PushNotice(EngineEventKind kind, int value = 0, std::string_view text = {});
    bool PushCue(const CueRef& cue);
    bool PushFadeDone(uint64_t ticket);

    // Delivery thread (the one consumer). Takes the next item; false when there is none now.
    // The item's strings keep their capacity, so a reused item allocates only for a text
    // longer than any before.
    bool Pop(EngineOutputItem& item);
    // Delivery thread: whether Pop has something to give.
    bool HasWork() const;
    // Delivery thread: waits until Pop has something to give (true), or until the timeout
    // passes or Interrupt is called (false). With a signal shared among queues, wait on it
    // instead: Signal().WaitUntil([&] { return a.HasWork() || b.HasWork(); }, timeout).
    bool WaitFor(std::chrono::nanoseconds timeout);
    // Any thread: ends the consumer's current or next WaitFor (shutdown).
    void Interrupt();

    // Any thread: how many items the full ring refused in all; the most slots in use at a
    // push, as the producer last saw the consumer's progress (so at most that many); how
    // many texts were cut.
    uint64_t LostCount() const { return lostShared_.load(std::memory_order_acquire); }
    size_t HighWaterSlots() const { return highWater_.load(std::memory_order_relaxed); }
    uint64_t TruncatedCount() const { return truncated_.load(std::memory_order_relaxed); }
    size_t CapacitySlots() const { return slots_; }
    size_t MaxTextBytes() const { return maxText_; }
    WakeSignal& Signal() { return *signal_; }

private:
    struct alignas(kSlotBytes) Slot
    {
        unsigned char bytes[kSlotBytes];
    };
    struct RecordHeader;
    struct LatestValue
    {
        uint64_t seq = 0;
        int32_t value = 0;
        uint32_t length = 0;
        char text[kLatestTextBytes] = {};
    };
    // A triple buffer: the producer writes its back buffer and swaps it with the middle one,
    // marking it new; the consumer swaps its front buffer with a new middle one.
    struct alignas(kSlotBytes) LatestSlot
    {
        std::array<LatestValue, 3> buffers;
        std::atomic<uint8_t> middle{1};
        uint8_t back = 0; // the producer's
        uint8_t front = 2; // the consumer's
    };
    struct Pending
    {
        bool present = false;
        LatestValue value;
    };

    bool PushRecord(RecordHeader& header, std::string_view text);
    void PushLatest(EngineEventKind kind, int value, std::string_view text);
    void WriteBytes(uint64_t slot, size_t offset, const void* data, size_t size);
    void ReadBytes(uint64_t slot, size_t offset, void* data, size_t size) const;
    void TakeLatest();

    size_t slots_;
    size_t maxText_;
    std::unique_ptr<Slot[]> ring_;
    std::unique_ptr<LatestSlot[]> latest_;
    std::unique_ptr<WakeSignal> ownSignal_;
    WakeSignal* signal_;

    // The producer's.
    alignas(kSlotBytes) uint64_t tail_ = 0;
    uint64_t cachedHead_ = 0;
    uint64_t seq_ = 0;
    uint64_t lost_ = 0;
    uint64_t lostAtLastRecord_ = 0;
    uint64_t lossSeq_ = 0; // the first refused since the last record
    uint64_t truncatedTotal_ = 0;
    size_t highWaterLocal_ = 0;

    alignas(kSlotBytes) std::atomic<uint64_t> tailShared_{0};
    std::atomic<uint64_t> lostShared_{0};
    std::atomic<size_t> highWater_{0};
    std::atomic<uint64_t> truncated_{0};
    alignas(kSlotBytes) std::atomic<uint64_t> headShared_{0};
    std::atomic<bool> interrupted_{false};

    // The consumer's.
    alignas(kSlotBytes) uint64_t head_ = 0;
    uint64_t lostReported_ = 0;
    std::array<Pending, kEngineEventKindCount> pending_{};
};

} // namespace zarn::player
