#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zarn::networking {

// Fetches one file from a download link (a change log's link from the server) and writes it
// to a destination path through a temporary file beside it (zarn::AtomicFile), which replaces
// the destination only once it is complete and checked. extra, when it is a SHA-256 in hex,
// must match the fetched bytes. With a key, the bytes are authenticated and deciphered (the
// layout of TwoFishCipher.h, key and IV) before they are written, so a wrong key or damage
// writes nothing; without one they stream to disk as they arrive. Throws std::runtime_error
// with a plain message on any failure, a failed write included; the destination is then
// untouched.
class ZARNDownloader {
public:
    ZARNDownloader();

    void SetTimeout(std::chrono::milliseconds timeout);

    void Download(const std::string& link, const std::string& destinationPath, const std::string& extra,
                  const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv);

    // The same, with the key as the link record's hex text and the IV from the show's
    // credential file (read only when the key is not empty).
    void DownloadForShow(const std::string& link, const std::string& destinationPath, const std::string& extra,
                         const std::string& keyHex, const std::filesystem::path& showFolder);

    static constexpr int64_t kMaxBytes = 64 * 1024 * 1024;

private:
    int timeoutMs_ = 15000;
};

} // namespace zarn::networking
