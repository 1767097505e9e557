#pragma once

#include <string>

namespace zarn::player {

// What the engine reports while it runs; each kind has one registration on the observer.
enum class EngineEventKind : int {
    PlaybackStarted,
    PlaybackStopped,
    PlaybackPaused,
    PlaybackFading,
    StatusFlowControl,
    Key,
    Tempo,
    Meter,
    Transposition,
    TempoScale,
    BarBeat,
    Marker,
    PageNum,
    Playhead,
    SongTitle,
    SongLoaded,
    LearnedMidiCommand,
    MidiCommandCanceled,
    MidiNotification,
    VampOn,
    VampOff,
    StatusVolume,
};
constexpr int kEngineEventKindCount = 22;

struct EngineNotice
{
    EngineEventKind kind = EngineEventKind::PlaybackStarted;
    int value = 0;
    std::string text;
};

} // namespace zarn::player
