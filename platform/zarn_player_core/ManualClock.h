#pragma once

#include "Clock.h"

#include <condition_variable>
#include <mutex>

namespace zarn::player {

// A clock that only moves when told to. Advance() hands the consumer one step at a
// time and returns once every step has been handled (notifications delivered), so a
// test sees exactly what happened in that stretch of time.
class ManualClock : public Clock
{
public:
    explicit ManualClock(Duration step = std::chrono::milliseconds(5));

    void Advance(Duration amount);
    void AdvanceMs(double milliseconds);

    Duration Now() const override;
    Duration WaitForNextStep(Duration since) override;
    void StepDone(Duration at) override;
    void Wake() override;
    Duration Attach() override;
    void Detach() override;

private:
    const Duration step_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Duration now_{0};
    Duration done_{0};
    int consumers_ = 0;
    bool woken_ = false;
};

} // namespace zarn::player
