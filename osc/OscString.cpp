#include "OscString.h"

#include <cstring>
#include <stdexcept>

namespace zarn::osc {

OscString::OscString(const char* data, std::size_t available, std::size_t& used)
    : OscParam(kOscTypeString)
{
    const void* terminator = data ? std::memchr(data, '\0', available) : nullptr;
    if (terminator == nullptr)
        throw std::runtime_error("OSC string is larger than buffer during read of null terminator.");
    const auto length = static_cast<std::size_t>(static_cast<const char*>(terminator) - data);
    value.assign(data, length);

    std::size_t count = length + 1;
    while (count % 4 != 0) {
        if (count >= available)
            throw std::runtime_error("The OSC string " + value + " is larger than buffer while zero padding.");
        if (data[count] != '\0')
            throw std::runtime_error("The OSC string " + value
                                     + " does not contain proper pad to extend the string to a multiple of 4.");
        ++count;
    }
    used = count;
}

std::string OscString::toString() const
{
    return value;
}

} // namespace zarn::osc
