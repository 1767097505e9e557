#pragma once

#include "SongTimeMap.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace zarn::audio {

// One beat of the click: where it falls and whether it starts a bar.
struct ClickBeat
{
    uint32_t tick = 0;
    bool accent = false;
};

// The live click: a short decaying tone on every beat of a song's grid, higher and louder on
// a bar's first beat, rendered into interleaved stereo float blocks over a linear stretch of
// musical time. The render thread owns Render and Reset; one other thread may hand in a new
// grid at any time with SetGrid, which the render thread takes up at its next block.
class ClickSynth
{
public:
    static constexpr int kChannels = 2;
    static constexpr double kAccentHz = 1500.0;
    static constexpr double kBeatHz = 1000.0;
    static constexpr float kAccentLevel = 0.8f;
    static constexpr float kBeatLevel = 0.5f;
    static constexpr double kClickSeconds = 0.025;

    explicit ClickSynth(int sampleRate);
    ~ClickSynth();
    ClickSynth(const ClickSynth&) = delete;
    ClickSynth& operator=(const ClickSynth&) = delete;

    // The beats of a grid from SongTimeMap::BuildGrid (beat 1 of each bar accented).
    static std::vector<ClickBeat> BeatsOf(const std::vector<player::GridEntry>& grid);
    static std::vector<ClickBeat> BeatsOf(const player::SongTimeMap& map, const std::vector<player::ClickRange>& clicks);

    // Any one thread but the render thread. Beats are sorted by tick here; the render thread
    // switches to them at its next Render. The grid it drops is freed by the next SetGrid or
    // the destructor, never on the render thread.
    void SetGrid(std::vector<ClickBeat> beats);
    void SetGrid(const std::vector<player::GridEntry>& grid) { SetGrid(BeatsOf(grid)); }

    // Render thread. Adds the click into `out` (frames * 2 floats) times `gain`, for the
    // musical time fromTick + i * ticksPerFrame at frame i. A beat sounds on the first frame
    // whose musical time is at or past its tick. Blocks that continue one another (the next
    // starts where the last one ended) sound every beat once, and a click begun in one block
    // rings on into the next; a block that starts elsewhere is taken as a jump. A
    // ticksPerFrame of 0 (musical time held) sounds a beat at fromTick once and lets the
    // click ring.
    void Render(float* out, int64_t frames, double fromTick, double ticksPerFrame, float gain);

    // Render thread, after a jump: the next Render starts afresh at its fromTick (a beat
    // right there sounds), and a click still ringing fades out within a couple of
    // milliseconds rather than stopping dead.
    void Reset();

    int SampleRate() const { return sampleRate_; }
    // Frames one click lasts.
    int64_t ClickFrames() const { return static_cast<int64_t>(accentTone_.size()); }

private:
    struct Voice
    {
        const float* tone = nullptr; // null: free
        int64_t length = 0;
        int64_t position = 0; // the tone's next sample
        int64_t releaseLeft = -1; // >= 0: fading out, frames left
    };
    static constexpr int kVoices = 4;

    struct Grid
    {
        std::vector<ClickBeat> beats;
        Grid* next = nullptr; // in the retired list
    };

    void TakeUpNewGrid();
    static void FreeList(Grid* grid);
    void StartVoice(const std::vector<float>& tone);
    void RenderVoices(float* out, int64_t frames, float gain);

    int sampleRate_;
    int64_t releaseFrames_;
    std::vector<float> accentTone_;
    std::vector<float> beatTone_;
    Voice voices_[kVoices];

    // The render thread's grid. A new one arrives through pending_; the one it replaces goes
    // onto the retired list (pushed by the render thread alone, emptied whole by SetGrid).
    Grid* grid_ = nullptr;
    std::atomic<Grid*> pending_{nullptr};
    std::atomic<Grid*> retired_{nullptr};

    // Where the last block ended: musical time of its last frame and its step.
    bool continuing_ = false;
    double lastTick_ = 0.0;
    double lastStep_ = 0.0;
};

} // namespace zarn::audio
