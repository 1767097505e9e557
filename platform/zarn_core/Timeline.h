#pragma once

#include "Tempo.h"
#include "TimelineSequence.h"

#include <cstdint>

namespace TL {

// A key change: MIDI-style signature, stored minor flag first, sharps/flats second, so
// the name is Keys::keyNameFromSig(sf, mi) (the second stored value first).
struct KeySignature
{
    std::uint32_t tick = 0;
    std::int16_t mi = 0; // 0 major, 1 minor
    std::int16_t sf = 0; // -7 (7 flats) .. 7 (7 sharps)
    bool operator==(const KeySignature&) const = default;
};

struct TempoChange
{
    std::uint32_t tick = 0;
    Tempo tempo;
    bool operator==(const TempoChange&) const = default;
};

struct MeterChange
{
    std::uint32_t tick = 0;
    std::uint8_t numerator = 4;
    std::uint8_t denominator = 4;
    bool operator==(const MeterChange&) const = default;
};

// Keys, tempos and meters of one song, each in ascending tick order.
class Timeline
{
public:
    Timeline() = default;
    Timeline(TimelineSequence<KeySignature> keys, TimelineSequence<TempoChange> tempos,
             TimelineSequence<MeterChange> meters);

    const TimelineSequence<KeySignature>& GetKeys() const { return keys_; }
    const TimelineSequence<TempoChange>& GetTempos() const { return tempos_; }
    const TimelineSequence<MeterChange>& GetMeters() const { return meters_; }
    TimelineSequence<KeySignature>& MutableKeys() { return keys_; }
    TimelineSequence<TempoChange>& MutableTempos() { return tempos_; }
    TimelineSequence<MeterChange>& MutableMeters() { return meters_; }

    bool operator==(const Timeline&) const = default;

private:
    TimelineSequence<KeySignature> keys_;
    TimelineSequence<TempoChange> tempos_;
    TimelineSequence<MeterChange> meters_;
};

} // namespace TL
