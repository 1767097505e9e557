#pragma once

#include "InertEngine.h"
#include "zarn_core/Editor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// An engine for the main window's tests: it records the transport, fade, seek, device,
// volume, OSC and network calls (one line of text each, in order, from any thread), answers the play state
// from fields the test sets, keeps the completion of the last fade and runs it on demand on
// a thread of its own, as the real engine does. The rest of the engine is inert.
//
// The record outlives the engine (the test keeps `log`), so calls made while the engine's
// holder is destroyed stay visible.
class TransportFakeEngine : public InertEngine
{
public:
    class Log
    {
    public:
        void Add(std::string call);
        std::vector<std::string> Calls() const;
        int Count(const std::string& call) const;
        void Clear();

    private:
        mutable std::mutex mutex_;
        std::vector<std::string> calls_;
    };

    TransportFakeEngine();
    ~TransportFakeEngine() override;

    // --- what the fake answers (set before the calls that read them) ---
    std::atomic<bool> playing{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> faded{false};
    // What IsStopped answers; unless set, the engine is stopped when neither playing nor paused.
    std::atomic<int> stoppedAnswer{-1};
    // Bar texts SeekToBar knows.
    std::set<std::string> knownBars{"1", "12"};
    // Output devices SetOutputDeviceUid accepts besides the default (empty) one.
    std::set<std::string> knownDevices{"speakers"};
    SongNameMap songs{{"1", "Overture"}, {"2", "Waltz"}};
    // What GetCurrentSongNumber answers; set on the GUI thread before the calls that read it.
    std::string currentSong = "1";
    // UpdateNetworks throws as for a read-only change log.
    bool throwOnUpdateNetworks = false;
    // The song list is the first thing a show manager asks for.
    bool throwOnSongList = false;

    std::shared_ptr<Log> log = std::make_shared<Log>();
    // An empty change log: the show manager and the edit model need one.
    CL::Editor editor;

    // Takes the completion of the last fade out of the engine (null when none was started).
    std::function<void()> TakeCompletion();
    // Runs the completion of the last fade on a new thread and waits for it.
    void RunCompletionOnThread();
    // The last fade's time as handed to the engine.
    float LastFadeSeconds() const;

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
    CL::Editor* GetChangeLogEditor() override;
    void SetOutputDeviceUid(const std::string& uid) override;
    void SetVolume(double gain, int volumeType = 1) override;
    void UpdateNetworks(const std::vector<CL::NetworkPath>& networks) override;
    void SetOscControlDefaultPort(std::uint16_t port) override;
    void DoOscProcessing(bool on) override;

private:
    mutable std::mutex mutex_;
    std::function<void()> completion_;
    float lastFadeSeconds_ = 0.0f;
};
