#include "TransposeToolController.h"

#include "zarn_core/Transpose.h"
#include "zarn_core/ZarnEventCode.h"

#include <QUrl>

namespace zarn::qt {

namespace {

QUrl TransposeToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TransposeTool.qml"));
}

} // namespace

TransposeToolController::TransposeToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                                 EditController* editController, QObject* parent)
    : EditToolController(engine, TransposeToolUrl(), editController, std::move(engineHandle), codes::Transpose,
                         parent, true)
{
}

TransposeToolController::TransposeToolController(const TransposeToolController& other)
    : EditToolController(other.engine_, TransposeToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), other.kind_, nullptr, true)
{
}

TransposeToolController::TransposeToolController(TransposeToolController&& other)
    : EditToolController(other.engine_, TransposeToolUrl(), other.editController_, std::move(other.engineHandle_),
                         other.kind_, nullptr, true)
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
    if (QObject* panel = FindInWindow("barAndBeatPanel")) {
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(onInBeatInputUpdateRequest(QVariant)));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this,
                SLOT(onOutBeatInputUpdateRequest(QVariant)));
    }
    connect(qmlObject_, SIGNAL(transposeToolClosing()), this, SLOT(onTransposeToolClosing()));
}

void TransposeToolController::onTransposeButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void TransposeToolController::onTransposeCreationRequest(QString startBar, int startBeat, QString endBar,
                                                         int endBeat, int count)
{
    try {
        if (!SongUnchanged())
            return;
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        AddEvent(CL::Transpose(start, end, eventId.toStdString(), count));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
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
    try {
        emit transposeToolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
