#include "SkipToolController.h"

#include "zarn_core/Fermata.h"

#include <QUrl>

namespace zarn::qt {

namespace {

QUrl SkipToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/SkipTool.qml"));
}

} // namespace

SkipToolController::SkipToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, SkipToolUrl(), editController, std::move(engineHandle), codes::Fermata, parent,
                         true)
{
}

SkipToolController::SkipToolController(const SkipToolController& other)
    : EditToolController(other.engine_, SkipToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), codes::Fermata, nullptr, true)
{
}

SkipToolController::SkipToolController(SkipToolController&& other)
    : EditToolController(other.engine_, SkipToolUrl(), other.editController_, std::move(other.engineHandle_),
                         codes::Fermata, nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this,
                SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
    connect(qmlObject_, SIGNAL(skipToolClosing()), this, SLOT(onSkipToolClosing()));
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
    try {
        if (!SongUnchanged())
            return;
        // Only the start is raised: an end before it is the editor's to refuse, and says so.
        const std::uint32_t start = RaisedToStart(PickedTick(startBar.toString(), startBeat.toInt()));
        const std::uint32_t end = PickedTick(endBar.toString(), endBeat.toInt());
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Fermata(start, end, eventId.toStdString(), 0));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void SkipToolController::onSkipEdit(cmn::ZarnEvent* zarnEvent)
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

void SkipToolController::onSkipChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar,
                                             QVariant endBeat)
{
    ChangeRange(startBar, startBeat, endBar, endBeat);
}

void SkipToolController::onSkipToolClosing()
{
    try {
        emit skipToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
