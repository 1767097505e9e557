#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// An OSC cue sent as playback reaches tick. A point event; copyable, travels by value.
class Osc : public cmn::ZarnEvent
{
public:
    Osc();
    Osc(std::uint32_t tick, std::string eventId, OscProperties properties);
    // Takes every field of another event and makes it a osc.
    explicit Osc(const cmn::ZarnEvent& other);
};

} // namespace CL
