#pragma once

#include "OscParam.h"

#include <cstddef>

namespace zarn::osc {

class OscInt32 : public OscParam
{
public:
    explicit OscInt32(int32_t v = 0) : OscParam(kOscTypeInt32), value(v) {}
    // Reads a big-endian int32 from `available` bytes at `data`.
    OscInt32(const char* data, std::size_t available, std::size_t& used);

    std::string toString() const override;
    int32_t toInt32() const override;
    float toFloat32() const override;

    int32_t value;
};

} // namespace zarn::osc
