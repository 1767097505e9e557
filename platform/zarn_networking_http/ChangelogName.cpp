#include "ChangelogName.h"

#include <cctype>

namespace zarn::networking {
namespace {

std::optional<int> ByteNumber(const std::string& text)
{
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (unsigned char c : text) {
        if (!std::isdigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value > 255) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<ChangelogVersion> ChangelogVersionFromName(const std::string& fileName)
{
    static const std::string suffix = ".logdata";
    if (fileName.size() <= suffix.size()
        || fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    const std::string stem = fileName.substr(0, fileName.size() - suffix.size());
    const auto dash = stem.rfind('-');
    if (dash == std::string::npos) {
        return std::nullopt;
    }
    const std::string version = stem.substr(dash + 1);
    const auto dot = version.find('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    const auto major = ByteNumber(version.substr(0, dot));
    const auto minor = ByteNumber(version.substr(dot + 1));
    if (!major || !minor) {
        return std::nullopt;
    }
    return ChangelogVersion{*major, *minor};
}

} // namespace zarn::networking
