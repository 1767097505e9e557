#pragma once

#include "NetworkRecords.h"
#include "zarn_core/ZARNVersion.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarn::qt {

// Which version a new change-log file gets and which local file is the newest. Versions stay
// 0..255 in both numbers: a name that does not read as one (CL::ChangeLogName::VersionOf) is
// skipped, never cut to fit, and a step past 255 is refused instead of wrapping, since a
// wrapped version would sort below the file it follows.

// A save or share that would need a version past 255; the text is for the operator and
// says that nothing was written.
class VersionRefused : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The highest version among change-log file names; none when no name reads as one.
std::optional<cmn::ZARNVersion> NewestLogVersion(const std::vector<std::string>& fileNames);

// The version a local save writes: the newest local minor plus one, 0.1 when there is none.
// Throws VersionRefused at minor 255.
cmn::ZARNVersion NextSaveVersion(const std::optional<cmn::ZARNVersion>& newestLocal);

// The version a share writes: one major above the server's highest, with minor 0 (1.0 when
// the server holds none). Throws VersionRefused when the server holds major 255.
cmn::ZARNVersion NextShareVersion(const zarn::networking::ChangelogInfoList& serverLogs);

// The name of the newest change log among names in the order the folder gave them; of equal
// versions the later one wins. Empty when none reads as a version.
std::string NewestLogFileName(const std::vector<std::string>& fileNames);

// The names of the regular files in `folder`, in the order the file system gives them.
// Throws std::filesystem::filesystem_error when the folder cannot be read.
std::vector<std::string> FileNamesIn(const std::filesystem::path& folder);

// Sets the file's modification time to now; false when there is no such file or the time
// could not be set.
bool SetFileModifiedToNow(const QString& path);

} // namespace zarn::qt
