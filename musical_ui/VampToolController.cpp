#include "VampToolController.h"

#include "zarn_core/Vamp.h"

namespace zarn::qt {

namespace {

const char* const kVampWindow = "VampTool.qml";

} // namespace

VampToolController::VampToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kVampWindow), editController, std::move(engineHandle), codes::Vamp,
                         parent, true)
{
}

VampToolController::VampToolController(const VampToolController& other)
    : EditToolController(other, ToolWindowUrl(kVampWindow), true)
{
}

VampToolController::VampToolController(VampToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kVampWindow), true)
{
}

void VampToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeVampRequest(QString,int,QString,int,int)), this,
            SLOT(onVampChangeRequest(QString,int,QString,int,int)));
    connect(qmlObject_, SIGNAL(createVampRequest(QString,int,QString,int,int)), this,
            SLOT(onVampCreationRequest(QString,int,QString,int,int)));
    ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(vampToolClosing()), this, SLOT(onVampToolClosing()));
}

void VampToolController::ShowOpeningValue(const cmn::ZarnEvent* edited)
{
    if (!edited)
        return;
    const int count = edited->int_value();
    SetIntValue(count);
    // A vamp without a limit reads as such, not as a count of nothing.
    qmlObject_->setProperty("value", count == 0 ? QStringLiteral("\u221E") : QString::number(count));
}

void VampToolController::onVampButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void VampToolController::onVampButtonClicked(TL::BarsBeats startBarsBeats)
{
    onVampButtonClicked(startBarsBeats, TL::BarsBeats());
}

void VampToolController::onVampButtonClicked()
{
    onVampButtonClicked(TL::BarsBeats(), TL::BarsBeats());
}

void VampToolController::onVampCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                               int count)
{
    CreateRange(startBar, startBeat, endBar, endBeat,
                [count](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Vamp(start, end, id, count);
                });
}

void VampToolController::onVampEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void VampToolController::onVampChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                             int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void VampToolController::onVampToolClosing()
{
    EmitClosing(&VampToolController::vampToolClosing);
}

} // namespace zarn::qt
