#include "EventListController.h"

#include "EditModel.h"
#include "EventListModel.h"
#include "TimelineMetaTypes.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/NotifyNames.h"

#include <QVariant>

#include <vector>

namespace zarn::qt {

namespace {

// Blocks the controller's signals for a scope and leaves them unblocked afterwards, even
// when they were blocked before or the engine throws on the way.
class OwnSignalsBlocked
{
public:
    explicit OwnSignalsBlocked(QObject& object)
        : object_(object)
    {
        object_.blockSignals(true);
    }
    ~OwnSignalsBlocked() { object_.blockSignals(false); }
    OwnSignalsBlocked(const OwnSignalsBlocked&) = delete;
    OwnSignalsBlocked& operator=(const OwnSignalsBlocked&) = delete;

private:
    QObject& object_;
};

} // namespace

EventListController::EventListController(QObject* item, EditModel* editModel)
    : QmlController(item, nullptr)
    , model_(std::make_unique<EventListModel>(std::vector<EventInfoItem>{}, editModel))
    , editModel_(editModel)
{
    // The record travels by its short name through string connections, queued ones included.
    RegisterTimelineMetaTypes();
    Refresh();
    if (!qmlObject_)
        return;
    qmlObject_->setProperty("model", QVariant::fromValue(model_.get()));
    // Connected last, so nothing the list does while it takes its model reaches us.
    connect(qmlObject_, SIGNAL(currentItemChanged(int)), this, SLOT(CurrentItemChanged(int)));
    connect(qmlObject_, SIGNAL(editSelectedItem()), this, SLOT(EditSelectedItem_()));
}

EventListController::~EventListController() = default;

void EventListController::Refresh()
{
    OwnSignalsBlocked blocked(*this);
    std::vector<EventInfoItem> rows;
    if (editModel_) {
        const auto& events = editModel_->RefreshChangeLogPanelEvents();
        rows.reserve(events.size());
        for (const auto& event : events) {
            if (event)
                rows.push_back(MakeEventInfoItem(*event));
        }
    }
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", -1);
    model_->SetItems(rows);
}

void EventListController::SelectEvent(const cmn::ZarnEvent* event)
{
    WriteCurrentIndexQuietly(event ? model_->IndexOf(MakeEventInfoItem(*event)) : -1);
}

void EventListController::SetCurrentIndex(int index)
{
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", index);
}

EventListModel* EventListController::GetModel() const
{
    return model_.get();
}

void EventListController::CurrentItemChanged(int index)
{
    if (index == -1)
        return;
    int row = index;
    // Synchronous: the edit controller selects the panel event at this row before we go on.
    notify::callbackDispatcher.Notify(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, &row);
    emit CurrentItemChangedSignal(model_->GetItem(index));
}

void EventListController::EditSelectedItem_()
{
    emit EditSelectedItem();
}

void EventListController::WriteCurrentIndexQuietly(int index)
{
    OwnSignalsBlocked blocked(*this);
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", index);
}

} // namespace zarn::qt
