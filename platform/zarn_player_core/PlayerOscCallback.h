#pragma once

namespace zarn {

// Receives the show's outgoing OSC cues from the engine's own threads.
class PlayerOscCallback
{
public:
    PlayerOscCallback() = default;
    PlayerOscCallback(const PlayerOscCallback&) = delete;
    PlayerOscCallback& operator=(const PlayerOscCallback&) = delete;
    virtual ~PlayerOscCallback();
};

} // namespace zarn
