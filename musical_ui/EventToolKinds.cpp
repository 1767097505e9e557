#include "EventToolSet.h"

#include "Interface.h"
#include "MarkerToolController.h"
#include "zarn_core/ZarnEventCode.h"

// The range tools.
#include "CutToolController.h"
#include "RepeatToolController.h"
#include "SkipToolController.h"
#include "VampToolController.h"

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

    // The range tools: both ends of the window's request become positions.
    kinds.push_back(MakeEventToolKind<CutToolController>(
        codes::Cut, &CutToolController::cutToolClosing,
        [](CutToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onCutButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                    player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](CutToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onCutEdit(event); }));
    kinds.push_back(MakeEventToolKind<SkipToolController>(
        codes::Fermata, &SkipToolController::skipToolClosing,
        [](SkipToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onSkipButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                     player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](SkipToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onSkipEdit(event); }));
    kinds.push_back(MakeEventToolKind<VampToolController>(
        codes::Vamp, &VampToolController::vampToolClosing,
        [](VampToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onVampButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                     player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](VampToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onVampEdit(event); }));
    kinds.push_back(MakeEventToolKind<RepeatToolController>(
        codes::Repeat, &RepeatToolController::repeatToolClosing,
        [](RepeatToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onRepeatButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                       player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](RepeatToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onRepeatEdit(event); }));
    return kinds;
}

} // namespace zarn::qt
