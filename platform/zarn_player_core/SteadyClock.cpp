#include "SteadyClock.h"

namespace zarn::player {

SteadyClock::SteadyClock(Duration step)
    : step_(step)
    , origin_(std::chrono::steady_clock::now())
{
}

Clock::Duration SteadyClock::Now() const
{
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - origin_);
}

Clock::Duration SteadyClock::WaitForNextStep(Duration since)
{
    // Sleep to the next multiple of the step, so small oversleeps do not add up.
    const auto target = origin_ + since + step_;
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, target, [this] { return woken_; });
    woken_ = false;
    return Now();
}

void SteadyClock::StepDone(Duration) {}

void SteadyClock::Wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

Clock::Duration SteadyClock::Attach()
{
    return Now();
}
void SteadyClock::Detach() {}

} // namespace zarn::player
