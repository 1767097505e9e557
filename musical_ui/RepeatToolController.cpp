#include "RepeatToolController.h"

#include "zarn_core/Repeat.h"

namespace zarn::qt {

namespace {

const char* const kRepeatWindow = "RepeatTool.qml";

} // namespace

RepeatToolController::RepeatToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                           EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kRepeatWindow), editController, std::move(engineHandle),
                         codes::Repeat, parent, true)
{
}

RepeatToolController::RepeatToolController(const RepeatToolController& other)
    : EditToolController(other, ToolWindowUrl(kRepeatWindow), true)
{
}

RepeatToolController::RepeatToolController(RepeatToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kRepeatWindow), true)
{
}

void RepeatToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeRepeatRequest(QString,int,QString,int,int)), this,
            SLOT(onRepeatChangeRequest(QString,int,QString,int,int)));
    connect(qmlObject_, SIGNAL(createRepeatRequest(QString,int,QString,int,int)), this,
            SLOT(onRepeatCreationRequest(QString,int,QString,int,int)));
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(repeatToolClosing()), this, SLOT(onRepeatToolClosing()));
}

void RepeatToolController::onRepeatButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void RepeatToolController::onRepeatButtonClicked(TL::BarsBeats startBarsBeats)
{
    onRepeatButtonClicked(startBarsBeats, TL::BarsBeats());
}

void RepeatToolController::onRepeatButtonClicked()
{
    onRepeatButtonClicked(TL::BarsBeats(), TL::BarsBeats());
}

void RepeatToolController::onRepeatCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                   int count)
{
    CreateRange(startBar, startBeat, endBar, endBeat,
                [count](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Repeat(start, end, id, count);
                });
}

void RepeatToolController::onRepeatEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void RepeatToolController::onRepeatChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void RepeatToolController::onRepeatToolClosing()
{
    EmitClosing(&RepeatToolController::repeatToolClosing);
}

} // namespace zarn::qt
