#pragma once

#include <optional>
#include <string>

namespace zarn::networking {

struct ChangelogVersion {
    int major = 0;
    int minor = 0;
};

// The version of a change-log file name "<stem>-<major>.<minor>.logdata": the text between
// the last '-' and the suffix, both numbers 0 to 255. No value for any other name.
std::optional<ChangelogVersion> ChangelogVersionFromName(const std::string& fileName);

} // namespace zarn::networking
