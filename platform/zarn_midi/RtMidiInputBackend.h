#pragma once

#include "MidiInputBackend.h"

#include <memory>
#include <mutex>

class RtMidiIn;

namespace zarn::midi {

// MIDI input through RtMidi on ALSA. Without an ALSA sequencer (a machine without sound
// hardware) it offers no sources, quietly.
class RtMidiInputBackend : public MidiInputBackend
{
public:
    static constexpr const char* kNoMidiSystem = "No MIDI system found";

    RtMidiInputBackend();
    ~RtMidiInputBackend() override;

    bool Available() const { return input_ != nullptr; }
    std::vector<std::string> SourceNames() override;
    bool Open(unsigned index, MessageHandler handler) override;
    void Close() override;
    // kNoMidiSystem without an ALSA sequencer.
    std::string Problem() const override;

private:
    static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);

    std::unique_ptr<RtMidiIn> input_;
    std::mutex handlerMutex_;
    MessageHandler handler_;
};

} // namespace zarn::midi
