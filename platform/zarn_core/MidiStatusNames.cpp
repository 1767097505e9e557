#include "MidiStatusNames.h"

namespace std_midi::sb {

const std::map<std::uint8_t, std::string> status_names = {
    {0x80, "Note Off"},
    {0x90, "Note On"},
    {0xA0, "Polyphonic Aftertouch"},
    {0xB0, "Control Change"},
    {0xC0, "Program Change"},
    {0xD0, "Channel Aftertouch"},
    {0xE0, "Pitch Bend"},
    {0xF0, "System Exclusive"},
    {0xF1, "MIDI Time Code Quarter Frame"},
    {0xF2, "Song Position Pointer"},
    {0xF3, "Song Select"},
    {0xF6, "Tune Request"},
    {0xF7, "End of Exclusive"},
    {0xF8, "Timing Clock"},
    {0xFA, "Start"},
    {0xFB, "Continue"},
    {0xFC, "Stop"},
    {0xFE, "Active Sensing"},
    {0xFF, "System Reset"},
};

} // namespace std_midi::sb
