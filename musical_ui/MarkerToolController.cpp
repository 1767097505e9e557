#include "MarkerToolController.h"

#include "zarn_core/Marker.h"

namespace zarn::qt {

namespace {

const char* const kMarkerWindow = "MarkerTool.qml";

} // namespace

MarkerToolController::MarkerToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                           EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kMarkerWindow), editController, std::move(engineHandle), 'E', parent,
                         true)
{
}

MarkerToolController::MarkerToolController(const MarkerToolController& other)
    : EditToolController(other, ToolWindowUrl(kMarkerWindow), true)
{
}

MarkerToolController::MarkerToolController(MarkerToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kMarkerWindow), true)
{
}

void MarkerToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeMarkerRequest(QString,int,QString)), this,
            SLOT(onMarkerChangeRequest(QString,int,QString)));
    connect(qmlObject_, SIGNAL(createMarkerRequest(QString,int,QString)), this,
            SLOT(onMarkerCreationRequest(QString,int,QString)));
    ConnectBeatListRequests(false);
    connect(qmlObject_, SIGNAL(markerToolClosing()), this, SLOT(onMarkerToolClosing()));
}

void MarkerToolController::onMarkerButtonClicked(TL::BarsBeats position)
{
    if (!qmlObject_)
        return;
    try {
        SetPickers(position, position);
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

void MarkerToolController::onMarkerButtonClicked()
{
    onMarkerButtonClicked(TL::BarsBeats());
}

void MarkerToolController::onMarkerCreationRequest(QString bar, int beat, QString value)
{
    try {
        if (!SongUnchanged())
            return;
        const std::uint32_t tick = RaisedToStart(PickedTick(bar, beat));
        const CL::Marker marker(tick, value.toStdString(), ShownEventId());
        AddEvent(marker);
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void MarkerToolController::onMarkerEdit(cmn::ZarnEvent* zarnEvent)
{
    if (!qmlObject_ || !zarnEvent)
        return;
    try {
        // Copied first: the engine's object may move within its log before OK, or go.
        RememberEvent(*zarnEvent);
        qmlObject_->setProperty("isEdit", true);
        const TL::BarsBeats position = engineHandle_ ? engineHandle_->GetBarBeatByTick(zarnEvent->start())
                                                     : TL::BarsBeats();
        SetPickers(position, position);
        SetStrValue(zarnEvent->value());
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void MarkerToolController::onMarkerChangeRequest(QString bar, int beat, QString value)
{
    try {
        if (!rememberedEvent_ || !SongUnchanged())
            return;
        const std::uint32_t tick = RaisedToStart(PickedTick(bar, beat));
        // Two edits, the rename made whatever became of the move: the editor finds the marker
        // by its id either way.
        EditStartEndValues(*rememberedEvent_, tick, tick);
        EditStringValue(*rememberedEvent_, value.toStdString());
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void MarkerToolController::onMarkerToolClosing()
{
    EmitClosing(&MarkerToolController::markerToolClosing);
}

} // namespace zarn::qt
