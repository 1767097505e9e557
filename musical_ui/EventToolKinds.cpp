#include "EventToolSet.h"

#include "Interface.h"
#include "MarkerToolController.h"
#include "zarn_core/ZarnEventCode.h"

#include <algorithm>
#include <cstdint>

namespace zarn::qt {

namespace {

// The window's ticks come from positions on the timeline; none lies before the song.
std::uint32_t ToolTick(int tick)
{
    return static_cast<std::uint32_t>(std::max(tick, 0));
}

} // namespace

std::vector<EventToolKind> EventToolKinds()
{
    std::vector<EventToolKind> kinds;
    kinds.push_back(MakeEventToolKind<MarkerToolController>(
        codes::Marker, &MarkerToolController::markerToolClosing,
        [](MarkerToolController& tool, Interface& player, int startTick, int) {
            tool.onMarkerButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)));
        },
        [](MarkerToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onMarkerEdit(event); }));
    return kinds;
}

} // namespace zarn::qt
