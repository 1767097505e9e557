#include "RepeatToolController.h"

#include "zarn_core/Repeat.h"

#include <QUrl>

namespace zarn::qt {

namespace {

QUrl RepeatToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/RepeatTool.qml"));
}

} // namespace

RepeatToolController::RepeatToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                           EditController* editController, QObject* parent)
    : EditToolController(engine, RepeatToolUrl(), editController, std::move(engineHandle), codes::Repeat, parent,
                         true)
{
}

RepeatToolController::RepeatToolController(const RepeatToolController& other)
    : EditToolController(other.engine_, RepeatToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), codes::Repeat, nullptr, true)
{
}

RepeatToolController::RepeatToolController(RepeatToolController&& other)
    : EditToolController(other.engine_, RepeatToolUrl(), other.editController_, std::move(other.engineHandle_),
                         codes::Repeat, nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this,
                SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
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
    try {
        if (!SongUnchanged())
            return;
        // Only the start is raised: an end before it is the editor's to refuse, and says so.
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Repeat(start, end, eventId.toStdString(), count));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
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
    try {
        emit repeatToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
