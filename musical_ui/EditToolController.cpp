#include "EditToolController.h"

#include "EditController.h"
#include "InShift.h"
#include "zarn_core/CopyZarnEvent.h"

#include <QDebug>
#include <QUrl>
#include <QVariantList>

#include <algorithm>
#include <iostream>
#include <limits>

namespace zarn::qt {

namespace {

const char* const kToolWindowFolder = "qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/";

const char* const kSongChangedText = "The song changed while this tool was open; nothing was changed.";
const char* const kEditFailedTitle = "Edit Failed";

QVariantList AsVariantList(const QVariant& beats)
{
    QVariantList list;
    for (uint beat : beats.value<QList<uint>>())
        list.append(beat);
    return list;
}

// The last position of `beat` in the list, 0 when the list does not hold it.
int LastPositionOf(const QVariantList& beats, std::int32_t beat)
{
    for (int i = static_cast<int>(beats.size()) - 1; i >= 0; --i) {
        if (beats.at(i).toLongLong() == beat)
            return i;
    }
    return 0;
}

// Past the first row a row starts at its bar's first beat, so the position is the beat less one.
int PositionOfBeat(std::int32_t beat)
{
    return std::max(0, beat - 1);
}

int AsSliderEnd(std::uint32_t ticks)
{
    return static_cast<int>(std::min<std::uint32_t>(ticks, std::numeric_limits<int>::max()));
}

} // namespace

EditToolController::EditToolController(QQmlEngine* engine, const QUrl& url, EditController* editController,
                                       std::shared_ptr<Interface>&& engineHandle, char kind, QObject* parent,
                                       bool barsBeatsFlag)
    : QmlController(engine, url, parent, true, {}), kind_(kind), engineHandle_(std::move(engineHandle)),
      editController_(editController)
{
    std::uint32_t startTick = 0;
    if (engineHandle_) {
        try {
            songNumber_ = engineHandle_->GetCurrentSongNumber();
            const auto sequence = engineHandle_->GetBarsBeats(songNumber_, barsBeatsFlag);
            startTick = engineHandle_->GetCurrentStartTickIndex();
            barListModel_ = std::make_shared<BarListModel>(this, &sequence, startTick);
        } catch (const std::exception& e) {
            // The pickers stay empty; the window can still be closed.
            LogFailure("Error:", e);
        }
    }
    if (!barListModel_)
        barListModel_ = std::make_shared<BarListModel>(this);

    if (qmlObject_) {
        connect(qmlObject_, SIGNAL(inBarChanged()), this, SLOT(inBarBeatChanged_()));
        connect(qmlObject_, SIGNAL(inBeatChanged()), this, SLOT(inBarBeatChanged_()));
    }
}

EditToolController::EditToolController(const EditToolController& other, const QUrl& url, bool barsBeatsFlag)
    : EditToolController(other.engine_, url, other.editController_, std::shared_ptr<Interface>(other.engineHandle_),
                         other.kind_, nullptr, barsBeatsFlag)
{
}

EditToolController::EditToolController(EditToolController&& other, const QUrl& url, bool barsBeatsFlag)
    : EditToolController(other.engine_, url, other.editController_, std::move(other.engineHandle_), other.kind_,
                         nullptr, barsBeatsFlag)
{
}

EditToolController::~EditToolController()
{
    // The model goes before the Qt children would take it, and before the engine.
    barListModel_.reset();
    engineHandle_.reset();
}

void EditToolController::UpdateToolValues()
{
}

bool EditToolController::AddEvent(const cmn::ZarnEvent& event)
{
    if (!editController_)
        return false;
    try {
        editController_->onZarnMakeEvent(event);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error adding event:" << e.what();
        return false;
    }
}

bool EditToolController::EditStartEndValues(const cmn::ZarnEvent& event, const unsigned& start, const unsigned& end)
{
    if (!editController_)
        return false;
    try {
        editController_->onZarnEditEventStartEndValues(event, start, end);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event:" << e.what();
        return false;
    }
}

bool EditToolController::EditStringValue(const cmn::ZarnEvent& event, const std::string& value)
{
    if (!editController_)
        return false;
    try {
        editController_->onZarnEditEventStringValues(event, value);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event:" << e.what();
        return false;
    }
}

bool EditToolController::EditIntValue(const cmn::ZarnEvent& event, const int& value)
{
    if (!editController_)
        return false;
    try {
        editController_->onZarnEditEventIntValues(event, value);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event:" << e.what();
        return false;
    }
}

bool EditToolController::EditFloatValue(const cmn::ZarnEvent& event, const float& value)
{
    if (!editController_)
        return false;
    try {
        editController_->onZarnEditEventFloatValues(event, value);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event:" << e.what();
        return false;
    }
}

bool EditToolController::EditSfxPropertyValues(const cmn::ZarnEvent& event, const CL::SfxProperties& properties)
{
    if (!editController_)
        return false;
    try {
        editController_->EditEventSFXPropertyValues(event, properties);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event: " << e.what();
        return false;
    }
}

bool EditToolController::EditOscPropertyValues(const cmn::ZarnEvent& event, const CL::OscProperties& properties)
{
    if (!editController_)
        return false;
    try {
        editController_->EditEventOscPropertyValues(event, properties);
        return true;
    } catch (const std::exception& e) {
        qDebug() << "Error editing event: " << e.what();
        return false;
    }
}

int EditToolController::FindBarRow(const TL::BarsBeats& position) const
{
    if (!barListModel_)
        return -1;
    const QString bar = QString::fromStdString(position.bar_number());
    const int rows = barListModel_->rowCount();
    for (int row = 0; row < rows; ++row) {
        if (barListModel_->data(barListModel_->index(row), BarListModel::BarRole).toString() == bar)
            return row;
    }
    return -1;
}

QUrl EditToolController::ToolWindowUrl(const char* fileName)
{
    return QUrl(QLatin1String(kToolWindowFolder) + QLatin1String(fileName));
}

QObject* EditToolController::ConnectBeatListRequests(bool withOut)
{
    QObject* panel = FindInWindow("barAndBeatPanel");
    if (!panel)
        return nullptr;
    connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(onInBeatInputUpdateRequest(QVariant)));
    if (withOut)
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this, SLOT(onOutBeatInputUpdateRequest(QVariant)));
    return panel;
}

QObject* EditToolController::FindInWindow(const char* name) const
{
    return qmlObject_ ? qmlObject_->findChild<QObject*>(QLatin1String(name)) : nullptr;
}

void EditToolController::SetBarPickers(const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    const QVariant model = QVariant::fromValue(static_cast<QObject*>(barListModel_.get()));
    if (QObject* inBar = FindInWindow("inBarInput")) {
        inBar->setProperty("model", model);
        inBar->setProperty("currentIndex", std::max(0, FindBarRow(in)));
    }
    if (QObject* outBar = FindInWindow("outBarInput")) {
        outBar->setProperty("model", model);
        outBar->setProperty("currentIndex", std::max(0, FindBarRow(out)));
    }
}

void EditToolController::SetBeatPickers(const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    QObject* inBeat = FindInWindow("inBeatInput");
    QObject* outBeat = FindInWindow("outBeatInput");
    auto place = [](QObject* picker, const QVariantList& beats, int position) {
        if (!picker)
            return;
        picker->setProperty("model", beats);
        picker->setProperty("currentIndex", position);
    };

    // Without rows there are no beats to offer, not even those of a first row.
    if (!barListModel_ || barListModel_->rowCount() == 0) {
        place(inBeat, {}, -1);
        place(outBeat, {}, -1);
        return;
    }

    const int a = FindBarRow(in);
    const int b = FindBarRow(out);
    const auto beatsOf = [this](int row) { return AsVariantList(barListModel_->getBeats(row)); };

    if (a < 0) {
        const QVariantList first = beatsOf(0);
        place(inBeat, first, 0);
        place(outBeat, first, 0);
        return;
    }
    if (a == 0) {
        // The first row may begin inside its bar: look the beat number up instead of counting.
        const QVariantList first = beatsOf(0);
        place(inBeat, first, LastPositionOf(first, in.beat()));
        if (b > 0)
            place(outBeat, beatsOf(b), PositionOfBeat(out.beat()));
        else
            place(outBeat, first, LastPositionOf(first, out.beat()));
        return;
    }
    place(inBeat, beatsOf(a), PositionOfBeat(in.beat()));
    if (b < a) {
        if (inBeat && outBeat) {
            outBeat->setProperty("model", inBeat->property("model"));
            outBeat->setProperty("currentIndex", inBeat->property("currentIndex"));
        }
    } else {
        place(outBeat, beatsOf(b), PositionOfBeat(out.beat()));
    }
}

void EditToolController::SetPickers(const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    SetBarPickers(in, out);
    SetBeatPickers(in, out);
}

void EditToolController::SetIntValue(int value)
{
    if (!qmlObject_)
        return;
    qmlObject_->setProperty("intValue", value);
    qmlObject_->setProperty("value", value);
}

void EditToolController::SetStrValue(const std::string& text)
{
    if (qmlObject_)
        qmlObject_->setProperty("strValue", QString::fromStdString(text));
}

void EditToolController::SetInShiftMin(unsigned minStartTick)
{
    if (!qmlObject_)
        return;
    std::int32_t shiftMin = 0;
    if (barListModel_) {
        const qsizetype row = barListModel_->bars.indexOf(barListModel_->frontBar);
        // An earliest tick before the front beat leaves the whole beat open: 0, not negative.
        if (!barListModel_->frontBar.isEmpty() && row >= 0 && row < barListModel_->barBeats.size()
            && barListModel_->barBeats.at(row).contains(static_cast<uint>(barListModel_->frontBeat))
            && minStartTick > barListModel_->frontTick) {
            shiftMin = static_cast<std::int32_t>(static_cast<std::uint32_t>(minStartTick) - barListModel_->frontTick);
        }
    }
    qmlObject_->setProperty("inShiftMin", shiftMin);
}

std::uint32_t EditToolController::PickedTick(const QString& bar, int beat) const
{
    if (!barListModel_)
        return 0;
    return barListModel_->getTime(bar.toStdString(), beat).toUInt();
}

std::uint32_t EditToolController::RaisedToStart(std::uint32_t tick) const
{
    if (!engineHandle_)
        return tick;
    return std::max(tick, engineHandle_->GetCurrentStartTickIndex());
}

std::string EditToolController::ShownEventId() const
{
    return qmlObject_ ? qmlObject_->property("eventId").toString().toStdString() : std::string();
}

void EditToolController::RememberEvent(const cmn::ZarnEvent& event)
{
    rememberedEvent_ = CL::CopyZarnEvent(event);
}

bool EditToolController::SongUnchanged()
{
    if (!engineHandle_ || engineHandle_->GetCurrentSongNumber() == songNumber_)
        return true;
    if (editController_)
        emit editController_->error(kSongChangedText, kEditFailedTitle);
    else
        emit error(kSongChangedText, kEditFailedTitle);
    return false;
}

void EditToolController::LogFailure(const char* what, const std::exception& e)
{
    qDebug() << what << e.what();
}

void EditToolController::onInBeatInputUpdateRequest(QVariant index)
{
    try {
        if (QObject* picker = FindInWindow("inBeatInput"))
            picker->setProperty("model", AsVariantList(barListModel_->getBeats(index.toInt())));
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

void EditToolController::onOutBeatInputUpdateRequest(QVariant index)
{
    try {
        if (QObject* picker = FindInWindow("outBeatInput"))
            picker->setProperty("model", AsVariantList(barListModel_->getBeats(index.toInt())));
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

void EditToolController::inBarBeatChanged_()
{
    try {
        QObject* barPicker = FindInWindow("inBarInput");
        QObject* beatPicker = FindInWindow("inBeatInput");
        if (!barPicker || !beatPicker || !barListModel_)
            return;
        // The pickers pass through incomplete states while they are set up: ignore those.
        if (barPicker->property("displayText").toString().isEmpty())
            return;
        const int row = barPicker->property("currentIndex").toInt();
        const int position = beatPicker->property("currentIndex").toInt();
        if (row < 0 || position < 0 || row >= barListModel_->rowCount())
            return;
        const QString bar = barListModel_->bars.at(row);
        const auto beats = barListModel_->getBeats(row).value<QList<uint>>();
        if (position >= beats.size())
            return;
        const std::uint32_t tick = PickedTick(bar, static_cast<int>(beats.at(position)));

        if (!qmlObject_->property("isEdit").toBool() && engineHandle_) {
            // The id names the picked position, even where the event will be raised to the start.
            if (CL::Editor* editor = engineHandle_->GetChangeLogEditor()) {
                qmlObject_->setProperty("eventId",
                                        QString::fromStdString(editor->GetSuggestedEventIdAtTick(tick, kind_)));
            }
        }
        UpdateToolValues();
    } catch (const std::exception& e) {
        std::cout << "Error: " << e.what() << "\n";
    }
}

// The shared steps run inside the tools' slots, called from the window: nothing may leave them.

void EditToolController::OpenRangeForCreate(const TL::BarsBeats& start, const TL::BarsBeats& end)
{
    if (!qmlObject_)
        return;
    try {
        SetPickers(start, end);
        ShowOpeningValue(nullptr);
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

void EditToolController::ChangeRange(const QVariant& startBar, const QVariant& startBeat, const QVariant& endBar,
                                     const QVariant& endBeat)
{
    MoveRange(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt(), nullptr);
}

void EditToolController::ChangeRangeAndValue(const QString& startBar, int startBeat, const QString& endBar,
                                             int endBeat, int value)
{
    MoveRange(startBar, startBeat, endBar, endBeat, &value);
}

void EditToolController::MoveRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat,
                                   const int* value)
{
    try {
        if (!rememberedEvent_ || !SongUnchanged())
            return;
        const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
        const std::uint32_t end = PickedTick(endBar, endBeat);
        EditStartEndValues(*rememberedEvent_, start, end);
        // The value is set whatever became of the move: the window showed both as one change.
        if (value)
            EditRangeValue(*rememberedEvent_, *value);
        emit valuesUpdated();
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

void EditToolController::OpenRangeForEdit(const cmn::ZarnEvent* event)
{
    if (!qmlObject_ || !event || !engineHandle_)
        return;
    try {
        // Copied first: the engine's object may move within its log before OK, or go.
        RememberEvent(*event);
        // Before the pickers move, so their changes leave the event's id alone.
        qmlObject_->setProperty("isEdit", true);
        const TL::BarsBeats start = PositionOfTick(event->start());
        const TL::BarsBeats end = PositionOfTick(event->end());
        SetPickers(start, end);
        ShowOpeningValue(event);
        qmlObject_->setProperty("eventId", QString::fromStdString(event->EventId()));
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error editing event:", e);
    }
}

TL::BarsBeats EditToolController::PositionOfTick(std::uint32_t tick)
{
    return engineHandle_->GetBarBeatByTick(tick);
}

void EditToolController::ShowOpeningValue(const cmn::ZarnEvent* edited)
{
    if (edited)
        SetIntValue(edited->int_value());
}

bool EditToolController::EditRangeValue(const cmn::ZarnEvent& event, int value)
{
    return EditIntValue(event, value);
}

void EditToolController::ShowShiftOfPickedBeat()
{
    if (!qmlObject_ || !barListModel_)
        return;
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
    // A new beat starts at its lowest shift; the slider's lower end first, since the slider
    // holds its value inside its range.
    const std::int32_t floor =
        InShiftFloor(*barListModel_, picked.bar, picked.beat, static_cast<std::uint32_t>(minStartTick_));
    qmlObject_->setProperty("inShiftMin", floor);
    qmlObject_->setProperty("inShift", floor);
}

void EditToolController::OpenShiftForCreate(const TL::BarsBeats& position, std::uint32_t minStartTick)
{
    minStartTick_ = static_cast<std::int32_t>(minStartTick);
    if (!qmlObject_)
        return;
    try {
        SetPickers(position, position);
        SetInShiftMin(minStartTick);
        UpdateToolValues();
        qmlObject_->setProperty("visible", true);
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

std::uint32_t EditToolController::PickBeatOf(const cmn::ZarnEvent& event)
{
    const TL::BarsBeats position = engineHandle_->GetBarBeatLeftByTick(event.start());
    SetPickers(position, position);
    UpdateToolValues();
    return position.tick();
}

void EditToolController::ShowShiftAfterBeat(std::uint32_t beatTick, std::uint32_t tick)
{
    const std::uint32_t max = engineHandle_->GetAvailableShiftAfterBarBeat(beatTick, true);
    qmlObject_->setProperty("inShiftMax", AsSliderEnd(max));
    qmlObject_->setProperty("inShift", static_cast<float>(tick - beatTick));
}

std::uint32_t EditToolController::NewShiftedTick(const QString& bar, int beat, double shift) const
{
    std::uint32_t tick = PickedTick(bar, beat);
    if (barListModel_)
        tick = std::max(tick, barListModel_->frontTick);
    return ShiftedTick(tick, shift);
}

std::uint32_t EditToolController::MovedShiftedTick(const QString& bar, int beat, double shift) const
{
    return RaisedToStart(ShiftedTick(PickedTick(bar, beat), shift));
}

} // namespace zarn::qt
