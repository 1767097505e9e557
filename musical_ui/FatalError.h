#pragma once

#include <exception>
#include <utility>

namespace zarn::qt {

// An exception that must end the run may not unwind through Qt's event loop or a QML
// frame. It is caught where it surfaces, kept here, the loop is asked to end, and the
// start-up rethrows it once exec() has returned, so it reaches the error log.
class FatalError
{
public:
    // Keeps the first exception of the run and asks the event loop to end. Safe from any thread.
    static void Capture(std::exception_ptr exception);
    static bool HasCaptured();
    // Rethrows the kept exception (and forgets it); does nothing when none was kept.
    static void RethrowIfCaptured();

    // Runs `work`, capturing whatever it throws. For slots that QML or the event loop calls.
    template <typename Work>
    static void Guard(Work&& work) noexcept
    {
        try {
            std::forward<Work>(work)();
        } catch (...) {
            Capture(std::current_exception());
        }
    }
};

} // namespace zarn::qt
