#pragma once

#include "zarn_core/BarsBeats.h"
#include "zarn_core/TimelineSequence.h"

#include <tsl/ordered_map.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zarn::qt {

// The bar and beat grid of one song as the timeline sees it: the engine's bars-and-beats
// sequence, grouped by bar. Built whole from the engine's answer and never changed after,
// so readers may share it freely; a reload makes a new one.
class BarsBeatsEventSequence
{
public:
    // One bar: its start tick, its number text, its position among the bar starts and its
    // beats (number texts in sequence order, each with its tick).
    struct BarInfo
    {
        BarInfo() = default;
        BarInfo(std::int32_t startTick, std::string number, std::int32_t position);

        std::string GetBarNumber() const;
        std::size_t GetBeatCount() const;
        // The position must be below GetBeatCount().
        std::string GetBeat(std::size_t position) const;
        // Throws std::out_of_range for a beat text the bar does not hold.
        int GetBeatTick(const std::string& beat) const;
        // Appends the beat; a text met again takes the later tick.
        void AddBeat(std::string beat, std::int32_t beatTick);

        std::int32_t tick = 0;
        std::string barNumber = "Unk";
        std::int32_t index = 0;
        std::vector<std::string> beats;
        std::unordered_map<std::string, int> beatTicks;
    };

    // Throws std::runtime_error when two consecutive bar starts share a tick.
    explicit BarsBeatsEventSequence(const TL::TimelineSequence<TL::BarsBeats>& source);

    // The tick of the entry nearest to `tick`; on equal distances the earlier one. 0 when
    // the sequence is empty.
    std::uint32_t GetNearestTick(std::uint32_t tick) const;
    std::size_t GetLastIndexAtOrBefore(std::uint32_t tick) const;
    std::size_t GetFirstIndexAtOrAfter(std::uint32_t tick) const;

    // Bars in song order; the beats before the first bar start, if any, come first as a bar
    // numbered "Unk".
    std::size_t GetBarCount() const;
    // The position must be below GetBarCount().
    BarInfo GetBarInfo(std::size_t position) const;

    // The engine's entries, unchanged.
    TL::TimelineSequence<TL::BarsBeats> sequence;
    // Bar start tick (-1: the beats before the first bar) to the bar, in song order.
    tsl::ordered_map<std::int32_t, BarInfo> barsByTick;
    // Bar number text to the bar's start tick; a number met again takes the later bar.
    tsl::ordered_map<std::string, std::int32_t> barTickByNumber;
};

} // namespace zarn::qt
