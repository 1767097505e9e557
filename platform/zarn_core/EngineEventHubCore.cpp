#include "EngineEventHubCore.h"

#include <algorithm>

namespace notify {

std::shared_ptr<EngineEventHubCore> EngineEventHubCore::Instance()
{
    static const std::shared_ptr<EngineEventHubCore> instance = std::make_shared<EngineEventHubCore>();
    return instance;
}

void EngineEventHubCore::Add(const std::shared_ptr<EventObserver::State>& state)
{
    std::lock_guard lock(mutex_);
    observers_.push_back(state);
}

void EngineEventHubCore::Remove(const EventObserver::State* state)
{
    std::lock_guard lock(mutex_);
    std::erase_if(observers_, [state](const std::weak_ptr<EventObserver::State>& w) {
        const auto locked = w.lock();
        return !locked || locked.get() == state;
    });
}

std::size_t EngineEventHubCore::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(observers_.begin(), observers_.end(),
                                                  [](const auto& w) { return !w.expired(); }));
}

void EngineEventHubCore::Post(EngineEvent kind, int value, const char* text)
{
    const auto index = static_cast<std::size_t>(kind);
    if (index >= static_cast<std::size_t>(kEngineEventCount))
        return;
    std::vector<std::shared_ptr<EventObserver::State>> targets;
    {
        std::lock_guard lock(mutex_);
        targets.reserve(observers_.size());
        for (const auto& w : observers_) {
            if (auto state = w.lock())
                targets.push_back(std::move(state));
        }
    }
    const char* safeText = text ? text : "";
    const auto self = std::this_thread::get_id();
    for (const auto& state : targets) {
        EventObserver::CallbackFunc callback;
        void* context = nullptr;
        std::vector<int> ids;
        {
            std::lock_guard lock(state->mutex);
            if (!state->alive || !state->callback || state->ids[index].empty())
                continue;
            callback = state->callback;
            context = state->context;
            ids = state->ids[index];
            state->callingThreads.push_back(self);
        }
        // Whatever the callback does, the observer must learn that this call is over.
        struct CallGuard
        {
            EventObserver::State& state;
            std::thread::id thread;
            ~CallGuard()
            {
                std::lock_guard lock(state.mutex);
                auto it = std::find(state.callingThreads.begin(), state.callingThreads.end(), thread);
                if (it != state.callingThreads.end())
                    state.callingThreads.erase(it);
                state.idle.notify_all();
            }
        } guard{*state, self};
        for (int id : ids) {
            {
                // Stop at once once the observer is being destroyed.
                std::lock_guard lock(state->mutex);
                if (!state->alive)
                    break;
            }
            callback(id, value, safeText, context);
        }
    }
}

} // namespace notify
