#pragma once

#include "CipherStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn_sec {

// Reads a whole enciphered file (the layout of TwoFishCipher.h) and holds its deciphered
// content. Throws std::runtime_error with a plain message when the file is missing, has a
// size the layout cannot have, the key or IV has the wrong length, or the tag shows a wrong
// key or a damaged file.
class TwoFishCipherStream : public CipherStream {
public:
    TwoFishCipherStream(const std::string& path, const std::vector<uint8_t>& key,
                        const std::vector<uint8_t>& iv);
};

} // namespace zarn_sec
