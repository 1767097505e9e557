#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace notify {

// The in-process bus. Notify runs, at once on the caller's thread and in registration
// order, every callback registered for the name. A callback may Notify again, add or
// remove callbacks: no lock is held while a callback runs, and a callback removed
// meanwhile is skipped. Callbacks added during a Notify run from the next Notify on.
// The payload is the caller's; it lives only during the call.
class CallbackDispatcher
{
public:
    using Callback = std::function<void(void*)>;

    void AddCallback(void* target, const std::string& name, Callback callback);
    void Notify(const std::string& name, void* payload);
    // Every owner calls this in its destructor.
    void RemoveCallbacksForTarget(void* target);

    std::size_t CallbackCount(const std::string& name) const;

private:
    struct Entry
    {
        std::uint64_t serial = 0;
        void* target = nullptr;
        std::string name;
        std::shared_ptr<const Callback> callback;
    };

    bool IsRegistered(std::uint64_t serial) const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::uint64_t nextSerial_ = 1;
};

// The process-wide bus.
extern CallbackDispatcher callbackDispatcher;

} // namespace notify
