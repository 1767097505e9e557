#include "EditController.h"

#include "EventListController.h"
#include "Interface.h"
#include "MarkerListController.h"
#include "MarkerListSelection.h"
#include "SongListController.h"
#include "TimelineController.h"
#include "TimelineEditController.h"
#include "TimelineMetaTypes.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/EditNames.h"
#include "zarn_core/Editor.h"
#include "zarn_core/EditorError.h"
#include "zarn_core/EditorHistoryNoActionError.h"
#include "zarn_core/HistoryItem.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/ZarnEventCode.h"

#include <QQuickItem>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <system_error>

namespace zarn::qt {

namespace {

constexpr const char* editFailedTitle = "Edit Failed";

QQuickItem* PanelPart(QQuickItem* panel, const char* alias)
{
    if (!panel)
        throw std::invalid_argument("The edit controller needs the edit panel; none was given.");
    auto* part = panel->property(alias).value<QQuickItem*>();
    if (!part)
        throw std::invalid_argument(std::string("The edit panel has no ") + alias + ".");
    return part;
}

// The change log keeps doubles, the tools hand out floats. A plain cast turns 1.1f into
// 1.100000023841858, which would differ from the stored 1.1 and make an unchanged OK an
// edit; the float's shortest decimal text is what the operator saw and meant.
double WidenAsWritten(float value)
{
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    if (written.ec != std::errc())
        return static_cast<double>(value);
    double result = 0.0;
    const auto read = std::from_chars(text, written.ptr, result);
    return read.ec == std::errc() ? result : static_cast<double>(value);
}

} // namespace

EditController::EditController(QQmlEngine* engine, std::shared_ptr<zarn::ShowManager> showManager,
                               std::shared_ptr<EditModel> editModel,
                               std::shared_ptr<Interface> player, QQuickItem* editPanel,
                               TimelineController& timeline, bool enableOsc)
    : QmlController(editPanel, engine),
      showManager_(std::move(showManager)),
      player_(std::move(player)),
      editModel_(std::move(editModel)),
      timeline_(timeline),
      enableOsc_(enableOsc)
{
    if (!showManager_ || !editModel_ || !player_)
        throw std::invalid_argument("The edit controller needs a show manager, an edit model and an engine.");
    RegisterTimelineMetaTypes();

    QQuickItem* markerItem = PanelPart(editPanel, "markerListControl");
    QQuickItem* eventItem = PanelPart(editPanel, "eventListControl");
    QQuickItem* songItem = PanelPart(editPanel, "songListControl");
    QQuickItem* barItem = PanelPart(editPanel, "editBarControl");
    markerList_ = std::make_unique<MarkerListController>(markerItem, editModel_.get());
    eventList_ = std::make_unique<EventListController>(eventItem, editModel_.get());
    songList_ = std::make_unique<SongListController>(songItem, player_.get());
    editBar_ = std::make_unique<TimelineEditController>(editModel_.get(), barItem);

    RegisterBusCallbacks();
    ConnectPanel();
}

EditController::~EditController()
{
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
    editBar_.reset();
    eventList_.reset();
    markerList_.reset();
    songList_.reset();
    editModel_.reset();
    player_.reset();
    showManager_.reset();
}

void EditController::RegisterBusCallbacks()
{
    // The bus calls these inside someone else's Notify: nothing may escape into the
    // notifier, so a failure is reported like a refused edit.
    auto guarded = [this](auto&& body) {
        return [this, body](void* payload) {
            try {
                body(payload);
            } catch (const std::exception& e) {
                emit error(e.what(), editFailedTitle);
            }
        };
    };

    notify::callbackDispatcher.AddCallback(
        this, notify::names::zarnEventWidgetSelected, guarded([this](void* payload) {
            {
                std::lock_guard lock(editMutex_);
                editModel_->SelectEvent(static_cast<cmn::ZarnEvent*>(payload));
            }
            notify::callbackDispatcher.Notify(notify::names::editControllerShowEditor, nullptr);
        }));
    notify::callbackDispatcher.AddCallback(
        this, notify::names::editModelUpdatedSelectedZarnEvent, guarded([this](void*) {
            timeline_.SuspendAutoScroll(250);
            OnUpdatedSelectedZarnEvent_();
        }));
    // A row the lists post always comes from the same vectors; a null payload or a row past
    // their end can only be stale, and is ignored like "no row".
    notify::callbackDispatcher.AddCallback(
        this, notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, guarded([this](void* payload) {
            std::lock_guard lock(editMutex_);
            if (!payload)
                return;
            const int row = *static_cast<const int*>(payload);
            if (row < 0 || static_cast<std::size_t>(row) >= editModel_->panelEvents.size())
                return;
            editModel_->SelectEvent(editModel_->panelEvents[static_cast<std::size_t>(row)].get());
        }));
    notify::callbackDispatcher.AddCallback(
        this, notify::names::EVT_MARKER_PANEL_SELECTED, guarded([this](void* payload) {
            std::lock_guard lock(editMutex_);
            if (!payload)
                return;
            const int row = *static_cast<const int*>(payload);
            if (row < 0 || static_cast<std::size_t>(row) >= editModel_->markers.size())
                return;
            editModel_->SelectEvent(editModel_->markers[static_cast<std::size_t>(row)]);
        }));
}

void EditController::ConnectPanel()
{
    connect(editBar_.get(), &TimelineEditController::DeleteRequested, this, &EditController::DeleteRequested);
    connect(editBar_.get(), &TimelineEditController::UndoRequested, this, &EditController::UndoRequested);
    connect(editBar_.get(), &TimelineEditController::RedoRequested, this, &EditController::RedoRequested);
    connect(editBar_.get(), &TimelineEditController::UndoRedoStateUpdated, this,
            &EditController::UpdateUndoRedoState);

    // By signature string: the panel is QML, and the list signals carry the short type
    // names the main window connects by as well.
    QObject* panel = qmlObject_;
    connect(panel, SIGNAL(markerSelected(int)), this, SLOT(OnMarkerSelected_(int)));
    connect(panel, SIGNAL(editSelectedMarkerItem()), this, SLOT(onZarnEditSelectedEvent()));
    connect(panel, SIGNAL(editSelectedEventItem()), this, SLOT(onZarnEditSelectedEvent()));
    connect(songList_.get(), SIGNAL(AttaccaStateChanged(std::string, UInt8)), this,
            SIGNAL(AttaccaStateChanged(std::string, UInt8)));
    connect(editBar_.get(), SIGNAL(EditButtonSignal(cmn::ZarnEvent*)), this,
            SIGNAL(EditButtonSignal(cmn::ZarnEvent*)));
    connect(eventList_.get(), SIGNAL(CurrentItemChangedSignal(EventInfoItem)), this,
            SIGNAL(EventItemChangedSignal(EventInfoItem)));
    connect(eventList_.get(), SIGNAL(EditSelectedItem()), this, SLOT(onZarnEditSelectedEvent()));
    connect(markerList_.get(), SIGNAL(CurrentItemChangedSignal(MarkerInfoItem)), this,
            SIGNAL(MarkerItemChangedSignal(MarkerInfoItem)));
}

CL::Editor& EditController::PausedEditor()
{
    CL::Editor* editor = showManager_->PauseAndGetEditor();
    if (!editor)
        throw std::logic_error("The show's engine has no change-log editor.");
    return *editor;
}

void EditController::ClearSelection()
{
    if (!editModel_->selectedEvent)
        return;
    editModel_->selectedEvent = nullptr;
    notify::callbackDispatcher.Notify(notify::names::editModelUpdatedSelectedZarnEvent, nullptr);
}

// --- song switch and refresh ---

void EditController::OnSongLoaded(std::string songNumber)
{
    std::lock_guard lock(editMutex_);
    try {
        ClearSelection();
        editModel_->songNumber = songNumber;
        showManager_->SelectSongLogForEditing(songNumber);
        try {
            editModel_->ReloadBarsBeats();
        } catch (const std::exception&) {
            // The timeline controller took this song first with the same reload and has
            // shown the failure; the old index stays, and the lists can still follow.
        }
        markerList_->Refresh();
        eventList_->Refresh();
        songList_->SelectSong(songNumber);
        editBar_->RefreshButtonStates();
        UpdateLogVersionText();
    } catch (const std::exception& e) {
        // Called from the engine's song-loaded notice: nothing may escape into it.
        emit error("The edit panel could not show song " + songNumber + ": " + e.what(),
                   "Display Error");
    }
}

void EditController::RefreshAfterEdit(std::vector<int> codes)
{
    // The lists and the timeline below replace the objects a selection could point to.
    ClearSelection();
    if (codes.empty()) {
        try {
            codes = PausedEditor().GetEditedCodes();
        } catch (const CL::EditorHistoryNoActionError&) {
            for (const auto& [code, name] : codes::editNameByZarnEventCode)
                codes.push_back(code);
        }
    }
    ReloadEditedChangeLog();

    const bool markers = std::find(codes.begin(), codes.end(), codes::Marker) != codes.end();
    const bool clicks = std::find(codes.begin(), codes.end(), codes::Click) != codes.end();
    const bool others = std::any_of(codes.begin(), codes.end(), [](int code) { return code != codes::Marker; });
    {
        std::lock_guard lock(editMutex_);
        if (clicks) {
            editModel_->ReloadBarsBeats();
            std::cerr << "WARNING: Incomplete code translation from Python? Should update bars on display here.\n";
        }
        if (others)
            eventList_->Refresh();
        if (markers)
            markerList_->Refresh();
        timeline_.Refresh();
    }
    editBar_->RefreshButtonStates();
}

void EditController::ReloadEditedChangeLog()
{
    player_->LoadNewChangeLog();
    // The marker pointers name objects of the log that was just replaced, and the marker
    // choice and the selection rule read them: take the new ones (same order, same rows).
    editModel_->GetMarkers();
    editModel_->needsSave = true;
    bool needsSave = true;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsSave, &needsSave);
    editModel_->needsUpload = true;
    bool needsUpload = true;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsUpload, &needsUpload);
}

void EditController::MarkChangeLogModified()
{
    editBar_->MarkChangeLogModified();
}

void EditController::MarkChangeLogSaved()
{
    editBar_->MarkChangeLogSaved();
    UpdateLogVersionText();
}

void EditController::MarkChangeLogSavedAndUploaded()
{
    editBar_->MarkChangeLogSavedAndUploaded();
    UpdateLogVersionText();
}

void EditController::UpdateLogVersionText()
{
    if (qmlObject_)
        qmlObject_->setProperty("logVersionText", QString::fromStdString("Log v" + showManager_->GetLogVersion()));
}

void EditController::ClearEventListSelection()
{
    eventList_->SetCurrentIndex(-1);
}

void EditController::ClearMarkerListSelection()
{
    markerList_->SetCurrentIndex(-1);
}

void EditController::OnMarkerPassed(int tick)
{
    if (!markerList_)
        return;
    markerList_->setPassedIndex(tick < 0 ? -1 : markerList_->GetPassedIndex(static_cast<unsigned>(tick)));
}

// --- edits ---

void EditController::onZarnMakeEvent(const cmn::ZarnEvent& event)
{
    timeline_.SuspendAutoScroll(250);
    try {
        timeline_.ResetItems();
        PausedEditor().AddEvent(event);
    } catch (const std::exception& e) {
        emit error(std::string("The edit could not be made on this song. ") + e.what(), editFailedTitle);
    }
    // Also after a refusal: the items were reset and must come back.
    RefreshAfterEdit({});
}

void EditController::onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue,
                                     bool adjustLeft, bool adjustRight)
{
    // The drag's caller is the timeline item's QML handler: nothing may escape into it.
    try {
        PausedEditor().EditEventStartEndValues(event, startValue, endValue, adjustLeft, adjustRight);
    } catch (const CL::EditorError& e) {
        emit error(std::string("The edit could not be completed because: ") + e.what(), editFailedTitle);
    } catch (const std::exception& e) {
        emit error(e.what(), editFailedTitle);
    }
}

void EditController::onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue,
                                     bool adjustLeft)
{
    onZarnMoveEvent(event, startValue, endValue, adjustLeft, false);
}

void EditController::onZarnMoveEvent(const cmn::ZarnEvent& event, UInt32 startValue, UInt32 endValue)
{
    onZarnMoveEvent(event, startValue, endValue, false, false);
}

void EditController::onZarnEditEventStartEndValues(const cmn::ZarnEvent& event, UInt32 startValue,
                                                   UInt32 endValue)
{
    try {
        PausedEditor().EditEventStartEndValues(event, startValue, endValue, false, false);
    } catch (const CL::EditorError& e) {
        emit error(std::string("A change to the start or end time could not be completed: ") + e.what(),
                   editFailedTitle);
    }
}

void EditController::onZarnEditEventStringValues(const cmn::ZarnEvent& event, std::string value)
{
    PausedEditor().EditEventStringValue(event, value);
}

void EditController::onZarnEditEventIntValues(const cmn::ZarnEvent& event, int value)
{
    PausedEditor().EditEventIntValue(event, value);
}

void EditController::onZarnEditEventFloatValues(const cmn::ZarnEvent& event, float value)
{
    PausedEditor().EditEventFloatValue(event, WidenAsWritten(value));
}

void EditController::EditEventSFXPropertyValues(const cmn::ZarnEvent& event, CL::SfxProperties properties)
{
    PausedEditor().EditEventSFXPropertyValues(event, properties);
}

void EditController::EditEventOscPropertyValues(const cmn::ZarnEvent& event, CL::OscProperties properties)
{
    PausedEditor().EditEventOscPropertyValues(event, properties);
}

// --- selection ---

void EditController::onZarnEditSelectedExternally(const cmn::ZarnEvent& event)
{
    eventList_->SelectEvent(&event);
}

void EditController::onZarnMarkerSelectedExternally(const cmn::ZarnEvent& event)
{
    markerList_->SelectMarker(&event);
}

void EditController::onZarnEditSelectedEvent()
{
    emit EditButtonSignal(editModel_->selectedEvent);
}

void EditController::OnUpdatedSelectedZarnEvent_()
{
    const cmn::ZarnEvent* selected = editModel_->selectedEvent;
    if (selected && selected->code() == codes::Marker) {
        const auto& markers = editModel_->markers;
        const auto found = std::find(markers.begin(), markers.end(), selected);
        markerList_->SetCurrentIndex(found == markers.end() ? -1 : static_cast<int>(found - markers.begin()));
    }
    editBar_->UpdateEditDeleteButtons();
}

void EditController::OnMarkerSelected_(int index)
{
    // Run from the panel's QML handler: nothing may escape into it.
    try {
        if (index < 0 || static_cast<std::size_t>(index) >= editModel_->markers.size())
            return;
        cmn::ZarnEvent* marker = editModel_->markers[static_cast<std::size_t>(index)];
        const auto tick = marker->abs_time();
        player_->Seek(tick);
        {
            std::lock_guard lock(editMutex_);
            editModel_->SelectEvent(marker);
        }
        MarkerListSelection chosen{static_cast<std::int32_t>(tick), player_->GetIsPlaying()};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &chosen);
    } catch (const std::exception& e) {
        emit error(e.what(), editFailedTitle);
    }
}

// --- delete, undo, redo ---

void EditController::DeleteRequested()
{
    // Run from the edit bar, the menu and the keyboard: a refusal must not end the program.
    try {
        timeline_.SuspendAutoScroll(250);
        if (!editModel_->selectedEvent)
            return;
        timeline_.ResetItems();
        try {
            editModel_->DeleteSelectedEvent();
        } catch (const std::exception&) {
            // Refused: the log is as it was, so its items can come back as they were.
            timeline_.Refresh();
            throw;
        }
        RefreshAfterEdit({});
    } catch (const std::exception& e) {
        emit error(e.what(), editFailedTitle);
    }
}

template <class Can, class Step>
void EditController::StepHistory(Can&& can, Step&& step)
{
    try {
        timeline_.SuspendAutoScroll(100);
        CL::Editor& editor = PausedEditor();
        if (!can(editor))
            return;
        std::vector<int> affected = CL::GetAffectedCodes(step(editor));
        ClearSelection();
        RefreshAfterEdit(affected);
    } catch (const std::exception& e) {
        emit error(e.what(), editFailedTitle);
    }
}

void EditController::UndoRequested()
{
    StepHistory([](CL::Editor& editor) { return editor.CanUndo(); },
                [](CL::Editor& editor) { return editor.Undo(); });
}

void EditController::RedoRequested()
{
    StepHistory([](CL::Editor& editor) { return editor.CanRedo(); },
                [](CL::Editor& editor) { return editor.Redo(); });
}

void EditController::TriggerAttaccaUpdate()
{
    if (songList_)
        songList_->UpdateAttaccaStates();
}

} // namespace zarn::qt
