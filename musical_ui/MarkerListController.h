#pragma once

#include "MarkerInfoItem.h"
#include "QmlController.h"
#include "zarn_core/ZarnEvent.h"

#include <QPointer>

namespace zarn::qt {

class EditModel;
class MarkerListModel;

// Stands behind the edit panel's marker list: fills it from the edit model, selects rows on
// request and marks the marker that playback passed last. A chosen row is announced on the
// bus first (so the edit controller selects the marker) and then as CurrentItemChangedSignal.
class MarkerListController : public QmlController
{
    Q_OBJECT
    Q_PROPERTY(int passedIndex READ passedIndex WRITE setPassedIndex)

public:
    // Wraps `item` without owning it; `editModel` is not owned either.
    MarkerListController(QObject* item, EditModel* editModel);
    ~MarkerListController() override;

    // New rows from the edit model; no row stays current, the passed row stays as it was.
    void Refresh();
    // The row of the marker (by text and tick) becomes current without CurrentItemChangedSignal;
    // a marker without a row, or none, clears the current row.
    void SelectMarker(const cmn::ZarnEvent* event);
    // Unlike the other writes of the current row, this one is announced like a click.
    void SetCurrentIndex(int index);
    int GetPassedIndex(unsigned tick) const;

    int passedIndex() const { return passedIndex_; }
    // Touches the view only when the row changes: it is called on every marker notification.
    void setPassedIndex(int index);

    MarkerListModel* GetModel() const { return model_; }

signals:
    // Named with the short type name: the edit controller connects by that signature string.
    void CurrentItemChangedSignal(MarkerInfoItem item);

public slots:
    void CurrentItemChanged_(int index);

private:
    // Writes the view's current row with the controller's own signals held back.
    void WriteCurrentIndexQuietly(int index);

    // The wrapped item, watched: at the end the view may already be gone.
    QPointer<QObject> item_;
    MarkerListModel* model_ = nullptr;
    EditModel* editModel_ = nullptr;
    int passedIndex_ = -1;
};

} // namespace zarn::qt
