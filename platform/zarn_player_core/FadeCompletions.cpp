#include "FadeCompletions.h"

#include <utility>

namespace zarn::player {

uint64_t FadeCompletions::Register(std::function<void()> completion)
{
    std::function<void()> dropped; // destroyed outside the lock: its captures may do anything
    std::lock_guard lock(mutex_);
    dropped = std::move(function_);
    function_ = std::move(completion);
    ticket_ = ++lastTicket_;
    return ticket_;
}

void FadeCompletions::DropAll()
{
    std::function<void()> dropped;
    std::lock_guard lock(mutex_);
    dropped = std::move(function_);
    function_ = nullptr;
    ticket_ = 0;
}

std::function<void()> FadeCompletions::Take(uint64_t ticket)
{
    std::lock_guard lock(mutex_);
    if (ticket == 0 || ticket != ticket_)
        return {};
    ticket_ = 0;
    return std::exchange(function_, nullptr);
}

} // namespace zarn::player
