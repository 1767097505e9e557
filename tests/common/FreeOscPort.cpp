#include "FreeOscPort.h"

#include "OscSettings.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <stdexcept>
#include <string>

int FreeUdpPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::Any, 0, QAbstractSocket::DontShareAddress))
        throw std::runtime_error("no free UDP port");
    return probe.localPort();
}

int UseFreeOscPort(const std::filesystem::path& dataFolder)
{
    std::filesystem::create_directories(dataFolder);
    const int port = FreeUdpPort();
    std::string why;
    if (!zarn::osc::WriteOscSettings(zarn::osc::OscSettings(true, port), (dataFolder / "osc_settings.zarn").string(),
                                     &why))
        throw std::runtime_error(why);
    return port;
}
