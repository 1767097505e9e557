#pragma once

#include "ZarnEvent.h"

#include <string>
#include <vector>

namespace CL {

// One step of an edit as the history keeps it. An add has only `after`, a delete only
// `before`, a change both. Undo and Redo return the items they applied.
struct HistoryItem
{
    enum class Action { Add, Delete, Change };

    std::string song;
    Action action = Action::Change;
    cmn::ZarnEvent before;
    cmn::ZarnEvent after;

    bool operator==(const HistoryItem&) const = default;
};

// The distinct kind codes the items touch, in ascending order.
std::vector<int> GetAffectedCodes(const std::vector<HistoryItem>& items);

} // namespace CL
