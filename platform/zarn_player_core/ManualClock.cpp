#include "ManualClock.h"

#include <algorithm>
#include <cmath>

namespace zarn::player {

ManualClock::ManualClock(Duration step)
    : step_(step)
{
}

void ManualClock::Advance(Duration amount)
{
    while (amount.count() > 0) {
        const Duration stepNow = std::min(amount, step_);
        amount -= stepNow;
        std::unique_lock lock(mutex_);
        now_ += stepNow;
        const Duration target = now_;
        changed_.notify_all();
        // Without a consumer nobody would ever answer; time simply moves.
        changed_.wait(lock, [&] { return consumers_ == 0 || done_ >= target; });
    }
}

void ManualClock::AdvanceMs(double milliseconds)
{
    Advance(Duration(static_cast<Duration::rep>(std::llround(milliseconds * 1e6))));
}

Clock::Duration ManualClock::Now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

Clock::Duration ManualClock::WaitForNextStep(Duration since)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return now_ > since || woken_; });
    woken_ = false;
    return now_;
}

void ManualClock::StepDone(Duration at)
{
    {
        std::lock_guard lock(mutex_);
        done_ = std::max(done_, at);
    }
    changed_.notify_all();
}

void ManualClock::Wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

Clock::Duration ManualClock::Attach()
{
    std::lock_guard lock(mutex_);
    ++consumers_;
    done_ = now_;
    return now_;
}

void ManualClock::Detach()
{
    {
        std::lock_guard lock(mutex_);
        --consumers_;
    }
    changed_.notify_all();
}

} // namespace zarn::player
