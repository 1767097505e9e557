#include "Sfx.h"

#include <utility>

namespace CL {

Sfx::Sfx()
{
    SetCode(codes::Sfx);
}

Sfx::Sfx(std::uint32_t tick, std::string eventId, SfxProperties properties)
    : cmn::ZarnEvent(codes::Sfx, tick, 0, std::move(eventId))
{
    sfx_properties(std::move(properties));
}

Sfx::Sfx(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::Sfx);
}

} // namespace CL
