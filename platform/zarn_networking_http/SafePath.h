#pragma once

#include <filesystem>
#include <string>

namespace zarn::networking {

// Names that come from a server are checked before they touch the file system.

// A relative path of '/'-separated segments that cannot leave its folder: not empty, not
// absolute, no "." or ".." or empty segment, no backslash, colon or control character.
bool IsSafeRelativePath(const std::string& path);

// A single file name: a safe relative path without any separator.
bool IsSafeFileName(const std::string& name);

// True when path, made absolute and normalised, lies strictly inside folder.
bool IsInsideFolder(const std::filesystem::path& folder, const std::filesystem::path& path);

} // namespace zarn::networking
