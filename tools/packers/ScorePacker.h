#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zarn::tools {

struct ScorePage {
    std::string name;
    std::vector<uint8_t> bytes;
};

// A score file: 16 random bytes, then a tar archive (gzip-compressed by default) of PNG
// pages, the whole enciphered under the show's score key and IV in the authenticated layout
// of TwoFishCipher.h (Twofish-CBC, then the HMAC-SHA256 tag). The random prefix makes two
// packings of the same pages differ.
class ScorePacker {
public:
    // Packs the ".png" files directly in pagesFolder, by name, into scoreFile (atomically).
    // Throws std::runtime_error when the folder holds no page or a page cannot be read.
    static void Pack(const std::filesystem::path& pagesFolder, const std::filesystem::path& scoreFile,
                     const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv, bool compress = true);

    static std::vector<uint8_t> MakeArchive(const std::vector<ScorePage>& pages, bool compress);
    // Every regular entry of a tar archive (any compression libarchive reads).
    static std::vector<ScorePage> ReadArchive(const std::vector<uint8_t>& archive);

    // Deciphers a score file, drops the prefix and reads the archive.
    static std::vector<ScorePage> Unpack(const std::filesystem::path& scoreFile, const std::vector<uint8_t>& key,
                                         const std::vector<uint8_t>& iv);

    static constexpr std::size_t kPrefixBytes = 16;
};

} // namespace zarn::tools
