#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace cmn {

// The version text of a change-log file name ("3.2"): two 8-bit numbers, ordered by
// major, then minor.
class FileVersion
{
public:
    FileVersion() = default;
    FileVersion(std::uint8_t major, std::uint8_t minor);
    // Malformed text throws std::invalid_argument; a number above 255 std::out_of_range.
    explicit FileVersion(const std::string& text);

    std::uint8_t Major() const { return major_; }
    std::uint8_t Minor() const { return minor_; }
    std::string GetAsString() const;

    friend bool operator==(const FileVersion&, const FileVersion&) = default;
    friend std::strong_ordering operator<=>(const FileVersion& a, const FileVersion& b)
    {
        if (auto c = a.major_ <=> b.major_; c != 0)
            return c;
        return a.minor_ <=> b.minor_;
    }

    // Parses "M.m" into two numbers 0..255; shared by both version types.
    static void Parse(const std::string& text, unsigned& major, unsigned& minor);

private:
    std::uint8_t major_ = 0;
    std::uint8_t minor_ = 0;
};

} // namespace cmn
