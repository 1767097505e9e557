#pragma once

#include <string>
#include <utility>

namespace kit::path {

// (everything before the last separator, the last component). "a/b/c.txt" gives
// ("a/b", "c.txt"); a name without a separator gives ("", name); the root keeps its slash.
std::pair<std::string, std::string> split(const std::string& path);

// (root, extension) cut at the last "." of the last component; the extension keeps its
// dot. "x/3.1.logdata" gives ("x/3.1", ".logdata"); leading dots of the name do not
// start an extension (".hidden" gives (".hidden", "")).
std::pair<std::string, std::string> splitext(const std::string& path);

} // namespace kit::path
