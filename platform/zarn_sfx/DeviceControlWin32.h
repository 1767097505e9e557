#pragma once

#include "AudioDevice.h"

#include <optional>
#include <vector>

namespace zarn::audio {

// Lists the machine's audio outputs (through Qt Multimedia on every platform). Without an
// application object or an audio system the list is empty.
class DeviceControlWin32
{
public:
    DeviceControlWin32() = default;

    std::vector<AudioDevice> GetOutputDevices() const;

    // Replaces the system's list in tests; nullopt returns to the system's.
    static void SetDevicesForTesting(std::optional<std::vector<AudioDevice>> devices);
};

} // namespace zarn::audio
