// The main window controller's event tools and the relays between the timeline, the edit
// panel's lists and the edit controller.

#include "MusicalMainController.h"

#include "AppSettings.h"
#include "DialogController.h"
#include "DragClamp.h"
#include "EditController.h"
#include "EditModel.h"
#include "FatalError.h"
#include "Interface.h"
#include "PlayerFactory.h"
#include "ShowManager.h"
#include "TimelineController.h"
#include "zarn_core/ZarnEvent.h"
#include "zarn_core/ZarnEventCode.h"

#include <QString>
#include <QVariant>

#include <algorithm>
#include <iterator>

namespace zarn::qt {

namespace {

// The controller's edit and closing slot of each tool kind.
struct ToolSlots
{
    char kind;
    void (MusicalMainController::*edit)(cmn::ZarnEvent*);
    void (MusicalMainController::*closing)();
};

const ToolSlots kToolSlots[] = {
    {codes::Vamp, &MusicalMainController::onVampEdit, &MusicalMainController::onVampToolClosing},
    {codes::Repeat, &MusicalMainController::onRepeatEdit, &MusicalMainController::onRepeatToolClosing},
    {codes::Cut, &MusicalMainController::onCutEdit, &MusicalMainController::onCutToolClosing},
    {codes::Transpose, &MusicalMainController::onTransposeEdit, &MusicalMainController::onTransposeToolClosing},
    {codes::TempoScale, &MusicalMainController::onTempoEdit, &MusicalMainController::onTempoToolClosing},
    {codes::Marker, &MusicalMainController::onMarkerEdit, &MusicalMainController::onMarkerToolClosing},
    {codes::Click, &MusicalMainController::onClickEdit, &MusicalMainController::onClickToolClosing},
    {codes::Fermata, &MusicalMainController::onSkipEdit, &MusicalMainController::onSkipToolClosing},
    {codes::Caesura, &MusicalMainController::onCaesuraEdit, &MusicalMainController::onCaesuraToolClosing},
    {codes::Osc, &MusicalMainController::onOscEdit, &MusicalMainController::onOscToolClosing},
};

const ToolSlots* SlotsOf(char kind)
{
    const auto found = std::find_if(std::begin(kToolSlots), std::end(kToolSlots),
                                    [kind](const ToolSlots& entry) { return entry.kind == kind; });
    return found == std::end(kToolSlots) ? nullptr : found;
}

const char* const kClickToolNoticeText =
    "While there is no audible click track present in Corvane, this feature changes the resolution of where "
    "you can place events in the timeline to allow for more precise editing. Be aware any edits made to the "
    "click in Corvane will affect the click track in Halvard.";

} // namespace

// --- wiring ---

void MusicalMainController::ConnectEditRelays()
{
    TimelineController* timeline = timelineController_.get();
    EditController* edit = editController_.get();
    connect(timeline, &TimelineController::EditSelectedSignal, this,
            &MusicalMainController::onZarnEditSelectedExternally);
    connect(timeline, &TimelineController::EditDoubleClickedSignal, this,
            &MusicalMainController::onEditDoubleClicked);
    connect(timeline, &TimelineController::EditDraggedSignal, this, &MusicalMainController::onZarnEditDragged);
    connect(edit, &EditController::EventItemChangedSignal, this, &MusicalMainController::onEventItemChanged);
    connect(edit, &EditController::MarkerItemChangedSignal, this, &MusicalMainController::onMarkerItemChanged);
    connect(edit, &EditController::EditButtonSignal, this, &MusicalMainController::onEditButton);
}

void MusicalMainController::ConnectToolSignals(QObject* window)
{
    const auto unique = Qt::UniqueConnection;
    if (editController_) {
        connect(this, &MusicalMainController::SignalAttaccaUpdate, editController_.get(),
                &EditController::TriggerAttaccaUpdate, unique);
        connect(editController_.get(), &EditController::AttaccaStateChanged, this,
                &MusicalMainController::onAttaccaStageChanged, unique);
    }
    connect(window, SIGNAL(caesuraButtonPressed(int)), this, SLOT(onCaesuraButton(int)), unique);
    connect(window, SIGNAL(markerButtonPressed(int)), this, SLOT(onMarkerButton(int)), unique);
    connect(window, SIGNAL(skipButtonPressed(int,int)), this, SLOT(onSkipButton(int,int)), unique);
    connect(window, SIGNAL(vampButtonPressed(int,int)), this, SLOT(onVampButton(int,int)), unique);
    connect(window, SIGNAL(cutButtonPressed(int,int)), this, SLOT(onCutButton(int,int)), unique);
    connect(window, SIGNAL(transposeButtonPressed(int,int)), this, SLOT(onTransposeButton(int,int)), unique);
    connect(window, SIGNAL(tempoButtonPressed(int,int)), this, SLOT(onTempoButton(int,int)), unique);
    connect(window, SIGNAL(repeatButtonPressed(int,int)), this, SLOT(onRepeatButton(int,int)), unique);
    connect(window, SIGNAL(clickButtonPressed(int,int)), this, SLOT(onClickButton(int,int)), unique);
    if (profile_->enableOsc)
        connect(window, SIGNAL(oscButtonPressed(int)), this, SLOT(onOscButton(int)), unique);
}

// --- opening and closing tools ---

EventToolContext MusicalMainController::ToolContext() const
{
    return {engine_, player_, editController_.get(), qmlObject_.data()};
}

void MusicalMainController::OpenToolForCreate(char kind, int startTick, int endTick)
{
    FatalError::Guard([&] {
        const EventToolKind* row = tools_.Find(kind);
        const ToolSlots* entry = SlotsOf(kind);
        if (!row || !entry || !player_ || !editController_ || !qmlObject_)
            return;
        EditToolController* tool = tools_.Replace(*row, ToolContext());
        row->openForCreate(*tool, *player_, startTick, endTick);
        tool->ConnectToolSignals();
        if (row->refreshesOnCreate)
            connect(tool, &EditToolController::valuesUpdated, this, &MusicalMainController::onEditValueUpdated);
        row->connectClosing(*tool, this, [this, closing = entry->closing] { (this->*closing)(); });
        // Only a click tool opened for a new click explains itself.
        if (kind == codes::Click)
            ShowClickToolNotice();
    });
}

void MusicalMainController::OpenToolForEdit(char kind, cmn::ZarnEvent* zarnEvent)
{
    FatalError::Guard([&] {
        const EventToolKind* row = tools_.Find(kind);
        const ToolSlots* entry = SlotsOf(kind);
        if (!zarnEvent || !row || !entry || !player_ || !editController_ || !qmlObject_)
            return;
        EditToolController* tool = tools_.Replace(*row, ToolContext());
        row->openForEdit(*tool, *player_, zarnEvent);
        tool->ConnectToolSignals();
        connect(tool, &EditToolController::valuesUpdated, this, &MusicalMainController::onEditValueUpdated);
        row->connectClosing(*tool, this, [this, closing = entry->closing] { (this->*closing)(); });
    });
}

void MusicalMainController::ShowClickToolNotice()
{
    if (profile_->hideClickToolNotice)
        return;
    // Asked here rather than left to the dialog: a notice that will not show must not take
    // the place of a dialog on screen.
    if (generalSettings_ && !generalSettings_->GetShowDialog(QString::fromLatin1(kClickToolNoticeKey)))
        return;
    const std::string title = "About Click in " + profile_->displayName.toStdString();
    dialogs_.Show([this, title] {
        return std::make_unique<DialogController>(kClickToolNoticeText, title, DialogController::Information,
                                                  qmlObject_.data(), engine_, generalSettings_, true,
                                                  kClickToolNoticeKey, false, false, false, "Acknowledge");
    });
}

void MusicalMainController::onCaesuraButton(int tick)
{
    OpenToolForCreate(codes::Caesura, tick, tick);
}

void MusicalMainController::onMarkerButton(int tick)
{
    OpenToolForCreate(codes::Marker, tick, tick);
}

void MusicalMainController::onOscButton(int startTick)
{
    OpenToolForCreate(codes::Osc, startTick, startTick);
}

void MusicalMainController::onClickButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Click, startTick, endTick);
}

void MusicalMainController::onCutButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Cut, startTick, endTick);
}

void MusicalMainController::onRepeatButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Repeat, startTick, endTick);
}

void MusicalMainController::onSkipButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Fermata, startTick, endTick);
}

void MusicalMainController::onTempoButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::TempoScale, startTick, endTick);
}

void MusicalMainController::onTransposeButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Transpose, startTick, endTick);
}

void MusicalMainController::onVampButton(int startTick, int endTick)
{
    OpenToolForCreate(codes::Vamp, startTick, endTick);
}

void MusicalMainController::onCaesuraEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Caesura, zarnEvent);
}

void MusicalMainController::onClickEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Click, zarnEvent);
}

void MusicalMainController::onCutEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Cut, zarnEvent);
}

void MusicalMainController::onMarkerEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Marker, zarnEvent);
}

void MusicalMainController::onOscEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Osc, zarnEvent);
}

void MusicalMainController::onRepeatEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Repeat, zarnEvent);
}

void MusicalMainController::onSkipEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Fermata, zarnEvent);
}

void MusicalMainController::onTempoEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::TempoScale, zarnEvent);
}

void MusicalMainController::onTransposeEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Transpose, zarnEvent);
}

void MusicalMainController::onVampEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenToolForEdit(codes::Vamp, zarnEvent);
}

// A tool hears that its window closed while the window is still emitting: the set lets it go
// with deleteLater.
void MusicalMainController::onCaesuraToolClosing()
{
    tools_.Release(codes::Caesura);
}

void MusicalMainController::onClickToolClosing()
{
    tools_.Release(codes::Click);
}

void MusicalMainController::onCutToolClosing()
{
    tools_.Release(codes::Cut);
}

void MusicalMainController::onMarkerToolClosing()
{
    tools_.Release(codes::Marker);
}

void MusicalMainController::onOscToolClosing()
{
    tools_.Release(codes::Osc);
}

void MusicalMainController::onRepeatToolClosing()
{
    tools_.Release(codes::Repeat);
}

void MusicalMainController::onSkipToolClosing()
{
    tools_.Release(codes::Fermata);
}

void MusicalMainController::onTempoToolClosing()
{
    tools_.Release(codes::TempoScale);
}

void MusicalMainController::onTransposeToolClosing()
{
    tools_.Release(codes::Transpose);
}

void MusicalMainController::onVampToolClosing()
{
    tools_.Release(codes::Vamp);
}

void MusicalMainController::onEditButton(cmn::ZarnEvent* zarnEvent)
{
    if (!zarnEvent)
        return;
    if (const ToolSlots* entry = SlotsOf(zarnEvent->code()))
        (this->*entry->edit)(zarnEvent);
}

void MusicalMainController::onEditDoubleClicked()
{
    if (editController_ && editModel_)
        onEditButton(editModel_->selectedEvent);
}

void MusicalMainController::onEditValueUpdated()
{
    FatalError::Guard([&] {
        if (editController_)
            editController_->RefreshAfterEdit({});
    });
}

// --- selection, drag, select-all, attacca ---

void MusicalMainController::onEventItemChanged(EventInfoItem item)
{
    FatalError::Guard([&] {
        if (!timelineController_ || !editController_)
            return;
        timelineController_->SelectEventItem(item);
        editController_->ClearMarkerListSelection();
    });
}

void MusicalMainController::onMarkerItemChanged(MarkerInfoItem item)
{
    FatalError::Guard([&] {
        if (!timelineController_ || !editController_)
            return;
        timelineController_->SelectMarkerItem(item);
        editController_->ClearEventListSelection();
    });
}

void MusicalMainController::onZarnEditSelectedExternally(const cmn::ZarnEvent* zarnEvent)
{
    FatalError::Guard([&] {
        if (!editController_)
            return;
        if (!zarnEvent) {
            // Nothing selected on the timeline: no row is either.
            editController_->ClearEventListSelection();
            editController_->ClearMarkerListSelection();
        } else if (zarnEvent->code() == codes::Marker) {
            editController_->ClearEventListSelection();
            editController_->onZarnMarkerSelectedExternally(*zarnEvent);
        } else {
            editController_->ClearMarkerListSelection();
            editController_->onZarnEditSelectedExternally(*zarnEvent);
        }
    });
}

void MusicalMainController::onZarnEditDragged(const cmn::ZarnEvent* zarnEvent, int start, int end,
                                              bool adjustLeft, bool adjustRight)
{
    FatalError::Guard([&] {
        if (!zarnEvent || !player_ || !showManager_ || !editController_)
            return;
        const std::string song = player_->GetCurrentSongNumber();
        const auto songStart = static_cast<std::int32_t>(showManager_->GetSongStartTickIndex(song));
        const auto songLength = static_cast<std::int32_t>(showManager_->GetSongLength(song));
        const DraggedSpan span = ClampDraggedSpan(start, end, adjustLeft, adjustRight, songStart, songLength);
        editController_->onZarnMoveEvent(*zarnEvent, span.start, span.end, adjustLeft, adjustRight);
        onEditValueUpdated();
    });
}

void MusicalMainController::onSelectAllRequested_()
{
    FatalError::Guard([&] {
        if (!player_ || !qmlObject_)
            return;
        const uint first = player_->GetSongAudioStartTick(player_->GetCurrentSongNumber());
        const uint last = player_->GetSongAudioEndTick(player_->GetCurrentSongNumber());
        QMetaObject::invokeMethod(qmlObject_, "setSelectionStart", Q_ARG(QVariant, QVariant(first)));
        QMetaObject::invokeMethod(qmlObject_, "setSelectionEnd", Q_ARG(QVariant, QVariant(last)));
    });
}

void MusicalMainController::onAttaccaStageChanged(std::string songNum, UInt8 state)
{
    FatalError::Guard([&] {
        if (!player_)
            return;
        player_->SetAttacca(songNum, state);
        // A changed attacca is an edit of the log like any other: it needs saving and sharing.
        if (editController_)
            editController_->MarkChangeLogModified();
    });
}

} // namespace zarn::qt
