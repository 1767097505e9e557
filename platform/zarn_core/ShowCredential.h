#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cmn {

// The show folder's credential.json: key material and account data of the show. Every
// member is empty when the show has none (a show without a score has no score key).
struct ShowCredential
{
    std::string showId;
    std::string authHash;
    std::vector<std::uint8_t> scoreKey; // 32 bytes when present
    std::vector<std::uint8_t> scoreIv;  // 16 bytes when present
    std::string accountData;

    bool operator==(const ShowCredential&) const = default;
};

} // namespace cmn
