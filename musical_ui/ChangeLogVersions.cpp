#include "ChangeLogVersions.h"

#include "zarn_core/ChangeLogName.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace zarn::qt {

namespace {

constexpr std::uint16_t kHighest = 255;

std::string Text(const cmn::ZARNVersion& version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor);
}

} // namespace

std::optional<cmn::ZARNVersion> NewestLogVersion(const std::vector<std::string>& fileNames)
{
    std::optional<cmn::ZARNVersion> newest;
    for (const std::string& name : fileNames) {
        const std::optional<cmn::ZARNVersion> version = CL::ChangeLogName::VersionOf(name);
        if (version && (!newest || *version > *newest))
            newest = version;
    }
    return newest;
}

cmn::ZARNVersion NextSaveVersion(const std::optional<cmn::ZARNVersion>& newestLocal)
{
    if (!newestLocal)
        return {0, 1};
    if (newestLocal->minor >= kHighest) {
        throw VersionRefused("The newest saved log is version " + Text(*newestLocal)
                             + ", the last local version there can be after " + std::to_string(newestLocal->major)
                             + ".0, so nothing was saved. Share your edits to start a new version.");
    }
    return {newestLocal->major, static_cast<std::uint16_t>(newestLocal->minor + 1)};
}

cmn::ZARNVersion NextShareVersion(const zarn::networking::ChangelogInfoList& serverLogs)
{
    int highest = 0;
    for (const zarn::networking::ChangelogInfo& log : serverLogs)
        highest = std::max<int>(highest, log.major);
    if (highest >= kHighest) {
        throw VersionRefused("The server already holds log version " + std::to_string(highest)
                             + ", the last version there can be, so these edits cannot be shared; nothing was "
                               "saved or uploaded.");
    }
    return {static_cast<std::uint16_t>(highest + 1), 0};
}

std::string NewestLogFileName(const std::vector<std::string>& fileNames)
{
    std::optional<cmn::ZARNVersion> newest;
    std::string newestName;
    for (const std::string& name : fileNames) {
        const std::optional<cmn::ZARNVersion> version = CL::ChangeLogName::VersionOf(name);
        if (version && (!newest || *version >= *newest)) {
            newest = version;
            newestName = name;
        }
    }
    return newestName;
}

std::vector<std::string> FileNamesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        std::error_code error;
        if (entry.is_regular_file(error))
            names.push_back(entry.path().filename().string());
    }
    return names;
}

bool SetFileModifiedToNow(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
}

} // namespace zarn::qt
