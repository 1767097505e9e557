#pragma once

#include <compare>
#include <cstdint>
#include <string>

// Some C libraries define major() and minor() as macros (<sys/sysmacros.h>); the fields
// below carry those names.
#ifdef major
#undef major
#endif
#ifdef minor
#undef minor
#endif

namespace cmn {

// A change log's version "major.minor". The fields are 16 bits wide, but file names, the
// server and the link request carry 8 bits: texts outside 0..255 are refused.
struct ZARNVersion
{
    std::uint16_t major = 0;
    std::uint16_t minor = 0;

    ZARNVersion() = default;
    ZARNVersion(std::uint16_t majorVersion, std::uint16_t minorVersion)
        : major(majorVersion)
        , minor(minorVersion)
    {
    }

    // Reads "M.m" (decimal, each 0..255). Malformed text throws std::invalid_argument,
    // a number above 255 std::out_of_range; both name the text. On failure the value
    // is unchanged.
    void SetWithString(const std::string& text);
    std::string GetAsString() const;

    friend bool operator==(const ZARNVersion&, const ZARNVersion&) = default;
    friend std::strong_ordering operator<=>(const ZARNVersion& a, const ZARNVersion& b)
    {
        if (auto c = a.major <=> b.major; c != 0)
            return c;
        return a.minor <=> b.minor;
    }
};

} // namespace cmn
