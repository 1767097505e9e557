#pragma once

#include "BarController.h"

#include <QObject>

#include <memory>
#include <vector>

class QQmlEngine;

namespace zarn::qt {

class EditModel;

// Builds the bar and beat lines and the audio regions of the timeline's bars area from the
// edit model's bars-and-beats index, follows the view scale, and thins the labels out so
// that neighbouring labels do not overlap.
class BarsBeatsViewController : public QObject
{
    Q_OBJECT

public:
    BarsBeatsViewController(QObject* barsItem, double ticksPerUnit, QQmlEngine* engine,
                            EditModel* editModel, bool audioTailAsFade);
    ~BarsBeatsViewController() override;

    void Rebuild();
    void SetViewScale(double scale, bool immediate);
    void LayoutLabels(bool immediate);
    // Decides whether `item`'s label fits after `lastShown` and applies the decision;
    // returns true when it hid a beat's label.
    bool PlaceLabel(BarController*& lastShown, BarController* item, bool isLast, bool immediate);

    const std::vector<std::unique_ptr<BarController>>& GetItems() const { return items_; }
    double GetViewScale() const { return viewScale_; }

private:
    double viewScale_ = 1.0;
    QQmlEngine* engine_ = nullptr;
    QObject* barsItem_ = nullptr;
    QObject* fadeBox_ = nullptr;
    EditModel* editModel_ = nullptr;
    double ticksPerUnit_ = 25.0;
    int labelSpacing_ = 20;
    bool audioTailAsFade_ = true;
    std::vector<std::unique_ptr<BarController>> items_;
};

} // namespace zarn::qt
