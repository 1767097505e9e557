#pragma once

#include "ChangeLogData.h"
#include "HistoryItem.h"
#include "NetworkPath.h"
#include "OscProperties.h"
#include "OutputPath.h"
#include "SfxProperties.h"
#include "SongLog.h"
#include "ZARNVersion.h"
#include "ZarnEvent.h"

#include "BarsBeats.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace CL {

// The change-log editor the engine owns. Edits apply to the song log selected for
// editing; each successful edit is one undoable step. A refusal throws CL::EditorError
// (a std::exception) and changes nothing.
//
// Events are found by kind and event id, or by equal content when the id is empty, so a
// value edit that follows a move of the same remembered event still applies.
//
// No locking of its own: the engine's editor belongs to the GUI thread, and what the
// engine's threads read of it changes only through the engine (Interface.h says what).
class Editor
{
public:
    // Where the editor asks the engine about the show (all optional).
    struct ShowInfo
    {
        // The bar and beat at a tick of a song, for suggested event ids. Empty: 4/4 from
        // tick 0, bar 1.
        std::function<TL::BarsBeats(const std::string& song, std::uint32_t tick)> barBeatAt;
        // The click values allowed over a range. Empty: 1, 2, 3, 4, 6, 8, 12, 16, 24, 32.
        std::function<std::vector<int>(const std::string& song, std::uint32_t start, std::uint32_t end)>
            clickValues;
        // The ticks an event of a song may lie in, [first, end]. Empty or nullopt: any.
        std::function<std::optional<std::pair<std::uint32_t, std::uint32_t>>(const std::string& song)>
            songRange;
    };

    Editor(); // an empty log, version 0.0
    explicit Editor(ChangeLogData data, bool readOnly = false, ShowInfo info = {});

    void SetShowInfo(ShowInfo info);

    // --- The program's calls ---
    void AddEvent(const cmn::ZarnEvent& event);
    // adjustLeft only: the start moves; adjustRight only: the end moves; otherwise both.
    // Point kinds take `start` and keep end 0.
    void EditEventStartEndValues(const cmn::ZarnEvent& event, std::uint32_t start, std::uint32_t end,
                                 bool adjustLeft, bool adjustRight);
    void EditEventStringValue(const cmn::ZarnEvent& event, const std::string& value);
    void EditEventIntValue(const cmn::ZarnEvent& event, int value);
    void EditEventFloatValue(const cmn::ZarnEvent& event, double value);
    void EditEventOscPropertyValues(const cmn::ZarnEvent& event, const OscProperties& properties);
    void EditEventSFXPropertyValues(const cmn::ZarnEvent& event, const SfxProperties& properties);
    void DeleteEvent(const cmn::ZarnEvent& event);

    bool CanUndo() const;
    bool CanRedo() const;
    std::vector<HistoryItem> Undo(); // empty when there is nothing to undo
    std::vector<HistoryItem> Redo();
    // Kind codes of the last edit, undo or redo; throws EditorHistoryNoActionError when
    // there is nothing to report (nothing done yet, or the last edit was refused).
    std::vector<int> GetEditedCodes() const;

    // An id for a new event: kind letter (V for a vamp, T for a tempo scale), bar and
    // beat ("E12.3"), with "-2", "-3", ... when taken. Only [A-Za-z0-9._-]; unique in
    // the whole log.
    std::string GetSuggestedEventIdAtTick(std::uint32_t tick, char kind) const;
    void SelectSongLogForEditing(const std::string& song);
    const std::string& GetSelectedSong() const { return selectedSong_; }

    cmn::ZARNVersion GetVersion() const { return data_.version; }
    // After the engine wrote this log under a new version: takes on that version and
    // modification time. The content is what it was, so this is no undoable step, keeps
    // the undo and redo history and every pointer into the log, and leaves the revision
    // alone (a playback copy does not go stale by a save). A read-only log stays read-only:
    // the file keeps the newer format it came with.
    void MarkSaved(cmn::ZARNVersion version, std::uint32_t modified);
    bool ChangelogIsReadOnly() const { return readOnly_; }
    // Not on the engine's editor: the engine's threads read its destinations under the
    // engine's lock while cues go out, so the program calls the engine's UpdateNetworks.
    void UpdateNetworks(const NetworkPathVectorT& networks);
    const NetworkPathVectorT& GetNetworks() const { return data_.networks; }
    // Throws std::out_of_range naming the id when there is no such destination.
    const NetworkPath& GetNetwork(const std::string& networkId) const;
    // The events of the song selected for editing, by event id (events without an id are
    // left out). Pointers stay valid until the next change.
    std::map<std::string, cmn::ZarnEvent*> GetEventsByEventId();

    // --- The engine's calls ---
    const ChangeLogData& Data() const { return data_; }
    // The song's log; an empty one for a song without events. Valid until the next change.
    const SongLog* GetSongLog(const std::string& song) const;
    std::uint8_t GetAttacca(const std::string& song) const;
    void SetAttacca(const std::string& song, std::uint8_t state); // 0..2, else std::invalid_argument
    const std::vector<OutputPath>& GetOutputPaths() const { return data_.outputPaths; }
    void AddOrReplaceOutputPath(const OutputPath& path);
    void RemoveOutputPath(const std::string& pathId);
    // The show's own paths that were deleted (ChangeLogData::removedOutputPaths).
    const std::vector<std::string>& GetRemovedOutputPaths() const { return data_.removedOutputPaths; }
    void SetOutputPathRemoved(const std::string& pathId, bool removed);
    // Counts every change of the log's content (events, attacca, networks, output paths),
    // so the engine can tell its playback copy is stale. MarkSaved does not count.
    std::uint64_t GetRevision() const { return revision_; }

private:
    struct Step
    {
        std::vector<HistoryItem> items;
    };

    SongLog& SelectedSongLog();
    void RequireEditable() const;
    cmn::ZarnEvent& FindOrThrow(SongLog& log, const cmn::ZarnEvent& event) const;
    void CheckEvent(const std::string& song, const cmn::ZarnEvent& event, const cmn::ZarnEvent* replacing) const;
    void Commit(std::vector<HistoryItem> items);
    template <class F>
    void EditValue(const cmn::ZarnEvent& event, const char* what, bool (*carries)(char), F&& change);
    template <class F>
    void Guarded(F&& edit);
    void Apply(const HistoryItem& item, bool forward);
    void InsertEvent(SongLog& log, const cmn::ZarnEvent& event);
    void RemoveEvent(SongLog& log, const cmn::ZarnEvent& like);
    bool IdTaken(const std::string& id) const;
    void RebuildIdIndex();

    ChangeLogData data_;
    bool readOnly_ = false;
    ShowInfo info_;
    std::string selectedSong_;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
    std::vector<int> lastCodes_;
    std::uint64_t revision_ = 0;
    std::map<std::string, std::size_t> idUse_; // event id -> how many events carry it
    SongLog emptyLog_;
};

} // namespace CL
