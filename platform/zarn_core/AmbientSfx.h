#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// An ambient sound-effect cue (kind 'R'). A point event.
class AmbientSfx : public cmn::ZarnEvent
{
public:
    AmbientSfx();
    AmbientSfx(std::uint32_t tick, std::string eventId, SfxProperties properties);
    // Takes every field of another event and makes it a ambientsfx.
    explicit AmbientSfx(const cmn::ZarnEvent& other);
};

} // namespace CL
