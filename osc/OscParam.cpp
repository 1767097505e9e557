#include "OscParam.h"

#include <stdexcept>

namespace zarn::osc {

OscParam::~OscParam() = default;

std::string OscParam::toString() const
{
    throw std::runtime_error("Parameter does not convert to string.");
}

int32_t OscParam::toInt32() const
{
    throw std::runtime_error("Parameter does not convert to int32.");
}

float OscParam::toFloat32() const
{
    throw std::runtime_error("Parameter does not convert to float32.");
}

} // namespace zarn::osc
