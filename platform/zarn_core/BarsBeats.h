#pragma once

#include <cstdint>
#include <string>

namespace TL {

// A bar-and-beat position of a song: its tick, the beat number (1 at a bar start) and the
// bar's number as text (bar numbers are texts: "0" for a pickup, "12A").
class BarsBeats
{
public:
    BarsBeats() = default;
    BarsBeats(std::uint32_t tick, std::int32_t beat, std::string barNumber);

    std::uint32_t tick() const { return tick_; }
    std::int32_t beat() const { return beat_; }
    const std::string& bar_number() const { return barNumber_; }

    bool operator==(const BarsBeats&) const = default;

private:
    std::uint32_t tick_ = 0;
    std::int32_t beat_ = 0;
    std::string barNumber_;
};

} // namespace TL
