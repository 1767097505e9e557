#pragma once

#include "zarn_core/Osc.h"

#include <cstdint>

namespace zarn {

// Receives the show's outgoing OSC cues. The engine calls it from its own threads, never
// while holding its lock, so the callee may call back into the engine.
class PlayerOscCallback
{
public:
    PlayerOscCallback() = default;
    PlayerOscCallback(const PlayerOscCallback&) = delete;
    PlayerOscCallback& operator=(const PlayerOscCallback&) = delete;
    virtual ~PlayerOscCallback();

    // A cue that is due in `delayMs` milliseconds while the show plays.
    virtual void ExecuteEvent(const CL::Osc& cue, uint32_t delayMs) = 0;
    // A cue reached while the show is not playing: to be sent once playback starts.
    virtual void EnqueueEvent(const CL::Osc& cue, uint32_t delayMs) = 0;
    virtual void SetDefaultPort(uint16_t port) = 0;
};

} // namespace zarn
