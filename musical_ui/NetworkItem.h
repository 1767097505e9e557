#pragma once

#include "DualRoleItem.h"

#include <QString>

#include <cstdint>

namespace zarn {

// One OSC network destination of the change log, as the screens show and edit it. The
// address is kept as typed: nothing here parses or checks it.
class NetworkItem : public DualRoleItem
{
public:
    NetworkItem() = default;
    ~NetworkItem() override;

    // The destination's name.
    QString first() override;
    // "address:port, MODE", as in "127.0.0.1:8001, UDP".
    QString second() override;

    std::int32_t port = 8001;
    QString name = QStringLiteral("Network Destination");
    QString ipAddress = QStringLiteral("127.0.0.1");
    QString networkId;
    // "udp" or "tcp"; only the exact "tcp" goes back to the log as TCP.
    QString mode = QStringLiteral("udp");
};

} // namespace zarn
