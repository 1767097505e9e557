#pragma once

#include "AudioFormat.h"
#include "PlaybackCore.h"
#include "StemStream.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarn::audio {

class ClickSynth;
class Stretcher;

struct ShowRenderSettings
{
    int sampleRate = 48000;
    // The most frames rendered in one piece; a longer Render call is served piece by piece.
    int maxBlockFrames = 1024;
    // Equal-power crossfade at a jump, fade-in from silence, fade-out to it.
    double crossfadeSeconds = 0.005;
    // Offline rendering (tests, a file): wait for the disk reader instead of playing silence
    // where a stem is not read yet, so what is rendered does not depend on the disk's speed.
    bool waitForDisk = false;
    StreamSettings stream;
};

// Where one Render call's sound goes: interleaved stereo buffers of the call's length, added
// into. stems[i] takes the song's stem i (SongDefinition::stems, each on its output path;
// stems on one path may share a buffer). A null buffer drops that part; it is rendered all the
// same, so it is in step when it is wanted again.
struct RenderTargets
{
    static constexpr int kMaxStems = 8;
    float* click = nullptr;
    std::array<float*, kMaxStems> stems{};
};

// The show's sound as the playback core says it goes, rendered frame by frame: the musical
// position advances by exactly the frames rendered, so what is heard cannot drift from the
// playhead, the flow and the cues.
//
// For the current song it plays a StemStream per stem (SongDefinition::stems) through a Stretcher each (bypassed,
// bit for bit, while no tempo scale or transposition is in force) and synthesises the click
// on the song's beat grid. A stem's position in its file at a tick is the tempo map's time
// from the song's audio start to that tick: a tempo scale does not move that mapping, it
// stretches the output. Each Render splits its block where the core's next boundary falls,
// so every jump of the flow is played at its exact frame, crossfaded from the old place's
// continuation to the new place; playback starts from silence with a short fade-in and
// stops with a short fade-out. Scale and transposition changes ahead are scheduled on the
// stretchers at their exact input frames, and every jump target of the flow is kept ready
// in the streams' cue caches.
//
// Threads. The caller owns the core and serialises access to it (its lock): the constructor,
// Render, Prepare and Ready are called with the core held, never at the same time. Render is the render
// thread's: it allocates nothing, takes no lock and never waits for the disk (unless
// waitForDisk), apart from what the core's own Advance does. Prepare, TakeProblems and the
// destructor are for one control thread; they open files, build grids and release streams.
// SetClickVolume is for any thread.
class ShowRender
{
public:
    // Stem files are found relative to showFolder. Throws std::invalid_argument for a sample
    // rate below 1000 Hz.
    ShowRender(player::PlaybackCore& core, std::string showFolder, ShowRenderSettings settings = {});
    ~ShowRender();
    ShowRender(const ShowRender&) = delete;
    ShowRender& operator=(const ShowRender&) = delete;

    // Control thread, after every command to the core and from time to time while playing:
    // makes ready the current song and the one that follows it (its streams opened, its click
    // grid and cue points taken from the flow), releases those no longer needed. Cheap when
    // nothing changed.
    void Prepare();
    // Control thread: what went wrong with stem files since the last call, each once, naming
    // the file ("Audio file not found: ..."). The song plays on without that stem.
    std::vector<std::string> TakeProblems();
    // Whether every stem of the current song has its file open and its cue points read
    // (control thread; for tests and the status of a load).
    bool Ready() const;

    // The click's level (the click cannot be muted: the output gain does not apply to it).
    void SetClickVolume(float gain) { clickVolume_.store(gain, std::memory_order_relaxed); }

    // Render thread: renders `frames` frames into the targets and advances the core by them.
    void Render(int64_t frames, const RenderTargets& targets);
    // Called on the render thread after each piece of a Render call has advanced the core,
    // with the frame of the call's block at which the core now stands: what the core handed
    // out in that piece (cues, with their delays from there) can be taken and timed to the
    // frame. Set it before rendering starts; null: none.
    using PieceHook = void (*)(void* context, int64_t frame);
    void SetPieceHook(PieceHook hook, void* context)
    {
        hook_ = hook;
        hookContext_ = context;
    }

    int SampleRate() const { return rate_; }
    int CrossfadeFrames() const { return fadeFrames_; }
    // Jumps of a stem that did not land on a ready cue (its sound came late or, offline,
    // was waited for). Any thread.
    int64_t UnreadyJumps() const { return unreadyJumps_.load(std::memory_order_relaxed); }
    // Stem frames played as silence because the disk had not caught up. Any thread.
    int64_t UnderrunFrames() const { return underrunFrames_.load(std::memory_order_relaxed); }

private:
    struct SongAudio;
    struct Lane;
    struct Scheduled
    {
        uint32_t tick = 0;
        double scale = 1.0;
        int semitones = 0;
    };
    static constexpr int kMaxScheduled = 16;

    std::unique_ptr<SongAudio> MakeSong(int index);
    void UpdateSong(SongAudio& song, bool current);
    bool InUse(const SongAudio* song) const;

    void Sync();
    void Capture(bool withContinuation);
    void StartStems(SongAudio* song);
    void JumpLane(Lane& lane, int64_t frame);
    void Schedule();
    void RenderStems(int64_t frames);
    void RenderClick(int64_t frames, float* out);
    void PullStem(Lane& lane, float* out, int frames);

    player::PlaybackCore& core_;
    const std::string folder_;
    const ShowRenderSettings settings_;
    const int rate_;
    const int fadeFrames_;
    std::unique_ptr<DiskReader> reader_;
    std::vector<std::unique_ptr<SongAudio>> songs_; // by song index; null where not prepared
    std::vector<std::string> problems_; // not yet taken
    std::vector<std::unique_ptr<Lane>> lanes_;
    std::atomic<float> clickVolume_{1.0f};
    PieceHook hook_ = nullptr;
    void* hookContext_ = nullptr;
    std::atomic<int64_t> unreadyJumps_{0};
    std::atomic<int64_t> underrunFrames_{0};

    // Render thread.
    SongAudio* stemSong_ = nullptr;  // whose stems the lanes play
    SongAudio* clickSong_ = nullptr; // whose click is running
    SongAudio* tailSong_ = nullptr;  // whose click rings out after a stop or a song change
    int64_t tailLeft_ = 0;
    bool stemsSounding_ = false; // the lanes play the core's position
    bool stemsAudible_ = false;  // that, or a fade-out still runs
    bool clickRunning_ = false;
    uint64_t seenGeneration_ = 0;
    bool moved_ = false; // the position jumped since the last piece
    int64_t base_ = 0;        // file frame of the stretchers' input frame 0
    int64_t rampPos_ = 0;     // frames into the crossfade; fadeFrames_ when none runs
    double gain_ = 0.0;       // output gain at the end of the last piece
    double pieceStart_ = 0.0; // the position the last piece started from
    double scale_ = 1.0;      // tempo scale and transposition the stretchers were told of
    int semitones_ = 0;
    Scheduled scheduled_[kMaxScheduled];
    int scheduledCount_ = 0;
    player::PlaybackCore::SoundChange upcoming_[kMaxScheduled];
    std::vector<float> clickScratch_;
    std::vector<float> rampIn_; // sin(pi/2 * j / fadeFrames_): fade-in gains, read backwards to fade out
};

} // namespace zarn::audio
