#pragma once

#include <string>

namespace CL {

// A named output of the show bound to an audio device (empty device id: the default).
class OutputPath
{
public:
    OutputPath() = default;
    OutputPath(std::string id, std::string name, std::string deviceId);
    OutputPath(std::string id, std::string name, std::string deviceId, std::string deviceName);

    const std::string& GetId() const { return id_; }
    const std::string& GetName() const { return name_; }
    const std::string& GetDeviceId() const { return deviceId_; }
    const std::string& GetDeviceName() const { return deviceName_; }
    void SetName(std::string name) { name_ = std::move(name); }
    void SetDeviceId(std::string deviceId) { deviceId_ = std::move(deviceId); }
    void SetDeviceName(std::string deviceName) { deviceName_ = std::move(deviceName); }

    bool operator==(const OutputPath&) const = default;

private:
    std::string id_;
    std::string name_;
    std::string deviceId_;
    std::string deviceName_;
};

} // namespace CL
