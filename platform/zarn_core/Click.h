#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A click change: the click value v subdivides a whole note by v.
class Click : public cmn::ZarnEvent
{
public:
    Click();
    Click(std::uint32_t start, std::uint32_t end, std::string eventId, int clickValue);
    // Takes every field of another event and makes it a click.
    explicit Click(const cmn::ZarnEvent& other);
};

} // namespace CL
