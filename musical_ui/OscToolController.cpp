#include "OscToolController.h"

#include "InShift.h"
#include "zarn_core/Osc.h"
#include "zarn_core/OscProperties.h"

#include <QUrl>

#include <algorithm>
#include <limits>

namespace zarn::qt {

namespace {

QUrl OscToolUrl()
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/OscTool.qml"));
}

int AsSliderEnd(std::uint32_t ticks)
{
    return static_cast<int>(std::min<std::uint32_t>(ticks, std::numeric_limits<int>::max()));
}

} // namespace

OscToolController::OscToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, OscToolUrl(), editController, std::move(engineHandle), 'S', parent, true)
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
    : EditToolController(other.engine_, OscToolUrl(), other.editController_,
                         std::shared_ptr<Interface>(other.engineHandle_), 'S', nullptr, true)
{
}

OscToolController::OscToolController(OscToolController&& other)
    : EditToolController(other.engine_, OscToolUrl(), other.editController_, std::move(other.engineHandle_),
                         'S', nullptr, true),
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
    if (QObject* panel = FindInWindow("barAndBeatPanel"))
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(onInBeatInputUpdateRequest(QVariant)));
    connect(qmlObject_, SIGNAL(toolClosing()), this, SLOT(onToolClosing()));
}

void OscToolController::UpdateToolValues()
{
    if (!qmlObject_ || !barListModel_)
        return;
    qmlObject_->setProperty("inShift", 0);
    const PickedInBeat picked = ReadPickedInBeat(qmlObject_, *barListModel_);
    if (picked.state == PickedInBeat::State::StaleBeats)
        return;
    if (picked.state == PickedInBeat::State::None) {
        qmlObject_->setProperty("inShiftEnabled", false);
        return;
    }
    const std::uint32_t max = engineHandle_ ? engineHandle_->GetAvailableShiftAfterBarBeat(picked.tick, true) : 0;
    qmlObject_->setProperty("inShiftMax", AsSliderEnd(max));
    qmlObject_->setProperty("inShiftEnabled", max != 0);
    const std::int32_t floor =
        InShiftFloor(*barListModel_, picked.bar, picked.beat, static_cast<std::uint32_t>(minStartTick_));
    qmlObject_->setProperty("inShiftMin", floor);
    qmlObject_->setProperty("inShift", floor);
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
    minStartTick_ = static_cast<std::int32_t>(minStartTick);
    if (!qmlObject_)
        return;
    try {
        SetPickers(position, position);
        SetInShiftMin(minStartTick);
        qmlObject_->setProperty("visible", true);
        UpdateToolValues();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
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
        std::uint32_t tick = PickedTick(bar, beat);
        // The beat the song starts inside begins before the start; the slider's lower end
        // keeps the cue from landing there.
        if (barListModel_)
            tick = std::max(tick, barListModel_->frontTick);
        tick = ShiftedTick(tick, inShift);
        const QString eventId = qmlObject_ ? qmlObject_->property("eventId").toString() : QString();
        const CL::OscProperties properties(value.toStdString(), networkId.toStdString());
        AddEvent(CL::Osc(tick, eventId.toStdString(), properties));
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
        const std::uint32_t start = zarnEvent->start();
        const TL::BarsBeats position = engineHandle_->GetBarBeatLeftByTick(start);
        const std::uint32_t beatTick = position.tick();
        SetPickers(position, position);
        UpdateToolValues();
        SetInShiftMin(minStartTick);
        // The front beat's lower end belongs to that beat only: a cue on a later beat keeps
        // its own offset, and OK without a change leaves it where it is.
        SetShiftFloorOfPickedBeat();
        const std::uint32_t max = engineHandle_->GetAvailableShiftAfterBarBeat(beatTick, true);
        qmlObject_->setProperty("inShiftMax", AsSliderEnd(max));
        qmlObject_->setProperty("inShift", static_cast<float>(start - beatTick));
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
        const std::uint32_t tick = RaisedToStart(ShiftedTick(PickedTick(bar, beat), inShift));
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
    try {
        emit toolClosing();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

} // namespace zarn::qt
