#include "OscFloat32.h"

#include <bit>
#include <cstdio>
#include <stdexcept>

namespace zarn::osc {

OscFloat32::OscFloat32(const char* data, std::size_t available, std::size_t& used)
    : OscParam(kOscTypeFloat32), value(0.0f)
{
    if (data == nullptr || available < 4)
        throw std::runtime_error("Cannot read OSC Param of type float32 in less than four bytes.");
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const uint32_t raw = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16)
                         | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
    value = std::bit_cast<float>(raw);
    used = 4;
}

std::string OscFloat32::toString() const
{
    // "%f" of a huge float needs about 50 characters; size the buffer from the result.
    const int length = std::snprintf(nullptr, 0, "%f", static_cast<double>(value));
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%f", static_cast<double>(value));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

float OscFloat32::toFloat32() const
{
    return value;
}

} // namespace zarn::osc
