#include "SplitString.h"

namespace zarn::qt {

std::vector<std::string> SplitString(const std::string& text, const char& delimiter, int maxCuts)
{
    std::vector<std::string> pieces;
    if (maxCuts == 0) {
        pieces.push_back(text);
        return pieces;
    }
    std::string::size_type position = 0;
    int cuts = 0;
    while (position < text.size()) {
        const std::string::size_type found = text.find(delimiter, position);
        if (found == std::string::npos)
            break;
        pieces.push_back(text.substr(position, found - position));
        position = found + 1;
        if (++cuts == maxCuts)
            break;
    }
    pieces.push_back(position < text.size() ? text.substr(position) : std::string());
    return pieces;
}

} // namespace zarn::qt
