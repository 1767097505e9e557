#include "DownloadPlan.h"

#include "SafePath.h"
#include "Sha256.h"
#include "zarn_core/ChangeLogName.h"

#include <QString>

#include <filesystem>
#include <stdexcept>

namespace zarn::networking {
namespace {

bool HasLocalLog(const std::filesystem::path& folder, int major, int minor)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) {
            continue;
        }
        const auto version = CL::ChangeLogName::VersionOf(it->path().filename().string());
        if (version && version->major == major && version->minor == minor) {
            return true;
        }
    }
    return false;
}

bool FileMatches(const std::filesystem::path& file, const DownloadPlanEntry& entry)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return false;
    }
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size != entry.size) {
        return false;
    }
    return Sha256::OfFile(QString::fromStdString(file.string())).toStdString() == entry.sha256;
}

} // namespace

std::unique_ptr<DownloadPlan> GetDownloadPlan(const ShowFileList& files)
{
    auto plan = std::make_unique<DownloadPlan>();
    plan->baseUrl = files.baseUrl;
    plan->record = files.record;
    for (const ShowFileEntry& file : files.files) {
        DownloadPlanEntry entry;
        entry.kind = file.kind;
        entry.major = file.major;
        entry.minor = file.minor;
        entry.path = file.path;
        entry.size = file.size;
        entry.sha256 = file.sha256;
        entry.source = file.source;
        plan->entries.push_back(std::move(entry));
    }
    return plan;
}

std::unique_ptr<DownloadPlan> ValidateDownloadPlan(std::unique_ptr<DownloadPlan> plan, const std::string& showFolder)
{
    if (!plan) {
        return std::make_unique<DownloadPlan>();
    }
    const std::filesystem::path folder = std::filesystem::absolute(showFolder).lexically_normal();
    for (const DownloadPlanEntry& entry : plan->entries) {
        if (!IsSafeRelativePath(entry.path) || (entry.kind == "LOG" && !IsSafeFileName(entry.path))) {
            throw std::invalid_argument("Refused file name from the server: \"" + entry.path
                                        + "\" would leave the show folder");
        }
    }
    std::vector<DownloadPlanEntry> kept;
    for (DownloadPlanEntry& entry : plan->entries) {
        const std::filesystem::path destination = (folder / entry.path).lexically_normal();
        if (!IsInsideFolder(folder, destination)) {
            throw std::invalid_argument("Refused file name from the server: \"" + entry.path
                                        + "\" would leave the show folder");
        }
        const bool needed = entry.kind == "LOG" ? !HasLocalLog(folder, entry.major, entry.minor)
                                                : !FileMatches(destination, entry);
        if (needed) {
            entry.destination = destination.string();
            kept.push_back(std::move(entry));
        }
    }
    plan->entries = std::move(kept);
    plan->showFolder = folder.string();
    plan->record.folder = folder.filename().string();
    return plan;
}

} // namespace zarn::networking
