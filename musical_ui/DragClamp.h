#pragma once

#include <cstdint>

namespace zarn::qt {

struct DraggedSpan
{
    std::uint32_t start = 0;
    std::uint32_t end = 0;

    bool operator==(const DraggedSpan&) const = default;
};

// Where a dragged event may land in its song, which starts at `songStart` and is
// `songLength` ticks long. `adjustLeft`: only the left edge moved; `adjustRight`: only the
// right edge; neither: the whole event, which keeps its length and stays inside the song.
// A left edge stops where the event would still fit, a right edge at the song's end. The
// result always lies in [0, songLength] with start <= end: an edge dragged past the other
// one stops at it.
DraggedSpan ClampDraggedSpan(int start, int end, bool adjustLeft, bool adjustRight, std::int32_t songStart,
                             std::int32_t songLength);

} // namespace zarn::qt
