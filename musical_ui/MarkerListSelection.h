#pragma once

#include <cstdint>

namespace zarn::qt {

// The payload of the bus name editControllerMarkerListSelected: the chosen marker's tick
// and whether the engine was playing. It lives only during the synchronous Notify call.
struct MarkerListSelection
{
    std::int32_t tick = 0;
    bool playing = false;
};

} // namespace zarn::qt
