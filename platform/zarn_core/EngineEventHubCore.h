#pragma once

#include "EngineEvent.h"
#include "EventObserver.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace notify {

// The shared insides of an observer: what the hub calls, and what the observer's
// destructor waits on.
struct EventObserver::State
{
    std::mutex mutex;
    std::condition_variable idle;
    bool alive = true;
    EventObserver::CallbackFunc callback;
    void* context = nullptr;
    std::array<std::vector<int>, kEngineEventCount> ids;
    std::vector<std::thread::id> callingThreads; // one entry per running callback
};

// The hub's list of observers. Kept alive by every observer, so it outlives them all
// whatever the order of static destruction.
class EngineEventHubCore
{
public:
    static std::shared_ptr<EngineEventHubCore> Instance();

    void Add(const std::shared_ptr<EventObserver::State>& state);
    void Remove(const EventObserver::State* state);
    void Post(EngineEvent kind, int value, const char* text);
    std::size_t Count() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<EventObserver::State>> observers_;
};

} // namespace notify
