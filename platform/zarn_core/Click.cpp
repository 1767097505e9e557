#include "Click.h"

#include <utility>

namespace CL {

Click::Click()
{
    SetCode(codes::Click);
}

Click::Click(std::uint32_t start, std::uint32_t end, std::string eventId, int clickValue)
    : cmn::ZarnEvent(codes::Click, start, end, std::move(eventId))
{
    int_value(clickValue);
}

Click::Click(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Click);
}

} // namespace CL
