#pragma once

#include <functional>
#include <memory>
#include <mutex>

class Interface;

namespace zarn::qt {

// The functions handed to the engine's fades, to run once a fade is done. The engine runs
// them on a thread of its choosing, perhaps after their owner is gone: each holds a shared
// guard that the owner revokes before it dies, and a revoked completion does nothing. The
// fade-and-stop completion stops the engine it was started on, held weakly, never whatever
// engine the owner holds by then.
class FadeCompletions
{
public:
    // `announce` runs on the completion's thread, under the guard: it must only post or emit.
    explicit FadeCompletions(std::function<void(bool gotoNextSong)> announce);
    ~FadeCompletions();
    FadeCompletions(const FadeCompletions&) = delete;
    FadeCompletions& operator=(const FadeCompletions&) = delete;

    // Announces true: the show moves on to the next song if the engine faded out.
    std::function<void()> FadeAndNext() const;
    // Announces false: the fade ends where it is.
    std::function<void()> FadeToLevel() const;
    // Announces true, then stops `engine` on the completion's thread if it still exists.
    std::function<void()> FadeAndStop(std::weak_ptr<Interface> engine) const;

    // Waits for a completion that is running; every completion does nothing afterwards.
    void Revoke();

    // Seconds for the engine from milliseconds, rounded as the engine's callers always have.
    static float Seconds(int milliseconds);

private:
    struct Guard
    {
        std::mutex mutex;
        std::function<void(bool)> announce; // empty once revoked
    };

    std::shared_ptr<Guard> guard_;
};

} // namespace zarn::qt
