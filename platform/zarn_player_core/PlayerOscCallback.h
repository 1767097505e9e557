#pragma once

#include "zarn_core/NetworkPath.h"
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

    // A playing show's cue at the moment it is heard, called on the engine's cue thread,
    // which has already waited for it: send it now, without waiting for another thread.
    // `destination` is the cue's network as the change log names it, or null when the log
    // has none by that id (the callback's default then). The engine's cue thread calls
    // CueThreadFinished once before it ends, for what the callback keeps per thread.
    virtual void SendCueNow(const CL::Osc& cue, const CL::NetworkPath* destination);
    virtual void CueThreadFinished() {}
};

} // namespace zarn
