#pragma once

#include "MidiCommandRecord.h"
#include "MidiEndPoint.h"
#include "zarn_core/BarsBeats.h"
#include "zarn_core/Editor.h"
#include "zarn_core/NetworkPath.h"
#include "zarn_core/OutputPath.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/Timeline.h"
#include "zarn_core/TimelineSequence.h"
#include "zarn_core/ZarnEvent.h"
#include "zarn_kit/NumericStringCompare.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The playback engine of one loaded show. The program holds it by shared pointer and
// talks to it only through these members, so tests can stand a fake in its place.
//
// Calls come from the GUI thread, except Stop (also from a fade completion), and
// GetNetwork and GetIsPlaying (also from the outgoing-OSC callback on an engine thread).
// Notifications, fade completions and OSC cues come on engine threads, never while the
// engine holds its lock.
//
// What the engine's threads read, and how the GUI thread may change it:
// - The change log's OSC destinations: GetNetwork resolves each cue's destination on an
//   engine thread, under the engine's lock. Change them only through UpdateNetworks,
//   which takes that lock, never through Editor::UpdateNetworks on the editor pointer.
// - Events and attacca states: playback runs on a copy the engine takes under its lock
//   (LoadNewChangeLog, SetChangelogFilename, SetAttacca). Edits through the editor
//   pointer are the GUI thread's own until LoadNewChangeLog hands them over.
// - Transport, fades, volume, OSC processing, output device, MIDI: only through these
//   members, which lock as they need.
// Anything that hands out a pointer or reference into the change log (the editor,
// GetSongLog, GetMarkers, GetNetworks, GetOutputPathMap) is for the GUI thread only.
class Interface
{
public:
    using SongNameMap = std::map<std::string, std::string, kit::NumericStringCompare>;
    using MidiCommandRecord = zarn::midi::MidiCommandRecord;

    Interface() = default;
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;
    virtual ~Interface();

    // --- Life and transport ---
    virtual void Shutdown() = 0;
    virtual bool IsStopped() = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause(bool fadeCompleted) = 0;
    virtual void Continue() = 0;
    virtual void FlowControlExit() = 0;
    virtual void NextSong() = 0;
    virtual void PrevSong() = 0;
    virtual void LoadSong(const std::string& song) = 0;
    virtual void LoadSongAtTime(const std::string& song, uint32_t tick) = 0;
    virtual void Seek(uint32_t tick) = 0;
    virtual bool SeekToBar(const std::string& barText) = 0;
    virtual void SeekToNextMeasure() = 0;
    virtual void SeekToPreviousMeasure() = 0;
    virtual void SeekRight() = 0;
    virtual void SeekLeft() = 0;
    virtual bool GetIsPlaying() = 0;
    virtual bool GetIsPaused() = 0;
    virtual bool GetIsFaded() = 0;

    // --- Fades ---
    virtual void Fade(std::function<void()> completion, float seconds) = 0;
    virtual void FadeTo(std::function<void()> completion, float seconds, float target) = 0;
    virtual void CancelFade() = 0;

    // --- Songs, positions, bars and beats ---
    virtual SongNameMap GetSongNamesBySongNumber() = 0;
    virtual std::string GetCurrentSongNumber() = 0;
    virtual bool SongExists(const std::string& song) = 0;
    virtual std::string GetActualSongNumber(const std::string& song) = 0;
    virtual uint8_t GetAttacca(const std::string& song) = 0;
    virtual void SetAttacca(const std::string& song, uint8_t state) = 0;
    virtual uint32_t GetSongLength(const std::string& song) = 0;
    virtual uint32_t GetSongStartTickIndex(const std::string& song) = 0;
    virtual uint32_t GetSongAudioStartTick(const std::string& song) = 0;
    virtual uint32_t GetSongAudioEndTick(const std::string& song) = 0;
    virtual uint32_t GetMinStartTickIndex() = 0;
    virtual uint32_t GetCurrentStartTickIndex() = 0;
    virtual uint32_t GetTickIndex() = 0;
    virtual std::string GetBarString(uint32_t tick) = 0;
    virtual TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song) = 0;
    virtual TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool applyClicks) = 0;
    virtual TL::BarsBeats GetBarBeatByTick(uint32_t tick) = 0;
    virtual TL::BarsBeats GetBarBeatByTick(uint32_t tick, bool applyClicks, bool atOrBefore) = 0;
    virtual TL::BarsBeats GetBarBeatLeftByTick(uint32_t tick) = 0;
    virtual uint32_t GetAvailableShiftAfterBarBeat(uint32_t tick, bool applyClicks) = 0;
    virtual std::vector<int> GetClickValues(uint32_t start, uint32_t end) = 0;
    virtual std::pair<std::string, uint32_t> LookupPage(unsigned page) = 0;

    // --- Change log ---
    virtual CL::Editor* GetChangeLogEditor() = 0;
    virtual void SetChangelogFilename(const std::string& fileName) = 0;
    virtual void LoadNewChangeLog() = 0;
    virtual std::string SaveChangelog(int major, int minor) = 0;
    virtual std::string GetChangelogFilename() = 0;
    virtual std::string GetLogVersion() = 0;
    virtual const CL::SongLog* GetSongLog() = 0;
    virtual TL::Timeline GetTimeline() = 0;
    virtual std::vector<cmn::ZarnEvent*> GetMarkers() = 0;
    virtual std::vector<std::unique_ptr<cmn::ZarnEvent>> GetChangeLogPanelEvents() = 0;
    virtual std::string GetModifiedClickEditLog() = 0;
    virtual std::string GetTempoScaleWarnings() = 0;
    virtual unsigned GetInvertedLoopEventCount() = 0;
    virtual std::string GetInvertedLoopEventDescription() = 0;
    virtual const std::vector<CL::NetworkPath>& GetNetworks() = 0;
    virtual CL::NetworkPath GetNetwork(const std::string& networkId) = 0;
    // Replaces the OSC destinations under the engine's lock, so a cue going out meanwhile
    // sees the old list or the new one. Throws CL::EditorError for a read-only log.
    virtual void UpdateNetworks(const std::vector<CL::NetworkPath>& networks) = 0;
    virtual const std::map<std::string, CL::OutputPath>& GetOutputPathMap() = 0;
    virtual void onAddOutputhPath(const CL::OutputPath& path) = 0;
    virtual void onRemoveOutputhPath(const CL::OutputPath& path) = 0;
    virtual std::string GetAccountData() = 0;

    // --- Output and volume ---
    virtual void SetOutputDeviceUid(const std::string& uid) = 0;
    virtual std::string GetOutputDeviceUid() = 0;
    // Linear gain. Volume type 1 is the show's output volume (the fades' reference); type 2
    // the click's level (the mixer's click volume: the click is never muted by it, and fades
    // and the output volume leave it alone). Another type throws std::invalid_argument.
    static constexpr int kOutputVolume = 1;
    static constexpr int kClickVolume = 2;
    virtual void SetVolume(double gain, int volumeType = 1) = 0;
    virtual double GetVolume() = 0;

    // --- OSC ---
    virtual void SetOscControlDefaultPort(uint16_t port) = 0;
    virtual void DoOscProcessing(bool on) = 0;

    // --- MIDI ---
    virtual std::vector<MidiEndPoint> GetMidiSources() = 0;
    virtual void SetMidiSource(int index) = 0;
    virtual bool HasMidiSource() = 0;
    virtual uint8_t GetConnectedSourceIndex() = 0;
    virtual std::map<uint8_t, std::string> GetCommandNames() = 0;
    virtual std::map<uint8_t, MidiCommandRecord> GetLearnedCommands() = 0;
    virtual bool IsMidiCommandLearning(uint8_t id) = 0;
    virtual std::vector<int> GetAllowedCommandStatuses() = 0;
    virtual void SetMidiCommand(uint8_t id, uint8_t status, uint8_t channel, uint8_t note) = 0;
    virtual void LearnMidiCommand(uint8_t id) = 0;
};
