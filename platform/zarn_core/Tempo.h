#pragma once

namespace TL {

// A tempo, held as quarter notes per minute.
class Tempo
{
public:
    Tempo() = default;
    explicit Tempo(double quarterNotesPerMinute)
        : quarterBpm_(quarterNotesPerMinute)
    {
    }

    // Beats per minute for a beat of `clocksPerBeat` MIDI clocks (24 per quarter note):
    // bpm(24) is quarter notes per minute, bpm(36) dotted quarters. A count of 0 or less
    // gives 0.
    double bpm(int clocksPerBeat) const
    {
        return clocksPerBeat > 0 ? quarterBpm_ * 24.0 / clocksPerBeat : 0.0;
    }

    bool operator==(const Tempo&) const = default;

private:
    double quarterBpm_ = 120.0;
};

} // namespace TL
