#include "ShowCredential.h"

#include "JsonObjectFile.h"

#include <stdexcept>
#include <system_error>

namespace cmn {
namespace {

constexpr std::uintmax_t kMaxCredentialFileBytes = 1024u * 1024u;

std::string Fault(const std::filesystem::path& file, const std::string& what)
{
    return "\"" + file.string() + "\": " + what;
}

// Empty when the key material is usable (or absent), else what is wrong with it.
std::string KeyMaterialFault(const ShowCredential& credential)
{
    const auto keySize = credential.scoreKey.size();
    if (keySize != 0 && keySize != 16 && keySize != 24 && keySize != 32)
        return "\"scoreKey\" has the wrong length (16, 24 or 32 bytes)";
    if (!credential.scoreIv.empty() && credential.scoreIv.size() != ShowCredential::kScoreIvBytes)
        return "\"scoreIv\" has the wrong length (16 bytes)";
    if (credential.scoreKey.empty() != credential.scoreIv.empty())
        return "a score key needs its IV and an IV its key";
    return std::string();
}

std::vector<std::uint8_t> FromHex(const std::string& hex, const char* name, const std::filesystem::path& file)
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
    const std::string notHex = Fault(file, std::string("\"") + name + "\" is not hexadecimal");
    if (hex.size() % 2 != 0)
        throw std::runtime_error(notHex);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            throw std::runtime_error(notHex);
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

} // namespace

std::optional<ShowCredential> ShowCredential::TryReadFromFolder(const std::filesystem::path& showFolder)
{
    const auto file = showFolder / kFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return std::nullopt;
    rapidjson::Document doc;
    JsonObjectFile::Read(file, kMaxCredentialFileBytes, doc);
    ShowCredential credential;
    credential.showId = JsonObjectFile::OptionalString(doc, "showId", file);
    credential.authHash = JsonObjectFile::OptionalString(doc, "authHash", file);
    credential.scoreKey = FromHex(JsonObjectFile::OptionalString(doc, "scoreKey", file), "scoreKey", file);
    credential.scoreIv = FromHex(JsonObjectFile::OptionalString(doc, "scoreIv", file), "scoreIv", file);
    credential.accountData = JsonObjectFile::OptionalString(doc, "accountData", file);
    if (const auto fault = KeyMaterialFault(credential); !fault.empty())
        throw std::runtime_error(Fault(file, fault));
    return credential;
}

ShowCredential ShowCredential::ReadFromFolder(const std::filesystem::path& showFolder)
{
    auto credential = TryReadFromFolder(showFolder);
    if (!credential)
        throw std::runtime_error("No credential file in show folder \"" + showFolder.string() + "\"");
    return std::move(*credential);
}

void ShowCredential::WriteToFolder(const std::filesystem::path& showFolder) const
{
    const auto file = showFolder / kFileName;
    if (const auto fault = KeyMaterialFault(*this); !fault.empty())
        throw std::invalid_argument(Fault(file, fault));
    JsonObjectFile::Write(file, [this](JsonObjectFile::Writer& w) {
        JsonObjectFile::WriteString(w, "showId", showId);
        JsonObjectFile::WriteString(w, "authHash", authHash);
        JsonObjectFile::WriteString(w, "scoreKey", ToHex(scoreKey));
        JsonObjectFile::WriteString(w, "scoreIv", ToHex(scoreIv));
        JsonObjectFile::WriteString(w, "accountData", accountData);
    });
}

} // namespace cmn
