#include "OscToolController.h"

#include "InShift.h"
#include "zarn_core/Osc.h"
#include "zarn_core/OscProperties.h"

namespace zarn::qt {

namespace {

const char* const kOscWindow = "OscTool.qml";

} // namespace

OscToolController::OscToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kOscWindow), editController, std::move(engineHandle), 'S', parent,
                         true)
{
    try {
        networkList_ = std::make_unique<zarn::NetworkListModel>(engineHandle_ ? engineHandle_->GetNetworks()
                                                                              : CL::NetworkPathVectorT());
    } catch (const std::exception& e) {
        // The window opens without destinations; a cue made then names none.
        LogFailure("Error:", e);
        networkList_ = std::make_unique<zarn::NetworkListModel>(CL::NetworkPathVectorT());
    }
    if (qmlObject_)
        qmlObject_->setProperty("networkModel", QVariant::fromValue(static_cast<QObject*>(networkList_.get())));
}

OscToolController::OscToolController(const OscToolController& other)
    : EditToolController(other, ToolWindowUrl(kOscWindow), true)
{
}

OscToolController::OscToolController(OscToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kOscWindow), true),
      networkList_(std::move(other.networkList_))
{
    // The other window must not keep showing a list it no longer owns.
    if (other.qmlObject_)
        other.qmlObject_->setProperty("networkModel", QVariant());
}

OscToolController::~OscToolController()
{
    // The window goes later than the list: it must not be left holding it.
    if (qmlObject_ && networkList_)
        qmlObject_->setProperty("networkModel", QVariant());
    networkList_.reset();
}

void OscToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeRequest(QString,int,QString,QString,qreal)), this,
            SLOT(onToolChangeRequest(QString,int,QString,QString,double)));
    connect(qmlObject_, SIGNAL(createRequest(QString,int,QString,QString,qreal)), this,
            SLOT(onToolCreationRequest(QString,int,QString,QString,double)));
    ConnectBeatListRequests(false);
    connect(qmlObject_, SIGNAL(toolClosing()), this, SLOT(onToolClosing()));
}

void OscToolController::UpdateToolValues()
{
    if (!qmlObject_ || !barListModel_)
        return;
    qmlObject_->setProperty("inShift", 0);
    ShowShiftOfPickedBeat();
}

void OscToolController::SetShiftFloorOfPickedBeat()
{
    const PickedInBeat picked = ReadPickedInBeat(qmlObject_, *barListModel_);
    if (picked.state != PickedInBeat::State::Picked)
        return;
    qmlObject_->setProperty("inShiftMin", InShiftFloor(*barListModel_, picked.bar, picked.beat,
                                                       static_cast<std::uint32_t>(minStartTick_)));
}

void OscToolController::onToolButtonClicked(TL::BarsBeats position, UInt32 minStartTick)
{
    OpenShiftForCreate(position, minStartTick);
}

void OscToolController::onToolButtonClicked(TL::BarsBeats position)
{
    onToolButtonClicked(position, 0);
}

void OscToolController::onToolButtonClicked()
{
    onToolButtonClicked(TL::BarsBeats(), 0);
}

void OscToolController::onToolCreationRequest(QString bar, int beat, QString value, QString networkId,
                                              double inShift)
{
    try {
        if (!SongUnchanged())
            return;
        const CL::OscProperties properties(value.toStdString(), networkId.toStdString());
        AddEvent(CL::Osc(NewShiftedTick(bar, beat, inShift), ShownEventId(), properties));
    } catch (const std::exception& e) {
        LogFailure("Error adding event:", e);
    }
}

void OscToolController::onToolEdit(cmn::ZarnEvent* zarnEvent, UInt32 minStartTick)
{
    if (!qmlObject_ || !zarnEvent || !engineHandle_)
        return;
    try {
        RememberEvent(*zarnEvent);
        minStartTick_ = static_cast<std::int32_t>(minStartTick);
        qmlObject_->setProperty("isEdit", true);
        const std::uint32_t beatTick = PickBeatOf(*zarnEvent);
        SetInShiftMin(minStartTick);
        // The front beat's lower end belongs to that beat only: a cue on a later beat keeps
        // its own offset, and OK without a change leaves it where it is.
        SetShiftFloorOfPickedBeat();
        ShowShiftAfterBeat(beatTick, zarnEvent->start());
        const CL::OscProperties& properties = zarnEvent->osc_properties();
        SetStrValue(properties.Message());
        qmlObject_->setProperty("eventId", QString::fromStdString(zarnEvent->EventId()));
        // An id the show no longer lists selects nothing; OK then stores no destination.
        int destination = -1;
        const QString id = QString::fromStdString(properties.NetworkId());
        for (int row = 0; networkList_ && row < networkList_->rowCount(); ++row) {
            if (networkList_->data(networkList_->index(row), zarn::NetworkListModel::NetworkIdRole).toString()
                == id) {
                destination = row;
                break;
            }
        }
        qmlObject_->setProperty("networkCurrentIndex", destination);
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void OscToolController::onToolChangeRequest(QString bar, int beat, QString value, QString networkId,
                                            double inShift)
{
    try {
        if (!rememberedEvent_ || !SongUnchanged())
            return;
        const std::uint32_t tick = MovedShiftedTick(bar, beat, inShift);
        EditStartEndValues(*rememberedEvent_, tick, tick);
        // The cue as the log now holds it, so the second edit finds it also without an id:
        // a point event keeps no end there.
        rememberedEvent_->start(tick);
        rememberedEvent_->end(0);
        EditOscPropertyValues(*rememberedEvent_, CL::OscProperties(value.toStdString(), networkId.toStdString()));
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void OscToolController::onToolClosing()
{
    EmitClosing(&OscToolController::toolClosing);
}

} // namespace zarn::qt
