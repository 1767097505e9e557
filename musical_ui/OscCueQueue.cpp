#include "OscCueQueue.h"

#include "Interface.h"
#include "PlayerOscCallback.h"

#include <utility>

namespace zarn::qt {

void OscCueQueue::Hold(const CL::Osc& osc, std::uint32_t delay, Interface* engine, PlayerOscCallback& sender)
{
    if (engine && engine->GetIsPlaying()) {
        sender.ExecuteEvent(osc, delay);
        return;
    }
    queue_.push_back({osc, 0, engine ? engine->GetCurrentSongNumber() : std::string()});
}

void OscCueQueue::SendCurrentSong(Interface* engine, PlayerOscCallback* sender)
{
    if (!sender || queue_.empty())
        return;
    // Asked once: nothing below lets the engine change its song.
    std::string firstSong;
    std::string currentSong;
    if (engine) {
        const Interface::SongNameMap songs = engine->GetSongNamesBySongNumber();
        if (!songs.empty())
            firstSong = songs.begin()->first;
        currentSong = engine->GetCurrentSongNumber();
    }
    const bool atFirstSong = !firstSong.empty() && firstSong == currentSong;

    // Taken off before sending, so a sender that calls back here finds a consistent queue.
    std::deque<QueuedOscCommand> held;
    held.swap(queue_);
    for (const QueuedOscCommand& entry : held) {
        if (entry.song == currentSong || (entry.song.empty() && atFirstSong))
            sender->ExecuteEvent(entry.osc, entry.delay);
    }
}

void OscCueQueue::Clear()
{
    queue_.clear();
}

} // namespace zarn::qt
