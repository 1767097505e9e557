#pragma once

#include <chrono>

namespace zarn::player {

// The time source of the engine's clock thread. The real clock paces itself; a manual
// clock lets tests move time by hand so every timing check is exact and repeatable.
class Clock
{
public:
    using Duration = std::chrono::nanoseconds;

    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock();

    virtual Duration Now() const = 0;
    // Blocks until the time has moved on from `since` (or Wake() was called) and
    // returns the current time.
    virtual Duration WaitForNextStep(Duration since) = 0;
    // The consumer has handled every step up to `at`, its deliveries included.
    virtual void StepDone(Duration at) = 0;
    // Ends a pending WaitForNextStep early (used when the consumer shuts down).
    virtual void Wake() = 0;
    // A consumer starts reading this clock; returns the time it starts from.
    virtual Duration Attach() = 0;
    virtual void Detach() = 0;
};

} // namespace zarn::player
