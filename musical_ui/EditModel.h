#pragma once

#include "BarsBeatsEventSequence.h"
#include "ShowManager.h"
#include "zarn_core/ZarnEvent.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zarn::qt {

// The editing state of the loaded show that the timeline, the edit panel, the edit
// controller and the event tools share. Its users read and write the members directly; a
// user that changes a flag or the selection posts the matching bus notification itself.
// GUI thread only.
class EditModel
{
public:
    EditModel(std::shared_ptr<zarn::ShowManager> showManager, bool oscEnabled);

    std::string GetBarString(unsigned tick);
    // Refills `markers` (and their tick index) from the engine and returns the markers with
    // their bar texts.
    std::vector<std::pair<cmn::ZarnEvent*, std::string>> GetMarkers();
    // Replaces the bars-and-beats index with the engine's current one for `songNumber`;
    // when the engine or the index fails, the old index stays and the error goes on.
    void ReloadBarsBeats();
    unsigned GetSongAudioEndTick();
    std::vector<std::unique_ptr<cmn::ZarnEvent>>& RefreshChangeLogPanelEvents();
    bool IsChangeLogPanelEvent(cmn::ZarnEvent* event);
    void SelectEvent(cmn::ZarnEvent* event);
    // Deletes the selected event from the change log; an editor failure goes on to the
    // caller with the selection unchanged.
    void DeleteSelectedEvent();

    std::shared_ptr<zarn::ShowManager> showManager;
    // Not owned: one of panelEvents, or an engine-owned marker, or null.
    cmn::ZarnEvent* selectedEvent = nullptr;
    bool needsSave = false;
    bool needsUpload = false;
    std::string songNumber;
    std::vector<std::unique_ptr<cmn::ZarnEvent>> panelEvents;
    std::vector<cmn::ZarnEvent*> markers;
    // A marker's tick to its position in `markers`; of two markers at one tick the later wins.
    std::map<std::uint32_t, std::size_t> markerIndexByTick;
    std::shared_ptr<BarsBeatsEventSequence> barsBeats;
    bool oscEnabled = false;

private:
    bool IsHiddenOscCue(const cmn::ZarnEvent& event) const;
    static void NotifySelectionChanged();
};

} // namespace zarn::qt
