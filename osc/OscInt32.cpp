#include "OscInt32.h"

#include <stdexcept>

namespace zarn::osc {

OscInt32::OscInt32(const char* data, std::size_t available, std::size_t& used)
    : OscParam(kOscTypeInt32), value(0)
{
    if (data == nullptr || available < 4)
        throw std::runtime_error("Cannot read OSC Param of type int32 in less than four bytes.");
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const uint32_t raw = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16)
                         | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
    value = static_cast<int32_t>(raw);
    used = 4;
}

std::string OscInt32::toString() const
{
    return std::to_string(value);
}

int32_t OscInt32::toInt32() const
{
    return value;
}

float OscInt32::toFloat32() const
{
    return static_cast<float>(value);
}

} // namespace zarn::osc
