#include "OscProperties.h"

#include <utility>

namespace CL {

OscProperties::OscProperties(std::string message, std::string networkId)
    : message_(std::move(message))
    , networkId_(std::move(networkId))
{
}

} // namespace CL
