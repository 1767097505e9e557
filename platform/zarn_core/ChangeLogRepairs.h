#pragma once

#include <string>

namespace CL {

// What the reader fixed while loading, as texts the program shows the user. Empty texts
// and a count of 0 mean nothing to report.
struct ChangeLogRepairs
{
    // Ranges whose start lay after their end (swapped), duplicate or unusable event ids
    // (renamed): their count and one line each.
    unsigned fixedEventCount = 0;
    std::string fixedEventDescription;
    // Tempo-scale factors outside 50%..200% (clamped): one line each.
    std::string tempoScaleWarnings;
    // Click values not allowed for their range (replaced by the nearest allowed): one
    // line each.
    std::string modifiedClickEditLog;

    bool empty() const
    {
        return fixedEventCount == 0 && fixedEventDescription.empty() && tempoScaleWarnings.empty()
            && modifiedClickEditLog.empty();
    }
};

} // namespace CL
