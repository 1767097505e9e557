#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A tempo scale: playback runs at factor (0.5-2.0) times the tempo over the range.
class TempoScale : public cmn::ZarnEvent
{
public:
    TempoScale();
    TempoScale(std::uint32_t start, std::uint32_t end, std::string eventId, double factor);
    // Takes every field of another event and makes it a temposcale.
    explicit TempoScale(const cmn::ZarnEvent& other);
};

} // namespace CL
