#include "OutputDeviceList.h"

#include "DeviceControlWin32.h"

#include <stdexcept>

namespace zarn::qt {

int OutputDeviceList::DisplayIndexOf(const std::string& uid) const
{
    int index = 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].uid == uid)
            index = static_cast<int>(i) + 1;
    }
    return index;
}

std::string OutputDeviceList::UidAt(int displayIndex) const
{
    if (displayIndex < 1)
        return {};
    const auto position = static_cast<std::size_t>(displayIndex - 1);
    if (position >= devices.size())
        throw std::out_of_range("Output device " + std::to_string(displayIndex) + " is not in the list of "
                                + std::to_string(devices.size()) + " devices.");
    return devices[position].uid;
}

OutputDeviceList FetchOutputDeviceList()
{
    OutputDeviceList list;
    {
        const zarn::audio::DeviceControlWin32 control;
        list.devices = control.GetOutputDevices();
    }
    list.displayNames.reserve(static_cast<qsizetype>(list.devices.size()) + 1);
    list.displayNames.append(QString::fromLatin1(OutputDeviceList::kDefaultEntry));
    for (const auto& device : list.devices)
        list.displayNames.append(QString::fromStdString(device.name));
    return list;
}

} // namespace zarn::qt
