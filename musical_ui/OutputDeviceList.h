#pragma once

#include "AudioDevice.h"

#include <QStringList>

#include <string>
#include <vector>

namespace zarn::qt {

// The machine's output devices as every device picker offers them: "(default)" first, standing
// for the empty device id (the system's default), then each device's name in the audio-device
// library's order, so display position i + 1 is device i. A snapshot: a device that comes or
// goes later is seen only by a list fetched later.
struct OutputDeviceList
{
    static constexpr const char* kDefaultEntry = "(default)";

    std::vector<zarn::audio::AudioDevice> devices;
    QStringList displayNames;

    // The display position of a device id: the last device whose id is exactly `uid` (byte for
    // byte, so letter case counts), else 0, "(default)", also for an id that is no longer listed.
    int DisplayIndexOf(const std::string& uid) const;
    // The device id at a display position: empty for 0 (or below); throws std::out_of_range for
    // a position past the last device.
    std::string UidAt(int displayIndex) const;
};

// Asks the audio-device library once (zarn::audio::DeviceControlWin32, which tests replace
// through its SetDevicesForTesting hook). GUI thread.
OutputDeviceList FetchOutputDeviceList();

} // namespace zarn::qt
