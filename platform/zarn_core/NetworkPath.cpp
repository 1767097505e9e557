#include "NetworkPath.h"

#include <utility>

namespace CL {

NetworkPath::NetworkPath(std::string networkId, std::string name, std::string ipAddress, std::int32_t port,
                         std::int32_t tcp)
    : port(port)
    , tcp(tcp)
    , networkId_(std::move(networkId))
    , name_(std::move(name))
    , ipAddress_(std::move(ipAddress))
{
}

} // namespace CL
