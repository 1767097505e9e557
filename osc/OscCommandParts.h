#pragma once

#include <string>

namespace zarn::osc {

// What an address under "/zarn/" names: optional show, song and event or sound-effect
// id, and the action (the last part).
struct OscCommandParts
{
    std::string show;
    std::string song;
    std::string id;
    std::string action;
    bool isEvent = false;
    bool isSfx = false;
};

// Reads an address such as "/zarn/show/my_show/song/12/fadeto". Throws
// std::runtime_error for a short address, a wrong prefix or an unknown key.
OscCommandParts ParseCommandAddress(const std::string& address);

} // namespace zarn::osc
