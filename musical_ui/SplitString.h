#pragma once

#include <string>
#include <vector>

namespace zarn::qt {

// Cuts `text` at each `delimiter`, left to right, at most `maxCuts` times (a negative count
// never stops the cutting; 0 leaves the text whole). The rest after the last cut is the
// last piece, possibly empty, so n cuts always give n + 1 pieces.
std::vector<std::string> SplitString(const std::string& text, const char& delimiter, int maxCuts);

} // namespace zarn::qt
