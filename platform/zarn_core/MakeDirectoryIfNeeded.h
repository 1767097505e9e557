#pragma once

#include <string>

namespace zarn {

// Creates the folder and any missing parents. A failure (a file in the way, no
// permission) throws std::filesystem::filesystem_error.
void MakeDirectoryIfNeeded(const std::string& folder);

} // namespace zarn
