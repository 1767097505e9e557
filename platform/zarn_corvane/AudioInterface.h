#pragma once

#include "Clock.h"
#include "Interface.h"
#include "MidiInputBackend.h"
#include "PlaybackCore.h"
#include "PlayerOscCallback.h"
#include "ShowDefinition.h"
#include "zarn_core/ChangeLogRepairs.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zarn::midi {
class MidiCommandCenter;
}
namespace zarn::audio {
class AudioOutput;
class CueScheduler;
class FrameRing;
class PulseDevices;
class ShowRender;
}

// The engine: plays one show folder in musical time on its own clock thread, keeps the
// show's change log, and reports through the core library's notification hub.
//
// The musical position advances by the frames rendered (zarn::audio::ShowRender), so the
// output is the clock: a PulseAudio device, or without one a null output consuming frames
// at real time; a clock given in the options (the tests' manual clock) instead steps the
// same render code itself.
//
// Threads: the output's render thread (renders blocks and advances the playback core), a
// control thread (with a clock given in the options it is the clock: it renders each step;
// else it prepares the songs' streams and expires MIDI learning), a delivery thread (hands
// out notifications, OSC cues and fade completions in the order they arose, without
// holding the engine's lock), the MIDI input thread and the disk reader. The render,
// control and delivery threads read the playback core and (for the OSC callback's
// GetNetwork) the editor's destinations, always under `mutex_`; the change log's events
// reach them only as the flow copy SnapshotFlowLocked takes. The render thread only ever
// tries `mutex_`: when another thread holds it, its block stays silent and the frames are
// owed, rendered without sound at the next block, so the musical position stays the frames
// the device played (a held lock costs a drop-out, never a late jump or a drifting
// playhead). The MIDI thread keeps its own state behind its own lock and reaches the engine
// through its locked members. So every change of what these threads read takes `mutex_` as
// well: it goes through an engine member, never through the program writing to the editor
// pointer (Interface.h lists the paths).
class AudioInterface : public Interface
{
public:
    struct Options
    {
        std::shared_ptr<zarn::player::Clock> clock;               // null: the steady clock
        std::unique_ptr<zarn::midi::MidiInputBackend> midiInput;  // null: the system's MIDI input
        bool sound = true;                                        // render the songs' audio files
        std::function<void()> startupHook;                        // runs on the clock thread at start-up
        // Sees every block rendered, after it is rendered (render or clock thread). Tests
        // and measurements listen through it.
        std::function<void(const float* interleavedStereo, int frames)> renderTap;
        // Sees every cue the cue thread sends, just before it goes, with the moment it was
        // due (when its frame is heard). For measurements.
        std::function<void(const CL::Osc& cue, std::chrono::steady_clock::time_point due)> cueTap;
        // Runs on the control thread when it has taken in a lost device, before it watches for
        // the device's return. Tests bring a device back there, at the worst moment.
        std::function<void()> lossTap;
    };

    static constexpr int kSampleRate = 48000;

    static constexpr const char* kShowFileName = "show.json";
    static constexpr const char* kMidiSettingsFileName = "midi_commands.json";

    AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                   std::shared_ptr<zarn::PlayerOscCallback> oscCallback, Options options);
    ~AudioInterface() override;

    // Rethrows, on the caller's thread, the first failure of an engine thread's start-up.
    void ThrowIfThreadExceptions();
    // Blocks until everything queued for delivery so far has been handed out.
    void WaitForDeliveries();
    // Engine threads alive in this process (clock and delivery threads of every engine).
    static int LiveEngineThreads();
    // Where the sound stands (for diagnostics and tests): empty when playing or silent by
    // choice; else why it is silent (no device), the audio files that cannot be played and
    // the show's warnings, one a line.
    std::string GetSoundProblem() override;
    // Whether a device renders the engine's sound (not the null output).
    bool IsSoundActive();
    // Frames rendered so far (for tests and measurements): every frame the core advanced by.
    int64_t FramesRendered() const { return framesRendered_.load(std::memory_order_relaxed); }
    // Blocks the output played silent because another thread held the engine's lock past
    // the render's patience (the frames are owed and the position stays exact). Any thread.
    int64_t SilentBlocks() const { return silentBlocks_.load(std::memory_order_relaxed); }
    // How long the render waits for the engine's lock before it plays its block silent.
    static constexpr std::chrono::microseconds kLockPatience{1500};

    void Shutdown() override;
    bool IsStopped() override;
    void Play() override;
    void Stop() override;
    void Pause(bool fadeCompleted) override;
    void Continue() override;
    void FlowControlExit() override;
    void NextSong() override;
    void PrevSong() override;
    void LoadSong(const std::string& song) override;
    void LoadSongAtTime(const std::string& song, uint32_t tick) override;
    void Seek(uint32_t tick) override;
    bool SeekToBar(const std::string& barText) override;
    void SeekToNextMeasure() override;
    void SeekToPreviousMeasure() override;
    void SeekRight() override;
    void SeekLeft() override;
    bool GetIsPlaying() override;
    bool GetIsPaused() override;
    bool GetIsFaded() override;

    void Fade(std::function<void()> completion, float seconds) override;
    void FadeTo(std::function<void()> completion, float seconds, float target) override;
    void CancelFade() override;

    SongNameMap GetSongNamesBySongNumber() override;
    std::string GetCurrentSongNumber() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    uint8_t GetAttacca(const std::string& song) override;
    void SetAttacca(const std::string& song, uint8_t state) override;
    uint32_t GetSongLength(const std::string& song) override;
    uint32_t GetSongStartTickIndex(const std::string& song) override;
    uint32_t GetSongAudioStartTick(const std::string& song) override;
    uint32_t GetSongAudioEndTick(const std::string& song) override;
    uint32_t GetMinStartTickIndex() override;
    uint32_t GetCurrentStartTickIndex() override;
    uint32_t GetTickIndex() override;
    std::string GetBarString(uint32_t tick) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) override;
    TL::BarsBeats GetBarBeatByTick(uint32_t tick) override;
    TL::BarsBeats GetBarBeatByTick(uint32_t tick, bool applyClicks, bool atOrBefore) override;
    TL::BarsBeats GetBarBeatLeftByTick(uint32_t tick) override;
    uint32_t GetAvailableShiftAfterBarBeat(uint32_t tick, bool applyClicks) override;
    std::vector<int> GetClickValues(uint32_t start, uint32_t end) override;
    std::pair<std::string, uint32_t> LookupPage(unsigned page) override;

    CL::Editor* GetChangeLogEditor() override;
    void SetChangelogFilename(const std::string& fileName) override;
    void LoadNewChangeLog() override;
    std::string SaveChangelog(int major, int minor) override;
    std::string GetChangelogFilename() override;
    std::string GetLogVersion() override;
    const CL::SongLog* GetSongLog() override;
    TL::Timeline GetTimeline() override;
    std::vector<cmn::ZarnEvent*> GetMarkers() override;
    std::vector<std::unique_ptr<cmn::ZarnEvent>> GetChangeLogPanelEvents() override;
    std::string GetModifiedClickEditLog() override;
    std::string GetTempoScaleWarnings() override;
    unsigned GetInvertedLoopEventCount() override;
    std::string GetInvertedLoopEventDescription() override;
    const std::vector<CL::NetworkPath>& GetNetworks() override;
    CL::NetworkPath GetNetwork(const std::string& networkId) override;
    void UpdateNetworks(const std::vector<CL::NetworkPath>& networks) override;
    const std::map<std::string, CL::OutputPath>& GetOutputPathMap() override;
    void onAddOutputhPath(const CL::OutputPath& path) override;
    void onRemoveOutputhPath(const CL::OutputPath& path) override;
    std::string GetAccountData() override;

    void SetOutputDeviceUid(const std::string& uid) override;
    std::string GetOutputDeviceUid() override;
    void SetVolume(double gain, int volumeType = 1) override;
    double GetVolume() override;

    void SetOscControlDefaultPort(uint16_t port) override;
    void DoOscProcessing(bool on) override;

    std::vector<MidiEndPoint> GetMidiSources() override;
    void SetMidiSource(int index) override;
    bool HasMidiSource() override;
    uint8_t GetConnectedSourceIndex() override;
    std::map<uint8_t, std::string> GetCommandNames() override;
    std::map<uint8_t, MidiCommandRecord> GetLearnedCommands() override;
    bool IsMidiCommandLearning(uint8_t id) override;
    std::vector<int> GetAllowedCommandStatuses() override;
    void SetMidiCommand(uint8_t id, uint8_t status, uint8_t channel, uint8_t note) override;
    void LearnMidiCommand(uint8_t id) override;
    std::string GetMidiProblem() override;

private:
    struct Delivery
    {
        enum class Type { Notice, Cue, Completion } type = Type::Notice;
        zarn::player::EngineNotice notice;
        zarn::player::PlaybackCore::CueDispatch cue;
        zarn::player::PlaybackCore::Completion completion;
    };

    template <class F> auto Locked(F&& f);
    bool QueueOutputLocked(); // true when something was queued
    void QueueNotice(zarn::player::EngineEventKind kind, int value);
    Delivery& QueuedAt(uint64_t index); // under queueMutex_
    void Append(Delivery&& d);
    void PushQueued(Delivery&& d);
    void PushNoticeQueued(zarn::player::EngineNotice&& notice);
    void Deliver(Delivery& d);
    void ClockLoop(zarn::player::Clock::Duration startTime);
    void DeliveryLoop();
    void StartThreads(std::function<void()> startupHook);
    void StopThreads();
    void RunMidiCommand(uint8_t id);
    zarn::midi::MidiCommandCenter* Midi();
    void PrepareSoundLocked();
    void RenderStepLocked(double seconds);
    void RenderDeviceBlock(float* out, int frames, double latencySeconds);
    static void OnRenderPiece(void* self, int64_t frame);
    void ScheduleCuesLocked(int64_t frame);
    void SendCue(uint32_t slot, uint64_t sequence);
    void PublishNetworksLocked();
    std::string DeviceOfPathLocked(const std::string& path) const;
    std::string OutputDeviceLocked() const;
    // Opens the device the click's path plays on (it drives the show) and one output for
    // every other device a path of the show is bound to. Never with `mutex_` held.
    // The driving device is reopened only when asked or when it changed.
    void OpenOutputs(bool reopenDriving);
    void OpenPathOutputs(const std::vector<std::string>& devices);
    void ForgetLostDevices();
    void OpenOutput(const std::string& device);
    void CloseOutput();
    void PlayOnAfterLoss();
    void DropLostPathOutputs();
    void WatchForReturnLocked();
    bool WatchDevicesLocked();
    void FollowDefault(); // under outputMutex_
    void ReopenReturnedDevices();

    std::unique_ptr<CL::Editor> MakeEditor(CL::ChangeLogData data, bool readOnly);
    void LoadNewestChangeLog();
    // Refills the engine's editor in place when another change-log file is taken up: the
    // program keeps the pointer it fetched; the old file's undo history goes with it.
    void ReplaceEditorLocked(CL::Editor&& replacement);
    void SnapshotFlowLocked();
    const zarn::player::SongDefinition* FindSongLocked(const std::string& song) const;
    TL::TimelineSequence<TL::BarsBeats> ToSequence(const std::vector<zarn::player::GridEntry>& grid) const;
    double ClockSeconds() const;

    std::string showFolder_;
    std::string dataFolder_;
    std::shared_ptr<const zarn::player::ShowDefinition> show_;
    std::shared_ptr<zarn::player::Clock> clock_;

    mutable std::mutex mutex_; // guards everything below up to the thread section
    std::unique_ptr<zarn::player::PlaybackCore> core_;
    std::unique_ptr<CL::Editor> editor_;
    std::string changelogPath_;
    CL::ChangeLogRepairs repairs_;
    std::map<std::string, CL::OutputPath> outputPathMap_;
    // This machine's device per output path id: the show folder's device file at load, then
    // the program's later choices.
    std::map<std::string, std::string> pathDevices_;
    std::string pathDevicesProblem_;
    std::string outputDeviceUid_;
    std::shared_ptr<zarn::PlayerOscCallback> osc_;
    std::unique_ptr<zarn::midi::MidiInputBackend> pendingMidiInput_;
    std::unique_ptr<zarn::midi::MidiCommandCenter> midi_;
    std::unique_ptr<zarn::audio::ShowRender> render_;
    zarn::player::PlaybackCore::Output taken_; // the core's output, its buffers reused
    std::vector<std::string> soundProblems_; // unreadable audio files, each once
    double carryFrames_ = 0.0;                // a clock step's fraction of a frame, carried on
    std::vector<float> stepBuffer_;           // a clock step's blocks

    // Where the render puts each stem of each song: lane 0 is the driving device's block,
    // lane k the ring of the k-th other device (paths bound to devices that could not be
    // opened play on the driving device).
    struct Routing
    {
        std::vector<std::shared_ptr<zarn::audio::FrameRing>> rings; // lane k at k - 1
        std::vector<std::vector<float>> staging;                    // a block per ring
        std::vector<std::vector<int>> stemLanes;                    // by song index, by stem
    };
    std::unique_ptr<Routing> routing_; // null: every stem on the driving device

    const bool sound_;
    const bool clockDriven_; // a clock was given: it steps the render, no output runs
    const std::function<void(const float*, int)> renderTap_;
    const std::function<void()> lossTap_;
    std::atomic<int64_t> framesRendered_{0};
    std::atomic<int64_t> owedFrames_{0}; // the render thread's: frames played silent while the lock was held
    std::atomic<int64_t> silentBlocks_{0};

    // Cues while the output is the clock: each one the core hands out is timed, under
    // `mutex_`, to the moment its frame is heard and sent then by the scheduler's thread.
    // What to send waits in a slot the scheduler's cue names; a slot is the producer's while
    // its state is free or its cue was cancelled (an older generation), the sender's while
    // it reads it.
    struct CueSlot
    {
        std::atomic<int> state{0}; // 0 free, 1 scheduled, 2 being read, 3 being written
        uint64_t sequence = 0;
        uint32_t generation = 0;
        uint32_t start = 0;
        std::string id;
        std::string message;
        std::string networkId;
    };
    static constexpr int kCueSlots = 128;
    std::unique_ptr<CueSlot[]> cueSlots_;
    std::unique_ptr<zarn::audio::CueScheduler> cueScheduler_;
    const std::function<void(const CL::Osc&, std::chrono::steady_clock::time_point)> cueTap_;
    uint64_t cueSequence_ = 0;  // under mutex_
    size_t cuesTimed_ = 0;       // under mutex_: the core's pending cues already scheduled
    int64_t blockStartFrame_ = 0; // under mutex_: the block being rendered
    std::chrono::steady_clock::time_point blockTime_{};
    double blockLatency_ = 0.0;
    std::atomic<double> outputLatency_{0.0}; // the last the output reported
    // The change log's destinations as the cue thread reads them (atomic_load/atomic_store).
    std::shared_ptr<const std::vector<CL::NetworkPath>> networks_;

    // Never taken by the render thread; not together with `mutex_` held.
    std::mutex outputMutex_;
    std::unique_ptr<zarn::audio::AudioOutput> output_;
    std::string outputDevice_; // what output_ was opened for
    std::string outputProblem_;
    std::atomic<bool> soundActive_{false};
    // The device went away: its thread says so, the control thread switches to the null
    // output (an output cannot be stopped from its own thread).
    std::mutex lostMutex_;
    std::string lostMessage_;
    const void* lostOutput_ = nullptr;
    std::atomic<bool> outputLost_{false};
    // The outputs of the devices other than the driving one, in lane order, each reading the
    // ring the render fills for it.
    struct PathOutput
    {
        std::string device;
        std::shared_ptr<zarn::audio::FrameRing> ring;
        std::unique_ptr<zarn::audio::AudioOutput> output;
    };
    std::vector<PathOutput> pathOutputs_;       // under outputMutex_
    std::vector<std::string> pathOutputProblems_; // under outputMutex_
    // Under lostMutex_: devices of paths that went away, with what was said, not reopened
    // until the operator chooses again.
    std::vector<std::pair<std::string, std::string>> lostDevices_;
    std::atomic<bool> pathOutputLost_{false};
    // Watches the sinks once a device was lost, or from the moment the show plays on the
    // system's default device (under outputMutex_): a sink that appears has the control thread
    // reopen what waited for it, a new default has it move a show that plays on the default.
    std::unique_ptr<zarn::audio::PulseDevices> devicesWatch_;
    std::atomic<bool> deviceAdded_{false};
    std::atomic<bool> defaultChanged_{false};
    bool drivingLost_ = false; // under outputMutex_: the driving device went; the null output plays
    static constexpr const char* kLostSuffix = ". Sound is off until it returns or another device is chosen.";

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::condition_variable queueIdle_;
    // The deliveries waiting, in order: a ring indexed by the counts below, its slots reused
    // so that queuing allocates nothing (it grows only when full).
    std::vector<Delivery> queued_ = std::vector<Delivery>(1024);
    bool delivering_ = false;
    // Counts of items ever queued and taken, and where the items queued since the last
    // ordered one begin; for each kind of latest-value notice, one past its index while
    // it waits (0: none). All under queueMutex_.
    uint64_t pushed_ = 0;
    uint64_t popped_ = 0;
    uint64_t segmentStart_ = 0;
    std::array<uint64_t, 64> latestOfKind_{};

    std::mutex startupMutex_;
    std::condition_variable startupDone_;
    bool started_ = false;
    std::exception_ptr startupError_;

    std::atomic<bool> stopping_{false};
    std::atomic<bool> shutDown_{false};
    std::thread clockThread_;
    std::thread deliveryThread_;
};
