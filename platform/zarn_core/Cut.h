#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A cut: playback jumps over [start, end).
class Cut : public cmn::ZarnEvent
{
public:
    Cut();
    Cut(std::uint32_t start, std::uint32_t end, std::string eventId, int value);
    // Takes every field of another event and makes it a cut.
    explicit Cut(const cmn::ZarnEvent& other);
};

} // namespace CL
