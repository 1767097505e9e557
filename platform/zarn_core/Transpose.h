#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A transposition by half steps (-6..6) over the range.
class Transpose : public cmn::ZarnEvent
{
public:
    Transpose();
    Transpose(std::uint32_t start, std::uint32_t end, std::string eventId, int halfSteps);
    // Takes every field of another event and makes it a transpose.
    explicit Transpose(const cmn::ZarnEvent& other);
};

} // namespace CL
