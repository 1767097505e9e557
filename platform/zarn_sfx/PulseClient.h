#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarn::audio::pulse {

struct SinkInfo
{
    uint32_t index = PA_INVALID_INDEX;
    std::string name; // what selects it: QAudioDevice::id() on PulseAudio
    std::string description; // what the operator sees
    int sampleRate = 0;
};

// One connection to the PulseAudio server on its own threaded main loop, the thread every
// callback of its streams runs on. Waits are bounded, so a server that stops answering
// gives an error, never a hang.
//
// Members marked "lock held" need the loop's lock (Lock), which callbacks already hold.
// Nothing here may be called from the loop's own thread except where it says so.
//
// ThreadSanitizer does not see the loop's lock (the PulseAudio libraries are uninstrumented
// and left out of its view), so the hand-over the lock makes between a caller and the loop
// thread is declared to it: Lock and WaitFor declare the caller's side, and every callback
// that touches our memory opens with an InLoop. Outside ThreadSanitizer builds both cost
// nothing. One token stands for every loop's lock, so a callback declares its side before
// it reads anything (its user data may sit on the caller's stack).
class Client
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kTimeout{3000};

    class Lock
    {
    public:
        explicit Lock(const Client& client);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        const Client& client_;
    };

    // First thing in every callback the loop thread runs into our code.
    class InLoop
    {
    public:
        InLoop() { Acquired(); }
        ~InLoop() { Releasing(); }
        InLoop(const InLoop&) = delete;
        InLoop& operator=(const InLoop&) = delete;
    };

    explicit Client(std::string applicationName);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Loop thread, once, when an established connection fails (the server went away).
    // Set before Connect().
    void SetFailureHandler(std::function<void()> handler) { onFailure_ = std::move(handler); }

    // Starts the loop and connects without spawning a server. False with a reason.
    bool Connect(std::string& problem);
    // Disconnects and ends the loop thread. Streams must be gone. Idempotent.
    void Shutdown();

    pa_threaded_mainloop* Loop() const { return loop_; }
    pa_context* Context() const { return context_; }
    // The server's words for the context's last error. Lock held.
    std::string LastError() const;
    // Wakes WaitFor(). Loop thread (any callback).
    void Signal() const;

    // Lock held: waits until done() or the deadline passes; done()'s last answer.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = kTimeout);
    // Lock held: waits for an operation that signals the loop when it ends, cancelling it
    // (no callback after) when it does not end in time. Takes over the reference.
    bool Await(pa_operation* op, std::chrono::milliseconds timeout = kTimeout);

    // Lock held. Empty or nullopt when the server does not answer.
    std::optional<std::vector<SinkInfo>> Sinks();
    std::optional<SinkInfo> SinkByName(const std::string& name);
    std::optional<std::string> DefaultSinkName();

    // The lock's hand-over, declared to ThreadSanitizer.
    static void Acquired();
    static void Releasing();

private:
    static void OnContextState(pa_context* context, void* self);

    std::string applicationName_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool running_ = false;
    bool ready_ = false; // loop thread, under the lock
    std::function<void()> onFailure_;
};

} // namespace zarn::audio::pulse
