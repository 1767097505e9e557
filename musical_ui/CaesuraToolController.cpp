#include "CaesuraToolController.h"

#include "zarn_core/Caesura.h"

namespace zarn::qt {

namespace {

const char* const kCaesuraWindow = "CaesuraTool.qml";

} // namespace

CaesuraToolController::CaesuraToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                             EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kCaesuraWindow), editController, std::move(engineHandle), 'N',
                         parent, true)
{
}

CaesuraToolController::CaesuraToolController(const CaesuraToolController& other)
    : EditToolController(other, ToolWindowUrl(kCaesuraWindow), true)
{
}

CaesuraToolController::CaesuraToolController(CaesuraToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kCaesuraWindow), true)
{
}

void CaesuraToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeCaesuraRequest(QVariant,QVariant,qreal)), this,
            SLOT(onCaesuraChangeRequest(QVariant,QVariant,double)));
    connect(qmlObject_, SIGNAL(createCaesuraRequest(QVariant,QVariant,qreal)), this,
            SLOT(onCaesuraCreationRequest(QVariant,QVariant,double)));
    ConnectBeatListRequests(false);
    connect(qmlObject_, SIGNAL(caesuraToolClosing()), this, SLOT(onCaesuraToolClosing()));
}

void CaesuraToolController::UpdateToolValues()
{
    ShowShiftOfPickedBeat();
}

void CaesuraToolController::onCaesuraButtonClicked(TL::BarsBeats position, UInt32 MinStartTick)
{
    OpenShiftForCreate(position, MinStartTick);
}

void CaesuraToolController::onCaesuraButtonClicked(TL::BarsBeats position)
{
    onCaesuraButtonClicked(position, 0);
}

void CaesuraToolController::onCaesuraButtonClicked()
{
    onCaesuraButtonClicked(TL::BarsBeats(), 0);
}

void CaesuraToolController::onCaesuraCreationRequest(QVariant bar, QVariant beat, double inShift)
{
    try {
        if (!SongUnchanged())
            return;
        AddEvent(CL::Caesura(NewShiftedTick(bar.toString(), beat.toInt(), inShift), ShownEventId(), 0));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void CaesuraToolController::onCaesuraEdit(cmn::ZarnEvent* zarnEvent)
{
    if (!qmlObject_ || !zarnEvent || !engineHandle_)
        return;
    try {
        RememberEvent(*zarnEvent);
        qmlObject_->setProperty("isEdit", true);
        // The front beat's lower end needs the earliest tick in an edit too, or it would
        // reach before the song's start.
        minStartTick_ = static_cast<std::int32_t>(engineHandle_->GetMinStartTickIndex());
        ShowShiftAfterBeat(PickBeatOf(*zarnEvent), zarnEvent->start());
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void CaesuraToolController::onCaesuraChangeRequest(QVariant bar, QVariant beat, double inShift)
{
    try {
        if (!rememberedEvent_ || !SongUnchanged())
            return;
        const std::uint32_t tick = MovedShiftedTick(bar.toString(), beat.toInt(), inShift);
        EditStartEndValues(*rememberedEvent_, tick, tick);
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void CaesuraToolController::onCaesuraToolClosing()
{
    EmitClosing(&CaesuraToolController::caesuraToolClosing);
}

} // namespace zarn::qt
