#pragma once

#include "ZARNVersion.h"

#include <optional>
#include <string>

namespace CL {

// Change-log file names: "<stem>-<major>.<minor>.logdata". The stem is the writer's and may
// contain "-"; the version is what lies between the last "-" and the extension.
class ChangeLogName
{
public:
    static constexpr const char* kExtension = ".logdata";

    // "<stem>-<major>.<minor>.logdata". A version above 255 throws std::out_of_range naming
    // it (no file may read back as another version); a stem that is not a plain name
    // throws std::invalid_argument.
    static std::string Compose(const std::string& stem, unsigned major, unsigned minor);
    // The version a file name (or path: only its last component is read) carries: both
    // numbers 0 to 255 in at most three digits, the extension in lower case. Empty when
    // the name does not follow the rules. The one parser of these names, for the engine,
    // the server and the download plan alike.
    static std::optional<cmn::ZARNVersion> VersionOf(const std::string& fileName);
    // Throws std::invalid_argument unless `name` is a plain file name: not empty, no "/"
    // or "\", not "." or "..", no ".." inside, no NUL.
    static void RequirePlainName(const std::string& name);
};

} // namespace CL
