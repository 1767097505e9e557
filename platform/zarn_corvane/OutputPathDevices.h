#pragma once

#include <map>
#include <string>

namespace zarn::player {

// This machine's device for each output path of a show: the show folder's
// outputpathdevices.json, written by the output paths window ({"outputpaths": [{"id", "hwid"}]};
// an empty hwid is the default device). The engine reads it once at show load; the program
// hands later choices to the engine itself.
struct OutputPathDevices
{
    static constexpr const char* kFileName = "outputpathdevices.json";

    // Path id to device id. A missing file is no choice yet: every path on the default
    // device, no problem. A file that cannot be read gives what it could read (nothing for a
    // broken document) and `problem` saying why.
    static std::map<std::string, std::string> Read(const std::string& showFolder, std::string* problem);
};

} // namespace zarn::player
