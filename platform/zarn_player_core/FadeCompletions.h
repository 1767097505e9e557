#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace zarn::player {

// The completion of the fade in force, kept off the render thread. A std::function cannot be
// made, moved or destroyed on the render thread (any of them may allocate or free), so the
// thread that starts a fade registers its completion here and hands the render thread only
// the ticket; the render thread pushes the ticket when the fade ends
// (EngineOutputQueue::PushFadeDone), and the delivery thread takes the function by it.
//
// A completion runs only if no later fade or cancel came before its delivery: registering a
// new one or dropping them drops the one before, even when its fade has already ended and its
// ticket is on the way. The render thread never touches this object, so its lock is only
// ever held by the threads that start fades and by the delivery thread.
class FadeCompletions
{
public:
    // Any thread but the render thread. Never 0.
    uint64_t Register(std::function<void()> completion);
    // Any thread but the render thread: a cancel, a stop, shutting down.
    void DropAll();
    // Delivery thread: the completion for `ticket` if it is still the one in force (then it
    // is taken: a second call gives nothing); else an empty function.
    std::function<void()> Take(uint64_t ticket);

private:
    std::mutex mutex_;
    uint64_t lastTicket_ = 0;
    uint64_t ticket_ = 0; // 0: none in force
    std::function<void()> function_;
};

} // namespace zarn::player
