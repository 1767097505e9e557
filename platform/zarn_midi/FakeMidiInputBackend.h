#pragma once

#include "MidiInputBackend.h"

#include <mutex>

namespace zarn::midi {

// A MIDI input that tests drive: fixed source names, and messages sent by hand on the
// calling thread (standing in for the input thread).
class FakeMidiInputBackend : public MidiInputBackend
{
public:
    explicit FakeMidiInputBackend(std::vector<std::string> names);

    std::vector<std::string> SourceNames() override;
    bool Open(unsigned index, MessageHandler handler) override;
    void Close() override;

    // Delivers a message when a source is open; false otherwise.
    bool Send(std::vector<uint8_t> message);
    int OpenIndex() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
    MessageHandler handler_;
    int open_ = -1;
};

} // namespace zarn::midi
