#include "CaesuraToolController.h"

#include "InShift.h"
#include "zarn_core/Caesura.h"

#include <QUrl>

#include <algorithm>
#include <limits>

namespace zarn::qt {

namespace {

QUrl CaesuraToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/CaesuraTool.qml"));
}

int AsSliderEnd(std::uint32_t ticks)
{
    return static_cast<int>(std::min<std::uint32_t>(ticks, std::numeric_limits<int>::max()));
}

} // namespace

CaesuraToolController::CaesuraToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                             EditController* editController, QObject* parent)
    : EditToolController(engine, CaesuraToolUrl(), editController, std::move(engineHandle), 'N', parent, true)
{
}

CaesuraToolController::CaesuraToolController(const CaesuraToolController& other)
    : EditToolController(other.engine_, CaesuraToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), 'N', nullptr, true)
{
}

CaesuraToolController::CaesuraToolController(CaesuraToolController&& other)
    : EditToolController(other.engine_, CaesuraToolUrl(), other.editController_, std::move(other.engineHandle_),
                         'N', nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel"))
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(onInBeatInputUpdateRequest(QVariant)));
    connect(qmlObject_, SIGNAL(caesuraToolClosing()), this, SLOT(onCaesuraToolClosing()));
}

void CaesuraToolController::UpdateToolValues()
{
    if (!qmlObject_ || !barListModel_)
        return;
    const PickedInBeat picked = ReadPickedInBeat(qmlObject_, *barListModel_);
    if (picked.state == PickedInBeat::State::StaleBeats)
        return;
    if (picked.state == PickedInBeat::State::None) {
        qmlObject_->setProperty("inShiftEnabled", false);
        return;
    }
    const std::uint32_t max = engineHandle_ ? engineHandle_->GetAvailableShiftAfterBarBeat(picked.tick, true) : 0;
    qmlObject_->setProperty("inShiftMax", AsSliderEnd(max));
    qmlObject_->setProperty("inShiftEnabled", max != 0);
    // A new beat starts at its lowest shift; the slider's lower end first, since the slider
    // holds its value inside its range.
    const std::int32_t floor =
        InShiftFloor(*barListModel_, picked.bar, picked.beat, static_cast<std::uint32_t>(minStartTick_));
    qmlObject_->setProperty("inShiftMin", floor);
    qmlObject_->setProperty("inShift", floor);
}

void CaesuraToolController::onCaesuraButtonClicked(TL::BarsBeats position, UInt32 MinStartTick)
{
    if (!qmlObject_)
        return;
    try {
        minStartTick_ = static_cast<std::int32_t>(MinStartTick);
        SetPickers(position, position);
        SetInShiftMin(MinStartTick);
        UpdateToolValues();
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
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
        std::uint32_t tick = PickedTick(bar.toString(), beat.toInt());
        // The beat the song starts inside begins before the start; the slider's lower end
        // keeps the caesura from landing there.
        if (barListModel_)
            tick = std::max(tick, barListModel_->frontTick);
        tick = ShiftedTick(tick, inShift);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Caesura(tick, eventId.toStdString(), 0));
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
        const std::uint32_t start = zarnEvent->start();
        const TL::BarsBeats position = engineHandle_->GetBarBeatLeftByTick(start);
        const std::uint32_t beatTick = position.tick();
        SetPickers(position, position);
        UpdateToolValues();
        const std::uint32_t max = engineHandle_->GetAvailableShiftAfterBarBeat(beatTick, true);
        qmlObject_->setProperty("inShiftMax", AsSliderEnd(max));
        qmlObject_->setProperty("inShift", static_cast<float>(start - beatTick));
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
        const std::uint32_t tick = RaisedToStart(ShiftedTick(PickedTick(bar.toString(), beat.toInt()), inShift));
        EditStartEndValues(*rememberedEvent_, tick, tick);
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void CaesuraToolController::onCaesuraToolClosing()
{
    try {
        emit caesuraToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
