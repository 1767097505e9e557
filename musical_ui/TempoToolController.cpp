#include "TempoToolController.h"

#include "zarn_core/TempoScale.h"
#include "zarn_core/ZarnEventCode.h"

#include <QUrl>

#include <cmath>

namespace zarn::qt {

namespace {

QUrl TempoToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TempoTool.qml"));
}

} // namespace

TempoToolController::TempoToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                         EditController* editController, QObject* parent)
    : EditToolController(engine, TempoToolUrl(), editController, std::move(engineHandle), codes::TempoScale, parent,
                         true)
{
}

TempoToolController::TempoToolController(const TempoToolController& other)
    : EditToolController(other.engine_, TempoToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), codes::TempoScale, nullptr, true)
{
}

TempoToolController::TempoToolController(TempoToolController&& other)
    : EditToolController(other.engine_, TempoToolUrl(), other.editController_, std::move(other.engineHandle_),
                         codes::TempoScale, nullptr, true)
{
}

void TempoToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeTempoRequest(QString,int,QString,int,int)), this,
            SLOT(onTempoChangeRequest(QString,int,QString,int,int)));
    connect(qmlObject_, SIGNAL(createTempoRequest(QString,int,QString,int,int)), this,
            SLOT(onTempoCreationRequest(QString,int,QString,int,int)));
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
    connect(qmlObject_, SIGNAL(tempoToolClosing()), this, SLOT(onTempoToolClosing()));
}

int TempoToolController::PercentOf(float factor)
{
    // Single precision, as the factor is read: 1.1 gives 110.00000238, not 110.00000000000001.
    return static_cast<int>(std::lround(factor * 100.0f));
}

void TempoToolController::onTempoButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void TempoToolController::onTempoCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    try {
        if (!SongUnchanged())
            return;
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::TempoScale(start, end, eventId.toStdString(), count / 100.0));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void TempoToolController::onTempoEdit(cmn::ZarnEvent* zarnEvent)
{
    if (!qmlObject_ || !zarnEvent || !engineHandle_)
        return;
    try {
        RememberEvent(*zarnEvent);
        // Before the pickers move, so their changes leave the event's id alone.
        qmlObject_->setProperty("isEdit", true);
        const TL::BarsBeats start = engineHandle_->GetBarBeatByTick(zarnEvent->start());
        const TL::BarsBeats end = engineHandle_->GetBarBeatByTick(zarnEvent->end());
        SetPickers(start, end);
        SetIntValue(PercentOf(zarnEvent->float_value()));
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void TempoToolController::onTempoChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                               int count)
{
    try {
        if (!rememberedEvent_ || !SongUnchanged())
            return;
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        // The factor goes through the float edit; the edit controller widens it as written, so
        // an unchanged 110 % stays exactly the stored 1.1.
        const float factor = static_cast<float>(count / 100.0);
        // The factor is set whatever became of the move: the window showed both as one change.
        EditStartEndValues(*rememberedEvent_, start, end);
        EditFloatValue(*rememberedEvent_, factor);
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void TempoToolController::onTempoToolClosing()
{
    try {
        emit tempoToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
