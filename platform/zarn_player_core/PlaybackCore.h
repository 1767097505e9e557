#pragma once

#include "EngineNotice.h"
#include "FlowSnapshot.h"
#include "ShowDefinition.h"
#include "SongTimeMap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarn::player {

// The engine's playback state: where the playhead stands in musical time, the flow
// control it is in, the fade and volume. Deterministic and single-threaded: the caller
// serialises access, moves time with Advance(), and collects what happened (notices,
// OSC cues, fade completions) with TakeOutput() to deliver it outside its lock.
class PlaybackCore
{
public:
    struct CueDispatch
    {
        FlowEvent cue;
        uint32_t delayMs = 0;
        double delaySeconds = 0.0; // delayMs before rounding: the output's seconds from the position
        bool execute = true; // false: held back until playback starts
    };
    struct Completion
    {
        std::function<void()> function;
        uint64_t generation = 0;
    };
    struct Output
    {
        std::vector<EngineNotice> notices;
        std::vector<CueDispatch> cues;
        std::vector<Completion> completions;
        bool Empty() const { return notices.empty() && cues.empty() && completions.empty(); }
    };

    static constexpr double kPlayheadInterval = 0.025;
    static constexpr double kVolumeInterval = 0.050;
    static constexpr double kCueLookahead = 0.050;

    explicit PlaybackCore(std::shared_ptr<const ShowDefinition> show);

    const ShowDefinition& Show() const { return *show_; }
    const SongTimeMap& TimeMapOf(const std::string& song) const; // throws std::invalid_argument
    const FlowSnapshot& Flow() const { return flow_; }
    // Playback takes up a new state of the change log; the playhead stays where it is.
    void SetFlow(FlowSnapshot flow);
    void SetAttacca(const std::string& song, uint8_t state);

    void Play();
    void Stop();
    void Pause();
    void Continue();
    void FlowControlExit();
    void NextSong();
    void PrevSong();
    void LoadSong(const std::string& song);
    void LoadSongAtTime(const std::string& song, uint32_t tick);
    void Seek(uint32_t tick);
    bool SeekToBar(const std::string& barText);
    void SeekToNextMeasure();
    void SeekToPreviousMeasure();
    void SeekRight();
    void SeekLeft();
    void Advance(double seconds);

    void Fade(std::function<void()> completion, double seconds);
    void FadeTo(std::function<void()> completion, double seconds, double target);
    void CancelFade();
    uint64_t FadeGeneration() const { return fadeGeneration_; }
    // Drops every pending completion (shutdown).
    void InvalidateCompletions() { ++fadeGeneration_; fade_.reset(); }

    void SetVolume(double gain);
    double Volume() const { return volume_; }
    double FadeGain() const { return fadeGain_; }
    double OutputGain() const { return volume_ * fadeGain_; }
    void SetOscProcessing(bool on);
    bool OscProcessing() const { return oscOn_; }

    bool IsPlaying() const { return playing_; }
    bool IsPaused() const { return paused_; }
    bool IsFaded() const { return faded_; }
    bool IsStopped() const { return !playing_ && !paused_ && !faded_; }
    bool IsHolding() const { return holding_; }

    const std::string& CurrentSong() const;
    int CurrentSongIndex() const { return song_; }
    double Position() const { return pos_; }
    uint32_t Tick() const;
    uint32_t CurrentStartTick() const;
    uint32_t StartTickOf(const std::string& song) const;
    const std::vector<GridEntry>& CurrentGrid() const { return grid_; }
    std::vector<GridEntry> GridOf(const std::string& song, bool applyClicks) const;
    std::vector<FlowEvent> CurrentEvents(char code) const;
    std::vector<ScaleRange> CurrentScales() const;
    double CurrentScaleFactor() const { return scale_; }

    // What a renderer that advances the core by the frames it renders needs: read-only,
    // allocation-free, for the thread that calls Advance.
    //
    // A change of the tempo scale or transposition in force, from a tick on.
    struct SoundChange
    {
        uint32_t tick = 0;
        double scale = 1.0;
        int semitones = 0;
    };
    // Seconds, at the current rate, until the position reaches its next boundary: a tick where
    // the flow may jump or hold, the tempo or the tempo scale changes, or the song ends (also
    // where a fade that halts playback ends). Advance() lands exactly on such a tick, so a
    // renderer that splits its block there plays every jump at its exact frame. +inf while
    // the position does not move (stopped, paused, holding) and when nothing lies ahead.
    double SecondsToNextBoundary() const;
    // Musical time per second at the position: the tempo map's rate times the scale in force.
    double TicksPerSecond() const;
    // The transposition in force, in semitones (the latest-starting active range's).
    int CurrentTransposition() const;
    // Whether the song's audio should sound: playing and not held at a caesura.
    bool AudioShouldSound() const { return playing_ && !holding_; }
    // The song that follows the current one (attacca or the end of its material); -1 if none.
    int NextSongIndex() const { return song_ < 0 ? -1 : NextPlayableSong(song_, 1); }
    // Counts the moves of the position that are not time passing: a jump of the flow, a seek,
    // a song loaded or entered, a stop. A renderer compares it to see where to crossfade.
    uint64_t PositionGeneration() const { return positionGeneration_; }
    // Counts SetFlow and SetAttacca calls, so a renderer knows when to rebuild what it derives
    // from the flow (the click's grid, the jump targets it keeps ready).
    uint64_t FlowGeneration() const { return flowGeneration_; }
    // The changes of tempo scale or transposition that playing on from the position will
    // make at ticks up to `untilTick`, in order, stopping before the first tick where the flow
    // jumps, holds or leaves the song (after such a move the renderer starts afresh anyway).
    // Writes at most `max` to `out` and returns how many.
    int UpcomingSoundChanges(double untilTick, SoundChange* out, int max) const;

    Output TakeOutput();
    // TakeOutput for a caller that reuses its buffers: `into` is emptied (its capacity kept)
    // and exchanged with what the core handed out, so a steady render allocates nothing.
    void SwapOutput(Output& into);
    // The cues handed out since the last TakeOutput, for a caller that times each as it
    // arises (the renderer's piece hook); TakeOutput still returns them.
    const std::vector<CueDispatch>& PendingCues() const { return out_.cues; }

private:
    const std::vector<FlowEvent>& Events() const;
    void Notify(EngineEventKind kind, int value = 0, std::string text = {});
    void NotifyVolume();
    void NotifyPlayhead();
    void EnterSong(int index, std::optional<uint32_t> tick, bool keepPlaying);
    void RebuildSongCaches();
    void ResetFlowState(bool announce);
    void ActivateRangesAt(uint32_t tick);
    void Activate(size_t index, int pass);
    void Deactivate(size_t index);
    void UpdateScale();
    bool JumpTo(uint32_t tick);
    bool ReleaseHold();
    bool LeaveSkip();
    bool LoopWouldRepeat(size_t index) const;
    void AnnounceFlowState();
    void ResetCueCursor(double tick, bool inclusive);
    void ArriveAt(uint32_t tick, int phase);
    bool HandleSongEnd(uint32_t tick);
    void AdvancePosition(double seconds);
    void DispatchCues();
    void EnqueueCuesAt(uint32_t tick);
    void AnnounceTimelineAt(uint32_t tick, bool force);
    void StopTransport(bool announce);
    void RestoreGain();
    int NextPlayableSong(int from, int step) const;
    std::vector<uint32_t> MarkerTicks() const;

    std::shared_ptr<const ShowDefinition> show_;
    std::vector<SongTimeMap> maps_;
    FlowSnapshot flow_;

    int song_ = -1;
    double pos_ = 0.0;
    bool playing_ = false;
    bool paused_ = false;
    bool faded_ = false;
    bool holding_ = false;
    uint32_t holdTick_ = 0;

    std::vector<GridEntry> grid_;
    std::vector<uint32_t> boundaries_;
    std::vector<bool> active_;
    std::vector<int> passes_;
    bool exitRequested_ = false;
    double scale_ = 1.0;
    int jumpsWithoutTime_ = 0;
    uint64_t positionGeneration_ = 0;
    uint64_t flowGeneration_ = 0;

    struct FadeState
    {
        double from = 1.0;
        double to = 0.0;
        double duration = 0.0;
        double elapsed = 0.0;
        bool haltAtEnd = false;
        std::function<void()> completion;
    };
    std::optional<FadeState> fade_;
    uint64_t fadeGeneration_ = 1;
    double fadeGain_ = 1.0;
    double volume_ = 1.0;
    double sinceVolumeNotice_ = 0.0;
    double sincePlayheadNotice_ = 0.0;

    bool oscOn_ = false;
    size_t cueCursor_ = 0;
    double lastCueTick_ = -1.0; // the last cue handed out since the playhead last jumped

    Output out_;
};

} // namespace zarn::player
