#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace CL {

// An OSC network destination of the change log.
class NetworkPath
{
public:
    NetworkPath() = default;
    NetworkPath(std::string networkId, std::string name, std::string ipAddress, std::int32_t port,
                std::int32_t tcp = 0);

    const std::string& Name() const { return name_; }
    const std::string& IpAddress() const { return ipAddress_; }
    const std::string& NetworkId() const { return networkId_; }
    void Name(std::string name) { name_ = std::move(name); }
    void IpAddress(std::string ip) { ipAddress_ = std::move(ip); }
    void NetworkId(std::string id) { networkId_ = std::move(id); }

    std::int32_t port = 0;
    std::int32_t tcp = 0; // 1 for TCP, 0 for UDP

    bool operator==(const NetworkPath&) const = default;

private:
    std::string networkId_;
    std::string name_;
    std::string ipAddress_;
};

using NetworkPathVectorT = std::vector<NetworkPath>;

} // namespace CL
