#pragma once

#include "OscParam.h"

#include <cstddef>

namespace zarn::osc {

class OscFloat32 : public OscParam
{
public:
    explicit OscFloat32(float v = 0.0f) : OscParam(kOscTypeFloat32), value(v) {}
    // Reads a big-endian IEEE 754 single from `available` bytes at `data`.
    OscFloat32(const char* data, std::size_t available, std::size_t& used);

    std::string toString() const override;
    float toFloat32() const override;

    float value;
};

} // namespace zarn::osc
