#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A skip: the range is passed over on request.
class Fermata : public cmn::ZarnEvent
{
public:
    Fermata();
    Fermata(std::uint32_t start, std::uint32_t end, std::string eventId, int value);
    // Takes every field of another event and makes it a fermata.
    explicit Fermata(const cmn::ZarnEvent& other);
};

} // namespace CL
