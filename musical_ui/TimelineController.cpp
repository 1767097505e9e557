#include "TimelineController.h"

#include "MarkerListSelection.h"
#include "TimelineMetaTypes.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Keys.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/Timeline.h"

#include <QJSValue>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>

namespace zarn::qt {

namespace {

void DeleteLater(QObject* object)
{
    if (object)
        object->deleteLater();
}

// The view's properties that are QML ints take a truncated value: Qt would round a double.
int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}

int Units(std::uint32_t ticks)
{
    return Trunc(ticks / 25.0);
}

QObject* ObjectProperty(QObject* object, const char* name)
{
    const QVariant value = object->property(name);
    if (value.canConvert<QJSValue>()) {
        if (QObject* result = value.value<QJSValue>().toQObject())
            return result;
    }
    return value.value<QObject*>();
}

template <class List>
void Release(List& list)
{
    for (auto& item : list) {
        // Nothing a dying item still emits may reach the timeline.
        item->disconnect();
        item->DeleteQmlObject();
    }
    list.clear();
}

} // namespace

TimelineController::TimelineController(QObject* timeline, QQmlEngine* engine,
                                       std::shared_ptr<Interface> player,
                                       std::shared_ptr<zarn::ShowManager> showManager,
                                       std::shared_ptr<EditModel> editModel, bool audioTailAsFade,
                                       bool enableOsc)
    : QmlController(timeline, engine), player(std::move(player)), enableOsc(enableOsc),
      showManager(std::move(showManager)), editModel(std::move(editModel))
{
    RegisterTimelineMetaTypes();
    viewScale = 1.0;
    Connect_(audioTailAsFade);
}

TimelineController::~TimelineController()
{
    playheadItem = nullptr;
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
    barsBeatsView.reset();
    editModel.reset();
    showManager.reset();
    QObject::disconnect(viewStartConnection);
    ReleaseItems();
    player.reset();
}

void TimelineController::Connect_(bool audioTailAsFade)
{
    connect(qmlObject_, SIGNAL(timelineScaleChanged(double, bool)), this,
            SLOT(ViewScaleChanged_(double, bool)));
    connect(qmlObject_, SIGNAL(timelineClicked(int)), this, SLOT(TimelineClicked_(int)));
    viewStartConnection = connect(this, SIGNAL(SetViewStart_(int)), qmlObject_, SIGNAL(setViewStart(int)));

    barsRegion = ObjectProperty(qmlObject_, "barsRegion");
    keyMarkersBar = ObjectProperty(qmlObject_, "keyMarkersBar");
    tempoMarkersBar = ObjectProperty(qmlObject_, "tempoMarkersBar");
    meterMarkersBar = ObjectProperty(qmlObject_, "meterMarkersBar");
    markersBar = ObjectProperty(qmlObject_, "markersBar");
    editsBar = ObjectProperty(qmlObject_, "editsBar");
    effectBar = ObjectProperty(qmlObject_, "effectBar");
    playheadItem = ObjectProperty(qmlObject_, "playheadItem");

    barsBeatsView = std::make_unique<BarsBeatsViewController>(barsRegion, 25.0, engine_,
                                                              editModel.get(), audioTailAsFade);

    notify::callbackDispatcher.AddCallback(
        this, notify::names::editControllerMarkerListSelected, [this](void* payload) {
            if (const auto* selection = static_cast<const MarkerListSelection*>(payload))
                OnMarkerListSelected(selection->tick, selection->playing);
        });
}

void TimelineController::ReleaseItems()
{
    Release(regionItems);
    Release(caesuraItems);
    Release(markerItems);
    Release(keyItems);
    Release(tempoItems);
    Release(meterItems);
    Release(glyphItems);
}

void TimelineController::ResetItems()
{
    ReleaseItems();
    barsBeatsView->Rebuild();
}

void TimelineController::Refresh()
{
    Rebuild(false);
}

void TimelineController::Rebuild(bool initializing)
{
    ResetItems();
    SetTimelineViewScale(viewScale);

    const CL::SongLog* log = player->GetSongLog();
    auto region = [&](const cmn::ZarnEvent& event, const char* name, int kind, QObject* row) {
        regionItems.emplace_back(new TimeRegionController(&event, true, QString::fromUtf8(name),
                                                          Units(event.abs_time()),
                                                          Units(event.GetLengthTicks()), kind,
                                                          engine_, row),
                                 &DeleteLater);
    };
    auto marker = [&](auto& list, const cmn::ZarnEvent* event, const QString& label,
                      std::uint32_t tick, QObject* row) {
        list.emplace_back(new TimeLineMarkerController(event, event != nullptr, label,
                                                       Units(tick), engine_, row),
                          &DeleteLater);
    };

    if (log) {
        for (const auto& e : log->GetFermatas())
            region(e, "Skip", 1, editsBar);
        for (const auto& e : log->GetVamps())
            region(e, "Vamp", 3, editsBar);
        for (const auto& e : log->GetCuts())
            region(e, "Cut", 0, editsBar);
        for (const auto& e : log->GetRepeats())
            region(e, "Repeat", 2, editsBar);
        for (const auto& e : log->GetDisplayCaesurasRef())
            caesuraItems.emplace_back(new TimeLineCaesuraController(&e, true, Units(e.abs_time()),
                                                                    engine_, editsBar),
                                      &DeleteLater);
        for (const auto& e : log->GetMarkers())
            marker(markerItems, &e, QStringLiteral(" ") + QString::fromStdString(e.value()),
                   e.abs_time(), markersBar);
    }

    const TL::Timeline timeline = player->GetTimeline();
    for (const auto& key : timeline.GetKeys())
        marker(keyItems, nullptr,
               QStringLiteral(" ") + QString::fromStdString(TL::Keys::keyNameFromSig(key.sf, key.mi)),
               key.tick, keyMarkersBar);
    if (log) {
        for (const auto& e : log->GetTranspositions())
            region(e, "Transpose", 5, keyMarkersBar);
    }
    for (const auto& tempo : timeline.GetTempos())
        marker(tempoItems, nullptr,
               QStringLiteral(" ") + QString::number(tempo.tempo.bpm(24), 'f', 2), tempo.tick,
               tempoMarkersBar);
    for (const auto& meter : timeline.GetMeters())
        marker(meterItems, nullptr,
               QStringLiteral(" %1/%2").arg(meter.numerator).arg(meter.denominator), meter.tick,
               meterMarkersBar);
    if (log) {
        for (const auto& e : log->GetClicks())
            region(e, "Click", 6, meterMarkersBar);
        for (const auto& e : log->GetTempoScales())
            region(e, "Tempo Scale", 4, tempoMarkersBar);
        for (const auto& e : log->GetOscs())
            glyphItems.emplace_back(new TimeLineGlyphController(&e, true, Units(e.abs_time()),
                                                                engine_, effectBar,
                                                                QStringLiteral("qrc:/images/lan.svg"),
                                                                enableOsc),
                                    &DeleteLater);
    }

    for (ZarnEventController* item : SelectableItems())
        ConnectItem(item);

    UpdateMarkerLabels();
    ViewScaleChanged_(viewScale, initializing);
}

void TimelineController::ConnectItem(ZarnEventController* item)
{
    connect(item, SIGNAL(SelectedSignal(const cmn::ZarnEvent*)), this,
            SLOT(onEditRegionSelected(const cmn::ZarnEvent*)));
    connect(item, SIGNAL(DoubleClickedSignal()), this, SLOT(onEditRegionDoubleClicked()));
    connect(item, SIGNAL(DraggedSignal(const cmn::ZarnEvent*, int, int, bool, bool)), this,
            SLOT(onEditRegionDragged(const cmn::ZarnEvent*, int, int, bool, bool)));
}

std::vector<ZarnEventController*> TimelineController::SelectableItems() const
{
    std::vector<ZarnEventController*> items;
    for (const auto& item : regionItems)
        items.push_back(item.get());
    for (const auto& item : caesuraItems)
        items.push_back(item.get());
    for (const auto& item : markerItems)
        items.push_back(item.get());
    for (const auto& item : glyphItems)
        items.push_back(item.get());
    return items;
}

void TimelineController::SetTimelineViewScale(double val)
{
    viewScale = val;
    qmlObject_->setProperty("viewScale", val);
}

void TimelineController::SetBaseWidth(std::uint32_t ticks)
{
    qmlObject_->setProperty("baseWidth", Trunc(ticks / 25.0 + 200));
}

int TimelineController::GetViewStartTick() const
{
    return Trunc(qmlObject_->property("viewStart").toInt() * 25.0);
}

int TimelineController::GetViewEndTick() const
{
    return Trunc(qmlObject_->property("viewEnd").toInt() * 25.0);
}

void TimelineController::UpdateMarkerLabels()
{
    auto pass = [](const auto& list) {
        // Items whose QML is missing take no part: they have no place to measure.
        std::vector<TimeLineMarkerController*> present;
        for (const auto& item : list) {
            if (item->GetQmlObject())
                present.push_back(item.get());
        }
        for (std::size_t i = 0; i + 1 < present.size(); ++i)
            present[i]->SetLabelVisible(present[i]->GetRightEdge() + 10 < present[i + 1]->GetX());
    };
    pass(markerItems);
    pass(keyItems);
    pass(tempoItems);
    pass(meterItems);
}

void TimelineController::ViewScaleChanged_(double val, bool /*initializing*/)
{
    viewScale = val;
    for (const auto& item : regionItems)
        item->SetRegionViewScale(val);
    for (const auto& item : caesuraItems)
        item->SetItemViewScale(val);
    for (const auto& item : markerItems)
        item->SetItemViewScale(val);
    for (const auto& item : keyItems)
        item->SetItemViewScale(val);
    for (const auto& item : tempoItems)
        item->SetItemViewScale(val);
    for (const auto& item : meterItems)
        item->SetItemViewScale(val);
    for (const auto& item : glyphItems)
        item->SetItemViewScale(val);
    UpdateMarkerLabels();
    if (playheadItem)
        playheadItem->setProperty("viewScale", val);
    barsBeatsView->SetViewScale(val, false);
    emit SetViewStart_(Trunc(GetViewStartTick() / 25.0));
}

void TimelineController::SetPlayhead(int tick)
{
    PlacePlayhead(tick, false);
}

void TimelineController::PlacePlayhead(int tick, bool explicitMove)
{
    if (!playheadItem)
        return;
    playheadItem->setProperty("basePos", Trunc((tick - 8) / 25.0));
    if (tick < GetViewStartTick() || tick > GetViewEndTick()) {
        if (explicitMove)
            ScrollExplicitly(Trunc(tick / 25.0));
        else
            emit SetViewStart_(Trunc(tick / 25.0));
    }
}

void TimelineController::ScrollExplicitly(int val)
{
    if (viewStartConnection)
        emit SetViewStart_(val);
    else
        QMetaObject::invokeMethod(qmlObject_, "setViewStart", Q_ARG(int, val));
}

void TimelineController::TimelineClicked_(int pos)
{
    emit timelineClicked();
    const std::shared_ptr<BarsBeatsEventSequence> index = editModel->barsBeats;
    // Before any song is loaded there is nothing to snap to and nowhere to seek.
    if (!index)
        return;
    const std::uint32_t length = player->GetSongLength(player->GetCurrentSongNumber());
    const double at = std::max(0.0, pos * 25.0);
    std::uint32_t t = static_cast<std::uint32_t>(std::trunc(at));
    if (at >= static_cast<double>(length) || t >= length)
        t = length;
    player->Seek(index->GetNearestTick(t));
}

void TimelineController::SuspendAutoScroll(int milliseconds)
{
    if (!QObject::disconnect(viewStartConnection))
        return;
    viewStartConnection = {};
    // A child of the controller: it goes with it and never fires after it.
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        viewStartConnection =
            connect(this, SIGNAL(SetViewStart_(int)), qmlObject_, SIGNAL(setViewStart(int)));
        timer->stop();
        timer->deleteLater();
    });
    timer->start(milliseconds);
}

void TimelineController::OnSongLoaded(const std::string& songNumber)
{
    try {
        SetTimelineViewScale(1.0);
        editModel->songNumber = songNumber;
        editModel->showManager->SelectSongLogForEditing(songNumber);
        editModel->ReloadBarsBeats();
        SetBaseWidth(std::max(editModel->showManager->GetSongLength(songNumber),
                              editModel->GetSongAudioEndTick()));
        Rebuild(true);
    } catch (const std::exception& e) {
        const std::string message =
            "The timeline could not be drawn for song " + songNumber + ": " + e.what();
        std::cerr << message << std::endl;
        emit error(message, "Display Error");
    }
}

void TimelineController::SelectEventItem(const EventInfoItem& row)
{
    for (ZarnEventController* item : SelectableItems()) {
        const bool match = item->GetEvent() && MakeEventInfoItem(*item->GetEvent()) == row;
        item->SetSelected(match);
        if (match)
            ScrollExplicitly(Trunc(item->GetEvent()->start() / 25.0));
    }
}

void TimelineController::SelectMarkerItem(const MarkerInfoItem& row)
{
    for (const auto& item : markerItems) {
        bool match = false;
        if (item->GetEvent()) {
            const MarkerInfoItem record = MakeMarkerInfoItem(CL::Marker(*item->GetEvent()));
            match = record.name == row.name && record.tick == row.tick;
        }
        item->SetSelected(match);
    }
}

void TimelineController::OnMarkerListSelected(int tick, bool playing)
{
    if (!playing)
        PlacePlayhead(tick, true);
}

void TimelineController::onEditRegionSelected(const cmn::ZarnEvent* event)
{
    for (ZarnEventController* item : SelectableItems())
        item->SetSelected(item->GetEvent() == event);
    emit EditSelectedSignal(event);
}

void TimelineController::onEditRegionDoubleClicked()
{
    emit EditDoubleClickedSignal();
}

void TimelineController::onEditRegionDragged(const cmn::ZarnEvent* event, int start, int end,
                                             bool adjustLeft, bool adjustRight)
{
    emit EditDraggedSignal(event, Trunc(start * 25.0), Trunc(end * 25.0), adjustLeft, adjustRight);
    SuspendAutoScroll(100);
}

} // namespace zarn::qt
