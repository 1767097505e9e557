#include "DragClamp.h"

#include <algorithm>

namespace zarn::qt {

DraggedSpan ClampDraggedSpan(int start, int end, bool adjustLeft, bool adjustRight, std::int32_t songStart,
                             std::int32_t songLength)
{
    // Wide enough that no difference or sum of two 32-bit values overflows.
    const std::int64_t s = songStart;
    const std::int64_t e = std::max<std::int64_t>(songLength, 0);
    const std::int64_t length = std::int64_t{end} - start;

    std::int64_t newStart = std::min(std::max<std::int64_t>(start, s), adjustRight ? e : e - length);
    std::int64_t newEnd = std::min(std::max<std::int64_t>(end, adjustLeft ? 0 : s + length), e);

    newStart = std::clamp<std::int64_t>(newStart, 0, e);
    newEnd = std::clamp<std::int64_t>(newEnd, 0, e);
    if (newStart > newEnd) {
        // The moving edge stops at the one that stayed; a whole event turned inside out
        // keeps its end.
        if (adjustRight)
            newEnd = newStart;
        else
            newStart = newEnd;
    }
    return {static_cast<std::uint32_t>(newStart), static_cast<std::uint32_t>(newEnd)};
}

} // namespace zarn::qt
