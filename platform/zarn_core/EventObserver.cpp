#include "EventObserver.h"

#include "EngineEventHubCore.h"

#include <algorithm>

namespace notify {

EventObserver::EventObserver()
    : hub_(EngineEventHubCore::Instance())
    , state_(std::make_shared<State>())
{
    hub_->Add(state_);
}

EventObserver::~EventObserver()
{
    hub_->Remove(state_.get());
    std::unique_lock lock(state_->mutex);
    state_->alive = false;
    // Wait for calls on other threads; a callback that destroys its own observer must
    // not wait for itself.
    const auto self = std::this_thread::get_id();
    state_->idle.wait(lock, [this, self] {
        return std::all_of(state_->callingThreads.begin(), state_->callingThreads.end(),
                           [self](std::thread::id t) { return t == self; });
    });
    state_->callback = nullptr;
}

void EventObserver::SetCallbackFunc(CallbackFunc callback, void* context)
{
    std::lock_guard lock(state_->mutex);
    state_->callback = std::move(callback);
    state_->context = context;
}

void EventObserver::Register(EngineEvent kind, int id)
{
    const auto index = static_cast<std::size_t>(kind);
    if (index >= static_cast<std::size_t>(kEngineEventCount))
        return;
    std::lock_guard lock(state_->mutex);
    auto& ids = state_->ids[index];
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

void EventObserver::RegisterPageNum(int id) { Register(EngineEvent::PageNum, id); }
void EventObserver::RegisterPlayhead(int id) { Register(EngineEvent::Playhead, id); }
void EventObserver::RegisterPlaybackStarted(int id) { Register(EngineEvent::PlaybackStarted, id); }
void EventObserver::RegisterPlaybackStopped(int id) { Register(EngineEvent::PlaybackStopped, id); }
void EventObserver::RegisterPlaybackPaused(int id) { Register(EngineEvent::PlaybackPaused, id); }
void EventObserver::RegisterPlaybackFading(int id) { Register(EngineEvent::PlaybackFading, id); }
void EventObserver::RegisterKey(int id) { Register(EngineEvent::Key, id); }
void EventObserver::RegisterTempo(int id) { Register(EngineEvent::Tempo, id); }
void EventObserver::RegisterMeter(int id) { Register(EngineEvent::Meter, id); }
void EventObserver::RegisterTransposition(int id) { Register(EngineEvent::Transposition, id); }
void EventObserver::RegisterTempoScale(int id) { Register(EngineEvent::TempoScale, id); }
void EventObserver::RegisterVampOn(int id) { Register(EngineEvent::VampOn, id); }
void EventObserver::RegisterVampOff(int id) { Register(EngineEvent::VampOff, id); }
void EventObserver::RegisterBarBeat(int id) { Register(EngineEvent::BarBeat, id); }
void EventObserver::RegisterSongTitle(int id) { Register(EngineEvent::SongTitle, id); }
void EventObserver::RegisterSongLoaded(int id) { Register(EngineEvent::SongLoaded, id); }
void EventObserver::RegisterStatusFlowControl(int id) { Register(EngineEvent::StatusFlowControl, id); }
void EventObserver::RegisterMidiNotification(int id) { Register(EngineEvent::MidiNotification, id); }
void EventObserver::RegisterLearnedMIDICommand(int id) { Register(EngineEvent::LearnedMIDICommand, id); }
void EventObserver::RegisterMIDICommandCanceled(int id) { Register(EngineEvent::MIDICommandCanceled, id); }
void EventObserver::RegisterStatusVolume(int id) { Register(EngineEvent::StatusVolume, id); }
void EventObserver::RegisterMarker(int id) { Register(EngineEvent::Marker, id); }

} // namespace notify
