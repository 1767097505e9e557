#include "VampToolController.h"

#include "zarn_core/Vamp.h"

#include <QUrl>

namespace zarn::qt {

namespace {

QUrl VampToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/VampTool.qml"));
}

} // namespace

VampToolController::VampToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, VampToolUrl(), editController, std::move(engineHandle), codes::Vamp, parent, true)
{
}

VampToolController::VampToolController(const VampToolController& other)
    : EditToolController(other.engine_, VampToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), codes::Vamp, nullptr, true)
{
}

VampToolController::VampToolController(VampToolController&& other)
    : EditToolController(other.engine_, VampToolUrl(), other.editController_, std::move(other.engineHandle_),
                         codes::Vamp, nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this,
                SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
    connect(qmlObject_, SIGNAL(vampToolClosing()), this, SLOT(onVampToolClosing()));
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
    try {
        if (!SongUnchanged())
            return;
        // Only the start is raised: an end before it is the editor's to refuse, and says so.
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Vamp(start, end, eventId.toStdString(), count));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void VampToolController::onVampEdit(cmn::ZarnEvent* zarnEvent)
{
    if (!qmlObject_ || !zarnEvent || !engineHandle_)
        return;
    try {
        // Copied first: the engine's object may move within its log before OK, or go.
        RememberEvent(*zarnEvent);
        // Before the pickers move, so their changes leave the event's id alone.
        qmlObject_->setProperty("isEdit", true);
        SetPickers(engineHandle_->GetBarBeatByTick(zarnEvent->start()),
                   engineHandle_->GetBarBeatByTick(zarnEvent->end()));
        const int count = zarnEvent->int_value();
        SetIntValue(count);
        // A vamp without a limit reads as such, not as a count of nothing.
        qmlObject_->setProperty("value", count == 0 ? QStringLiteral("\u221E") : QString::number(count));
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void VampToolController::onVampChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                             int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void VampToolController::onVampToolClosing()
{
    try {
        emit vampToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
