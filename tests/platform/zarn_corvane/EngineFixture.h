#pragma once

#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "ManualClock.h"
#include "PlayerOscCallback.h"
#include "zarn_core/EventObserver.h"
#include "zarn_core/NetworkPath.h"

#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small show on disk (three 4/4 songs at 120 BPM: 960 ticks a second) with a change log
// that uses every event kind, an engine on a manual clock, and recorders for what the
// engine reports.
class EngineFixture
{
public:
    struct Notice
    {
        notify::EngineEvent kind;
        int value;
        std::string text;
        std::thread::id thread;
    };
    struct Cue
    {
        std::string id;
        uint32_t delayMs;
        bool execute;
        double at; // manual-clock seconds when handed out
        bool engineSaidPlaying;
        CL::NetworkPath network; // as the engine resolved it while an executed cue went out
    };

    class RecordingOsc : public zarn::PlayerOscCallback
    {
    public:
        void ExecuteEvent(const CL::Osc& cue, uint32_t delayMs) override;
        void EnqueueEvent(const CL::Osc& cue, uint32_t delayMs) override;
        void SetDefaultPort(uint16_t port) override;

        EngineFixture* fixture = nullptr;
        std::mutex mutex;
        std::vector<Cue> cues;
        std::vector<uint16_t> ports;
    };

    EngineFixture();
    ~EngineFixture();

    // Writes show.json and, unless `changeLog` is false, the change log 1.0.
    void WriteShow(bool changeLog = true);
    std::unique_ptr<AudioInterface> MakeEngine(AudioInterface::Options options = {});
    void Start(); // WriteShow + MakeEngine into `engine`
    void Advance(double seconds);
    double Now() const;

    std::vector<Notice> Notices();
    std::vector<Notice> Of(notify::EngineEvent kind);
    void ClearNotices();
    std::vector<Cue> Cues();

    QTemporaryDir dir;
    std::string showFolder;
    std::string dataFolder;
    std::shared_ptr<zarn::player::ManualClock> clock;
    bool manualClock = true; // false: the engine's own output is its clock
    bool sound = false;
    std::shared_ptr<RecordingOsc> osc;
    zarn::midi::FakeMidiInputBackend* midi = nullptr;
    std::unique_ptr<AudioInterface> engine;

private:
    std::mutex mutex_;
    std::vector<Notice> notices_;
    notify::EventObserver observer_;
};
