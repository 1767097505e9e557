#include "SongTimeMap.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

namespace zarn::player {

namespace {

constexpr std::array<int, 10> kClickValues{1, 2, 4, 8, 16, 32, 3, 6, 12, 24};

bool ParseWholeNumber(const std::string& text, int& out)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, out);
    return ec == std::errc() && ptr == end;
}

template <typename T> const T& PointAt(const std::vector<T>& points, uint32_t tick)
{
    auto it = std::upper_bound(points.begin(), points.end(), tick,
                               [](uint32_t t, const T& p) { return t < p.tick; });
    return it == points.begin() ? points.front() : *std::prev(it);
}

double ScaleAt(const std::vector<ScaleRange>& scales, double tick)
{
    double factor = 1.0;
    uint32_t latestStart = 0;
    bool found = false;
    for (const auto& s : scales) {
        if (tick >= s.start && tick < s.end && (!found || s.start >= latestStart)) {
            factor = s.factor;
            latestStart = s.start;
            found = true;
        }
    }
    return factor;
}

} // namespace

SongTimeMap::SongTimeMap(const SongDefinition& song)
    : song_(song)
{
    const uint32_t coverEnd = std::max<uint32_t>(song_.EndOfMaterial(), 1);
    std::set<uint32_t> forcedStarts;
    for (const auto& m : song_.meters)
        forcedStarts.insert(m.tick);
    for (const auto& l : song_.bars)
        forcedStarts.insert(l.tick);

    int counter = song_.firstBarNumber;
    uint32_t tick = 0;
    while (tick < coverEnd) {
        const MeterPoint& meter = MeterAt(tick);
        uint32_t length = meter.numerator * (kWholeNote / meter.denominator);
        auto next = forcedStarts.upper_bound(tick);
        if (next != forcedStarts.end() && *next < tick + length)
            length = *next - tick;
        BarInfo bar{tick, length, {}, meter.numerator, meter.denominator};
        auto label = std::find_if(song_.bars.begin(), song_.bars.end(),
                                  [&](const BarLabel& l) { return l.tick == tick; });
        if (label != song_.bars.end()) {
            bar.number = label->number;
            int n = 0;
            if (ParseWholeNumber(label->number, n))
                counter = n + 1;
        } else {
            bar.number = std::to_string(counter++);
        }
        bars_.push_back(std::move(bar));
        tick += length;
    }
}

std::vector<GridEntry> SongTimeMap::BuildGrid(const std::vector<ClickRange>& clicks) const
{
    std::vector<GridEntry> grid;
    for (const auto& bar : bars_) {
        const uint32_t barEnd = bar.tick + bar.length;
        const uint32_t beatLength = kWholeNote / bar.denominator;
        std::set<uint32_t> ticks;
        auto clickAt = [&](uint32_t t) -> const ClickRange* {
            const ClickRange* found = nullptr;
            for (const auto& c : clicks) {
                if (t >= c.start && t < c.end && IsClickValue(c.value))
                    found = &c;
            }
            return found;
        };
        for (uint32_t t = bar.tick; t < barEnd; t += beatLength) {
            if (t == bar.tick || !clickAt(t))
                ticks.insert(t);
        }
        for (const auto& c : clicks) {
            if (!IsClickValue(c.value) || c.end <= bar.tick || c.start >= barEnd)
                continue;
            const uint32_t sub = kWholeNote / static_cast<uint32_t>(c.value);
            for (uint32_t t = bar.tick; t < barEnd; t += sub) {
                if (clickAt(t) == &c)
                    ticks.insert(t);
            }
        }
        int32_t beat = 1;
        for (uint32_t t : ticks)
            grid.push_back({t, beat++, bar.number});
    }
    return grid;
}

bool SongTimeMap::IsClickValue(int value)
{
    return std::find(kClickValues.begin(), kClickValues.end(), value) != kClickValues.end();
}

std::vector<int> SongTimeMap::ClickValues(uint32_t start, uint32_t end) const
{
    std::vector<int> values;
    for (int v : kClickValues) {
        const uint32_t sub = kWholeNote / static_cast<uint32_t>(v);
        bool fits = true;
        for (const auto& bar : bars_) {
            const bool overlaps = bar.tick < std::max(end, start + 1) && bar.tick + bar.length > start;
            if (overlaps && bar.length % sub != 0) {
                fits = false;
                break;
            }
        }
        if (fits)
            values.push_back(v);
    }
    return values;
}

double SongTimeMap::TicksPerSecondAt(double tick) const
{
    const auto t = tick <= 0 ? 0u : static_cast<uint32_t>(std::min<double>(tick, std::numeric_limits<uint32_t>::max()));
    return TempoAt(t).bpm * ShowDefinition::kTicksPerQuarter / 60.0;
}

uint32_t SongTimeMap::NextTempoChangeAfter(double tick) const
{
    for (const auto& t : song_.tempos) {
        if (t.tick > tick)
            return t.tick;
    }
    return std::numeric_limits<uint32_t>::max();
}

double SongTimeMap::SecondsBetween(double from, double to, const std::vector<ScaleRange>& scales) const
{
    if (to <= from)
        return 0.0;
    std::set<double> cuts{to};
    for (const auto& t : song_.tempos) {
        if (t.tick > from && t.tick < to)
            cuts.insert(t.tick);
    }
    for (const auto& s : scales) {
        if (s.start > from && s.start < to)
            cuts.insert(s.start);
        if (s.end > from && s.end < to)
            cuts.insert(s.end);
    }
    double seconds = 0.0;
    double at = from;
    for (double next : cuts) {
        const double rate = TicksPerSecondAt(at) * ScaleAt(scales, at);
        seconds += (next - at) / rate;
        at = next;
    }
    return seconds;
}

const TempoPoint& SongTimeMap::TempoAt(uint32_t tick) const { return PointAt(song_.tempos, tick); }
const MeterPoint& SongTimeMap::MeterAt(uint32_t tick) const { return PointAt(song_.meters, tick); }
const KeyPoint& SongTimeMap::KeyAt(uint32_t tick) const { return PointAt(song_.keys, tick); }

std::string SongTimeMap::KeyText(const KeyPoint& key)
{
    static const std::array<const char*, 15> major{"Cb", "Gb", "Db", "Ab", "Eb", "Bb", "F", "C",
                                                   "G",  "D",  "A",  "E",  "B",  "F#", "C#"};
    static const std::array<const char*, 15> minor{"Ab", "Eb", "Bb", "F", "C",  "G",  "D", "A",
                                                   "E",  "B",  "F#", "C#", "G#", "D#", "A#"};
    const int index = std::clamp<int>(key.sharpsFlats, -7, 7) + 7;
    return std::string(key.minor ? minor[index] : major[index]) + (key.minor ? " minor" : " major");
}

std::string SongTimeMap::TempoText(double bpm)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g BPM", std::round(bpm * 100.0) / 100.0);
    return buffer;
}

std::string SongTimeMap::MeterText(const MeterPoint& meter)
{
    return std::to_string(meter.numerator) + "/" + std::to_string(meter.denominator);
}

std::string SongTimeMap::ScaleText(double factor)
{
    return std::to_string(static_cast<long>(std::lround(factor * 100.0))) + "%";
}

std::string SongTimeMap::BarBeatText(const GridEntry& entry)
{
    std::string bar = entry.bar;
    if (bar.size() < 4)
        bar.insert(0, 4 - bar.size(), '0');
    char beat[16];
    std::snprintf(beat, sizeof beat, "%02d", static_cast<int>(entry.beat));
    return bar + "|" + beat;
}

size_t SongTimeMap::IndexAtOrBefore(const std::vector<GridEntry>& grid, uint32_t tick)
{
    auto it = std::upper_bound(grid.begin(), grid.end(), tick,
                               [](uint32_t t, const GridEntry& e) { return t < e.tick; });
    return it == grid.begin() ? 0 : static_cast<size_t>(std::distance(grid.begin(), it) - 1);
}

size_t SongTimeMap::NearestIndex(const std::vector<GridEntry>& grid, uint32_t tick)
{
    if (grid.empty())
        return 0;
    const size_t before = IndexAtOrBefore(grid, tick);
    if (grid[before].tick >= tick || before + 1 >= grid.size())
        return before;
    const uint32_t left = tick - grid[before].tick;
    const uint32_t right = grid[before + 1].tick - tick;
    return right < left ? before + 1 : before;
}

std::string SongTimeMap::BarString(const std::vector<GridEntry>& grid, uint32_t tick)
{
    if (grid.empty())
        return {};
    const GridEntry& e = grid[IndexAtOrBefore(grid, tick)];
    std::string text = e.bar + "." + std::to_string(e.beat);
    if (tick > e.tick)
        text += "+" + std::to_string(tick - e.tick);
    return text;
}

} // namespace zarn::player
