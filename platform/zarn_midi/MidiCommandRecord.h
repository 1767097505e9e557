#pragma once

#include <cstdint>

namespace zarn::midi {

// The MIDI message that triggers one engine command.
struct MidiCommandRecord
{
    uint8_t status = 0;  // high nibble of the status byte, channel bits zero
    uint8_t channel = 0; // 0..15
    uint8_t note = 0;    // 0..127: note, controller or program number
    bool operator==(const MidiCommandRecord&) const = default;
};

} // namespace zarn::midi
