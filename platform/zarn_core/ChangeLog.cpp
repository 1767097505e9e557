#include "ChangeLog.h"

#include "ChangeLogFile.h"
#include "ChangeLogName.h"

#include <rapidjson/filereadstream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

namespace CL {
namespace {

// Reads a change log only as far as its top-level "modified" member: the lists show every log
// of a show folder, and the writer puts that member near the start, so a log of thousands of
// events costs no more than a small one. Nested members of the same name are not it.
class ModifiedFinder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, ModifiedFinder>
{
public:
    bool found = false;
    bool notAnObject = false;
    std::uint32_t modified = 0;

    bool StartObject() { return Open(true); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() { return Open(false); }
    bool EndArray(rapidjson::SizeType) { return Close(); }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        nextIsModified_ = depth_ == 1 && std::string_view(text, length) == "modified";
        return true;
    }
    bool Uint(unsigned value)
    {
        if (nextIsModified_) {
            modified = value;
            found = true;
            return false; // all that was wanted: stop reading
        }
        return Default();
    }
    bool Default()
    {
        if (depth_ == 0) {
            notAnObject = true;
            return false;
        }
        nextIsModified_ = false;
        return true;
    }

private:
    bool Open(bool isObject)
    {
        if (depth_ == 0 && !isObject) {
            notAnObject = true;
            return false;
        }
        nextIsModified_ = false;
        ++depth_;
        return true;
    }
    bool Close()
    {
        --depth_;
        return true;
    }

    int depth_ = 0;
    bool nextIsModified_ = false;
};

struct ListedLogFileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Empty when the content reads as a change log as far as it was read; else why not.
std::string ReadListedModified(const std::string& path, ModifiedFinder& finder)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return "Could not read \"" + path + "\": " + error.message();
    if (size > ChangeLogFile::kMaxFileBytes)
        return "\"" + path + "\" is too large (" + std::to_string(size) + " bytes)";
    const std::unique_ptr<std::FILE, ListedLogFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return "Could not read \"" + path + "\"";
    char buffer[16384];
    rapidjson::FileReadStream stream(file.get(), buffer, sizeof buffer);
    rapidjson::Reader reader;
    reader.Parse<rapidjson::kParseIterativeFlag>(stream, finder);
    if (finder.found)
        return {};
    if (reader.HasParseError() || finder.notAnObject)
        return "The content is not a change log";
    return {};
}

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
    ModifiedFinder finder;
    const std::string contentProblem = ReadListedModified(path, finder);
    if (problem_.empty())
        problem_ = contentProblem;
    if (finder.found) {
        modified = finder.modified;
    } else {
        std::error_code timeError;
        modified = WriteTimeSeconds(path, timeError);
    }
}

bool operator==(const ChangeLog& a, const ChangeLog& b)
{
    return a.version == b.version && a.modified == b.modified;
}

} // namespace CL
