#include "ChangeLog.h"

#include "ChangeLogFile.h"
#include "ChangeLogName.h"
#include "FileBytes.h"

#include <rapidjson/document.h>

#include <chrono>
#include <filesystem>
#include <algorithm>
#include <system_error>

namespace CL {
namespace {

std::uint32_t WriteTimeSeconds(const std::filesystem::path& file, std::error_code& ec)
{
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec)
        return 0;
    const auto system = std::chrono::file_clock::to_sys(written);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    if (seconds < 0)
        return 0;
    return static_cast<std::uint32_t>(std::min<long long>(seconds, 0xFFFFFFFFLL));
}

} // namespace

ChangeLog::ChangeLog(const std::string& path, const std::string& credentialFilePath)
    : path_(path)
    , credentialFilePath_(credentialFilePath)
{
    if (const auto fromName = ChangeLogName::VersionOf(path))
        version = *fromName;
    else
        problem_ = "The name does not end in -<major>.<minor>.logdata";

    // The writer's own time stamp wins; the file's write time stands in when the content
    // cannot tell.
    bool haveModified = false;
    try {
        const std::string bytes = zarn::FileBytes::Read(path, ChangeLogFile::kMaxFileBytes);
        rapidjson::Document doc;
        doc.Parse<rapidjson::kParseIterativeFlag>(bytes.data(), bytes.size());
        if (!doc.HasParseError() && doc.IsObject()) {
            const auto it = doc.FindMember("modified");
            if (it != doc.MemberEnd() && it->value.IsUint()) {
                modified = it->value.GetUint();
                haveModified = true;
            }
        } else if (problem_.empty()) {
            problem_ = "The content is not a change log";
        }
    } catch (const std::exception& e) {
        if (problem_.empty())
            problem_ = e.what();
    }
    if (!haveModified) {
        std::error_code timeError;
        modified = WriteTimeSeconds(path, timeError);
    }
}

bool operator==(const ChangeLog& a, const ChangeLog& b)
{
    return a.version == b.version && a.modified == b.modified;
}

} // namespace CL
