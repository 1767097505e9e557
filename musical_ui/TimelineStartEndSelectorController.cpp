#include "TimelineStartEndSelectorController.h"

#include <iostream>
#include <utility>

namespace zarn::qt {

TimelineStartEndSelectorController::TimelineStartEndSelectorController(
    std::vector<std::string> barNames, QObject* parent)
    : QObject(parent), barNames_(std::move(barNames))
{
}

void TimelineStartEndSelectorController::OnChangeStartBar_(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= barNames_.size())
        return;
    startBar_ = barNames_[static_cast<std::size_t>(index)];
}

void TimelineStartEndSelectorController::OnChangeEndBar_(int index)
{
    std::cout << "index: " << index << "\n";
}

} // namespace zarn::qt
