#include "AmbientSfx.h"

#include <utility>

namespace CL {

AmbientSfx::AmbientSfx()
{
    SetCode(codes::AmbientSfx);
}

AmbientSfx::AmbientSfx(std::uint32_t tick, std::string eventId, SfxProperties properties)
    : cmn::ZarnEvent(codes::AmbientSfx, tick, 0, std::move(eventId))
{
    sfx_properties(std::move(properties));
}

AmbientSfx::AmbientSfx(const cmn::ZarnEvent& other)
    : cmn::ZarnEvent(other)
{
    SetCode(codes::AmbientSfx);
}

} // namespace CL
