#pragma once

#include "Interface.h"
#include "zarn_core/NetworkPath.h"
#include "zarn_core/OutputPath.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The whole engine, doing nothing: every member answers with an empty or zero value (false,
// 0, "", an empty container, a null pointer, a default-made value) and has no side effects.
// Fakes derive from it and override only the members their tests watch or answer from, so a
// new engine member needs one edit here rather than one in every fake.
class InertEngine : public Interface
{
public:
    InertEngine();
    ~InertEngine() override;

    // --- Life and transport ---
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
    void LoadSongAtTime(const std::string& song, std::uint32_t tick) override;
    void Seek(std::uint32_t tick) override;
    bool SeekToBar(const std::string& barText) override;
    void SeekToNextMeasure() override;
    void SeekToPreviousMeasure() override;
    void SeekRight() override;
    void SeekLeft() override;
    bool GetIsPlaying() override;
    bool GetIsPaused() override;
    bool GetIsFaded() override;

    // --- Fades: the completion is never called ---
    void Fade(std::function<void()> completion, float seconds) override;
    void FadeTo(std::function<void()> completion, float seconds, float target) override;
    void CancelFade() override;

    // --- Songs, positions, bars and beats ---
    SongNameMap GetSongNamesBySongNumber() override;
    std::string GetCurrentSongNumber() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    std::uint8_t GetAttacca(const std::string& song) override;
    void SetAttacca(const std::string& song, std::uint8_t state) override;
    std::uint32_t GetSongLength(const std::string& song) override;
    std::uint32_t GetSongStartTickIndex(const std::string& song) override;
    std::uint32_t GetSongAudioStartTick(const std::string& song) override;
    std::uint32_t GetSongAudioEndTick(const std::string& song) override;
    std::uint32_t GetMinStartTickIndex() override;
    std::uint32_t GetCurrentStartTickIndex() override;
    std::uint32_t GetTickIndex() override;
    std::string GetBarString(std::uint32_t tick) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) override;
    TL::BarsBeats GetBarBeatByTick(std::uint32_t tick) override;
    TL::BarsBeats GetBarBeatByTick(std::uint32_t tick, bool applyClicks, bool atOrBefore) override;
    TL::BarsBeats GetBarBeatLeftByTick(std::uint32_t tick) override;
    std::uint32_t GetAvailableShiftAfterBarBeat(std::uint32_t tick, bool applyClicks) override;
    std::vector<int> GetClickValues(std::uint32_t start, std::uint32_t end) override;
    std::pair<std::string, std::uint32_t> LookupPage(unsigned page) override;

    // --- Change log: no editor and no song log (null pointers) ---
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

    // --- Output and volume ---
    void SetOutputDeviceUid(const std::string& uid) override;
    std::string GetOutputDeviceUid() override;
    void SetVolume(double gain, int volumeType = 1) override;
    double GetVolume() override;

    // --- OSC ---
    void SetOscControlDefaultPort(std::uint16_t port) override;
    void DoOscProcessing(bool on) override;

    // --- MIDI ---
    std::vector<MidiEndPoint> GetMidiSources() override;
    void SetMidiSource(int index) override;
    bool HasMidiSource() override;
    std::uint8_t GetConnectedSourceIndex() override;
    std::map<std::uint8_t, std::string> GetCommandNames() override;
    std::map<std::uint8_t, MidiCommandRecord> GetLearnedCommands() override;
    bool IsMidiCommandLearning(std::uint8_t id) override;
    std::vector<int> GetAllowedCommandStatuses() override;
    void SetMidiCommand(std::uint8_t id, std::uint8_t status, std::uint8_t channel, std::uint8_t note) override;
    void LearnMidiCommand(std::uint8_t id) override;

    // --- What the operator should know about the hardware: nothing ---
    std::string GetSoundProblem() override;
    std::string GetMidiProblem() override;

private:
    // Always empty: they back the two members that answer by reference.
    const std::vector<CL::NetworkPath> noNetworks_;
    const std::map<std::string, CL::OutputPath> noOutputPaths_;
};
