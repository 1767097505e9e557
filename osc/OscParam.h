#pragma once

#include <cstdint>
#include <string>

namespace zarn::osc {

// Type codes of the OSC type-tag characters this system knows.
enum OscTypeCode : int32_t {
    kOscTypeUnknown = 0,
    kOscTypeInt32 = 1,
    kOscTypeFloat32 = 2,
    kOscTypeString = 3,
    kOscTypeBlob = 4,
};

// One argument of an OSC message. The conversions fail by default; each argument
// kind overrides only the ones that make sense for it.
class OscParam
{
public:
    explicit OscParam(int32_t typeCode = kOscTypeUnknown) : type(typeCode) {}
    OscParam(const OscParam&) = default;
    OscParam& operator=(const OscParam&) = default;
    virtual ~OscParam();

    virtual std::string toString() const;
    virtual int32_t toInt32() const;
    virtual float toFloat32() const;

    int32_t type;
};

} // namespace zarn::osc
