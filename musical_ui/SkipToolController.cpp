#include "SkipToolController.h"

#include "zarn_core/Fermata.h"

namespace zarn::qt {

namespace {

const char* const kSkipWindow = "SkipTool.qml";

} // namespace

SkipToolController::SkipToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kSkipWindow), editController, std::move(engineHandle),
                         codes::Fermata, parent, true)
{
}

SkipToolController::SkipToolController(const SkipToolController& other)
    : EditToolController(other, ToolWindowUrl(kSkipWindow), true)
{
}

SkipToolController::SkipToolController(SkipToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kSkipWindow), true)
{
}

void SkipToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeSkipRequest(QVariant,QVariant,QVariant,QVariant)), this,
            SLOT(onSkipChangeRequest(QVariant,QVariant,QVariant,QVariant)));
    connect(qmlObject_, SIGNAL(createSkipRequest(QVariant,QVariant,QVariant,QVariant)), this,
            SLOT(onSkipCreationRequest(QVariant,QVariant,QVariant,QVariant)));
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(skipToolClosing()), this, SLOT(onSkipToolClosing()));
}

void SkipToolController::ShowOpeningValue(const cmn::ZarnEvent*)
{
}

void SkipToolController::onSkipButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void SkipToolController::onSkipButtonClicked(TL::BarsBeats startBarsBeats)
{
    onSkipButtonClicked(startBarsBeats, TL::BarsBeats());
}

void SkipToolController::onSkipButtonClicked()
{
    onSkipButtonClicked(TL::BarsBeats(), TL::BarsBeats());
}

void SkipToolController::onSkipCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                               QVariant endBeat)
{
    CreateRange(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt(),
                [](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Fermata(start, end, id, 0);
                });
}

void SkipToolController::onSkipEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void SkipToolController::onSkipChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                             QVariant endBeat)
{
    ChangeRange(startBar, startBeat, endBar, endBeat);
}

void SkipToolController::onSkipToolClosing()
{
    EmitClosing(&SkipToolController::skipToolClosing);
}

} // namespace zarn::qt
