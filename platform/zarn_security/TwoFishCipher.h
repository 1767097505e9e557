#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn_sec {

// Twofish in CBC mode with PKCS#7 padding, authenticated (encrypt-then-MAC) so that a wrong
// key or any damage is refused instead of deciphered into noise. Keys are 16, 24 or 32 bytes
// (the show's keys are 32), the IV is one 16-byte block and is not stored: both come from
// the show's credential (or, for a shared change log, the key comes with its link).
//
// Enciphered bytes, in order:
//   1. the ciphertext: Twofish-CBC under the key and IV of the content padded with PKCS#7
//      (1 to 16 bytes, each holding the padding length), so a whole number of 16-byte
//      blocks, at least one;
//   2. the tag, 32 bytes: HMAC-SHA256 over the IV followed by the ciphertext, keyed with
//      HMAC-SHA256(key = cipher key, message = kMacKeyLabel). The cipher key itself is
//      never used as a MAC key.
// So the size is 16 * n + 32 with n >= 1. The tag is checked, in constant time, before
// anything is deciphered.
//
// Every failure is a std::runtime_error whose text says what was wrong, without echoing key
// material.

constexpr std::size_t kTwoFishBlockSize = 16;
constexpr std::size_t kTwoFishTagSize = 32;
constexpr char kMacKeyLabel[] = "zarn_sec twofish-cbc hmac-sha256 key";

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& plain);

// Throws "Cipher key must be 16, 24 or 32 bytes, got N", "Cipher IV must be 16 bytes, got N",
// "Cipher data is empty", "Cipher data is too short: ...", "Cipher data size ... is not a
// multiple of 16", "Cipher data does not authenticate: wrong key or damaged file".
std::vector<uint8_t> Decipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& stored);

// What is wrong with the size of `size` enciphered bytes, as the end of a sentence whose
// subject is the data ("is empty", "is too short: ..."), or empty when the size fits.
std::string EncipheredSizeProblem(std::size_t size);

// Writes Encipher(key, iv, plain) to path atomically (zarn::AtomicFile).
void EncipherToFile(const std::string& path, const std::vector<uint8_t>& key,
                    const std::vector<uint8_t>& iv, const std::vector<uint8_t>& plain);

// Bytes from the operating system's random source (keys, IVs, the score's prefix).
std::vector<uint8_t> RandomBytes(std::size_t count);

} // namespace zarn_sec
