#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A caesura: playback holds at tick until continued. A point event.
class Caesura : public cmn::ZarnEvent
{
public:
    Caesura();
    Caesura(std::uint32_t tick, std::string eventId, int value);
    // Takes every field of another event and makes it a caesura.
    explicit Caesura(const cmn::ZarnEvent& other);
};

} // namespace CL
