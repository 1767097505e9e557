#include "Editor.h"

#include "EditorError.h"
#include "EditorHistoryNoActionError.h"
#include "EventRules.h"
#include "ZarnEventCode.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace CL {
namespace {

// Old steps beyond this are forgotten; a rehearsal never needs more.
constexpr std::size_t kMaxUndoSteps = 1000;

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

char IdPrefix(char kind)
{
    switch (kind) {
    case codes::Vamp: return 'V';
    case codes::TempoScale: return 'T';
    default:
        return EventRules::IsIdCharacter(kind) ? kind : 'X';
    }
}

// Point kinds keep end 0 whatever the tool sent.
cmn::ZarnEvent Normalised(const cmn::ZarnEvent& event)
{
    cmn::ZarnEvent copy(event);
    if (!copy.IsPairedEvent())
        copy.end(0);
    return copy;
}

} // namespace

Editor::Editor() = default;

Editor::Editor(ChangeLogData data, bool readOnly, ShowInfo info)
    : data_(std::move(data))
    , readOnly_(readOnly)
    , info_(std::move(info))
{
    RebuildIdIndex();
}

void Editor::SetShowInfo(ShowInfo info)
{
    info_ = std::move(info);
}

void Editor::MarkSaved(cmn::ZARNVersion version, std::uint32_t modified)
{
    data_.version = version;
    data_.modified = modified;
}

void Editor::RebuildIdIndex()
{
    idUse_.clear();
    for (const auto& [song, log] : data_.songs) {
        log.ForEachEvent([this](const cmn::ZarnEvent& e) {
            if (!e.EventId().empty())
                ++idUse_[e.EventId()];
        });
    }
}

bool Editor::IdTaken(const std::string& id) const
{
    const auto it = idUse_.find(id);
    return it != idUse_.end() && it->second > 0;
}

void Editor::InsertEvent(SongLog& log, const cmn::ZarnEvent& event)
{
    log.Insert(event);
    if (!event.EventId().empty())
        ++idUse_[event.EventId()];
}

void Editor::RemoveEvent(SongLog& log, const cmn::ZarnEvent& like)
{
    const cmn::ZarnEvent* found = log.Find(like);
    if (!found)
        throw EditorError("The change log no longer holds " + like.Describe() + ".");
    const std::string id = found->EventId();
    log.Remove(like);
    if (!id.empty()) {
        auto it = idUse_.find(id);
        if (it != idUse_.end() && --it->second == 0)
            idUse_.erase(it);
    }
}

SongLog& Editor::SelectedSongLog()
{
    if (selectedSong_.empty())
        throw EditorError("No song is selected for editing.");
    return data_.songs[selectedSong_];
}

void Editor::RequireEditable() const
{
    if (readOnly_)
        throw EditorError("This change log was written by a newer version of the application and can only be "
                          "read. Upgrade to edit it.");
}

cmn::ZarnEvent& Editor::FindOrThrow(SongLog& log, const cmn::ZarnEvent& event) const
{
    cmn::ZarnEvent* found = log.Find(event);
    if (!found)
        throw EditorError("The event " + event.Describe() + " is not in the change log of song "
                          + Quoted(selectedSong_) + ".");
    return *found;
}

void Editor::CheckEvent(const std::string& song, const cmn::ZarnEvent& event, const cmn::ZarnEvent* replacing) const
{
    const char code = event.code();
    if (!codes::IsKnownEventCode(code))
        throw EditorError(std::string("Events of kind '") + code + "' cannot be edited.");
    const std::string name = EventRules::KindName(code);

    const std::string& id = event.EventId();
    if (!EventRules::IsValidEventId(id))
        throw EditorError("The event id " + Quoted(id) + " may only hold letters, digits, '.', '_' and '-' (at most "
                          + std::to_string(EventRules::kMaxEventIdLength) + " characters).");
    const bool keepsOwnId = replacing && replacing->EventId() == id;
    if (!id.empty() && !keepsOwnId && IdTaken(id))
        throw EditorError("The event id " + Quoted(id) + " is already used in this change log.");

    if (event.IsPairedEvent() && event.end() <= event.start())
        throw EditorError("The end of the " + name + " must come after its start.");

    if (info_.songRange) {
        if (const auto range = info_.songRange(song)) {
            const std::uint32_t last = event.IsPairedEvent() ? event.end() : event.start();
            if (event.start() < range->first || last > range->second)
                throw EditorError("The " + name + " must lie within the song (ticks " + std::to_string(range->first)
                                  + " to " + std::to_string(range->second) + ").");
        }
    }

    switch (code) {
    case codes::Vamp:
        if (event.int_value() < 0 || event.int_value() > EventRules::kMaxVampCount)
            throw EditorError("A vamp count must be from 0 (no limit) to " + std::to_string(EventRules::kMaxVampCount)
                              + ".");
        break;
    case codes::Repeat:
        if (event.int_value() < EventRules::kMinRepeatCount || event.int_value() > EventRules::kMaxRepeatCount)
            throw EditorError("A repeat count must be from " + std::to_string(EventRules::kMinRepeatCount) + " to "
                              + std::to_string(EventRules::kMaxRepeatCount) + ".");
        break;
    case codes::Transpose:
        // Compared on both sides: std::abs of INT_MIN is undefined, and a file may hold any int.
        if (event.int_value() < -EventRules::kMaxTransposeHalfSteps
            || event.int_value() > EventRules::kMaxTransposeHalfSteps)
            throw EditorError("A transposition must be from -6 to 6 half steps.");
        break;
    case codes::TempoScale:
        if (!std::isfinite(event.double_value()) || event.double_value() < EventRules::kMinTempoScale
            || event.double_value() > EventRules::kMaxTempoScale)
            throw EditorError("A tempo scale must be from 50% to 200%.");
        break;
    case codes::Click: {
        const auto allowed = info_.clickValues ? info_.clickValues(song, event.start(), event.end())
                                               : EventRules::DefaultClickValues();
        if (std::find(allowed.begin(), allowed.end(), event.int_value()) == allowed.end())
            throw EditorError("The click value " + std::to_string(event.int_value())
                              + " is not allowed over this range.");
        break;
    }
    default:
        break;
    }
}

void Editor::Commit(std::vector<HistoryItem> items)
{
    lastCodes_ = GetAffectedCodes(items);
    undo_.push_back(Step{std::move(items)});
    if (undo_.size() > kMaxUndoSteps)
        undo_.pop_front();
    redo_.clear();
    ++revision_;
}

template <class F>
void Editor::Guarded(F&& edit)
{
    // A refused edit leaves nothing to report, so the caller refreshes every kind. Callers
    // catch CL::EditorError only, so a failure of the engine's show information is one too.
    try {
        edit();
    } catch (const EditorError&) {
        lastCodes_.clear();
        throw;
    } catch (const std::exception& e) {
        lastCodes_.clear();
        throw EditorError(e.what());
    }
}

void Editor::AddEvent(const cmn::ZarnEvent& event)
{
    Guarded([&] {
        RequireEditable();
        SongLog& log = SelectedSongLog();
        const cmn::ZarnEvent added = Normalised(event);
        CheckEvent(selectedSong_, added, nullptr);
        InsertEvent(log, added);
        Commit({HistoryItem{selectedSong_, HistoryItem::Action::Add, cmn::ZarnEvent(), added}});
    });
}

void Editor::EditEventStartEndValues(const cmn::ZarnEvent& event, std::uint32_t start, std::uint32_t end,
                                     bool adjustLeft, bool adjustRight)
{
    Guarded([&] {
        RequireEditable();
        SongLog& log = SelectedSongLog();
        const cmn::ZarnEvent before = FindOrThrow(log, event);
        cmn::ZarnEvent after = before;
        if (!after.IsPairedEvent()) {
            after.start(start);
            after.end(0);
        } else if (adjustLeft && !adjustRight) {
            after.start(start);
        } else if (adjustRight && !adjustLeft) {
            after.end(end);
        } else {
            after.start(start);
            after.end(end);
        }
        CheckEvent(selectedSong_, after, &before);
        if (after == before) {
            lastCodes_ = {static_cast<unsigned char>(before.code())};
            return;
        }
        RemoveEvent(log, before);
        InsertEvent(log, after);
        Commit({HistoryItem{selectedSong_, HistoryItem::Action::Change, before, after}});
    });
}

template <class F>
void Editor::EditValue(const cmn::ZarnEvent& event, const char* what, bool (*carries)(char), F&& change)
{
    Guarded([&] {
        RequireEditable();
        SongLog& log = SelectedSongLog();
        cmn::ZarnEvent& target = FindOrThrow(log, event);
        if (!carries(target.code()))
            throw EditorError("A " + EventRules::KindName(target.code()) + " has no " + what + ".");
        const cmn::ZarnEvent before = target;
        cmn::ZarnEvent after = before;
        change(after);
        CheckEvent(selectedSong_, after, &before);
        if (after == before) {
            lastCodes_ = {static_cast<unsigned char>(before.code())};
            return;
        }
        // The start is unchanged, so the event keeps its place in its vector.
        static_cast<cmn::ZarnEvent&>(target) = after;
        Commit({HistoryItem{selectedSong_, HistoryItem::Action::Change, before, after}});
    });
}

void Editor::EditEventStringValue(const cmn::ZarnEvent& event, const std::string& value)
{
    EditValue(event, "text", &EventRules::CarriesText, [&value](cmn::ZarnEvent& e) { e.value(value); });
}

void Editor::EditEventIntValue(const cmn::ZarnEvent& event, int value)
{
    EditValue(event, "whole-number value", &EventRules::CarriesInt, [value](cmn::ZarnEvent& e) { e.int_value(value); });
}

void Editor::EditEventFloatValue(const cmn::ZarnEvent& event, double value)
{
    EditValue(event, "scale value", &EventRules::CarriesReal, [value](cmn::ZarnEvent& e) { e.float_value(value); });
}

void Editor::EditEventOscPropertyValues(const cmn::ZarnEvent& event, const OscProperties& properties)
{
    EditValue(event, "OSC message", &EventRules::CarriesOsc, [&properties](cmn::ZarnEvent& e) { e.osc_properties(properties); });
}

void Editor::EditEventSFXPropertyValues(const cmn::ZarnEvent& event, const SfxProperties& properties)
{
    EditValue(event, "sound effect", &EventRules::CarriesSfx, [&properties](cmn::ZarnEvent& e) { e.sfx_properties(properties); });
}

void Editor::DeleteEvent(const cmn::ZarnEvent& event)
{
    Guarded([&] {
        RequireEditable();
        SongLog& log = SelectedSongLog();
        const cmn::ZarnEvent before = FindOrThrow(log, event);
        RemoveEvent(log, before);
        Commit({HistoryItem{selectedSong_, HistoryItem::Action::Delete, before, cmn::ZarnEvent()}});
    });
}

bool Editor::CanUndo() const
{
    return !readOnly_ && !undo_.empty();
}

bool Editor::CanRedo() const
{
    return !readOnly_ && !redo_.empty();
}

void Editor::Apply(const HistoryItem& item, bool forward)
{
    SongLog& log = data_.songs[item.song];
    switch (item.action) {
    case HistoryItem::Action::Add:
        if (forward)
            InsertEvent(log, item.after);
        else
            RemoveEvent(log, item.after);
        break;
    case HistoryItem::Action::Delete:
        if (forward)
            RemoveEvent(log, item.before);
        else
            InsertEvent(log, item.before);
        break;
    case HistoryItem::Action::Change:
        if (forward) {
            RemoveEvent(log, item.before);
            InsertEvent(log, item.after);
        } else {
            RemoveEvent(log, item.after);
            InsertEvent(log, item.before);
        }
        break;
    }
}

std::vector<HistoryItem> Editor::Undo()
{
    if (!CanUndo())
        return {};
    Step step = std::move(undo_.back());
    undo_.pop_back();
    for (auto it = step.items.rbegin(); it != step.items.rend(); ++it)
        Apply(*it, false);
    lastCodes_ = GetAffectedCodes(step.items);
    ++revision_;
    std::vector<HistoryItem> applied = step.items;
    redo_.push_back(std::move(step));
    return applied;
}

std::vector<HistoryItem> Editor::Redo()
{
    if (!CanRedo())
        return {};
    Step step = std::move(redo_.back());
    redo_.pop_back();
    for (const auto& item : step.items)
        Apply(item, true);
    lastCodes_ = GetAffectedCodes(step.items);
    ++revision_;
    std::vector<HistoryItem> applied = step.items;
    undo_.push_back(std::move(step));
    return applied;
}

std::vector<int> Editor::GetEditedCodes() const
{
    if (lastCodes_.empty())
        throw EditorHistoryNoActionError("There is no edit to report.");
    return lastCodes_;
}

std::string Editor::GetSuggestedEventIdAtTick(std::uint32_t tick, char kind) const
{
    TL::BarsBeats position;
    if (info_.barBeatAt) {
        position = info_.barBeatAt(selectedSong_, tick);
    } else {
        // 4/4 at 480 ticks per quarter note, bar 1 at tick 0.
        constexpr std::uint32_t kBar = 1920;
        constexpr std::uint32_t kBeat = 480;
        position = TL::BarsBeats(tick, static_cast<std::int32_t>((tick % kBar) / kBeat + 1),
                                 std::to_string(tick / kBar + 1));
    }
    std::string bar = EventRules::SanitizeEventId(position.bar_number());
    if (bar.empty())
        bar = "0";
    const std::string base = std::string(1, IdPrefix(kind)) + bar + "." + std::to_string(position.beat());
    return EventRules::WithFreeSuffix(EventRules::SanitizeEventId(base),
                                      [this](const std::string& id) { return IdTaken(id); });
}

void Editor::SelectSongLogForEditing(const std::string& song)
{
    selectedSong_ = song;
}

void Editor::UpdateNetworks(const NetworkPathVectorT& networks)
{
    RequireEditable();
    data_.networks = networks;
    ++revision_;
}

const NetworkPath& Editor::GetNetwork(const std::string& networkId) const
{
    for (const auto& network : data_.networks) {
        if (network.NetworkId() == networkId)
            return network;
    }
    throw std::out_of_range("There is no network destination " + Quoted(networkId) + ".");
}

std::map<std::string, cmn::ZarnEvent*> Editor::GetEventsByEventId()
{
    std::map<std::string, cmn::ZarnEvent*> byId;
    auto it = data_.songs.find(selectedSong_);
    if (selectedSong_.empty() || it == data_.songs.end())
        return byId;
    it->second.ForEachEvent([&byId](cmn::ZarnEvent& e) {
        if (!e.EventId().empty())
            byId.emplace(e.EventId(), &e);
    });
    return byId;
}

const SongLog* Editor::GetSongLog(const std::string& song) const
{
    const auto it = data_.songs.find(song);
    return it == data_.songs.end() ? &emptyLog_ : &it->second;
}

std::uint8_t Editor::GetAttacca(const std::string& song) const
{
    return GetSongLog(song)->GetAttacca();
}

void Editor::SetAttacca(const std::string& song, std::uint8_t state)
{
    if (state > 2)
        throw std::invalid_argument("An attacca state must be 0, 1 or 2, not " + std::to_string(state) + ".");
    if (song.empty())
        throw std::invalid_argument("An attacca state needs a song.");
    data_.songs[song].SetAttacca(state);
    ++revision_;
}

void Editor::AddOrReplaceOutputPath(const OutputPath& path)
{
    auto it = std::find_if(data_.outputPaths.begin(), data_.outputPaths.end(),
                           [&path](const OutputPath& p) { return p.GetId() == path.GetId(); });
    if (it == data_.outputPaths.end())
        data_.outputPaths.push_back(path);
    else
        *it = path;
    ++revision_;
}

void Editor::RemoveOutputPath(const std::string& pathId)
{
    const auto removed = std::erase_if(data_.outputPaths, [&pathId](const OutputPath& p) { return p.GetId() == pathId; });
    if (removed > 0)
        ++revision_;
}

void Editor::SetOutputPathRemoved(const std::string& pathId, bool removed)
{
    auto& ids = data_.removedOutputPaths;
    const auto it = std::find(ids.begin(), ids.end(), pathId);
    if (removed == (it != ids.end()))
        return;
    if (removed)
        ids.push_back(pathId);
    else
        ids.erase(it);
    ++revision_;
}

} // namespace CL
