#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A vamp: loops its range count times (0: until released); count 0-500.
class Vamp : public cmn::ZarnEvent
{
public:
    Vamp();
    Vamp(std::uint32_t start, std::uint32_t end, std::string eventId, int count);
    // Takes every field of another event and makes it a vamp.
    explicit Vamp(const cmn::ZarnEvent& other);
};

} // namespace CL
