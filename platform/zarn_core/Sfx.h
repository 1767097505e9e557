#pragma once

#include "ZarnEvent.h"
#include "ZarnEventCode.h"

namespace CL {

// A sound-effect cue (kind 'Q'). A point event.
class Sfx : public cmn::ZarnEvent
{
public:
    Sfx();
    Sfx(std::uint32_t tick, std::string eventId, SfxProperties properties);
    // Takes every field of another event and makes it a sfx.
    explicit Sfx(const cmn::ZarnEvent& other);
};

} // namespace CL
