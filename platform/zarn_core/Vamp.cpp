#include "Vamp.h"

#include <utility>

namespace CL {

Vamp::Vamp()
{
    SetCode(codes::Vamp);
}

Vamp::Vamp(std::uint32_t start, std::uint32_t end, std::string eventId, int count)
    : cmn::ZarnEvent(codes::Vamp, start, end, std::move(eventId))
{
    int_value(count);
}

Vamp::Vamp(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Vamp);
}

} // namespace CL
