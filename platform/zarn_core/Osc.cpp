#include "Osc.h"

#include <utility>

namespace CL {

Osc::Osc()
{
    SetCode(codes::Osc);
}

Osc::Osc(std::uint32_t tick, std::string eventId, OscProperties properties)
    : cmn::ZarnEvent(codes::Osc, tick, 0, std::move(eventId))
{
    osc_properties(std::move(properties));
}

Osc::Osc(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Osc);
}

} // namespace CL
