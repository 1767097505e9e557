#include "HistoryItem.h"

#include <set>

namespace CL {

std::vector<int> GetAffectedCodes(const std::vector<HistoryItem>& items)
{
    std::set<int> codes;
    for (const auto& item : items) {
        if (item.action != HistoryItem::Action::Add)
            codes.insert(static_cast<unsigned char>(item.before.code()));
        if (item.action != HistoryItem::Action::Delete)
            codes.insert(static_cast<unsigned char>(item.after.code()));
    }
    return {codes.begin(), codes.end()};
}

} // namespace CL
