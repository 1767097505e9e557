#include "Marker.h"

#include <utility>

namespace CL {

Marker::Marker()
{
    SetCode(codes::Marker);
}

Marker::Marker(std::uint32_t tick, std::string text, std::string eventId)
    : cmn::ZarnEvent(codes::Marker, tick, 0, std::move(eventId))
{
    value(std::move(text));
}

Marker::Marker(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Marker);
}

} // namespace CL
