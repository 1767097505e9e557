#include "ClickToolController.h"

#include "zarn_core/Click.h"
#include "zarn_core/ZarnEventCode.h"

#include <QVariantList>

#include <algorithm>

namespace zarn::qt {

namespace {

const char* const kClickWindow = "ClickTool.qml";

// The click tool's bars are the song's own: a click changes the beats, so the pickers must
// not show the beats the clicks already made.
constexpr bool kClicksApplied = false;

} // namespace

ClickToolController::ClickToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                                         EditController* editController, QObject* parent)
    : EditToolController(engine, ToolWindowUrl(kClickWindow), editController, std::move(engineHandle),
                         codes::Click, parent, kClicksApplied)
{
}

ClickToolController::ClickToolController(const ClickToolController& other)
    : EditToolController(other, ToolWindowUrl(kClickWindow), kClicksApplied)
{
}

ClickToolController::ClickToolController(ClickToolController&& other)
    : EditToolController(std::move(other), ToolWindowUrl(kClickWindow), kClicksApplied)
{
}

void ClickToolController::ConnectToolSignals()
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(changeClickRequest(QString,int,QString,int,int)), this,
            SLOT(onClickChangeRequest(QString,int,QString,int,int)));
    connect(qmlObject_, SIGNAL(createClickRequest(QString,int,QString,int,int)), this,
            SLOT(onClickCreationRequest(QString,int,QString,int,int)));
    QObject* panel = ConnectBeatListRequests(true);
    connect(qmlObject_, SIGNAL(updateAvailableClicks()), this, SLOT(updateClicksModel()));
    if (panel) {
        // A bar the user chooses announces itself before its beats are loaded: once they are,
        // the range is asked again, so the values never stay those of the old bar's beat.
        connect(panel, SIGNAL(inBeatInputUpdateRequest(QVariant)), this, SLOT(updateClicksModel()));
        connect(panel, SIGNAL(outBeatInputUpdateRequest(QVariant)), this, SLOT(updateClicksModel()));
    }
    connect(qmlObject_, SIGNAL(clickToolClosing()), this, SLOT(onClickToolClosing()));
}

std::vector<int> ClickToolController::ShownRangeClickValues() const
{
    const QString inBar = ShownText("inBarInput");
    const QString inBeat = ShownText("inBeatInput");
    const QString outBar = ShownText("outBarInput");
    const QString outBeat = ShownText("outBeatInput");
    // The pickers pass through empty states while they are filled; such a range means nothing.
    if (!engineHandle_ || inBar.isEmpty() || inBeat.isEmpty() || outBar.isEmpty() || outBeat.isEmpty())
        return {};
    const std::uint32_t start = PickedTick(inBar, inBeat.toInt());
    const std::uint32_t end = PickedTick(outBar, outBeat.toInt());
    return engineHandle_->GetClickValues(start, end);
}

QString ClickToolController::ShownText(const char* pickerName) const
{
    // By the current row, not the display text: a picker announces a new row before its
    // display text follows, and the refill runs on that announcement.
    const QObject* picker = FindInWindow(pickerName);
    QObject* box = picker ? picker->property("comboControl").value<QObject*>() : nullptr;
    if (!box)
        return {};
    const int row = box->property("currentIndex").toInt();
    if (row < 0 || row >= box->property("count").toInt())
        return {};
    QString text;
    QMetaObject::invokeMethod(box, "textAt", Q_RETURN_ARG(QString, text), Q_ARG(int, row));
    return text;
}

std::vector<int> ClickToolController::RefillValues()
{
    if (!qmlObject_)
        return {};
    const std::vector<int> values = ShownRangeClickValues();
    QVariantList list;
    list.reserve(static_cast<qsizetype>(values.size()));
    for (int value : values)
        list.append(value);
    // The picker builds its rows anew for every list it is given, shown or not: the same
    // values again keep the rows they have.
    if (qmlObject_->property("clickCountModel").toList() != list)
        qmlObject_->setProperty("clickCountModel", list);
    qmlObject_->setProperty("clickCountIndex", 0);
    return values;
}

void ClickToolController::updateClicksModel()
{
    try {
        RefillValues();
    } catch (const std::exception& e) {
        LogFailure("Error:", e);
    }
}

TL::BarsBeats ClickToolController::PositionOfTick(std::uint32_t tick)
{
    return engineHandle_->GetBarBeatByTick(tick, kClicksApplied, true);
}

void ClickToolController::ShowOpeningValue(const cmn::ZarnEvent* edited)
{
    // The window's own refill is connected only after opening.
    const std::vector<int> values = RefillValues();
    if (!edited)
        return;
    // A stored value the range no longer allows leaves the first allowed one chosen.
    const auto found = std::find(values.begin(), values.end(), edited->int_value());
    if (found != values.end())
        qmlObject_->setProperty("clickCountIndex", static_cast<int>(found - values.begin()));
}

void ClickToolController::onClickButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRangeForCreate(startBarsBeats, endBarsBeats);
}

void ClickToolController::onClickCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    CreateRange(startBar, startBeat, endBar, endBeat,
                [count](std::uint32_t start, std::uint32_t end, const std::string& id) {
                    return CL::Click(start, end, id, count);
                });
}

void ClickToolController::onClickEdit(cmn::ZarnEvent* zarnEvent)
{
    OpenRangeForEdit(zarnEvent);
}

void ClickToolController::onClickChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                               int count)
{
    ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, count);
}

void ClickToolController::onClickToolClosing()
{
    EmitClosing(&ClickToolController::clickToolClosing);
}

} // namespace zarn::qt
