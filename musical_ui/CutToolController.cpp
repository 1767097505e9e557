#include "CutToolController.h"

#include "zarn_core/Cut.h"

namespace zarn::qt {

namespace {

const char* const kCutWindow = "CutTool.qml";

} // namespace

CutToolController::CutToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kCutWindow), editController, std::move(engineHandle), codes::Cut,
                         parent, true)
{
}

CutToolController::CutToolController(const CutToolController& other)
    : EditToolController(other, ToolWindowUrl(kCutWindow), true)
{
}

CutToolController::CutToolController(CutToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kCutWindow), true)
{
}

void CutToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeCutRequest(QVariant,QVariant,QVariant,QVariant)), this,
            SLOT(onCutChangeRequest(QVariant,QVariant,QVariant,QVariant)));
    connect(qmlObject_, SIGNAL(createCutRequest(QVariant,QVariant,QVariant,QVariant)), this,
            SLOT(onCutCreationRequest(QVariant,QVariant,QVariant,QVariant)));
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(cutToolClosing()), this, SLOT(onCutToolClosing()));
}

void CutToolController::ShowOpeningValue(const cmn::ZarnEvent*)
{
}

void CutToolController::onCutButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void CutToolController::onCutButtonClicked(TL::BarsBeats startBarsBeats)
{
    onCutButtonClicked(startBarsBeats, TL::BarsBeats());
}

void CutToolController::onCutButtonClicked()
{
    onCutButtonClicked(TL::BarsBeats(), TL::BarsBeats());
}

void CutToolController::onCutCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                             QVariant endBeat)
{
    CreateRange(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt(),
                [](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Cut(start, end, id, 0);
                });
}

void CutToolController::onCutEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void CutToolController::onCutChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                           QVariant endBeat)
{
    ChangeRange(startBar, startBeat, endBar, endBeat);
}

void CutToolController::onCutToolClosing()
{
    EmitClosing(&CutToolController::cutToolClosing);
}

} // namespace zarn::qt
