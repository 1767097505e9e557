#pragma once

#include "EngineEvent.h"

#include <functional>
#include <memory>

namespace notify {

class EngineEventHubCore;

// Receives the engine's notifications of the kinds it registered for, each with the
// program's own id. The callback runs on an engine thread; the text is valid only during
// the call. The observer may exist before any engine and outlive every engine: engines
// post through EngineEventHub. Destroying the observer ends the calls and waits for a
// callback running on another thread to return.
class EventObserver
{
public:
    using CallbackFunc = std::function<void(int id, int value, const char* text, void* context)>;

    EventObserver();
    ~EventObserver();
    EventObserver(const EventObserver&) = delete;
    EventObserver& operator=(const EventObserver&) = delete;

    void SetCallbackFunc(CallbackFunc callback, void* context);

    void RegisterPageNum(int id);
    void RegisterPlayhead(int id);
    void RegisterPlaybackStarted(int id);
    void RegisterPlaybackStopped(int id);
    void RegisterPlaybackPaused(int id);
    void RegisterPlaybackFading(int id);
    void RegisterKey(int id);
    void RegisterTempo(int id);
    void RegisterMeter(int id);
    void RegisterTransposition(int id);
    void RegisterTempoScale(int id);
    void RegisterVampOn(int id);
    void RegisterVampOff(int id);
    void RegisterBarBeat(int id);
    void RegisterSongTitle(int id);
    void RegisterSongLoaded(int id);
    void RegisterStatusFlowControl(int id);
    void RegisterMidiNotification(int id);
    void RegisterLearnedMIDICommand(int id);
    void RegisterMIDICommandCanceled(int id);
    void RegisterStatusVolume(int id);
    void RegisterMarker(int id);

    // Registers any kind by its enum value.
    void Register(EngineEvent kind, int id);

    struct State; // shared with the hub

private:
    std::shared_ptr<EngineEventHubCore> hub_; // kept alive while any observer exists
    std::shared_ptr<State> state_;
};

} // namespace notify
