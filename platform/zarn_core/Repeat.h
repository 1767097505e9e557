#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A repeat: plays its range count times; count 1-500.
class Repeat : public cmn::ZarnEvent
{
public:
    Repeat();
    Repeat(std::uint32_t start, std::uint32_t end, std::string eventId, int count);
    // Takes every field of another event and makes it a repeat.
    explicit Repeat(const cmn::ZarnEvent& other);
};

} // namespace CL
