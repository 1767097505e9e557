#include "ShowStore.h"

#include "JsonObjectFile.h"

#include <stdexcept>
#include <system_error>

namespace cmn {
namespace {

constexpr std::uintmax_t kMaxStoreFileBytes = 4u * 1024u * 1024u;

// The show folder must stay inside the data folder: one plain name.
bool IsPlainFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos
        && name.find('\0') == std::string::npos && name.find(':') == std::string::npos;
}

} // namespace

ShowStore::ShowStore(std::filesystem::path dataFolder)
    : dataFolder_(std::move(dataFolder))
{
    const auto file = dataFolder_ / kFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        throw std::runtime_error("No show is installed");
    rapidjson::Document doc;
    JsonObjectFile::Read(file, kMaxStoreFileBytes, doc);

    apiBaseUrl_ = JsonObjectFile::OptionalString(doc, "apiBaseUrl", file);
    const std::string current = JsonObjectFile::OptionalString(doc, "current", file);
    const auto shows = doc.FindMember("shows");
    if (shows == doc.MemberEnd())
        throw std::runtime_error("No show is installed");
    if (!shows->value.IsArray())
        throw std::runtime_error("\"" + file.string() + "\": \"shows\" is not a list");
    for (const auto& entry : shows->value.GetArray()) {
        if (!entry.IsObject())
            throw std::runtime_error("\"" + file.string() + "\": a show entry is not an object");
        ShowRecord record;
        record.id = JsonObjectFile::OptionalString(entry, "id", file);
        record.folder = JsonObjectFile::OptionalString(entry, "folder", file);
        record.showName = JsonObjectFile::OptionalString(entry, "showName", file);
        record.customerName = JsonObjectFile::OptionalString(entry, "customerName", file);
        record.authHash = JsonObjectFile::OptionalString(entry, "authHash", file);
        record.apiBaseUrl = JsonObjectFile::OptionalString(entry, "apiBaseUrl", file);
        if (record.id.empty())
            throw std::runtime_error("\"" + file.string() + "\": a show has no id");
        if (record.folder.empty())
            record.folder = record.id;
        if (!IsPlainFolderName(record.folder))
            throw std::runtime_error("\"" + file.string() + "\": the folder \"" + record.folder + "\" of show \""
                                     + record.id + "\" is not a plain folder name inside the data folder");
        shows_.push_back(std::move(record));
    }
    if (shows_.empty())
        throw std::runtime_error("No show is installed");
    if (current.empty()) {
        current_ = 0;
        return;
    }
    for (std::size_t i = 0; i < shows_.size(); ++i) {
        if (shows_[i].id == current) {
            current_ = i;
            return;
        }
    }
    throw std::runtime_error("\"" + file.string() + "\": the current show \"" + current
                             + "\" is not among the installed shows");
}

const ShowRecord& ShowStore::CurrentShowRecord() const
{
    return shows_.at(current_);
}

const std::string& ShowStore::CurrentShowId() const
{
    return CurrentShowRecord().id;
}

const ShowRecord& ShowStore::GetShowRecord(const std::string& id) const
{
    for (const auto& record : shows_) {
        if (record.id == id)
            return record;
    }
    throw std::out_of_range("No show with the id \"" + id + "\" is installed");
}

std::filesystem::path ShowStore::CurrentShowFolder() const
{
    return dataFolder_ / CurrentShowRecord().folder;
}

std::string ShowStore::ApiBaseUrl() const
{
    if (!CurrentShowRecord().apiBaseUrl.empty())
        return CurrentShowRecord().apiBaseUrl;
    if (!apiBaseUrl_.empty())
        return apiBaseUrl_;
    return kDefaultApiBaseUrl;
}

std::filesystem::path ShowStore::CredentialFilePath() const
{
    return CurrentShowFolder() / ShowCredential::kFileName;
}

ShowCredential ShowStore::GetCredential() const
{
    return ShowCredential::TryReadFromFolder(CurrentShowFolder()).value_or(ShowCredential());
}

std::vector<std::uint8_t> ShowStore::GetScoreKey() const
{
    return GetCredential().scoreKey;
}

std::vector<std::uint8_t> ShowStore::GetScoreIv() const
{
    return GetCredential().scoreIv;
}

std::string ShowStore::GetAccountData() const
{
    return GetCredential().accountData;
}

void ShowStore::Write(const std::filesystem::path& dataFolder, const std::string& currentId,
                      const std::vector<ShowRecord>& shows, const std::string& apiBaseUrl)
{
    for (const auto& record : shows) {
        if (!IsPlainFolderName(record.folder.empty() ? record.id : record.folder))
            throw std::invalid_argument("The show folder \"" + record.folder + "\" is not a plain folder name");
    }
    JsonObjectFile::Write(dataFolder / kFileName, [&](JsonObjectFile::Writer& w) {
        JsonObjectFile::WriteString(w, "current", currentId);
        if (!apiBaseUrl.empty())
            JsonObjectFile::WriteString(w, "apiBaseUrl", apiBaseUrl);
        w.Key("shows");
        w.StartArray();
        for (const auto& record : shows) {
            w.StartObject();
            JsonObjectFile::WriteString(w, "id", record.id);
            JsonObjectFile::WriteString(w, "folder", record.folder);
            JsonObjectFile::WriteString(w, "showName", record.showName);
            JsonObjectFile::WriteString(w, "customerName", record.customerName);
            JsonObjectFile::WriteString(w, "authHash", record.authHash);
            if (!record.apiBaseUrl.empty())
                JsonObjectFile::WriteString(w, "apiBaseUrl", record.apiBaseUrl);
            w.EndObject();
        }
        w.EndArray();
    });
}

} // namespace cmn
