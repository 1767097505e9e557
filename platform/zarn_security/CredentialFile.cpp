#include "CredentialFile.h"

#include "HexText.h"
#include "TwoFishCipher.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zarn_sec {
namespace {

std::vector<uint8_t> ReadHexMember(const rapidjson::Value& object, const char* name,
                                   const std::vector<std::size_t>& allowedSizes, const std::string& path)
{
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd()) {
        return {};
    }
    if (!member->value.IsString()) {
        throw std::runtime_error("Credential file " + path + ": \"" + name + "\" is not a text");
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = FromHex(member->value.GetString());
    } catch (const std::invalid_argument&) {
        throw std::runtime_error("Credential file " + path + ": \"" + name + "\" is not hexadecimal");
    }
    if (bytes.empty()) {
        return bytes;
    }
    for (std::size_t size : allowedSizes) {
        if (bytes.size() == size) {
            return bytes;
        }
    }
    throw std::runtime_error("Credential file " + path + ": \"" + name + "\" has the wrong length");
}

std::string ReadText(const rapidjson::Value& object, const char* name, const std::string& path)
{
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd()) {
        return {};
    }
    if (!member->value.IsString()) {
        throw std::runtime_error("Credential file " + path + ": \"" + name + "\" is not a text");
    }
    return std::string(member->value.GetString(), member->value.GetStringLength());
}

void WriteText(rapidjson::PrettyWriter<rapidjson::StringBuffer>& writer, const char* name, const std::string& text)
{
    writer.Key(name);
    writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
}

} // namespace

CredentialFile CredentialFile::ReadFromFolder(const std::filesystem::path& showFolder)
{
    auto credential = TryReadFromFolder(showFolder);
    if (!credential) {
        throw std::runtime_error("No credential file in show folder " + showFolder.string());
    }
    return *credential;
}

std::optional<CredentialFile> CredentialFile::TryReadFromFolder(const std::filesystem::path& showFolder)
{
    const std::filesystem::path file = showFolder / kFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return std::nullopt;
    }
    const std::string path = file.string();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Unable to open credential file " + path);
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    if (document.HasParseError() || !document.IsObject()) {
        throw std::runtime_error("Credential file " + path + " is not a JSON object");
    }
    CredentialFile credential;
    credential.scoreKey = ReadHexMember(document, "scoreKey", {16, 24, 32}, path);
    credential.scoreIv = ReadHexMember(document, "scoreIv", {kTwoFishBlockSize}, path);
    if (credential.scoreKey.empty() != credential.scoreIv.empty()) {
        throw std::runtime_error("Credential file " + path + " has a score key without an IV or the reverse");
    }
    credential.showId = ReadText(document, "showId", path);
    credential.authHash = ReadText(document, "authHash", path);
    credential.accountData = ReadText(document, "accountData", path);
    return credential;
}

void CredentialFile::WriteToFolder(const std::filesystem::path& showFolder) const
{
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    WriteText(writer, "showId", showId);
    WriteText(writer, "authHash", authHash);
    WriteText(writer, "scoreKey", ToHex(scoreKey));
    WriteText(writer, "scoreIv", ToHex(scoreIv));
    WriteText(writer, "accountData", accountData);
    writer.EndObject();

    const std::filesystem::path target = showFolder / kFileName;
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(buffer.GetString(), static_cast<std::streamsize>(buffer.GetSize()));
        out.put('\n');
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("Unable to write credential file " + target.string());
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("Unable to write credential file " + target.string() + ": "
                                 + ec.message());
    }
}

CredentialFile CredentialFile::Generate(std::string showId, std::string authHash, std::string accountData)
{
    CredentialFile credential;
    credential.showId = std::move(showId);
    credential.authHash = std::move(authHash);
    credential.scoreKey = RandomBytes(32);
    credential.scoreIv = RandomBytes(kTwoFishBlockSize);
    credential.accountData = std::move(accountData);
    return credential;
}

} // namespace zarn_sec
