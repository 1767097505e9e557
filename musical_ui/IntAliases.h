#pragma once

#include <cstdint>

// The short unsigned names that the screens' signal and slot signatures use. Connections
// made by signature string must spell them the same way, and the names are registered as
// meta-types by RegisterTimelineMetaTypes().
using UInt8 = std::uint8_t;
using UInt32 = std::uint32_t;
