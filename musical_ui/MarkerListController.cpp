#include "MarkerListController.h"

#include "EditModel.h"
#include "MarkerListModel.h"
#include "TimelineMetaTypes.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"

#include <QVariant>

#include <vector>

namespace zarn::qt {

namespace {

// Leaves the controller's signals unblocked however the block ends, even by an exception from
// the engine: a controller left blocked would silently stop announcing rows.
class SignalBlock
{
public:
    explicit SignalBlock(QObject* object) : object_(object) { object_->blockSignals(true); }
    ~SignalBlock() { object_->blockSignals(false); }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    QObject* object_;
};

} // namespace

MarkerListController::MarkerListController(QObject* item, EditModel* editModel)
    : QmlController(item, nullptr), item_(item), model_(new MarkerListModel()), editModel_(editModel)
{
    RegisterTimelineMetaTypes();
    Refresh();
    if (qmlObject_) {
        qmlObject_->setProperty("model", QVariant::fromValue(model_));
        // Last, so that nothing the list does while it takes its model reaches us.
        connect(qmlObject_, SIGNAL(currentItemChanged(int)), this, SLOT(CurrentItemChanged_(int)));
    }
}

MarkerListController::~MarkerListController()
{
    // The view may still hold the model: let it go before the model does.
    if (item_) {
        disconnect(item_, nullptr, this, nullptr);
        item_->setProperty("model", QVariant());
    }
    delete model_;
}

void MarkerListController::Refresh()
{
    SignalBlock block(this);
    std::vector<MarkerInfoItem> items;
    if (editModel_) {
        for (const auto& [marker, barText] : editModel_->GetMarkers())
            items.emplace_back(marker->value(), barText, marker->abs_time());
    }
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", -1);
    model_->SetItems(items);
}

void MarkerListController::SelectMarker(const cmn::ZarnEvent* event)
{
    int row = -1;
    if (event)
        row = model_->IndexOf(MakeMarkerInfoItem(CL::Marker(*event)));
    WriteCurrentIndexQuietly(row);
}

void MarkerListController::SetCurrentIndex(int index)
{
    blockSignals(false);
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", index);
}

int MarkerListController::GetPassedIndex(unsigned tick) const
{
    return model_->GetPassedIndex(tick);
}

void MarkerListController::setPassedIndex(int index)
{
    if (index == passedIndex_)
        return;
    passedIndex_ = index;
    if (qmlObject_)
        qmlObject_->setProperty("passedIndex", index);
}

void MarkerListController::CurrentItemChanged_(int index)
{
    if (index == -1)
        return;
    // The payload lives only during the call; the bus runs the edit controller's handler
    // before it returns, so the marker is selected before the signal below goes out.
    int row = index;
    notify::callbackDispatcher.Notify(notify::names::EVT_MARKER_PANEL_SELECTED, &row);
    emit CurrentItemChangedSignal(model_->GetItem(index));
}

void MarkerListController::WriteCurrentIndexQuietly(int index)
{
    SignalBlock block(this);
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", index);
}

} // namespace zarn::qt
