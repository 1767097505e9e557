#include "EventToolSet.h"

#include "CaesuraToolController.h"
#include "Interface.h"
#include "MarkerToolController.h"
#include "OscToolController.h"
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
    // The two tools with a shift after the beat also learn the earliest tick an event may take.
    kinds.push_back(MakeEventToolKind<CaesuraToolController>(
        codes::Caesura, &CaesuraToolController::caesuraToolClosing,
        [](CaesuraToolController& tool, Interface& player, int startTick, int) {
            tool.onCaesuraButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)), player.GetMinStartTickIndex());
        },
        [](CaesuraToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onCaesuraEdit(event); }, true));
    kinds.push_back(MakeEventToolKind<OscToolController>(
        codes::Osc, &OscToolController::toolClosing,
        [](OscToolController& tool, Interface& player, int startTick, int) {
            tool.onToolButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)), player.GetMinStartTickIndex());
        },
        [](OscToolController& tool, Interface& player, cmn::ZarnEvent* event) {
            tool.onToolEdit(event, player.GetMinStartTickIndex());
        }));
    return kinds;
}

} // namespace zarn::qt
