#pragma once

#include <QString>

#include <cstdint>

class QObject;

namespace zarn::qt {

class BarListModel;

// What the caesura and OSC cue tools share about a position's in-shift: the ticks after a
// picked beat at which their event lies.

// The in bar and beat that a tool window's pickers show, with the beat's tick.
struct PickedInBeat
{
    enum class State {
        Picked,
        // A bar row of the model whose beat list does not reach the beat picker's position:
        // the beat picker still shows the last bar's list.
        StaleBeats,
        // No bar or no beat picked, or a bar row the model does not hold.
        None,
    };
    State state = State::None;
    QString bar;
    int beat = 0;
    std::uint32_t tick = 0;
};

PickedInBeat ReadPickedInBeat(const QObject* window, const BarListModel& model);

// The slider's lower end at a beat: in the beat the song starts inside (the model's front
// entry) the shift that reaches the earliest allowed tick, so nothing lands before it;
// everywhere else 0. An earliest tick before that beat gives 0, never a negative end.
std::int32_t InShiftFloor(const BarListModel& model, const QString& bar, int beat, std::uint32_t minStartTick);

// A beat's tick plus a slider value, truncated toward zero and held to the tick range.
std::uint32_t ShiftedTick(std::uint32_t tick, double shift);

} // namespace zarn::qt
