#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn_sec {

// Twofish in CBC mode with PKCS#7 padding. Keys are 16, 24 or 32 bytes (the show's keys
// are 32), the IV is one 16-byte block. Every failure is a std::runtime_error whose text
// says what was wrong, without echoing key material.

constexpr std::size_t kTwoFishBlockSize = 16;

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& plain);

// Throws "Cipher data size is not a multiple of 16", "Cipher data is empty" or
// "Bad padding: wrong key or corrupt file".
std::vector<uint8_t> Decipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& cipher);

// Writes Encipher(key, iv, plain) to path atomically (temporary file, then rename).
void EncipherToFile(const std::string& path, const std::vector<uint8_t>& key,
                    const std::vector<uint8_t>& iv, const std::vector<uint8_t>& plain);

// Bytes from the operating system's random source (keys, IVs, the score's prefix).
std::vector<uint8_t> RandomBytes(std::size_t count);

} // namespace zarn_sec
