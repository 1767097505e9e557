#include "MarkerInfoItem.h"

#include <utility>

namespace zarn::qt {

MarkerInfoItem::MarkerInfoItem(std::string name, std::string location, std::uint32_t tick)
    : name(std::move(name)), location(std::move(location)), tick(tick)
{
}

MarkerInfoItem MakeMarkerInfoItem(const cmn::ZarnEvent& marker)
{
    return MarkerInfoItem(marker.value(), "", marker.abs_time());
}

} // namespace zarn::qt
