#include "TempoScale.h"

#include <utility>

namespace CL {

TempoScale::TempoScale()
{
    SetCode(codes::TempoScale);
}

TempoScale::TempoScale(std::uint32_t start, std::uint32_t end, std::string eventId, double factor)
    : cmn::ZarnEvent(codes::TempoScale, start, end, std::move(eventId))
{
    float_value(factor);
}

TempoScale::TempoScale(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::TempoScale);
}

} // namespace CL
