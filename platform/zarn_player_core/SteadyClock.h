#pragma once

#include "Clock.h"

#include <condition_variable>
#include <mutex>

namespace zarn::player {

// Wall time from std::chrono::steady_clock, stepped about every 5 ms.
class SteadyClock : public Clock
{
public:
    explicit SteadyClock(Duration step = std::chrono::milliseconds(5));

    Duration Now() const override;
    Duration WaitForNextStep(Duration since) override;
    void StepDone(Duration at) override;
    void Wake() override;
    Duration Attach() override;
    void Detach() override;

private:
    const Duration step_;
    const std::chrono::steady_clock::time_point origin_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

} // namespace zarn::player
