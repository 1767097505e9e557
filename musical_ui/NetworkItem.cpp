#include "NetworkItem.h"

namespace zarn {

NetworkItem::~NetworkItem() = default;

QString NetworkItem::first()
{
    return name;
}

QString NetworkItem::second()
{
    return ipAddress + QLatin1Char(':') + QString::number(port) + QStringLiteral(", ") + mode.toUpper();
}

} // namespace zarn
