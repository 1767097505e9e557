#pragma once

#include "InertEngine.h"
#include "zarn_core/Editor.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/Timeline.h"
#include "zarn_core/ZarnEvent.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// An engine for the show manager and edit model tests: it answers from plain fields that
// the test sets, records the calls those classes make (one line of text each), and can be
// told to fail. The rest of the engine is inert.
class ShowFakeEngine : public InertEngine
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
    std::uint32_t songLength = 1920u * 40u;
    std::uint32_t currentStartTick = 0;
    bool stopped = true;
    // What GetIsPlaying answers.
    bool playing = false;
    // Attacca states by song number; a song not listed answers 0.
    std::map<std::string, std::uint8_t> attacca;
    // The current song's change log and timeline; a null song log when `nullSongLog` is set.
    CL::SongLog songLog;
    bool nullSongLog = false;
    TL::Timeline timeline;
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
    // Every edit pauses first: this makes an edit fail before it reaches the editor.
    bool throwOnPause = false;

    // --- the calls the show manager and edit model make ---
    void Shutdown() override;
    void Pause(bool fadeCompleted) override;
    SongNameMap GetSongNamesBySongNumber() override;
    std::string GetCurrentSongNumber() override;
    std::uint8_t GetAttacca(const std::string& song) override;
    void SetAttacca(const std::string& song, std::uint8_t state) override;
    // Recorded; the song becomes the current one.
    void LoadSong(const std::string& song) override;
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

    // --- answered or recorded here too; the rest of the engine is inert ---
    bool IsStopped() override;
    bool GetIsPlaying() override;
    void Seek(std::uint32_t tick) override;
    std::uint32_t GetCurrentStartTickIndex() override;
    TL::Timeline GetTimeline() override;
    void Play() override;
    void Stop() override;
    void Continue() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) override;
    void LoadNewChangeLog() override;
    const CL::SongLog* GetSongLog() override;
    CL::NetworkPath GetNetwork(const std::string& networkId) override;
    double GetVolume() override;

private:
    void record(std::string call) { calls_.push_back(std::move(call)); }

    std::vector<std::string> calls_;
};
