#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarn_sec {

// The show folder's credential.json, as the core library's show store also reads it:
//   {"showId", "authHash", "scoreKey": "<hex>", "scoreIv": "<32 hex>", "accountData"}
// The score key and IV open the .score file; the IV also opens an enciphered change log
// whose key comes with its download link. Keys are empty for a show without a score.
struct CredentialFile {
    static constexpr const char* kFileName = "credential.json";

    std::string showId;
    std::string authHash;
    std::vector<uint8_t> scoreKey; // 16, 24 or 32 bytes, or empty
    std::vector<uint8_t> scoreIv;  // 16 bytes, or empty
    std::string accountData;

    // Reads showFolder/credential.json. Throws std::runtime_error naming the file when it
    // is missing, is not valid JSON, or holds keys of the wrong form.
    static CredentialFile ReadFromFolder(const std::filesystem::path& showFolder);

    // As ReadFromFolder, but an absent file gives no value. A present but broken file
    // still throws.
    static std::optional<CredentialFile> TryReadFromFolder(const std::filesystem::path& showFolder);

    // Writes showFolder/credential.json atomically; throws std::runtime_error on failure.
    void WriteToFolder(const std::filesystem::path& showFolder) const;

    // A new credential with a random 32-byte key and 16-byte IV.
    static CredentialFile Generate(std::string showId, std::string authHash, std::string accountData);
};

} // namespace zarn_sec
