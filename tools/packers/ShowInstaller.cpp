#include "ShowInstaller.h"

#include "zarn_core/ShowRecord.h"
#include "zarn_core/ShowStore.h"

#include <rapidjson/document.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zarn::tools {
namespace {

std::string Text(const rapidjson::Value& object, const char* name)
{
    if (!object.IsObject()) {
        return {};
    }
    const auto member = object.FindMember(name);
    return member != object.MemberEnd() && member->value.IsString()
        ? std::string(member->value.GetString(), member->value.GetStringLength())
        : std::string();
}

} // namespace

std::string ShowInstaller::FileUrl(const std::filesystem::path& folder)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const std::string path = std::filesystem::absolute(folder).lexically_normal().generic_string();
    std::string url = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
            || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url.push_back(static_cast<char>(c));
        } else {
            url.push_back('%');
            url.push_back(digits[c >> 4]);
            url.push_back(digits[c & 0x0F]);
        }
    }
    while (url.size() > 8 && url.back() == '/') {
        url.pop_back();
    }
    return url;
}

void ShowInstaller::Install(const std::filesystem::path& serverRoot, const std::filesystem::path& dataFolder)
{
    const auto storeFile = dataFolder / cmn::ShowStore::kFileName;
    std::error_code ec;
    if (std::filesystem::exists(storeFile, ec)) {
        throw std::runtime_error("A show is installed already: " + storeFile.string());
    }
    std::ifstream in(serverRoot / "server.json", std::ios::binary);
    if (!in) {
        throw std::runtime_error("No server.json in " + serverRoot.string());
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    if (document.HasParseError() || !document.IsObject()) {
        throw std::runtime_error("server.json in " + serverRoot.string() + " is not a JSON object");
    }
    cmn::ShowRecord record;
    const auto recordMember = document.FindMember("record");
    if (recordMember != document.MemberEnd()) {
        record.id = Text(recordMember->value, "id");
        record.showName = Text(recordMember->value, "showName");
        record.customerName = Text(recordMember->value, "customerName");
    }
    record.authHash = Text(document, "authHash");
    if (record.id.empty() || record.authHash.empty()) {
        throw std::runtime_error("server.json in " + serverRoot.string() + " names no show id or credential");
    }
    record.folder = record.id;
    record.apiBaseUrl = FileUrl(serverRoot);
    std::filesystem::create_directories(dataFolder);
    cmn::ShowStore::Write(dataFolder, record.id, {record}, record.apiBaseUrl);
}

} // namespace zarn::tools
