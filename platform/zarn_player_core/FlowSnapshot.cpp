#include "FlowSnapshot.h"

#include "SongTimeMap.h"

#include "zarn_core/EventRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zarn::player {

namespace {

std::string FormatFactor(double f)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", f);
    return buffer;
}

} // namespace

FlowSnapshot FlowSnapshot::Build(const ShowDefinition& show, std::map<std::string, std::vector<FlowEvent>> events,
                                 const std::map<std::string, uint8_t>& attacca)
{
    FlowSnapshot snapshot;
    for (const auto& song : show.songs) {
        SongFlow flow;
        if (auto it = attacca.find(song.number); it != attacca.end())
            flow.attacca = it->second <= 2 ? it->second : 0;
        const SongTimeMap map(song);
        auto found = events.find(song.number);
        if (found != events.end()) {
            for (auto& e : found->second) {
                if (e.IsRangeKind()) {
                    if (e.end < e.start) {
                        std::swap(e.start, e.end);
                        ++snapshot.invertedLoopEventCount;
                        snapshot.invertedLoopEventDescription += "Song " + song.number + ": " + std::string(1, e.code)
                            + " " + e.id + " ran backwards and now spans " + std::to_string(e.start) + " to "
                            + std::to_string(e.end) + ".\n";
                    }
                    if (e.end == e.start)
                        continue; // an empty range has no effect on playback
                }
                if (e.code == flow_code::kTempoScale) {
                    const double f = e.floatValue;
                    if (!std::isfinite(f) || f < 0.5 || f > 2.0) {
                        const double clamped = std::isfinite(f) ? std::clamp(f, 0.5, 2.0) : 1.0;
                        snapshot.tempoScaleWarnings += "Song " + song.number + ": tempo scale " + e.id + " of "
                            + FormatFactor(f) + " is outside 0.5 to 2.0 and plays at " + FormatFactor(clamped) + ".\n";
                        e.floatValue = clamped;
                    }
                }
                if (e.code == flow_code::kClick) {
                    const auto allowed = map.ClickValues(e.start, e.end);
                    if (!allowed.empty()
                        && std::find(allowed.begin(), allowed.end(), e.intValue) == allowed.end()) {
                        const int replaced = CL::EventRules::NearestAllowed(e.intValue, allowed);
                        snapshot.modifiedClickEditLog += "Song " + song.number + ": click " + e.id + " value "
                            + std::to_string(e.intValue) + " does not fit its bars; using "
                            + std::to_string(replaced) + ".\n";
                        e.intValue = replaced;
                    }
                }
                flow.events.push_back(e);
            }
        }
        std::stable_sort(flow.events.begin(), flow.events.end(), [](const FlowEvent& a, const FlowEvent& b) {
            if (a.start != b.start)
                return a.start < b.start;
            return a.end > b.end;
        });
        snapshot.songs.emplace(song.number, std::move(flow));
    }
    return snapshot;
}

const SongFlow* FlowSnapshot::Find(const std::string& song) const
{
    auto it = songs.find(song);
    return it == songs.end() ? nullptr : &it->second;
}

} // namespace zarn::player
