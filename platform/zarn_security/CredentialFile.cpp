#include "ShowCredential.h"

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
                                   std::size_t expectedSize, const std::string& path)
{
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd() || !member->value.IsString()) {
        throw std::runtime_error("Credential file " + path + " lacks the text \"" + name + "\"");
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = FromHex(member->value.GetString());
    } catch (const std::invalid_argument&) {
        throw std::runtime_error("Credential file " + path + ": \"" + name + "\" is not hexadecimal");
    }
    if (bytes.size() != expectedSize) {
        throw std::runtime_error("Credential file " + path + ": \"" + name + "\" must be "
                                 + std::to_string(expectedSize) + " bytes");
    }
    return bytes;
}

} // namespace

ShowCredential ShowCredential::ReadFromFolder(const std::filesystem::path& showFolder)
{
    auto credential = TryReadFromFolder(showFolder);
    if (!credential) {
        throw std::runtime_error("No credential file in show folder " + showFolder.string());
    }
    return *credential;
}

std::optional<ShowCredential> ShowCredential::TryReadFromFolder(const std::filesystem::path& showFolder)
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
    ShowCredential credential;
    credential.scoreKey = ReadHexMember(document, "scoreKey", 32, path);
    credential.scoreIv = ReadHexMember(document, "scoreIv", kTwoFishBlockSize, path);
    const auto account = document.FindMember("accountData");
    if (account != document.MemberEnd()) {
        if (!account->value.IsString()) {
            throw std::runtime_error("Credential file " + path + ": \"accountData\" is not a text");
        }
        credential.accountData.assign(account->value.GetString(), account->value.GetStringLength());
    }
    return credential;
}

void ShowCredential::WriteToFolder(const std::filesystem::path& showFolder) const
{
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("version");
    writer.Int(1);
    writer.Key("scoreKey");
    writer.String(ToHex(scoreKey).c_str());
    writer.Key("scoreIv");
    writer.String(ToHex(scoreIv).c_str());
    writer.Key("accountData");
    writer.String(accountData.c_str(), static_cast<rapidjson::SizeType>(accountData.size()));
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

ShowCredential ShowCredential::Generate(std::string accountData)
{
    ShowCredential credential;
    credential.scoreKey = RandomBytes(32);
    credential.scoreIv = RandomBytes(kTwoFishBlockSize);
    credential.accountData = std::move(accountData);
    return credential;
}

} // namespace zarn_sec
