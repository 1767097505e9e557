#include "SfxProperties.h"

#include <utility>

namespace CL {

SfxProperties::SfxProperties(std::string name)
    : name_(std::move(name))
{
}

} // namespace CL
