#pragma once

#include "AudioFormat.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zarn::audio {

class DiskReader;

struct StreamSettings
{
    double readAheadSeconds = 2.0; // the ring ahead of the play position
    double cueCacheSeconds = 0.5;  // held at each cue point, enough for the ring to catch up behind it
    int blockFrames = 1024;        // the reader fills the ring in blocks of this many frames
    int maxCuePoints = 64;         // cue points beyond this many (in frame order) are not cached
};

struct PullResult
{
    // Frames written as silence because the disk reader had not caught up (before the file
    // is open, after a jump to a frame with no cache, when the disk is slow).
    int64_t underrunFrames = 0;
    // Offset in the block at which sound resumes after such silence, so the caller can fade
    // in from there; -1 when it does not.
    int64_t resumeAt = -1;
};

// One stem streamed from disk at the output rate. A position is a frame at the output rate
// counted from the file's first frame; before the first frame and after the last the stream
// is silent. Only a ring ahead of the play position and small caches at the cue points are
// held in memory; the DiskReader thread opens the file, reads, converts and refills.
//
// Threads: Pull, Jump and ReadyFrames belong to one render thread and never block, lock or
// allocate. SetCuePoints and Problem are for any thread but the render thread. The rest is
// for any thread. Make streams with DiskReader::Open and release them off the render thread
// once it no longer pulls them.
class StemStream
{
public:
    ~StemStream();
    StemStream(const StemStream&) = delete;
    StemStream& operator=(const StemStream&) = delete;

    const std::string& Path() const { return path_; }
    int OutputRate() const { return outputRate_; }
    // Frames at the output rate; -1 while the file is being opened, 0 when it could not be.
    // It shrinks when the file turns out to be cut short.
    int64_t Length() const { return length_.load(std::memory_order_acquire); }
    // The play position as of the last Pull or Jump.
    int64_t Position() const { return publishedPosition_.load(std::memory_order_relaxed); }
    // True when the file could not be read at all (the stream plays silence).
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    bool HasProblem() const { return hasProblem_.load(std::memory_order_acquire); }
    // What went wrong with the file, naming it, for the engine to report: it could not be
    // read (Failed), or it is cut short and plays what there is. Empty when all is well.
    std::string Problem() const;

    // The frames a render-thread Jump should land on at once. Replaces the previous set; the
    // reader fills the caches in the background. Not on the render thread.
    void SetCuePoints(std::vector<int64_t> frames);
    // Whether a Jump to this frame now lands on ready frames.
    bool IsCueReady(int64_t frame) const;

    // Render thread. Writes `frames` stereo frames to out, always: the stem's sound where it
    // is ready, silence elsewhere.
    PullResult Pull(float* out, int64_t frames);
    // Render thread. Moves the play position. True when it lands on a ready cue point: the
    // next Pull continues there without a gap while the ring refills behind the cache. Else
    // the stream is silent until the reader catches up (Pull reports where sound resumes).
    bool Jump(int64_t frame);
    // Render thread. Frames ready from the play position on, without a gap.
    int64_t ReadyFrames() const;

private:
    friend class DiskReader;
    struct Wake;
    struct ReaderSide;
    struct Block
    {
        int64_t start = 0;
        int64_t frames = 0;
        uint32_t generation = 0;
    };
    struct CueCache
    {
        // kEmpty and kFilling belong to the reader, kInUse to the render thread; only the
        // owner touches frames and data.
        std::atomic<int> state{0};
        std::atomic<int64_t> frame{0};
        int64_t frames = 0;
        std::vector<float> data;
    };

    StemStream(std::string path, int outputRate, const StreamSettings& settings, std::shared_ptr<Wake> wake);

    // Reader thread. Each returns true when it did some work.
    // lowOnly: fill only up to a quarter of the ring, so every stream gets some first.
    bool ServeRing(int64_t maxBlocks, bool lowOnly);
    bool ServeCues();
    void OpenFile();
    void NoteFileProblem(const std::string& text, bool failed);
    void PublishLength();

    void Signal();
    void PublishPosition();
    void ReleaseCache();

    const std::string path_;
    const int outputRate_;
    const StreamSettings settings_;
    const int64_t ringBlocks_;
    const int64_t cacheFrames_;
    std::shared_ptr<Wake> wake_;

    // Shared between the render thread and the reader.
    std::vector<float> ringData_;
    std::vector<Block> blocks_;
    std::atomic<uint64_t> head_{0}; // next block the render thread reads
    std::atomic<uint64_t> tail_{0}; // next block the reader writes
    std::atomic<uint64_t> request_;  // generation and frame the ring should hold from
    std::atomic<uint64_t> played_;   // generation and play position, packed alike
    std::unique_ptr<CueCache[]> caches_;
    std::atomic<int64_t> length_{-1};
    std::atomic<int64_t> publishedPosition_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> hasProblem_{false};
    std::atomic<bool> cuesChanged_{false};

    // Render thread only.
    int64_t position_ = 0;
    uint32_t generation_ = 0;
    CueCache* activeCache_ = nullptr;
    int64_t cacheOffset_ = 0;
    bool silent_ = false; // silence was written for want of data; the next sound resumes
    int64_t poppedSinceSignal_ = 0;

    // Guarded by mutex_: handed between the control threads and the reader.
    mutable std::mutex mutex_;
    std::string problem_;
    std::vector<int64_t> pendingCues_;

    std::unique_ptr<ReaderSide> reader_; // reader thread only
};

// The one thread that reads every stem stream from disk: it opens the files, converts their
// rate and keeps each stream's ring and cue caches filled, the most urgent first.
class DiskReader
{
public:
    explicit DiskReader(StreamSettings settings = {});
    // Stops the thread. Streams still held elsewhere stay valid and play silence.
    ~DiskReader();
    DiskReader(const DiskReader&) = delete;
    DiskReader& operator=(const DiskReader&) = delete;

    // Not on the render thread. Returns at once; the reader opens the file (Length() stays
    // -1 until then) and fills the ring from frame 0. Throws std::invalid_argument for an
    // output rate below 1.
    std::shared_ptr<StemStream> Open(const std::string& path, int outputRate);

    // Tests: holds the reader between two passes (returns once it is held), so what a stream
    // does while the disk lags can be seen without racing it.
    void SetPausedForTesting(bool paused);

private:
    void Run();

    const StreamSettings settings_;
    std::shared_ptr<StemStream::Wake> wake_;
    std::mutex mutex_;
    std::condition_variable heldChanged_;
    std::vector<std::weak_ptr<StemStream>> streams_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    bool held_ = false; // guarded by mutex_
    std::thread thread_;
};

} // namespace zarn::audio
