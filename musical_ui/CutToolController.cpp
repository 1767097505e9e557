#include "CutToolController.h"

#include "zarn_core/Cut.h"

#include <QUrl>

namespace zarn::qt {

namespace {

QUrl CutToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/CutTool.qml"));
}

} // namespace

CutToolController::CutToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, CutToolUrl(), editController, std::move(engineHandle), codes::Cut, parent, true)
{
}

CutToolController::CutToolController(const CutToolController& other)
    : EditToolController(other.engine_, CutToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), codes::Cut, nullptr, true)
{
}

CutToolController::CutToolController(CutToolController&& other)
    : EditToolController(other.engine_, CutToolUrl(), other.editController_, std::move(other.engineHandle_),
                         codes::Cut, nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this,
                SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
    connect(qmlObject_, SIGNAL(cutToolClosing()), this, SLOT(onCutToolClosing()));
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
    try {
        if (!SongUnchanged())
            return;
        // Only the start is raised: an end before it is the editor's to refuse, and says so.
        const std::uint32_t start = RaisedToStart(PickedTick(startBar.toString(), startBeat.toInt()));
        const std::uint32_t end = PickedTick(endBar.toString(), endBeat.toInt());
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Cut(start, end, eventId.toStdString(), 0));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void CutToolController::onCutEdit(cmn::ZarnEvent* zarnEvent)
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
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void CutToolController::onCutChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                           QVariant endBeat)
{
    ChangeRange(startBar, startBeat, endBar, endBeat);
}

void CutToolController::onCutToolClosing()
{
    try {
        emit cutToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
