#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cmn {

// The show folder's credential.json: key material and account data of the show.
//   {"showId", "authHash", "scoreKey": "<hex>", "scoreIv": "<32 hex>", "accountData"}
// The score key and IV open the .score file; the IV also opens an enciphered change log
// whose key comes with its download link. Every member is empty when the show has none
// (a show without a score has no score key). Everything that reads or writes the file
// goes through here.
struct ShowCredential
{
    static constexpr const char* kFileName = "credential.json";
    static constexpr std::size_t kScoreIvBytes = 16; // one cipher block

    std::string showId;
    std::string authHash;
    std::vector<std::uint8_t> scoreKey; // 16, 24 or 32 bytes, or empty
    std::vector<std::uint8_t> scoreIv;  // kScoreIvBytes, or empty
    std::string accountData;

    bool operator==(const ShowCredential&) const = default;

    // Reads showFolder/credential.json; no value when the file is absent. A file that is
    // there but cannot be read, is not a JSON object, has a member that is not a text, or
    // keys that are not hexadecimal, of the wrong length or one without the other throws
    // std::runtime_error naming the file.
    static std::optional<ShowCredential> TryReadFromFolder(const std::filesystem::path& showFolder);
    // As TryReadFromFolder, but an absent file throws std::runtime_error too.
    static ShowCredential ReadFromFolder(const std::filesystem::path& showFolder);

    // Writes showFolder/credential.json atomically, keys as hex. Key material that could
    // not be read back throws std::invalid_argument; a failed write std::runtime_error
    // naming the file. Either way the old file is untouched.
    void WriteToFolder(const std::filesystem::path& showFolder) const;
};

} // namespace cmn
