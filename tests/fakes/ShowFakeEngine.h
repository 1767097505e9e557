#pragma once

#include "Interface.h"
#include "zarn_core/Editor.h"
#include "zarn_core/ZarnEvent.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// An engine for the show manager and edit model tests: it answers from plain fields that
// the test sets, records the calls those classes make (one line of text each), and can be
// told to fail. Calls a test does not care about answer with empty values.
class ShowFakeEngine : public Interface
{
public:
    ShowFakeEngine();
    ~ShowFakeEngine() override;

    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    int count(const std::string& call) const;

    // --- what the fake answers ---
    SongNameMap songs{{"1", "Overture"}, {"2", "Opening"}, {"10", "Finale"}};
    std::string currentSong = "1";
    std::string modifiedClickEditLog;
    std::string tempoScaleWarnings;
    unsigned invertedLoopCount = 0;
    std::string invertedLoopDescription;
    std::string logVersion = "3.0";
    std::uint32_t audioEndTick = 96000;
    std::map<std::string, TL::TimelineSequence<TL::BarsBeats>> barsBeats;
    // Markers and panel events of the current song; the panel events are handed out as copies.
    std::vector<std::unique_ptr<cmn::ZarnEvent>> markers;
    std::vector<std::unique_ptr<cmn::ZarnEvent>> panelEvents;
    // The editor handed out; a change of change-log file moves on to `nextEditor` when set.
    std::unique_ptr<CL::Editor> editor;
    std::unique_ptr<CL::Editor> nextEditor;
    bool throwOnShutdown = false;
    bool throwOnBarsBeats = false;
    bool throwOnSetChangelogFilename = false;

    // --- the calls the show manager and edit model make ---
    void Shutdown() override;
    void Pause(bool fadeCompleted) override;
    SongNameMap GetSongNamesBySongNumber() override;
    std::string GetCurrentSongNumber() override;
    std::uint8_t GetAttacca(const std::string& song) override;
    std::uint32_t GetSongLength(const std::string& song) override;
    std::uint32_t GetSongStartTickIndex(const std::string& song) override;
    std::uint32_t GetSongAudioEndTick(const std::string& song) override;
    std::string GetBarString(std::uint32_t tick) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song) override;
    CL::Editor* GetChangeLogEditor() override;
    void SetChangelogFilename(const std::string& fileName) override;
    std::string GetLogVersion() override;
    std::vector<cmn::ZarnEvent*> GetMarkers() override;
    std::vector<std::unique_ptr<cmn::ZarnEvent>> GetChangeLogPanelEvents() override;
    std::string GetModifiedClickEditLog() override;
    std::string GetTempoScaleWarnings() override;
    unsigned GetInvertedLoopEventCount() override;
    std::string GetInvertedLoopEventDescription() override;

    // --- the rest answers with empty values ---
    bool IsStopped() override;
    void Play() override;
    void Stop() override;
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
    void Fade(std::function<void()> completion, float seconds) override;
    void FadeTo(std::function<void()> completion, float seconds, float target) override;
    void CancelFade() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    void SetAttacca(const std::string& song, std::uint8_t state) override;
    std::uint32_t GetSongAudioStartTick(const std::string& song) override;
    std::uint32_t GetMinStartTickIndex() override;
    std::uint32_t GetCurrentStartTickIndex() override;
    std::uint32_t GetTickIndex() override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) override;
    TL::BarsBeats GetBarBeatByTick(std::uint32_t tick) override;
    TL::BarsBeats GetBarBeatByTick(std::uint32_t tick, bool applyClicks, bool atOrBefore) override;
    TL::BarsBeats GetBarBeatLeftByTick(std::uint32_t tick) override;
    std::uint32_t GetAvailableShiftAfterBarBeat(std::uint32_t tick, bool applyClicks) override;
    std::vector<int> GetClickValues(std::uint32_t start, std::uint32_t end) override;
    std::pair<std::string, std::uint32_t> LookupPage(unsigned page) override;
    void LoadNewChangeLog() override;
    std::string SaveChangelog(int major, int minor) override;
    std::string GetChangelogFilename() override;
    const CL::SongLog* GetSongLog() override;
    TL::Timeline GetTimeline() override;
    const std::vector<CL::NetworkPath>& GetNetworks() override;
    CL::NetworkPath GetNetwork(const std::string& networkId) override;
    const std::map<std::string, CL::OutputPath>& GetOutputPathMap() override;
    void onAddOutputhPath(const CL::OutputPath& path) override;
    void onRemoveOutputhPath(const CL::OutputPath& path) override;
    std::string GetAccountData() override;
    void SetOutputDeviceUid(const std::string& uid) override;
    std::string GetOutputDeviceUid() override;
    void SetVolume(double gain, int volumeType = 1) override;
    double GetVolume() override;
    void SetOscControlDefaultPort(std::uint16_t port) override;
    void DoOscProcessing(bool on) override;
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

private:
    void record(std::string call) { calls_.push_back(std::move(call)); }

    std::vector<std::string> calls_;
    std::vector<CL::NetworkPath> networks_;
    std::map<std::string, CL::OutputPath> outputPaths_;
    CL::SongLog songLog_;
};
