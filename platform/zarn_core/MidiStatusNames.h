#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace std_midi::sb {

// MIDI status byte (channel bits zero for channel messages) -> name. A status missing
// from the table throws std::out_of_range through .at().
extern const std::map<std::uint8_t, std::string> status_names;

} // namespace std_midi::sb
