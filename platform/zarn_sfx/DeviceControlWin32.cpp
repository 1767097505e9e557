#include "DeviceControlWin32.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>

#include <mutex>

namespace zarn::audio {

namespace {

std::mutex& TestingMutex()
{
    static std::mutex m;
    return m;
}

std::optional<std::vector<AudioDevice>>& TestingDevices()
{
    static std::optional<std::vector<AudioDevice>> devices;
    return devices;
}

} // namespace

void DeviceControlWin32::SetDevicesForTesting(std::optional<std::vector<AudioDevice>> devices)
{
    std::lock_guard lock(TestingMutex());
    TestingDevices() = std::move(devices);
}

std::vector<AudioDevice> DeviceControlWin32::GetOutputDevices() const
{
    {
        std::lock_guard lock(TestingMutex());
        if (TestingDevices())
            return *TestingDevices();
    }
    std::vector<AudioDevice> devices;
    if (!QCoreApplication::instance())
        return devices;
    for (const QAudioDevice& d : QMediaDevices::audioOutputs())
        devices.push_back({d.description().toStdString(), QString::fromUtf8(d.id()).toStdString()});
    return devices;
}

} // namespace zarn::audio
