#include "Repeat.h"

#include <utility>

namespace CL {

Repeat::Repeat()
{
    SetCode(codes::Repeat);
}

Repeat::Repeat(std::uint32_t start, std::uint32_t end, std::string eventId, int count)
    : cmn::ZarnEvent(codes::Repeat, start, end, std::move(eventId))
{
    int_value(count);
}

Repeat::Repeat(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Repeat);
}

} // namespace CL
