#pragma once

#include "zarn_core/Osc.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

class Interface;

namespace zarn {
class PlayerOscCallback;
}

namespace zarn::qt {

// One OSC cue the engine reached while the show was not playing.
struct QueuedOscCommand
{
    CL::Osc osc;
    // Always 0: a held cue goes out as soon as playback starts, whatever delay it came with.
    std::uint32_t delay = 0;
    // The engine's current song when the cue was held; empty when there was none.
    std::string song;
};

// The OSC cues held back until playback starts. A cue belongs to the song that was current
// when it was held: when playback starts, the cues of the song now current go out in the
// order they were held and all others are dropped. Nothing but a start or an explicit clear
// empties the queue (a stop or a song change by other means leaves it), and it has no limit.
//
// GUI thread only.
class OscCueQueue
{
public:
    // A cue the engine handed over for later. When the engine plays by now (the hand-over
    // crossed threads while playback started) it goes out at once with its own delay;
    // otherwise it is held. `engine` may be null.
    void Hold(const CL::Osc& osc, std::uint32_t delay, Interface* engine, PlayerOscCallback& sender);

    // Sends the current song's cues and drops the others, leaving the queue empty. A cue
    // held while no song was current goes with the show's first song (numeric order). Without
    // a sender nothing happens and the cues stay; an engine that fails to answer leaves them
    // too, and its exception is passed on.
    void SendCurrentSong(Interface* engine, PlayerOscCallback* sender);

    void Clear();

    std::size_t Size() const { return queue_.size(); }
    const std::deque<QueuedOscCommand>& Entries() const { return queue_; }

private:
    std::deque<QueuedOscCommand> queue_;
};

} // namespace zarn::qt
