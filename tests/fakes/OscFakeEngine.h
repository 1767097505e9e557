#pragma once

#include "Interface.h"
#include "zarn_core/Editor.h"
#include "zarn_core/NetworkPath.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// An engine for the OSC tests: it records the transport calls the OSC code makes, as
// lines of text, and answers its questions from plain fields. The recording, GetIsPlaying
// and GetNetwork are safe from any thread; the other fields are set before use.
class OscFakeEngine : public Interface
{
public:
    OscFakeEngine();

    std::vector<std::string> calls() const;
    void clearCalls();

    // --- what the fake answers ---
    std::atomic<bool> playing{false};
    bool paused = false;
    std::string currentSong = "1";
    std::set<std::string> songs{"1", "2", "5"};
    std::uint32_t tickIndex = 0;
    std::uint32_t audioEndTick = 100000;
    std::uint8_t attacca = 0;
    CL::Editor editor;
    bool hasEditor = true;
    std::map<std::string, CL::NetworkPath> networks;
    std::atomic<int> networkLookups{0};

    // --- Interface ---
    void Stop() override;
    void Play() override;
    void Continue() override;
    void Pause(bool flag) override;
    void NextSong() override;
    void Seek(std::uint32_t tick) override;
    void LoadSong(const std::string& song) override;
    bool GetIsPlaying() override;
    bool GetIsPaused() override;
    std::string GetCurrentSongNumber() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    std::uint32_t GetTickIndex() override;
    std::uint32_t GetSongAudioEndTick(const std::string& song) override;
    std::uint8_t GetAttacca(const std::string& song) override;
    CL::Editor* GetChangeLogEditor() override;
    CL::NetworkPath GetNetwork(const std::string& id) override;
    void SetVolume(double gain, int volumeType) override;
    const std::vector<CL::NetworkPath>& GetNetworks() override;

    // --- the rest of the engine, inert ---
    void Shutdown() override;
    bool IsStopped() override;
    void FlowControlExit() override;
    void PrevSong() override;
    void LoadSongAtTime(const std::string& song, uint32_t tick) override;
    bool SeekToBar(const std::string& barText) override;
    void SeekToNextMeasure() override;
    void SeekToPreviousMeasure() override;
    void SeekRight() override;
    void SeekLeft() override;
    bool GetIsFaded() override;
    void Fade(std::function<void()> completion, float seconds) override;
    void FadeTo(std::function<void()> completion, float seconds, float target) override;
    void CancelFade() override;
    SongNameMap GetSongNamesBySongNumber() override;
    void SetAttacca(const std::string& song, uint8_t state) override;
    uint32_t GetSongLength(const std::string& song) override;
    uint32_t GetSongStartTickIndex(const std::string& song) override;
    uint32_t GetSongAudioStartTick(const std::string& song) override;
    uint32_t GetMinStartTickIndex() override;
    uint32_t GetCurrentStartTickIndex() override;
    std::string GetBarString(uint32_t tick) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) override;
    TL::BarsBeats GetBarBeatByTick(uint32_t tick) override;
    TL::BarsBeats GetBarBeatByTick(uint32_t tick, bool applyClicks, bool atOrBefore) override;
    TL::BarsBeats GetBarBeatLeftByTick(uint32_t tick) override;
    uint32_t GetAvailableShiftAfterBarBeat(uint32_t tick, bool applyClicks) override;
    std::vector<int> GetClickValues(uint32_t start, uint32_t end) override;
    std::pair<std::string, uint32_t> LookupPage(unsigned page) override;
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
    const std::map<std::string, CL::OutputPath>& GetOutputPathMap() override;
    void onAddOutputhPath(const CL::OutputPath& path) override;
    void onRemoveOutputhPath(const CL::OutputPath& path) override;
    std::string GetAccountData() override;
    void SetOutputDeviceUid(const std::string& uid) override;
    std::string GetOutputDeviceUid() override;
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

private:
    void record(std::string call);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<CL::NetworkPath> networksList_;
    std::map<std::string, CL::OutputPath> outputPaths_;
};
