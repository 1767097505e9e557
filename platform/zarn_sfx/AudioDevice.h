#pragma once

#include <string>

namespace zarn::audio {

// One audio output: what the user sees and the id that selects it (empty: the default).
struct AudioDevice
{
    std::string name;
    std::string uid;
    bool operator==(const AudioDevice&) const = default;
};

} // namespace zarn::audio
