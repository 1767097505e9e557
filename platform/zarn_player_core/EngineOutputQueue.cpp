#include "EngineOutputQueue.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#endif

namespace zarn::player {

// ---------------------------------------------------------------------------------------------
// WakeSignal
//
// Why no lost wake-up: a waiter counts itself in (waiters_) before it reads epoch_ and
// re-checks its condition, and sleeps only while epoch_ still holds what it read (the futex
// compares in the kernel). A notifier publishes its data, then increments epoch_, then reads
// waiters_, all sequentially consistent. If the waiter's read of epoch_ saw the increment,
// it also sees the data (the increment releases it) and does not sleep. If not, its count-in
// precedes the increment, so the notifier sees a waiter and wakes it; a wake that comes
// before the sleep finds epoch_ changed and the sleep returns at once.

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free,
              "the futex word is the atomic itself");

void WakeSignal::Notify()
{
    epoch_.fetch_add(1, std::memory_order_seq_cst);
    if (waiters_.load(std::memory_order_seq_cst) == 0)
        return;
#if defined(__linux__)
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&epoch_), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
#endif
}

uint32_t WakeSignal::PrepareWait()
{
    waiters_.fetch_add(1, std::memory_order_seq_cst);
    return epoch_.load(std::memory_order_seq_cst);
}

void WakeSignal::CancelWait()
{
    waiters_.fetch_sub(1, std::memory_order_seq_cst);
}

void WakeSignal::Sleep(uint32_t key, std::chrono::nanoseconds timeout)
{
    if (timeout.count() > 0) {
#if defined(__linux__)
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(std::min<int64_t>(seconds.count(), INT32_MAX));
        ts.tv_nsec = static_cast<long>((timeout - seconds).count());
        // EINTR, EAGAIN (the epoch moved on) and a timeout all end the wait alike.
        syscall(SYS_futex, reinterpret_cast<uint32_t*>(&epoch_), FUTEX_WAIT_PRIVATE, key, &ts, nullptr, 0);
#else
        // Without a futex: poll the epoch in short naps, so a notify is seen within one nap.
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (epoch_.load(std::memory_order_seq_cst) == key && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
#endif
    }
    CancelWait();
}

// ---------------------------------------------------------------------------------------------
// EngineOutputQueue

namespace {

enum : uint8_t {
    kOutputRecordNotice = 0,
    kOutputRecordCue = 1,
    kOutputRecordFadeDone = 2,
};
enum : uint8_t {
    kOutputFlagTruncated = 1,
    kOutputFlagExecute = 2,
};
constexpr uint8_t kLatestNew = 4; // in LatestSlot::middle, beside the buffer index
constexpr uint8_t kLatestIndex = 3;
constexpr std::string_view kOutputEllipsis = "\xE2\x80\xA6";

size_t OutputRoundUpToPowerOfTwo(size_t n)
{
    size_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// The longest start of `text` of at most `limit` bytes that does not split a UTF-8 character.
size_t OutputUtf8Prefix(std::string_view text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

} // namespace

struct EngineOutputQueue::RecordHeader
{
    uint64_t seq = 0;
    uint64_t lostBefore = 0; // items refused before this one, in all
    uint64_t lossSeq = 0; // the first of those refused since the record before this one
    uint64_t ref = 0; // FadeDone: the ticket; Cue: the event list
    int64_t frame = 0; // Cue
    int32_t value = 0; // Notice: the value; Cue: the song
    uint32_t event = 0; // Cue
    uint32_t textLength = 0;
    uint8_t type = kOutputRecordNotice;
    uint8_t kind = 0;
    uint8_t flags = 0;
    uint8_t reserved = 0;
};
EngineOutputQueue::EngineOutputQueue()
    : EngineOutputQueue(Config{})
{
}

EngineOutputQueue::EngineOutputQueue(Config config, WakeSignal* signal)
    : slots_(OutputRoundUpToPowerOfTwo(std::max<size_t>(config.slotCount, 4)))
    , maxText_(std::min(config.maxTextBytes, slots_ * kSlotBytes / 4))
    , ring_(new Slot[slots_])
    , latest_(new LatestSlot[kEngineEventKindCount])
    , ownSignal_(signal ? nullptr : std::make_unique<WakeSignal>())
    , signal_(signal ? signal : ownSignal_.get())
{
    static_assert(sizeof(RecordHeader) == 56, "a record with a short text fits in one slot");
    maxText_ = std::max(maxText_, kOutputEllipsis.size());
    // Touch every page now, so the render thread's first pushes do not fault them in.
    std::memset(static_cast<void*>(ring_.get()), 0, slots_ * sizeof(Slot));
}

EngineOutputQueue::~EngineOutputQueue() = default;

void EngineOutputQueue::WriteBytes(uint64_t slot, size_t offset, const void* data, size_t size)
{
    if (size == 0)
        return;
    const size_t ringBytes = slots_ * kSlotBytes;
    const size_t at = (static_cast<size_t>(slot & (slots_ - 1)) * kSlotBytes + offset) & (ringBytes - 1);
    auto* base = reinterpret_cast<unsigned char*>(ring_.get());
    const size_t first = std::min(size, ringBytes - at);
    std::memcpy(base + at, data, first);
    std::memcpy(base, static_cast<const unsigned char*>(data) + first, size - first);
}

void EngineOutputQueue::ReadBytes(uint64_t slot, size_t offset, void* data, size_t size) const
{
    if (size == 0)
        return;
    const size_t ringBytes = slots_ * kSlotBytes;
    const size_t at = (static_cast<size_t>(slot & (slots_ - 1)) * kSlotBytes + offset) & (ringBytes - 1);
    const auto* base = reinterpret_cast<const unsigned char*>(ring_.get());
    const size_t first = std::min(size, ringBytes - at);
    std::memcpy(data, base + at, first);
    std::memcpy(static_cast<unsigned char*>(data) + first, base, size - first);
}

bool EngineOutputQueue::PushRecord(RecordHeader& header, std::string_view text)
{
    const size_t keep = OutputUtf8Prefix(text, text.size() > maxText_ ? maxText_ - kOutputEllipsis.size() : maxText_);
    const bool cut = keep < text.size();
    const size_t length = keep + (cut ? kOutputEllipsis.size() : 0);
    const size_t need = (sizeof(RecordHeader) + length + kSlotBytes - 1) / kSlotBytes;

    header.seq = ++seq_;
    if (tail_ + need - cachedHead_ > slots_) {
        cachedHead_ = headShared_.load(std::memory_order_acquire);
        if (tail_ + need - cachedHead_ > slots_) {
            if (lost_ == lostAtLastRecord_)
                lossSeq_ = header.seq;
            ++lost_;
            lostShared_.store(lost_, std::memory_order_release);
            signal_->Notify();
            return false;
        }
    }
    header.lostBefore = lost_;
    header.lossSeq = lost_ > lostAtLastRecord_ ? lossSeq_ : 0;
    lostAtLastRecord_ = lost_;
    header.textLength = static_cast<uint32_t>(length);
    if (cut) {
        header.flags |= kOutputFlagTruncated;
        truncated_.store(++truncatedTotal_, std::memory_order_relaxed);
    }
    WriteBytes(tail_, 0, &header, sizeof header);
    WriteBytes(tail_, sizeof header, text.data(), keep);
    if (cut)
        WriteBytes(tail_, sizeof header + keep, kOutputEllipsis.data(), kOutputEllipsis.size());
    tail_ += need;
    tailShared_.store(tail_, std::memory_order_release);
    const size_t used = static_cast<size_t>(tail_ - cachedHead_);
    if (used > highWaterLocal_) {
        highWaterLocal_ = used;
        highWater_.store(used, std::memory_order_relaxed);
    }
    signal_->Notify();
    return true;
}

void EngineOutputQueue::PushLatest(EngineEventKind kind, int value, std::string_view text)
{
    LatestSlot& slot = latest_[static_cast<size_t>(kind)];
    LatestValue& v = slot.buffers[slot.back];
    v.seq = ++seq_;
    v.value = value;
    v.length = static_cast<uint32_t>(text.size());
    if (!text.empty())
        std::memcpy(v.text, text.data(), text.size());
    slot.back = slot.middle.exchange(static_cast<uint8_t>(slot.back | kLatestNew), std::memory_order_acq_rel) & kLatestIndex;
    signal_->Notify();
}

bool EngineOutputQueue::PushNotice(EngineEventKind kind, int value, std::string_view text)
{
    const auto index = static_cast<size_t>(kind);
    if (index >= static_cast<size_t>(kEngineEventKindCount))
        return false;
    if (IsCoalesced(kind) && text.size() <= kLatestTextBytes) {
        PushLatest(kind, value, text);
        return true;
    }
    RecordHeader header;
    header.type = kOutputRecordNotice;
    header.kind = static_cast<uint8_t>(index);
    header.value = value;
    return PushRecord(header, text);
}

bool EngineOutputQueue::PushCue(const CueRef& cue)
{
    RecordHeader header;
    header.type = kOutputRecordCue;
    header.ref = cue.list;
    header.value = cue.song;
    header.event = cue.event;
    header.frame = cue.frame;
    header.flags = cue.execute ? kOutputFlagExecute : 0;
    return PushRecord(header, {});
}

bool EngineOutputQueue::PushFadeDone(uint64_t ticket)
{
    RecordHeader header;
    header.type = kOutputRecordFadeDone;
    header.ref = ticket;
    return PushRecord(header, {});
}

void EngineOutputQueue::TakeLatest()
{
    for (size_t k = 0; k < pending_.size(); ++k) {
        if (!IsCoalesced(static_cast<EngineEventKind>(k)))
            continue;
        LatestSlot& slot = latest_[k];
        if (!(slot.middle.load(std::memory_order_relaxed) & kLatestNew))
            continue;
        slot.front = slot.middle.exchange(slot.front, std::memory_order_acq_rel) & kLatestIndex;
        // A value taken earlier but not yet handed out is stale now.
        pending_[k].present = true;
        pending_[k].value = slot.buffers[slot.front];
    }
}

bool EngineOutputQueue::Pop(EngineOutputItem& item)
{
    // Hand-out by sequence number is right only if every item numbered below the one handed
    // out is in view. Latest values are looked at first, so the ring read after them sees
    // every record pushed before them; and if there is a record, they are looked at again,
    // so that every value pushed before that record is seen too (it may have come in
    // between the first look and the ring read).
    TakeLatest();
    const uint64_t lostNow = lostShared_.load(std::memory_order_acquire);
    const uint64_t tail = tailShared_.load(std::memory_order_acquire);
    const bool haveRecord = head_ != tail;
    RecordHeader header;
    if (haveRecord) {
        ReadBytes(head_, 0, &header, sizeof header);
        TakeLatest();
    }

    // Items the full ring refused are reported where the first of them went missing: behind
    // the latest values pushed before it, ahead of the next record. With no record behind
    // them yet, that place is unknown, and the report goes ahead of every latest value.
    const uint64_t lostHere = haveRecord ? header.lostBefore : lostNow;
    const bool lossDue = lostHere > lostReported_;
    const uint64_t lossSeq = haveRecord ? header.lossSeq : 0;
    int oldest = -1;
    for (size_t k = 0; k < pending_.size(); ++k) {
        if (pending_[k].present && (oldest < 0 || pending_[k].value.seq < pending_[static_cast<size_t>(oldest)].value.seq))
            oldest = static_cast<int>(k);
    }
    if (oldest >= 0) {
        const uint64_t seq = pending_[static_cast<size_t>(oldest)].value.seq;
        if ((!lossDue || seq < lossSeq) && (!haveRecord || seq < header.seq)) {
            Pending& p = pending_[static_cast<size_t>(oldest)];
            p.present = false;
            item.type = EngineOutputItem::Type::Notice;
            item.notice.kind = static_cast<EngineEventKind>(oldest);
            item.notice.value = p.value.value;
            item.notice.text.assign(p.value.text, p.value.length);
            item.truncated = false;
            return true;
        }
    }
    if (lossDue) {
        item.type = EngineOutputItem::Type::Lost;
        item.lost = lostHere - lostReported_;
        lostReported_ = lostHere;
        return true;
    }
    if (!haveRecord)
        return false;

    switch (header.type) {
    case kOutputRecordCue:
        item.type = EngineOutputItem::Type::Cue;
        item.cue.list = header.ref;
        item.cue.song = header.value;
        item.cue.event = header.event;
        item.cue.frame = header.frame;
        item.cue.execute = (header.flags & kOutputFlagExecute) != 0;
        break;
    case kOutputRecordFadeDone:
        item.type = EngineOutputItem::Type::FadeDone;
        item.ticket = header.ref;
        break;
    default: {
        item.type = EngineOutputItem::Type::Notice;
        item.notice.kind = static_cast<EngineEventKind>(header.kind);
        item.notice.value = header.value;
        item.truncated = (header.flags & kOutputFlagTruncated) != 0;
        item.notice.text.resize(header.textLength);
        ReadBytes(head_, sizeof header, item.notice.text.data(), header.textLength);
        break;
    }
    }
    head_ += (sizeof(RecordHeader) + header.textLength + kSlotBytes - 1) / kSlotBytes;
    headShared_.store(head_, std::memory_order_release);
    return true;
}

bool EngineOutputQueue::HasWork() const
{
    if (head_ != tailShared_.load(std::memory_order_acquire) || lostShared_.load(std::memory_order_acquire) > lostReported_)
        return true;
    for (size_t k = 0; k < pending_.size(); ++k) {
        if (pending_[k].present)
            return true;
        if (IsCoalesced(static_cast<EngineEventKind>(k))
            && (latest_[k].middle.load(std::memory_order_acquire) & kLatestNew))
            return true;
    }
    return false;
}

bool EngineOutputQueue::WaitFor(std::chrono::nanoseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (HasWork())
            return true;
        if (interrupted_.exchange(false, std::memory_order_acq_rel))
            return false;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero())
            return false;
        signal_->WaitUntil([this] { return HasWork() || interrupted_.load(std::memory_order_acquire); }, left);
    }
}

void EngineOutputQueue::Interrupt()
{
    interrupted_.store(true, std::memory_order_release);
    signal_->Notify();
}

} // namespace zarn::player
