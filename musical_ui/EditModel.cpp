#include "EditModel.h"

#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/CopyZarnEvent.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/ZarnEventCode.h"

#include <algorithm>
#include <stdexcept>

namespace zarn::qt {

EditModel::EditModel(std::shared_ptr<zarn::ShowManager> manager, bool osc)
    : showManager(std::move(manager))
{
    if (!showManager)
        throw std::invalid_argument("The edit model needs a show manager; none was given.");

    songNumber = showManager->GetCurrentSongNumber();
    showManager->SelectSongLogForEditing(songNumber);
    ReloadBarsBeats();
    oscEnabled = osc;

    CL::Editor* editor = showManager->PauseAndGetEditor();
    if (!editor)
        throw std::logic_error("The show's engine has no change-log editor.");
    // A local save bumps the minor version; sharing starts a new major version at minor 0,
    // so any minor but 0 holds edits the server has not seen.
    needsUpload = editor->GetVersion().minor != 0;
    bool payload = needsUpload;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsUpload, &payload);
}

std::string EditModel::GetBarString(unsigned tick)
{
    return showManager->GetBarString(tick);
}

std::vector<std::pair<cmn::ZarnEvent*, std::string>> EditModel::GetMarkers()
{
    auto result = showManager->GetMarkers();
    markers.clear();
    markerIndexByTick.clear();
    for (const auto& [event, barText] : result) {
        markerIndexByTick[event->abs_time()] = markers.size();
        markers.push_back(event);
    }
    return result;
}

void EditModel::ReloadBarsBeats()
{
    const std::shared_ptr<Interface> player = showManager->GetPlayer();
    if (!player)
        throw std::logic_error("The show's engine has been shut down.");
    // Built completely before it replaces the old index, so a failure leaves the old one.
    barsBeats = std::make_shared<BarsBeatsEventSequence>(player->GetBarsBeats(songNumber));
}

unsigned EditModel::GetSongAudioEndTick()
{
    const std::shared_ptr<Interface> player = showManager->GetPlayer();
    if (!player)
        throw std::logic_error("The show's engine has been shut down.");
    return player->GetSongAudioEndTick(songNumber);
}

std::vector<std::unique_ptr<cmn::ZarnEvent>>& EditModel::RefreshChangeLogPanelEvents()
{
    auto fresh = showManager->GetChangeLogPanelEvents();

    // A selected panel event would dangle once the old list is gone: it moves to its equal
    // in the new list, or the selection is cleared when the event is no longer there.
    const bool selectionInOldList =
        selectedEvent && std::any_of(panelEvents.begin(), panelEvents.end(),
                                     [this](const auto& event) { return event.get() == selectedEvent; });
    cmn::ZarnEvent* moved = nullptr;
    if (selectionInOldList) {
        for (const auto& event : fresh) {
            if (event && *event == *selectedEvent) {
                moved = event.get();
                break;
            }
        }
    }

    panelEvents = std::move(fresh);
    if (selectionInOldList) {
        selectedEvent = moved;
        if (!moved)
            NotifySelectionChanged();
    }
    return panelEvents;
}

bool EditModel::IsChangeLogPanelEvent(cmn::ZarnEvent* event)
{
    if (!event || IsHiddenOscCue(*event))
        return false;
    return std::any_of(panelEvents.begin(), panelEvents.end(),
                       [event](const auto& panelEvent) { return panelEvent && *panelEvent == *event; });
}

void EditModel::SelectEvent(cmn::ZarnEvent* event)
{
    if (event == selectedEvent)
        return;
    const bool isMarker = event && std::find(markers.begin(), markers.end(), event) != markers.end();
    if (event && (IsChangeLogPanelEvent(event) || isMarker)) {
        selectedEvent = event;
    } else {
        if (!selectedEvent)
            return;
        selectedEvent = nullptr;
    }
    NotifySelectionChanged();
}

void EditModel::DeleteSelectedEvent()
{
    if (!selectedEvent || IsHiddenOscCue(*selectedEvent))
        return;
    // The editor may free the selected event while it deletes: work from a copy.
    const std::unique_ptr<cmn::ZarnEvent> copy = CL::CopyZarnEvent(*selectedEvent);
    CL::Editor* editor = showManager->PauseAndGetEditor();
    if (!editor)
        throw std::logic_error("The show's engine has no change-log editor.");
    editor->DeleteEvent(*copy);
    selectedEvent = nullptr;
    NotifySelectionChanged();
}

bool EditModel::IsHiddenOscCue(const cmn::ZarnEvent& event) const
{
    return !oscEnabled && event.code() == codes::Osc;
}

void EditModel::NotifySelectionChanged()
{
    notify::callbackDispatcher.Notify(notify::names::editModelUpdatedSelectedZarnEvent, nullptr);
}

} // namespace zarn::qt
