#include "Cut.h"

#include <utility>

namespace CL {

Cut::Cut()
{
    SetCode(codes::Cut);
}

Cut::Cut(std::uint32_t start, std::uint32_t end, std::string eventId, int value)
    : cmn::ZarnEvent(codes::Cut, start, end, std::move(eventId))
{
    int_value(value);
}

Cut::Cut(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Cut);
}

} // namespace CL
