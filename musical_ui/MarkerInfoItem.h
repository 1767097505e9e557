#pragma once

#include "zarn_core/ZarnEvent.h"

#include <QMetaType>

#include <cstdint>
#include <string>

namespace zarn::qt {

// One row of the marker list, and the key by which the timeline finds a chosen marker.
struct MarkerInfoItem
{
    MarkerInfoItem() = default;
    MarkerInfoItem(std::string name, std::string location, std::uint32_t tick);

    std::string name;
    std::string location; // the engine's bar text of the tick
    std::uint32_t tick = 0;

    bool operator==(const MarkerInfoItem& other) const = default;
};

// The record by which a marker's row is found: the location stays empty.
MarkerInfoItem MakeMarkerInfoItem(const cmn::ZarnEvent& marker);

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::MarkerInfoItem)
