#include "FileVersion.h"

#include <stdexcept>

namespace cmn {

void FileVersion::Parse(const std::string& text, unsigned& major, unsigned& minor)
{
    const auto dot = text.find('.');
    auto number = [&text](std::size_t from, std::size_t to) -> unsigned {
        if (from >= to)
            throw std::invalid_argument("\"" + text + "\" is not a version (expected major.minor)");
        unsigned long value = 0;
        for (std::size_t i = from; i < to; ++i) {
            const char c = text[i];
            if (c < '0' || c > '9')
                throw std::invalid_argument("\"" + text + "\" is not a version (expected major.minor)");
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255)
                throw std::out_of_range("Version \"" + text + "\" is out of range: each number must be 0 to 255");
        }
        return static_cast<unsigned>(value);
    };
    if (dot == std::string::npos)
        throw std::invalid_argument("\"" + text + "\" is not a version (expected major.minor)");
    // Check the shape of both halves before the range, so "x.300" reads as malformed.
    const unsigned parsedMajor = number(0, dot);
    const unsigned parsedMinor = number(dot + 1, text.size());
    major = parsedMajor;
    minor = parsedMinor;
}

FileVersion::FileVersion(std::uint8_t major, std::uint8_t minor)
    : major_(major)
    , minor_(minor)
{
}

FileVersion::FileVersion(const std::string& text)
{
    unsigned major = 0;
    unsigned minor = 0;
    Parse(text, major, minor);
    major_ = static_cast<std::uint8_t>(major);
    minor_ = static_cast<std::uint8_t>(minor);
}

std::string FileVersion::GetAsString() const
{
    return std::to_string(major_) + "." + std::to_string(minor_);
}

} // namespace cmn
