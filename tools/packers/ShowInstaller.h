#pragma once

#include <filesystem>
#include <string>

namespace zarn::tools {

// Points a data folder's show store at a server root: writes shows.json naming the root's
// show (its record and credential from server.json) with a file:// base address, so the
// program's first start fetches the show from the root through its download path.
class ShowInstaller {
public:
    // Throws std::runtime_error when the root has no usable server.json or shows.json
    // exists already (an installed show is never replaced).
    static void Install(const std::filesystem::path& serverRoot, const std::filesystem::path& dataFolder);

    // "file:///abs/path" with every byte outside [A-Za-z0-9-._~/] percent-encoded.
    static std::string FileUrl(const std::filesystem::path& folder);
};

} // namespace zarn::tools
