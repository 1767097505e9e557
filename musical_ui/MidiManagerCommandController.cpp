#include "MidiManagerCommandController.h"

#include "Interface.h"
#include "ShowManager.h"
#include "StringValueListModel.h"
#include "zarn_core/MidiStatusNames.h"

#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kRowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MidiManagerCommand.qml"));

} // namespace

QString MidiManagerCommandController::StatusName(int status)
{
    const auto found = std_midi::sb::status_names.find(static_cast<std::uint8_t>(status & 0xFF));
    if (found == std_midi::sb::status_names.end())
        return QStringLiteral("Status %1").arg(status);
    return QString::fromStdString(found->second);
}

MidiManagerCommandController::MidiManagerCommandController(QQmlEngine* engine,
                                                           std::shared_ptr<zarn::ShowManager> showManager,
                                                           int commandId, const QString& commandName, bool learned,
                                                           bool learning, int midiStatus, int channel, int note,
                                                           QObject* parent)
    : QmlController(engine, kRowUrl, parent, true, {})
    , showManager_(std::move(showManager))
    , commandId_(commandId)
    , channel_(channel)
    , note_(note)
    , midiStatus_(midiStatus)
{
    QObject* item = qmlObject_;
    if (!item)
        throw std::runtime_error("The MIDI command row could not be loaded from " + kRowUrl.toString().toStdString()
                                 + ".");
    item->setProperty("commandName", commandName);

    const auto statuses = Engine()->GetAllowedCommandStatuses();
    auto model = std::make_unique<StringValueListModel>();
    for (int status : statuses)
        model->append({StatusName(status), status});
    midiStatusModel_ = std::move(model);
    item->setProperty("midiStatusModel", QVariant::fromValue(midiStatusModel_.get()));

    SetInitializing(true);
    SetCommandValues(midiStatus, channel, note, learned, learning, true);
    SetInitializing(false);

    connect(item, SIGNAL(learnClicked()), this, SLOT(onLearnClicked_()));
    connect(item, SIGNAL(midiStatusChanged(int)), this, SLOT(onMidiStatusChanged_(int)));
    connect(item, SIGNAL(noteChanged(int)), this, SLOT(onNoteChanged_(int)));
    connect(item, SIGNAL(channelChanged(int)), this, SLOT(onChannelChanged_(int)));
}

MidiManagerCommandController::~MidiManagerCommandController()
{
    // The item goes later (deleteLater): its picker must not read a model that is gone.
    if (qmlObject_)
        qmlObject_->setProperty("midiStatusModel", QVariant());
}

std::shared_ptr<Interface> MidiManagerCommandController::Engine() const
{
    std::shared_ptr<Interface> engine = showManager_ ? showManager_->GetPlayer() : nullptr;
    if (!engine)
        throw std::runtime_error(kNoShow);
    return engine;
}

template <class Work>
void MidiManagerCommandController::Reporting(Work&& work)
{
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    } catch (...) {
        emit error("An unknown error occurred.", kErrorTitle);
    }
}

void MidiManagerCommandController::SetInitializing(bool initializing)
{
    if (qmlObject_)
        qmlObject_->setProperty("initializing", initializing);
}

void MidiManagerCommandController::SetCommandValues(int midiStatus, int channel, int note, bool learned,
                                                    bool learning, bool enabled)
{
    QObject* item = qmlObject_;
    if (!item)
        return;
    item->setProperty("channelIndex", channel);
    channel_ = channel;
    item->setProperty("midiNoteIndex", note);
    note_ = note;
    item->setProperty("learnedCommand", learned);
    item->setProperty("enabledCommand", enabled);
    item->setProperty("enabledCommand", !learning);
    item->setProperty("learningCommand", learning);
    const int statusIndex = StatusIndexOf(midiStatus);
    item->setProperty("midiStatusIndex", statusIndex);
    midiStatus_ = midiStatus;
}

void MidiManagerCommandController::ClearCommand()
{
    SetInitializing(true);
    try {
        SetCommandValues(-1, -1, -1, false, false, true);
    } catch (...) {
        SetInitializing(false);
        throw;
    }
    SetInitializing(false);
}

int MidiManagerCommandController::StatusIndexOf(int status) const
{
    const auto statuses = Engine()->GetAllowedCommandStatuses();
    const auto found = std::find(statuses.begin(), statuses.end(), status);
    return static_cast<int>(found - statuses.begin());
}

void MidiManagerCommandController::ApplyMidiCommand()
{
    if (channel_ < 0 || note_ < 0 || midiStatus_ < 0)
        return;
    Engine()->SetMidiCommand(static_cast<uint8_t>(commandId_), static_cast<uint8_t>(midiStatus_),
                             static_cast<uint8_t>(channel_), static_cast<uint8_t>(note_));
}

void MidiManagerCommandController::onMidiStatusChanged_(int status)
{
    Reporting([&] {
        midiStatus_ = status;
        ApplyMidiCommand();
    });
}

void MidiManagerCommandController::onNoteChanged_(int note)
{
    Reporting([&] {
        note_ = note;
        ApplyMidiCommand();
    });
}

void MidiManagerCommandController::onChannelChanged_(int channel)
{
    Reporting([&] {
        channel_ = channel;
        ApplyMidiCommand();
    });
}

void MidiManagerCommandController::onLearnClicked_()
{
    QObject* item = qmlObject_;
    if (item) {
        item->setProperty("enabledCommand", false);
        item->setProperty("learningCommand", true);
    }
    try {
        Engine()->LearnMidiCommand(static_cast<uint8_t>(commandId_));
    } catch (const std::exception& e) {
        // The engine is not learning: the row gets its controls and its lamp back.
        if (item) {
            item->setProperty("learningCommand", false);
            item->setProperty("enabledCommand", true);
        }
        emit error(e.what(), kErrorTitle);
    } catch (...) {
        if (item) {
            item->setProperty("learningCommand", false);
            item->setProperty("enabledCommand", true);
        }
        emit error("An unknown error occurred.", kErrorTitle);
    }
}

} // namespace zarn::qt
