#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zarn::midi {

// Where MIDI messages come from. The real one wraps the system's MIDI input; tests use
// FakeMidiInputBackend. Messages arrive on the backend's own thread.
class MidiInputBackend
{
public:
    using MessageHandler = std::function<void(const std::vector<uint8_t>& message)>;

    MidiInputBackend() = default;
    MidiInputBackend(const MidiInputBackend&) = delete;
    MidiInputBackend& operator=(const MidiInputBackend&) = delete;
    virtual ~MidiInputBackend();

    virtual std::vector<std::string> SourceNames() = 0;
    // Opens the source at `index` (closing any open one); false when it cannot.
    virtual bool Open(unsigned index, MessageHandler handler) = 0;
    // After Close returns, the handler is not called any more.
    virtual void Close() = 0;
    // Why this input can never list a source (no MIDI system on the machine); empty when
    // it can, even while nothing is plugged in.
    virtual std::string Problem() const;
};

} // namespace zarn::midi
