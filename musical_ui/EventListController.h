#pragma once

#include "EventInfoItem.h"
#include "QmlController.h"
#include "zarn_core/ZarnEvent.h"

#include <memory>

namespace zarn::qt {

class EditModel;
class EventListModel;

// Stands behind the edit panel's event list: wraps the existing list item (never owning it),
// owns the model the item shows, and keeps row r equal to element r of the edit model's
// change-log panel events, since the edit controller takes the row posted on the bus as an
// index into that vector.
class EventListController : public QmlController
{
    Q_OBJECT

public:
    EventListController(QObject* item, EditModel* editModel);
    ~EventListController() override;

    // Rebuilds the rows from the engine's panel events and clears the current row.
    void Refresh();
    // Makes the row of a change-log event current; an event without a row (or null) clears it.
    void SelectEvent(const cmn::ZarnEvent* event);
    // Unlike Refresh and SelectEvent, lets the resulting CurrentItemChangedSignal through.
    void SetCurrentIndex(int index);

    EventListModel* GetModel() const;

public slots:
    void CurrentItemChanged(int index);
    void EditSelectedItem_();

signals:
    void CurrentItemChangedSignal(EventInfoItem item);
    void EditSelectedItem();

private:
    // Writes the row while the controller's own signals are blocked: the caller already
    // knows the selection, so only the bus hears of it.
    void WriteCurrentIndexQuietly(int index);

    std::unique_ptr<EventListModel> model_;
    EditModel* editModel_ = nullptr; // not owned
};

} // namespace zarn::qt
