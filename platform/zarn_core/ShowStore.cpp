#include "ShowStore.h"

#include "AtomicFile.h"
#include "FileBytes.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <stdexcept>
#include <system_error>

namespace cmn {
namespace {

constexpr std::uintmax_t kMaxStoreFileBytes = 4u * 1024u * 1024u;
constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag;

void ParseJson(rapidjson::Document& doc, const std::string& bytes, const std::filesystem::path& file)
{
    doc.Parse<kParseFlags>(bytes.data(), bytes.size());
    if (doc.HasParseError())
        throw std::runtime_error("\"" + file.string() + "\" is not valid JSON: "
                                 + rapidjson::GetParseError_En(doc.GetParseError()) + " (at byte "
                                 + std::to_string(doc.GetErrorOffset()) + ")");
    if (!doc.IsObject())
        throw std::runtime_error("\"" + file.string() + "\" does not hold a JSON object");
}

std::string OptionalString(const rapidjson::Value& object, const char* name, const std::filesystem::path& file)
{
    const auto it = object.FindMember(name);
    if (it == object.MemberEnd())
        return std::string();
    if (!it->value.IsString())
        throw std::runtime_error("\"" + file.string() + "\": \"" + name + "\" is not a text");
    return std::string(it->value.GetString(), it->value.GetStringLength());
}

// The show folder must stay inside the data folder: one plain name.
bool IsPlainFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos
        && name.find('\0') == std::string::npos && name.find(':') == std::string::npos;
}

std::vector<std::uint8_t> FromHex(const std::string& hex, const char* what, const std::filesystem::path& file)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0)
        throw std::runtime_error("\"" + file.string() + "\": \"" + what + "\" is not hexadecimal");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            throw std::runtime_error("\"" + file.string() + "\": \"" + what + "\" is not hexadecimal");
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (auto b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

void WriteString(rapidjson::PrettyWriter<rapidjson::StringBuffer>& w, const char* key, const std::string& value)
{
    w.Key(key);
    w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
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
    ParseJson(doc, zarn::FileBytes::Read(file, kMaxStoreFileBytes), file);

    apiBaseUrl_ = OptionalString(doc, "apiBaseUrl", file);
    const std::string current = OptionalString(doc, "current", file);
    const auto shows = doc.FindMember("shows");
    if (shows == doc.MemberEnd())
        throw std::runtime_error("No show is installed");
    if (!shows->value.IsArray())
        throw std::runtime_error("\"" + file.string() + "\": \"shows\" is not a list");
    for (const auto& entry : shows->value.GetArray()) {
        if (!entry.IsObject())
            throw std::runtime_error("\"" + file.string() + "\": a show entry is not an object");
        ShowRecord record;
        record.id = OptionalString(entry, "id", file);
        record.folder = OptionalString(entry, "folder", file);
        record.showName = OptionalString(entry, "showName", file);
        record.customerName = OptionalString(entry, "customerName", file);
        record.authHash = OptionalString(entry, "authHash", file);
        record.apiBaseUrl = OptionalString(entry, "apiBaseUrl", file);
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
    return CurrentShowFolder() / kCredentialFileName;
}

ShowCredential ShowStore::GetCredential() const
{
    const auto file = CredentialFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return ShowCredential();
    rapidjson::Document doc;
    ParseJson(doc, zarn::FileBytes::Read(file, kMaxStoreFileBytes), file);
    ShowCredential credential;
    credential.showId = OptionalString(doc, "showId", file);
    credential.authHash = OptionalString(doc, "authHash", file);
    credential.scoreKey = FromHex(OptionalString(doc, "scoreKey", file), "scoreKey", file);
    credential.scoreIv = FromHex(OptionalString(doc, "scoreIv", file), "scoreIv", file);
    credential.accountData = OptionalString(doc, "accountData", file);
    return credential;
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
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> w(buffer);
    w.SetIndent(' ', 2);
    w.StartObject();
    WriteString(w, "current", currentId);
    if (!apiBaseUrl.empty())
        WriteString(w, "apiBaseUrl", apiBaseUrl);
    w.Key("shows");
    w.StartArray();
    for (const auto& record : shows) {
        w.StartObject();
        WriteString(w, "id", record.id);
        WriteString(w, "folder", record.folder);
        WriteString(w, "showName", record.showName);
        WriteString(w, "customerName", record.customerName);
        WriteString(w, "authHash", record.authHash);
        if (!record.apiBaseUrl.empty())
            WriteString(w, "apiBaseUrl", record.apiBaseUrl);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::string text(buffer.GetString(), buffer.GetSize());
    text += '\n';
    zarn::AtomicFile::Write(dataFolder / kFileName, text);
}

void ShowStore::WriteCredential(const std::filesystem::path& showFolder, const ShowCredential& credential)
{
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> w(buffer);
    w.SetIndent(' ', 2);
    w.StartObject();
    WriteString(w, "showId", credential.showId);
    WriteString(w, "authHash", credential.authHash);
    WriteString(w, "scoreKey", ToHex(credential.scoreKey));
    WriteString(w, "scoreIv", ToHex(credential.scoreIv));
    WriteString(w, "accountData", credential.accountData);
    w.EndObject();
    std::string text(buffer.GetString(), buffer.GetSize());
    text += '\n';
    zarn::AtomicFile::Write(showFolder / kCredentialFileName, text);
}

} // namespace cmn
