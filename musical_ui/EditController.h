#pragma once

#include "EditModel.h"
#include "EventInfoItem.h"
#include "IntAliases.h"
#include "MarkerInfoItem.h"
#include "QmlController.h"
#include "ShowManager.h"
#include "zarn_core/OscProperties.h"
#include "zarn_core/SfxProperties.h"
#include "zarn_core/ZarnEvent.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Interface;
class QQmlEngine;
class QQuickItem;

namespace zarn::qt {

class EventListController;
class MarkerListController;
class SongListController;
class TimelineController;
class TimelineEditController;

// The back end of the edit panel (the song, marker and event lists, the edit bar and the
// log version label), which it wraps but does not own. Every change of the current song's
// change log goes through here: the engine then reloads the log and only the views that
// the edited kinds touch are rebuilt. It keeps the edit model's selection in step with the
// lists and the edit bar, and passes their signals on to the main window.
//
// GUI thread only. The bus callbacks run inside the notifier's call.
class EditController : public QmlController
{
    Q_OBJECT
    Q_PROPERTY(bool enableOsc READ IsOscEnabled CONSTANT)

public:
    // `timeline` must outlive this controller; `editPanel` is not owned.
    EditController(QQmlEngine* engine, std::shared_ptr<zarn::ShowManager> showManager,
                   std::shared_ptr<EditModel> editModel, std::shared_ptr<Interface> player,
                   QQuickItem* editPanel, TimelineController& timeline, bool enableOsc);
    ~EditController() override;

    void OnSongLoaded(std::string songNumber);
    // An empty list refreshes what the editor reports as last edited, or every kind when it
    // reports nothing.
    void RefreshAfterEdit(std::vector<int> codes);
    void ReloadEditedChangeLog();
    void MarkChangeLogModified();
    void MarkChangeLogSaved();
    void MarkChangeLogSavedAndUploaded();
    void UpdateLogVersionText();
    void ClearEventListSelection();
    void ClearMarkerListSelection();
    void OnMarkerPassed(int tick);

    bool IsOscEnabled() const { return enableOsc_; }
    SongListController* GetSongListController() const { return songList_.get(); }
    MarkerListController* GetMarkerListController() const { return markerList_.get(); }
    EventListController* GetEventListController() const { return eventList_.get(); }
    TimelineEditController* GetEditBarController() const { return editBar_.get(); }
    const std::shared_ptr<EditModel>& GetEditModel() const { return editModel_; }
    const std::shared_ptr<zarn::ShowManager>& GetShowManager() const { return showManager_; }
    const std::shared_ptr<Interface>& GetPlayer() const { return player_; }
    TimelineController& GetTimelineController() const { return timeline_; }

signals:
    void AttaccaStateChanged(std::string songNum, UInt8 status);
    void EditButtonSignal(cmn::ZarnEvent* zarnEvent);
    void EventItemChangedSignal(EventInfoItem item);
    void MarkerItemChangedSignal(MarkerInfoItem item);
    void UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare);

public slots:
    void onZarnMakeEvent(const cmn::ZarnEvent& event);
    void onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue,
                         bool adjustLeft, bool adjustRight);
    void onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue,
                         bool adjustLeft);
    void onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue);
    void onZarnEditEventStartEndValues(const cmn::ZarnEvent& event, UInt32 startValue,
                                       UInt32 endValue);
    void onZarnEditEventStringValues(const cmn::ZarnEvent& event, std::string value);
    void onZarnEditEventIntValues(const cmn::ZarnEvent& event, int value);
    void onZarnEditEventFloatValues(const cmn::ZarnEvent& event, float value);
    void EditEventSFXPropertyValues(const cmn::ZarnEvent& event, CL::SfxProperties properties);
    void EditEventOscPropertyValues(const cmn::ZarnEvent& event, CL::OscProperties properties);
    void onZarnEditSelectedExternally(const cmn::ZarnEvent& event);
    void onZarnMarkerSelectedExternally(const cmn::ZarnEvent& event);
    void UndoRequested();
    void RedoRequested();
    void DeleteRequested();
    void TriggerAttaccaUpdate();
    void OnMarkerSelected_(int index);
    void OnUpdatedSelectedZarnEvent_();
    void onZarnEditSelectedEvent();

private:
    void RegisterBusCallbacks();
    void ConnectPanel();
    void ClearSelection();
    // The change-log editor, the engine paused first; throws when the engine has none.
    CL::Editor& PausedEditor();
    // Undo and redo differ only in the editor calls.
    template <class Can, class Step>
    void StepHistory(Can&& can, Step&& step);

    std::recursive_mutex editMutex_;
    std::shared_ptr<zarn::ShowManager> showManager_;
    std::shared_ptr<Interface> player_;
    std::shared_ptr<EditModel> editModel_;
    std::unique_ptr<SongListController> songList_;
    std::unique_ptr<MarkerListController> markerList_;
    std::unique_ptr<EventListController> eventList_;
    std::unique_ptr<TimelineEditController> editBar_;
    TimelineController& timeline_;
    bool enableOsc_ = true;
};

} // namespace zarn::qt
