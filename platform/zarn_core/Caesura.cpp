#include "Caesura.h"

#include <utility>

namespace CL {

Caesura::Caesura()
{
    SetCode(codes::Caesura);
}

Caesura::Caesura(std::uint32_t tick, std::string eventId, int value)
    : cmn::ZarnEvent(codes::Caesura, tick, 0, std::move(eventId))
{
    int_value(value);
}

Caesura::Caesura(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Caesura);
}

} // namespace CL
