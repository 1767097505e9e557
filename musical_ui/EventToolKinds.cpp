#include "EventToolSet.h"

#include "CaesuraToolController.h"
#include "ClickToolController.h"
#include "CutToolController.h"
#include "Interface.h"
#include "MarkerToolController.h"
#include "OscToolController.h"
#include "RepeatToolController.h"
#include "SkipToolController.h"
#include "TempoToolController.h"
#include "TransposeToolController.h"
#include "VampToolController.h"
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
    // The value tools. The click tool places its range on the song's own beats, at or before
    // each tick: its values are asked for the bars the range touches before any click.
    kinds.push_back(MakeEventToolKind<ClickToolController>(
        codes::Click, &ClickToolController::clickToolClosing,
        [](ClickToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onClickButtonClicked(player.GetBarBeatByTick(ToolTick(startTick), false, true),
                                      player.GetBarBeatByTick(ToolTick(endTick), false, true));
        },
        [](ClickToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onClickEdit(event); }));
    kinds.push_back(MakeEventToolKind<TransposeToolController>(
        codes::Transpose, &TransposeToolController::transposeToolClosing,
        [](TransposeToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onTransposeButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                          player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](TransposeToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onTransposeEdit(event); }));
    kinds.push_back(MakeEventToolKind<TempoToolController>(
        codes::TempoScale, &TempoToolController::tempoToolClosing,
        [](TempoToolController& tool, Interface& player, int startTick, int endTick) {
            tool.onTempoButtonClicked(player.GetBarBeatByTick(ToolTick(startTick)),
                                      player.GetBarBeatByTick(ToolTick(endTick)));
        },
        [](TempoToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onTempoEdit(event); }));

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
