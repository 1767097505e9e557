#include "CallbackDispatcher.h"

#include <algorithm>

namespace notify {

CallbackDispatcher callbackDispatcher;

void CallbackDispatcher::AddCallback(void* target, const std::string& name, Callback callback)
{
    if (!callback)
        return;
    std::lock_guard lock(mutex_);
    entries_.push_back(Entry{nextSerial_++, target, name, std::make_shared<const Callback>(std::move(callback))});
}

void CallbackDispatcher::Notify(const std::string& name, void* payload)
{
    // Take a snapshot and call without the lock: a callback may notify, add or remove.
    std::vector<std::pair<std::uint64_t, std::shared_ptr<const Callback>>> snapshot;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : entries_) {
            if (entry.name == name)
                snapshot.emplace_back(entry.serial, entry.callback);
        }
    }
    for (const auto& [serial, callback] : snapshot) {
        if (IsRegistered(serial))
            (*callback)(payload);
    }
}

void CallbackDispatcher::RemoveCallbacksForTarget(void* target)
{
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [target](const Entry& e) { return e.target == target; });
}

std::size_t CallbackDispatcher::CallbackCount(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [&name](const Entry& e) { return e.name == name; }));
}

bool CallbackDispatcher::IsRegistered(std::uint64_t serial) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(), [serial](const Entry& e) { return e.serial == serial; });
}

} // namespace notify
