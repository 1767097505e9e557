#pragma once

#include "AudioDevice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zarn::audio {

namespace pulse {
class Client;
}

// The PulseAudio sinks: listed on request and watched as they come and go, so the engine
// notices a lost device that comes back or a new default. A device's uid is the sink's name,
// which is also the id Qt Multimedia gives it, and what PulseOutput takes.
class PulseDevices
{
public:
    enum class Change { Added, Removed, DefaultChanged };
    // The watcher's own thread, within about 10 ms of the change. Added: the new sink.
    // Removed: the sink that went, as it was listed. DefaultChanged: the new default sink
    // (an empty uid when there is none). Must not call back into this object.
    using Listener = std::function<void(Change change, const AudioDevice& device)>;

    // Connects and, with a listener, starts watching. Without a server it stays empty:
    // Connected() is false and Problem() says why.
    explicit PulseDevices(Listener listener = {});
    ~PulseDevices();
    PulseDevices(const PulseDevices&) = delete;
    PulseDevices& operator=(const PulseDevices&) = delete;

    bool Connected() const { return connected_; }
    const std::string& Problem() const { return problem_; }

    // Asked from the server each time. Caller's thread, not the listener's.
    std::vector<AudioDevice> Sinks() const;
    // An empty uid when there is no default sink.
    AudioDevice DefaultSink() const;

private:
    void OnEvent(int type, uint32_t index);
    void Report(Change change, const AudioDevice& device) const;

    Listener listener_;
    std::unique_ptr<pulse::Client> client_;
    bool connected_ = false;
    std::string problem_;
    // Under the loop's lock: what the watcher has seen, to name a sink that went and to tell
    // a new default from the old.
    std::map<uint32_t, AudioDevice> known_;
    std::string defaultSink_;
};

} // namespace zarn::audio
