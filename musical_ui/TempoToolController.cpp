#include "TempoToolController.h"

#include "zarn_core/TempoScale.h"
#include "zarn_core/ZarnEventCode.h"

#include <cmath>

namespace zarn::qt {

namespace {

const char* const kTempoWindow = "TempoTool.qml";

} // namespace

TempoToolController::TempoToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                         EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kTempoWindow), editController, std::move(engineHandle),
                         codes::TempoScale, parent, true)
{
}

TempoToolController::TempoToolController(const TempoToolController& other)
    : EditToolController(other, ToolWindowUrl(kTempoWindow), true)
{
}

TempoToolController::TempoToolController(TempoToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kTempoWindow), true)
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
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(tempoToolClosing()), this, SLOT(onTempoToolClosing()));
}

int TempoToolController::PercentOf(float factor)
{
    // Single precision, as the factor is read: 1.1 gives 110.00000238, not 110.00000000000001.
    return static_cast<int>(std::lround(factor * 100.0f));
}

void TempoToolController::ShowOpeningValue(const cmn::ZarnEvent* edited)
{
    if (edited)
        SetIntValue(PercentOf(edited->float_value()));
}

bool TempoToolController::EditRangeValue(const cmn::ZarnEvent& event, int percent)
{
    // The factor goes through the float edit; the edit controller widens it as written, so
    // an unchanged 110 % stays exactly the stored 1.1.
    return EditFloatValue(event, static_cast<float>(percent / 100.0));
}

void TempoToolController::onTempoButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void TempoToolController::onTempoCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    CreateRange(startBar, startBeat, endBar, endBeat,
                [count](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::TempoScale(start, end, id, count / 100.0);
                });
}

void TempoToolController::onTempoEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void TempoToolController::onTempoChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                               int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void TempoToolController::onTempoToolClosing()
{
    EmitClosing(&TempoToolController::tempoToolClosing);
}

} // namespace zarn::qt
