#include "OutputPath.h"

#include <utility>

namespace CL {

OutputPath::OutputPath(std::string id, std::string name, std::string deviceId)
    : id_(std::move(id))
    , name_(std::move(name))
    , deviceId_(std::move(deviceId))
{
}

OutputPath::OutputPath(std::string id, std::string name, std::string deviceId, std::string deviceName)
    : id_(std::move(id))
    , name_(std::move(name))
    , deviceId_(std::move(deviceId))
    , deviceName_(std::move(deviceName))
{
}

} // namespace CL
