#include "FadeCompletions.h"

#include "Interface.h"

#include <utility>

namespace zarn::qt {

FadeCompletions::FadeCompletions(std::function<void(bool gotoNextSong)> announce)
    : guard_(std::make_shared<Guard>())
{
    guard_->announce = std::move(announce);
}

FadeCompletions::~FadeCompletions()
{
    Revoke();
}

std::function<void()> FadeCompletions::FadeAndNext() const
{
    return [guard = guard_] {
        const std::lock_guard lock(guard->mutex);
        if (guard->announce)
            guard->announce(true);
    };
}

std::function<void()> FadeCompletions::FadeToLevel() const
{
    return [guard = guard_] {
        const std::lock_guard lock(guard->mutex);
        if (guard->announce)
            guard->announce(false);
    };
}

std::function<void()> FadeCompletions::FadeAndStop(std::weak_ptr<Interface> engine) const
{
    return [guard = guard_, engine = std::move(engine)] {
        const std::lock_guard lock(guard->mutex);
        if (!guard->announce)
            return;
        guard->announce(true);
        // Under the guard: the owner revokes before it lets go of its engine, so this stop
        // returns before the owner can drop the engine it shares with this fade.
        if (const std::shared_ptr<Interface> player = engine.lock())
            player->Stop();
    };
}

void FadeCompletions::Revoke()
{
    const std::lock_guard lock(guard_->mutex);
    guard_->announce = nullptr;
}

float FadeCompletions::Seconds(int milliseconds)
{
    return static_cast<float>(static_cast<double>(static_cast<float>(milliseconds)) / 1000.0);
}

} // namespace zarn::qt
