#include "Transpose.h"

#include <utility>

namespace CL {

Transpose::Transpose()
{
    SetCode(codes::Transpose);
}

Transpose::Transpose(std::uint32_t start, std::uint32_t end, std::string eventId, int halfSteps)
    : cmn::ZarnEvent(codes::Transpose, start, end, std::move(eventId))
{
    int_value(halfSteps);
}

Transpose::Transpose(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Transpose);
}

} // namespace CL
