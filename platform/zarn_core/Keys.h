#pragma once

#include <string>

namespace TL {

class Keys
{
public:
    // The key's name from a MIDI-style signature: sf sharps (> 0) or flats (< 0), mi 0 for
    // major and 1 for minor: (0, 0) "C", (-3, 0) "Eb", (3, 1) "F#m". Outside -7..7 (or a
    // minor flag other than 0 or 1) gives "".
    static std::string keyNameFromSig(int sf, int mi);
};

} // namespace TL
