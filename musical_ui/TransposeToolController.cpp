#include "TransposeToolController.h"

#include "zarn_core/Transpose.h"
#include "zarn_core/ZarnEventCode.h"

namespace zarn::qt {

namespace {

const char* const kTransposeWindow = "TransposeTool.qml";

} // namespace

TransposeToolController::TransposeToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                                 EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kTransposeWindow), editController, std::move(engineHandle),
                         codes::Transpose, parent, true)
{
}

TransposeToolController::TransposeToolController(const TransposeToolController& other)
    : EditToolController(other, ToolWindowUrl(kTransposeWindow), true)
{
}

TransposeToolController::TransposeToolController(TransposeToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kTransposeWindow), true)
{
}

void TransposeToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeTransposeRequest(QString,int,QString,int,int)), this,
            SLOT(onTransposeChangeRequest(QString,int,QString,int,int)));
    connect(qmlObject_, SIGNAL(createTransposeRequest(QString,int,QString,int,int)), this,
            SLOT(onTransposeCreationRequest(QString,int,QString,int,int)));
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(transposeToolClosing()), this, SLOT(onTransposeToolClosing()));
}

void TransposeToolController::onTransposeButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void TransposeToolController::onTransposeCreationRequest(QString startBar, int startBeat, QString endBar,
                                                         int endBeat, int count)
{
    CreateRange(startBar, startBeat, endBar, endBeat,
                [count](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Transpose(start, end, id, count);
                });
}

void TransposeToolController::onTransposeEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void TransposeToolController::onTransposeChangeRequest(QString startBar, int startBeat, QString endBar,
                                                       int endBeat, int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void TransposeToolController::onTransposeToolClosing()
{
    EmitClosing(&TransposeToolController::transposeToolClosing);
}

} // namespace zarn::qt
