#pragma once

#include "ShowDefinition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::player {

struct BarInfo
{
    uint32_t tick = 0;
    uint32_t length = 0;
    std::string number;
    uint8_t numerator = 4;
    uint8_t denominator = 4;
};

struct GridEntry
{
    uint32_t tick = 0;
    int32_t beat = 1;
    std::string bar;
};

// A click change: within [start, end) the beat grid subdivides a whole note into `value`.
struct ClickRange
{
    uint32_t start = 0;
    uint32_t end = 0;
    int value = 4;
};

// A tempo scale: within [start, end) musical time runs `factor` times as fast.
struct ScaleRange
{
    uint32_t start = 0;
    uint32_t end = 0;
    double factor = 1.0;
};

// Musical time of one song: bars from its meters, the beat grid, and the tempo map that
// turns ticks into seconds.
class SongTimeMap
{
public:
    static constexpr uint32_t kWholeNote = 4 * ShowDefinition::kTicksPerQuarter;

    explicit SongTimeMap(const SongDefinition& song);

    const SongDefinition& Song() const { return song_; }
    const std::vector<BarInfo>& Bars() const { return bars_; }

    std::vector<GridEntry> BuildGrid(const std::vector<ClickRange>& clicks) const;
    // Click values whose subdivision divides every bar overlapping [start, end) evenly,
    // in display order.
    std::vector<int> ClickValues(uint32_t start, uint32_t end) const;
    static bool IsClickValue(int value);

    // Ticks per second at a tick, before any tempo scale.
    double TicksPerSecondAt(double tick) const;
    uint32_t NextTempoChangeAfter(double tick) const; // UINT32_MAX when none
    double SecondsBetween(double from, double to, const std::vector<ScaleRange>& scales) const;

    const TempoPoint& TempoAt(uint32_t tick) const;
    const MeterPoint& MeterAt(uint32_t tick) const;
    const KeyPoint& KeyAt(uint32_t tick) const;

    static std::string KeyText(const KeyPoint& key);
    static std::string TempoText(double bpm);
    static std::string MeterText(const MeterPoint& meter);
    static std::string ScaleText(double factor);
    // "0012|03": the bar number zero-filled to four characters, then the beat.
    static std::string BarBeatText(const GridEntry& entry);
    // "12.3" on a grid entry, "12.3+120" between entries; "" for an empty grid.
    static std::string BarString(const std::vector<GridEntry>& grid, uint32_t tick);
    // Index of the last entry at or before the tick (0 when the tick lies before all).
    static size_t IndexAtOrBefore(const std::vector<GridEntry>& grid, uint32_t tick);
    // Index of the nearest entry; a tie goes to the earlier one.
    static size_t NearestIndex(const std::vector<GridEntry>& grid, uint32_t tick);

private:
    SongDefinition song_;
    std::vector<BarInfo> bars_;
};

} // namespace zarn::player
