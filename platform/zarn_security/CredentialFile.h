#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarn_sec {

// The show's credential data, kept in the show folder as credential.json:
//   {"version": 1, "scoreKey": "<64 hex>", "scoreIv": "<32 hex>", "accountData": "<text>"}
// The score key and IV open the .score file; the IV also opens enciphered change logs
// whose key comes with their download link. The account data goes with every upload.
struct ShowCredential {
    static constexpr const char* kFileName = "credential.json";

    std::vector<uint8_t> scoreKey;
    std::vector<uint8_t> scoreIv;
    std::string accountData;

    // Reads showFolder/credential.json. Throws std::runtime_error naming the file when it
    // is missing, is not valid JSON, or holds keys of the wrong form.
    static ShowCredential ReadFromFolder(const std::filesystem::path& showFolder);

    // As ReadFromFolder, but an absent file gives no value (a show without a score or
    // shared logs needs none). A present but broken file still throws.
    static std::optional<ShowCredential> TryReadFromFolder(const std::filesystem::path& showFolder);

    // Writes showFolder/credential.json atomically; throws std::runtime_error on failure.
    void WriteToFolder(const std::filesystem::path& showFolder) const;

    // A new credential with random 32-byte key and 16-byte IV.
    static ShowCredential Generate(std::string accountData);
};

} // namespace zarn_sec
