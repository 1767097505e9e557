#include "OutputDeviceList.h"

#include "DeviceControlWin32.h"

namespace zarn::qt {

QStringList OutputDeviceChoices(const std::vector<zarn::audio::AudioDevice>& devices)
{
    QStringList choices;
    choices.reserve(static_cast<qsizetype>(devices.size()) + 1);
    choices.append(QStringLiteral("(default)"));
    for (const auto& device : devices)
        choices.append(QString::fromStdString(device.name));
    return choices;
}

QStringList OutputDeviceChoices()
{
    return OutputDeviceChoices(zarn::audio::DeviceControlWin32().GetOutputDevices());
}

} // namespace zarn::qt
