#include "OscCommandParts.h"

#include <stdexcept>
#include <vector>

namespace zarn::osc {

namespace {

// Splits at every '/'; empty parts between slashes count, a trailing '/' adds none.
std::vector<std::string> splitAddress(const std::string& address)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < address.size()) {
        const std::size_t slash = address.find('/', start);
        if (slash == std::string::npos) {
            parts.push_back(address.substr(start));
            break;
        }
        parts.push_back(address.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

} // namespace

OscCommandParts ParseCommandAddress(const std::string& address)
{
    static const std::string prefix = "/zarn/";
    if (address.size() < prefix.size())
        throw std::runtime_error("OSC command is too short for processing.");
    if (address.compare(0, prefix.size(), prefix) != 0)
        throw std::runtime_error("OSC commands to ZARN software must start with /zarn/");

    const std::vector<std::string> parts = splitAddress(address);
    OscCommandParts result;
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (i + 1 == parts.size()) {
            result.action = parts[i];
            break;
        }
        const std::string& key = parts[i];
        const std::string& value = parts[i + 1];
        if (key == "show") {
            result.show = value;
        } else if (key == "song") {
            result.song = value;
        } else if (key == "event") {
            result.id = value;
            result.isEvent = true;
        } else if (key == "sfx") {
            result.id = value;
            result.isSfx = true;
        } else {
            throw std::runtime_error("Unknown OSC command part: " + key);
        }
        ++i;
    }
    return result;
}

} // namespace zarn::osc
