#include "Fermata.h"

#include <utility>

namespace CL {

Fermata::Fermata()
{
    SetCode(codes::Fermata);
}

Fermata::Fermata(std::uint32_t start, std::uint32_t end, std::string eventId, int value)
    : cmn::ZarnEvent(codes::Fermata, start, end, std::move(eventId))
{
    int_value(value);
}

Fermata::Fermata(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Fermata);
}

} // namespace CL
