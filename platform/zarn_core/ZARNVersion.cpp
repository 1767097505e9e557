#include "ZARNVersion.h"

#include "FileVersion.h"

namespace cmn {

void ZARNVersion::SetWithString(const std::string& text)
{
    unsigned parsedMajor = 0;
    unsigned parsedMinor = 0;
    FileVersion::Parse(text, parsedMajor, parsedMinor);
    major = static_cast<std::uint16_t>(parsedMajor);
    minor = static_cast<std::uint16_t>(parsedMinor);
}

std::string ZARNVersion::GetAsString() const
{
    return std::to_string(major) + "." + std::to_string(minor);
}

} // namespace cmn
