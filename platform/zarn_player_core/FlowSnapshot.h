#pragma once

#include "FlowEvent.h"
#include "ShowDefinition.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zarn::player {

struct SongFlow
{
    std::vector<FlowEvent> events; // ascending start, longer ranges first at equal start
    uint8_t attacca = 0;
};

// The change log as playback uses it: per song its events and attacca state, with the
// faults that playback cannot use repaired and described.
class FlowSnapshot
{
public:
    static FlowSnapshot Build(const ShowDefinition& show, std::map<std::string, std::vector<FlowEvent>> events,
                              const std::map<std::string, uint8_t>& attacca);

    const SongFlow* Find(const std::string& song) const;

    std::map<std::string, SongFlow> songs;
    std::string modifiedClickEditLog;
    std::string tempoScaleWarnings;
    unsigned invertedLoopEventCount = 0;
    std::string invertedLoopEventDescription;
};

} // namespace zarn::player
