#pragma once

namespace notify {

// The kinds of engine notification an observer can register for.
enum class EngineEvent : int {
    PageNum,             // value: score page number
    Playhead,            // value: tick
    PlaybackStarted,
    PlaybackStopped,
    PlaybackPaused,
    PlaybackFading,
    Key,                 // text: key name
    Tempo,               // text: tempo
    Meter,               // text: meter
    Transposition,       // value: half steps (signed)
    TempoScale,          // text: tempo scale
    VampOn,
    VampOff,
    BarBeat,             // text: bar and beat, "0012|03" (first 4 and last 2 characters are shown)
    SongTitle,           // text: song title
    SongLoaded,          // text: song number
    StatusFlowControl,   // value: flow-control number; text: flow-control label
    MidiNotification,
    LearnedMIDICommand,  // value: (command id << 16) | (status byte << 8) | note
    MIDICommandCanceled, // value: command id
    StatusVolume,        // value: level in thousandths
    Marker,              // value: tick
    Count
};

inline constexpr int kEngineEventCount = static_cast<int>(EngineEvent::Count);

} // namespace notify
