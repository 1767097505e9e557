#pragma once

#include "CipherStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn_sec {

// Reads a whole Twofish-CBC file and holds its deciphered content. Throws
// std::runtime_error with a plain message when the file is missing, has the wrong size,
// the key or IV has the wrong length, or the padding shows a wrong key or a damaged file.
class TwoFishCipherStream : public CipherStream {
public:
    TwoFishCipherStream(const std::string& path, const std::vector<uint8_t>& key,
                        const std::vector<uint8_t>& iv);
};

} // namespace zarn_sec
