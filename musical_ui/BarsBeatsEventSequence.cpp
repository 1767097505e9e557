#include "BarsBeatsEventSequence.h"

#include <algorithm>
#include <stdexcept>

namespace zarn::qt {

namespace {
constexpr float kMaxLoadFactor = 0.75f;
constexpr std::int32_t kBeforeFirstBar = -1;
} // namespace

BarsBeatsEventSequence::BarInfo::BarInfo(std::int32_t startTick, std::string number, std::int32_t position)
    : tick(startTick)
    , barNumber(std::move(number))
    , index(position)
{
}

std::string BarsBeatsEventSequence::BarInfo::GetBarNumber() const
{
    return barNumber;
}

std::size_t BarsBeatsEventSequence::BarInfo::GetBeatCount() const
{
    return beats.size();
}

std::string BarsBeatsEventSequence::BarInfo::GetBeat(std::size_t position) const
{
    return beats[position];
}

int BarsBeatsEventSequence::BarInfo::GetBeatTick(const std::string& beat) const
{
    return beatTicks.at(beat);
}

void BarsBeatsEventSequence::BarInfo::AddBeat(std::string beat, std::int32_t beatTick)
{
    beatTicks[beat] = beatTick;
    beats.push_back(std::move(beat));
}

BarsBeatsEventSequence::BarsBeatsEventSequence(const TL::TimelineSequence<TL::BarsBeats>& source)
    : sequence(source)
{
    barsByTick.max_load_factor(kMaxLoadFactor);
    barTickByNumber.max_load_factor(kMaxLoadFactor);

    std::int32_t currentBarTick = kBeforeFirstBar;
    std::int32_t barCounter = 0;
    for (const TL::BarsBeats& entry : sequence) {
        const auto entryTick = static_cast<std::int32_t>(entry.tick());
        if (entry.beat() == 1) {
            if (entryTick == currentBarTick)
                throw std::runtime_error("barBeat with duplicate tick index.");
            currentBarTick = entryTick;
            BarInfo& bar = barsByTick[currentBarTick];
            bar = BarInfo(currentBarTick, entry.bar_number(), barCounter);
            bar.AddBeat("1", entryTick);
            barTickByNumber[entry.bar_number()] = currentBarTick;
            ++barCounter;
        } else {
            // Before the first bar start this makes the "Unk" record under -1.
            barsByTick[currentBarTick].AddBeat(std::to_string(entry.beat()), entryTick);
        }
    }
}

std::size_t BarsBeatsEventSequence::GetLastIndexAtOrBefore(std::uint32_t tick) const
{
    const std::size_t n = sequence.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (sequence[i].tick() > tick)
            return i == 0 ? 0 : i - 1;
    }
    return n;
}

std::size_t BarsBeatsEventSequence::GetFirstIndexAtOrAfter(std::uint32_t tick) const
{
    std::size_t i = sequence.size();
    while (i > 0 && sequence[i - 1].tick() >= tick)
        --i;
    return i;
}

std::uint32_t BarsBeatsEventSequence::GetNearestTick(std::uint32_t tick) const
{
    const std::size_t n = sequence.size();
    if (n == 0)
        return 0;
    const std::size_t before = std::min(GetLastIndexAtOrBefore(tick), n - 1);
    const std::size_t after = std::min(GetFirstIndexAtOrAfter(tick), n - 1);
    // Unsigned differences: an entry on the wrong side of the tick wraps to a huge
    // distance and never wins.
    const std::uint32_t distanceAfter = sequence[after].tick() - tick;
    const std::uint32_t distanceBefore = tick - sequence[before].tick();
    return distanceAfter < distanceBefore ? sequence[after].tick() : sequence[before].tick();
}

std::size_t BarsBeatsEventSequence::GetBarCount() const
{
    return barsByTick.size();
}

BarsBeatsEventSequence::BarInfo BarsBeatsEventSequence::GetBarInfo(std::size_t position) const
{
    return barsByTick.nth(position)->second;
}

} // namespace zarn::qt
