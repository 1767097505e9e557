#pragma once

#include "OscParam.h"

#include <cstddef>

namespace zarn::osc {

// A string argument; also reads the address and the type-tag string of a message.
class OscString : public OscParam
{
public:
    explicit OscString(std::string v = {}) : OscParam(kOscTypeString), value(std::move(v)) {}
    // Reads a zero-terminated, zero-padded OSC string from `available` bytes at `data`;
    // `used` is a multiple of 4 and includes the terminator and the padding.
    OscString(const char* data, std::size_t available, std::size_t& used);

    std::string toString() const override;

    std::string value;
};

} // namespace zarn::osc
