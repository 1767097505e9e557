#pragma once

#include <map>
#include <string>

namespace codes {

// Kind letter -> display name, keyed on every kind: '@' "Vamp", 'A' "Repeat", 'B' "Cut",
// 'C' "Transpose", 'D' "Tempo", 'E' "Marker", 'L' "Click", 'M' "Fermata" (the skip; the
// event list shows "Skip"), 'N' "Caesura", 'Q' "Sfx", 'R' "Ambient Sfx", 'S' "OSC".
extern const std::map<unsigned char, std::string> editNameByZarnEventCode;

} // namespace codes
