#pragma once

#include <string>

namespace CL {

// What an OSC cue sends and to which network destination (a NetworkPath id).
class OscProperties
{
public:
    OscProperties() = default;
    OscProperties(std::string message, std::string networkId);

    const std::string& Message() const { return message_; }
    const std::string& NetworkId() const { return networkId_; }
    void Message(std::string message) { message_ = std::move(message); }
    void NetworkId(std::string networkId) { networkId_ = std::move(networkId); }

    bool empty() const { return message_.empty() && networkId_.empty(); }
    bool operator==(const OscProperties&) const = default;

private:
    std::string message_;
    std::string networkId_;
};

} // namespace CL
