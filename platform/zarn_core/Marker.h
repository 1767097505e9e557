#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A rehearsal marker with its text. A point event.
class Marker : public cmn::ZarnEvent
{
public:
    Marker();
    Marker(std::uint32_t tick, std::string text, std::string eventId);
    // Takes every field of another event and makes it a marker.
    explicit Marker(const cmn::ZarnEvent& other);
};

} // namespace CL
