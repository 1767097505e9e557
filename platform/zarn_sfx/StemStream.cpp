#include "StemStream.h"

#include "AudioFileReader.h"
#include "RateConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#if defined(__linux__)
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace zarn::audio {

namespace {

enum CacheState : int
{
    kEmpty,
    kFilling,
    kReady,
    kInUse,
};

// A ring request packs its generation and frame into one atomic word, so the reader never
// sees the frame of one jump with the generation of another.
constexpr int kFrameBits = 44;
constexpr uint64_t kFrameMask = (uint64_t(1) << kFrameBits) - 1;
constexpr uint32_t kGenerationMask = (uint32_t(1) << (64 - kFrameBits)) - 1;
constexpr int64_t kFrameBias = int64_t(1) << (kFrameBits - 1);

uint64_t PackRequest(uint32_t generation, int64_t frame)
{
    return uint64_t(generation & kGenerationMask) << kFrameBits | (uint64_t(frame + kFrameBias) & kFrameMask);
}
uint32_t RequestGeneration(uint64_t request) { return uint32_t(request >> kFrameBits); }
int64_t RequestFrame(uint64_t request) { return int64_t(request & kFrameMask) - kFrameBias; }

// Input frames the reader takes from the file per read when converting the rate.
constexpr int64_t kInputChunk = 4096;

// How long the reader sleeps when nothing wakes it; it then looks at every stream anyway.
constexpr auto kIdleWait = std::chrono::milliseconds(50);

StreamSettings Checked(StreamSettings settings)
{
    settings.readAheadSeconds = std::max(settings.readAheadSeconds, 0.05);
    settings.cueCacheSeconds = std::max(settings.cueCacheSeconds, 0.0);
    settings.blockFrames = std::max(settings.blockFrames, 16);
    settings.maxCuePoints = std::max(settings.maxCuePoints, 0);
    return settings;
}

void Silence(float* out, int64_t frames)
{
    if (frames > 0)
        std::memset(out, 0, size_t(frames) * kChannels * sizeof(float));
}

} // namespace

// Wakes the reader from any thread without blocking or locking: a flag, and a futex wake
// only when the flag goes up. (libstdc++ 12's semaphores can lose a wake-up.)
struct StemStream::Wake
{
    std::atomic<int32_t> pending{0};
#if !defined(__linux__)
    std::mutex mutex;
    std::condition_variable condition;
#endif

    void Signal()
    {
        if (pending.exchange(1, std::memory_order_acq_rel) != 0)
            return;
#if defined(__linux__)
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&pending), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
#else
        condition.notify_one(); // without the lock: a missed wake-up costs one idle wait
#endif
    }

    void WaitFor(std::chrono::milliseconds timeout)
    {
        if (pending.exchange(0, std::memory_order_acq_rel) != 0)
            return;
#if defined(__linux__)
        const timespec wait{time_t(timeout.count() / 1000), long(timeout.count() % 1000) * 1000000L};
        // Sleeps only while the flag is still down, so a Signal in between is never lost.
        syscall(SYS_futex, reinterpret_cast<int32_t*>(&pending), FUTEX_WAIT_PRIVATE, 0, &wait, nullptr, 0);
#else
        std::unique_lock lock(mutex);
        condition.wait_for(lock, timeout, [&] { return pending.load(std::memory_order_acquire) != 0; });
#endif
        pending.exchange(0, std::memory_order_acq_rel);
    }
};

// Produces a stream's frames at the output rate from one position on, from the file and
// through the rate converter: silence before the file's first frame and from its end on.
class Cursor
{
public:
    Cursor(AudioFileReader& file, int outputRate)
        : file_(file)
    {
        if (file.Info().sampleRate != outputRate) {
            converter_.emplace(file.Info().sampleRate, outputRate);
            input_.resize(size_t(kInputChunk) * kChannels);
            scratch_.resize(size_t(kInputChunk) * kChannels);
        }
    }

    int64_t Next() const { return next_; }

    void Start(int64_t frame)
    {
        next_ = frame;
        if (!converter_)
            return;
        const RateConverter::Start start = converter_->StartFor(frame);
        converter_->Reset();
        fileNext_ = start.inputFrame;
        discard_ = start.discard;
        inputHead_ = inputCount_ = 0;
        inputEnded_ = false;
    }

    // Writes `frames` frames from Next() on. `length` is the stream's length in output
    // frames; the reader shortens it when the file ends early. Throws AudioFileError when
    // the file cannot seek.
    void Produce(float* out, int64_t frames, int64_t length)
    {
        while (frames > 0) {
            int64_t n = 0;
            if (next_ < 0) {
                n = std::min(frames, -next_);
                Silence(out, n);
            } else if (next_ >= length) {
                n = frames;
                Silence(out, n);
            } else {
                n = converter_ ? Convert(out, std::min(frames, length - next_))
                               : Read(out, std::min(frames, length - next_));
                if (n == 0) {
                    // The file gave out before the stream's length: silence to its end.
                    n = frames;
                    Silence(out, n);
                }
            }
            out += n * kChannels;
            frames -= n;
            next_ += n;
        }
    }

private:
    int64_t Read(float* out, int64_t frames)
    {
        if (file_.Position() != next_)
            file_.Seek(next_);
        return file_.Read(out, frames);
    }

    int64_t Convert(float* out, int64_t frames)
    {
        int64_t written = 0;
        while (written < frames) {
            if (inputCount_ == 0 && !inputEnded_) {
                if (file_.Position() != fileNext_)
                    file_.Seek(fileNext_);
                inputCount_ = file_.Read(input_.data(), kInputChunk);
                inputHead_ = 0;
                fileNext_ += inputCount_;
                inputEnded_ = inputCount_ < kInputChunk;
            }
            const bool dropping = discard_ > 0;
            float* target = dropping ? scratch_.data() : out + written * kChannels;
            const int64_t room = dropping ? std::min<int64_t>(discard_, kInputChunk) : frames - written;
            const RateConverter::Result result = converter_->Process(
                input_.data() + inputHead_ * kChannels, inputCount_, target, room, inputEnded_);
            inputHead_ += result.consumed;
            inputCount_ -= result.consumed;
            if (dropping)
                discard_ -= result.produced;
            else
                written += result.produced;
            if (result.produced == 0 && result.consumed == 0 && (inputEnded_ || inputCount_ > 0))
                break; // drained, or the converter refuses: the rest is silence
        }
        return written;
    }

    AudioFileReader& file_;
    std::optional<RateConverter> converter_;
    int64_t next_ = 0;
    int64_t fileNext_ = 0;
    int64_t discard_ = 0;
    std::vector<float> input_;
    int64_t inputHead_ = 0;
    int64_t inputCount_ = 0;
    bool inputEnded_ = false;
    std::vector<float> scratch_;
};

struct StemStream::ReaderSide
{
    bool opened = false;
    std::optional<AudioFileReader> file;
    std::optional<Cursor> ring;
    std::optional<Cursor> cache;
    int64_t length = 0;     // output frames, as the reader knows it
    int64_t fileFrames = 0; // the file's readable frames when length was last worked out
    uint64_t request = ~uint64_t(0);
    std::vector<int64_t> cues; // sorted, at most maxCuePoints
};

StemStream::StemStream(std::string path, int outputRate, const StreamSettings& settings, std::shared_ptr<Wake> wake)
    : path_(std::move(path))
    , outputRate_(outputRate)
    , settings_(settings)
    , ringBlocks_(int64_t(std::ceil(settings.readAheadSeconds * outputRate / settings.blockFrames)) + 1)
    , cacheFrames_(std::max<int64_t>(int64_t(std::llround(settings.cueCacheSeconds * outputRate)), 1))
    , wake_(std::move(wake))
    , ringData_(size_t(ringBlocks_ * settings.blockFrames * kChannels))
    , blocks_(size_t(ringBlocks_))
    , request_(PackRequest(0, 0))
    , played_(PackRequest(0, 0))
    , caches_(std::make_unique<CueCache[]>(size_t(std::max(settings.maxCuePoints, 0))))
    , reader_(std::make_unique<ReaderSide>())
{
}

StemStream::~StemStream() = default;

std::string StemStream::Problem() const
{
    std::lock_guard lock(mutex_);
    return problem_;
}

void StemStream::SetCuePoints(std::vector<int64_t> frames)
{
    {
        std::lock_guard lock(mutex_);
        pendingCues_ = std::move(frames);
    }
    cuesChanged_.store(true, std::memory_order_release);
    wake_->Signal();
}

bool StemStream::IsCueReady(int64_t frame) const
{
    for (int i = 0; i < settings_.maxCuePoints; ++i) {
        const int state = caches_[i].state.load(std::memory_order_acquire);
        if ((state == kReady || state == kInUse) && caches_[i].frame.load(std::memory_order_relaxed) == frame)
            return true;
    }
    return false;
}

void StemStream::Signal()
{
    wake_->Signal();
    poppedSinceSignal_ = 0;
}

void StemStream::PublishPosition()
{
    publishedPosition_.store(position_, std::memory_order_relaxed);
    played_.store(PackRequest(generation_, position_), std::memory_order_relaxed);
}

void StemStream::ReleaseCache()
{
    if (activeCache_)
        activeCache_->state.store(kReady, std::memory_order_release);
    activeCache_ = nullptr;
}

bool StemStream::Jump(int64_t frame)
{
    if (activeCache_ && activeCache_->frame.load(std::memory_order_relaxed) == frame) {
        // Back to the cue point whose cache is still playing (a loop shorter than the cache):
        // the ring behind the cache is still the right one.
        cacheOffset_ = 0;
        position_ = frame;
        PublishPosition();
        return true;
    }
    ReleaseCache();
    generation_ = (generation_ + 1) & kGenerationMask;
    for (int i = 0; i < settings_.maxCuePoints && !activeCache_; ++i) {
        CueCache& cache = caches_[i];
        if (cache.state.load(std::memory_order_relaxed) != kReady
            || cache.frame.load(std::memory_order_relaxed) != frame)
            continue;
        int expected = kReady;
        if (!cache.state.compare_exchange_strong(expected, kInUse, std::memory_order_acquire))
            continue;
        // The reader may have refilled the slot for another frame between the two looks.
        if (cache.frame.load(std::memory_order_relaxed) == frame)
            activeCache_ = &cache;
        else
            cache.state.store(kReady, std::memory_order_release);
    }
    cacheOffset_ = 0;
    const int64_t ringFrom = activeCache_ ? frame + activeCache_->frames : frame;
    request_.store(PackRequest(generation_, ringFrom), std::memory_order_release);
    head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release);
    position_ = frame;
    PublishPosition();
    Signal();
    return activeCache_ != nullptr;
}

PullResult StemStream::Pull(float* out, int64_t frames)
{
    PullResult result;
    const int64_t length = length_.load(std::memory_order_acquire);
    uint64_t head = head_.load(std::memory_order_relaxed);
    const uint64_t tail = tail_.load(std::memory_order_acquire);
    int64_t offset = 0;
    auto sound = [&](int64_t at) {
        if (silent_ && result.resumeAt < 0)
            result.resumeAt = at;
        silent_ = false;
    };
    auto underrun = [&](int64_t n) {
        Silence(out + offset * kChannels, n);
        result.underrunFrames += n;
        silent_ = true;
        result.resumeAt = -1; // sound resumes later, if at all in this block
    };
    while (offset < frames) {
        const int64_t want = frames - offset;
        float* target = out + offset * kChannels;
        int64_t n = 0;
        if (length == 0 || (length > 0 && position_ >= length)) {
            n = want;
            Silence(target, n);
        } else if (activeCache_) {
            n = std::min(want, activeCache_->frames - cacheOffset_);
            std::memcpy(target, activeCache_->data.data() + cacheOffset_ * kChannels,
                        size_t(n) * kChannels * sizeof(float));
            sound(offset);
            cacheOffset_ += n;
            if (cacheOffset_ >= activeCache_->frames)
                ReleaseCache();
        } else if (head == tail) {
            // Up to the end only: past it the stream is silent anyway.
            n = length > 0 ? std::min(want, length - position_) : want;
            underrun(n);
        } else {
            const Block& block = blocks_[head % ringBlocks_];
            if (block.generation != generation_ || block.start + block.frames <= position_) {
                ++head;
                ++poppedSinceSignal_;
                continue;
            }
            if (block.start > position_) {
                n = std::min(want, block.start - position_);
                underrun(n);
            } else {
                const int64_t from = position_ - block.start;
                n = std::min(want, block.frames - from);
                const float* source = ringData_.data() + (head % ringBlocks_) * settings_.blockFrames * kChannels;
                std::memcpy(target, source + from * kChannels, size_t(n) * kChannels * sizeof(float));
                sound(offset);
                if (from + n == block.frames) {
                    ++head;
                    ++poppedSinceSignal_;
                }
            }
        }
        offset += n;
        position_ += n;
    }
    head_.store(head, std::memory_order_release);
    PublishPosition();
    // Wake the reader once a good part of the ring is free, or at once when it fell behind.
    if (result.underrunFrames > 0 || poppedSinceSignal_ >= std::max<int64_t>(ringBlocks_ / 8, 1))
        Signal();
    return result;
}

int64_t StemStream::ReadyFrames() const
{
    const int64_t length = length_.load(std::memory_order_acquire);
    if (length < 0)
        return 0;
    int64_t position = position_;
    int64_t ready = 0;
    if (activeCache_) {
        ready = activeCache_->frames - cacheOffset_;
        position += ready;
    }
    const uint64_t tail = tail_.load(std::memory_order_acquire);
    for (uint64_t head = head_.load(std::memory_order_relaxed); head != tail; ++head) {
        const Block& block = blocks_[head % ringBlocks_];
        if (block.generation != generation_ || block.start + block.frames <= position)
            continue;
        if (block.start > position)
            break;
        ready += block.start + block.frames - position;
        position = block.start + block.frames;
    }
    return std::min(ready, std::max<int64_t>(length - position_, 0));
}

void StemStream::NoteFileProblem(const std::string& text, bool failed)
{
    {
        std::lock_guard lock(mutex_);
        problem_ = text;
    }
    if (failed)
        failed_.store(true, std::memory_order_release);
    hasProblem_.store(true, std::memory_order_release);
}

void StemStream::OpenFile()
{
    ReaderSide& r = *reader_;
    r.opened = true;
    try {
        r.file.emplace(path_);
        r.ring.emplace(*r.file, outputRate_);
        r.cache.emplace(*r.file, outputRate_);
    } catch (const std::exception& e) {
        r.cache.reset();
        r.ring.reset();
        r.file.reset();
        // A rate libsamplerate refuses says so without the file's name.
        const std::string text = dynamic_cast<const AudioFileError*>(&e)
                                     ? std::string(e.what())
                                     : "Audio file " + path_ + " cannot be played: " + e.what();
        NoteFileProblem(text, true);
        length_.store(0, std::memory_order_release);
        return;
    }
    if (!r.file->Warning().empty())
        NoteFileProblem(r.file->Warning(), false);
    PublishLength();
}

// The stream's length follows the file's readable frames, which shrink when a read finds
// the file cut short.
void StemStream::PublishLength()
{
    ReaderSide& r = *reader_;
    const AudioFileInfo& info = r.file->Info();
    if (length_.load(std::memory_order_relaxed) >= 0 && info.frames == r.fileFrames)
        return;
    r.fileFrames = info.frames;
    r.length = info.sampleRate == outputRate_
                   ? info.frames
                   : (info.frames * outputRate_ + info.sampleRate / 2) / info.sampleRate;
    if (length_.load(std::memory_order_relaxed) >= 0 && !r.file->Warning().empty())
        NoteFileProblem(r.file->Warning(), false);
    length_.store(r.length, std::memory_order_release);
}

bool StemStream::ServeRing(int64_t maxBlocks, bool lowOnly)
{
    ReaderSide& r = *reader_;
    if (!r.opened) {
        OpenFile();
        return true;
    }
    if (!r.file)
        return false;
    const int64_t blockFrames = settings_.blockFrames;
    int64_t produced = 0;
    try {
        while (produced < maxBlocks) {
            const uint64_t request = request_.load(std::memory_order_acquire);
            if (request != r.request) {
                r.request = request;
                r.ring->Start(RequestFrame(request));
            }
            // A render thread that ran far past what the ring holds (a slow disk) would
            // only throw these frames away: go to where it is now. Only a position of the
            // same jump counts: the one before a jump back is far ahead of the new ring.
            const uint64_t played = played_.load(std::memory_order_relaxed);
            if (RequestGeneration(played) == RequestGeneration(request)
                && RequestFrame(played) > r.ring->Next() + ringBlocks_ * blockFrames / 2)
                r.ring->Start(RequestFrame(played) + 2 * blockFrames);
            const uint64_t tail = tail_.load(std::memory_order_relaxed);
            const uint64_t head = head_.load(std::memory_order_acquire);
            const int64_t upTo = lowOnly ? std::max<int64_t>(ringBlocks_ / 4, 1) : ringBlocks_;
            if (int64_t(tail - head) >= upTo || r.ring->Next() >= r.length)
                break;
            Block& block = blocks_[tail % ringBlocks_];
            block.start = r.ring->Next();
            block.frames = std::min(blockFrames, r.length - block.start);
            block.generation = RequestGeneration(request);
            r.ring->Produce(ringData_.data() + (tail % ringBlocks_) * blockFrames * kChannels, block.frames,
                            r.length);
            tail_.store(tail + 1, std::memory_order_release);
            ++produced;
            PublishLength();
        }
    } catch (const AudioFileError& e) {
        NoteFileProblem(e.what(), false);
        r.length = std::min(r.length, r.ring->Next());
        r.fileFrames = r.file->Info().frames;
        length_.store(r.length, std::memory_order_release);
    }
    return produced > 0;
}

bool StemStream::ServeCues()
{
    ReaderSide& r = *reader_;
    if (!r.file)
        return false;
    const int slots = settings_.maxCuePoints;
    if (cuesChanged_.exchange(false, std::memory_order_acq_rel)) {
        std::vector<int64_t> cues;
        {
            std::lock_guard lock(mutex_);
            cues = pendingCues_;
        }
        std::sort(cues.begin(), cues.end());
        cues.erase(std::unique(cues.begin(), cues.end()), cues.end());
        if (cues.size() > size_t(slots))
            cues.resize(size_t(slots));
        r.cues = std::move(cues);
    }
    auto wanted = [&](int64_t frame) { return std::binary_search(r.cues.begin(), r.cues.end(), frame); };
    bool worked = false;
    // Free what is no longer wanted; a cache the render thread is playing waits for the
    // next round.
    for (int i = 0; i < slots; ++i) {
        CueCache& cache = caches_[i];
        int expected = kReady;
        if (!wanted(cache.frame.load(std::memory_order_relaxed))
            && cache.state.compare_exchange_strong(expected, kEmpty, std::memory_order_acq_rel)) {
            std::vector<float>().swap(cache.data);
            worked = true;
        }
    }
    // Fill one missing cache per round, so one stream's cues do not hold up the others.
    for (const int64_t frame : r.cues) {
        bool held = false;
        CueCache* empty = nullptr;
        for (int i = 0; i < slots && !held; ++i) {
            const int state = caches_[i].state.load(std::memory_order_acquire);
            if (state == kEmpty) {
                if (!empty)
                    empty = &caches_[i];
            } else if (caches_[i].frame.load(std::memory_order_relaxed) == frame) {
                held = true;
            }
        }
        if (held || !empty)
            continue;
        empty->state.store(kFilling, std::memory_order_relaxed);
        empty->frame.store(frame, std::memory_order_relaxed);
        empty->frames = std::clamp<int64_t>(r.length - frame, 0, cacheFrames_);
        empty->data.resize(size_t(empty->frames) * kChannels);
        try {
            r.cache->Start(frame);
            r.cache->Produce(empty->data.data(), empty->frames, r.length);
        } catch (const AudioFileError& e) {
            NoteFileProblem(e.what(), false);
            Silence(empty->data.data(), empty->frames);
        }
        PublishLength();
        empty->state.store(kReady, std::memory_order_release);
        return true;
    }
    return worked;
}

DiskReader::DiskReader(StreamSettings settings)
    : settings_(Checked(settings))
    , wake_(std::make_shared<StemStream::Wake>())
{
    thread_ = std::thread([this] { Run(); });
}

DiskReader::~DiskReader()
{
    stop_.store(true, std::memory_order_release);
    wake_->Signal();
    thread_.join();
}

std::shared_ptr<StemStream> DiskReader::Open(const std::string& path, int outputRate)
{
    if (outputRate < 1)
        throw std::invalid_argument("Cannot stream " + path + " at an output rate of " + std::to_string(outputRate)
                                    + " Hz");
    std::shared_ptr<StemStream> stream(new StemStream(path, outputRate, settings_, wake_));
    {
        std::lock_guard lock(mutex_);
        streams_.push_back(stream);
    }
    wake_->Signal();
    return stream;
}

void DiskReader::SetPausedForTesting(bool paused)
{
    paused_.store(paused, std::memory_order_release);
    wake_->Signal();
    std::unique_lock lock(mutex_);
    heldChanged_.wait(lock, [&] { return held_ == paused; });
}

void DiskReader::Run()
{
    std::vector<std::shared_ptr<StemStream>> streams;
    while (!stop_.load(std::memory_order_acquire)) {
        {
            std::lock_guard lock(mutex_);
            const bool paused = paused_.load(std::memory_order_acquire);
            if (held_ != paused) {
                held_ = paused;
                heldChanged_.notify_all();
            }
            if (!paused) {
                std::erase_if(streams_, [](const std::weak_ptr<StemStream>& s) { return s.expired(); });
                for (const auto& weak : streams_) {
                    if (auto stream = weak.lock())
                        streams.push_back(std::move(stream));
                }
            }
        }
        // Rings that run low first (a jump, a new stream), then one cue cache per stream,
        // then the rings topped up a few blocks at a time, round and round.
        bool worked = false;
        for (const auto& stream : streams)
            worked |= stream->ServeRing(INT64_MAX, true);
        for (const auto& stream : streams)
            worked |= stream->ServeCues();
        for (const auto& stream : streams)
            worked |= stream->ServeRing(8, false);
        // A stream its owner let go of is destroyed here, on this thread, not on the render
        // thread.
        streams.clear();
        if (!worked)
            wake_->WaitFor(kIdleWait);
    }
}

} // namespace zarn::audio
