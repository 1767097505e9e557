#include "TwoFishCipher.h"

#include "zarn_core/AtomicFile.h"

#include <nettle/cbc.h>
#include <nettle/hmac.h>
#include <nettle/memops.h>
#include <nettle/twofish.h>

#include <array>
#include <random>
#include <stdexcept>
#include <string_view>

namespace zarn_sec {
namespace {

static_assert(kTwoFishTagSize == SHA256_DIGEST_SIZE);

using Tag = std::array<uint8_t, kTwoFishTagSize>;

twofish_ctx MakeContext(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv)
{
    if (key.size() != 16 && key.size() != 24 && key.size() != 32) {
        throw std::runtime_error("Cipher key must be 16, 24 or 32 bytes, got "
                                 + std::to_string(key.size()));
    }
    if (iv.size() != kTwoFishBlockSize) {
        throw std::runtime_error("Cipher IV must be 16 bytes, got " + std::to_string(iv.size()));
    }
    twofish_ctx ctx{};
    twofish_set_key(&ctx, key.size(), key.data());
    return ctx;
}

// Tag of IV and ciphertext. The MAC key is derived from the cipher key rather than equal to
// it, so the two primitives never share a key.
Tag ComputeTag(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv, const uint8_t* cipher,
               std::size_t cipherSize)
{
    hmac_sha256_ctx ctx{};
    std::array<uint8_t, SHA256_DIGEST_SIZE> macKey{};
    hmac_sha256_set_key(&ctx, key.size(), key.data());
    hmac_sha256_update(&ctx, sizeof kMacKeyLabel - 1, reinterpret_cast<const uint8_t*>(kMacKeyLabel));
    hmac_sha256_digest(&ctx, macKey.size(), macKey.data());

    Tag tag{};
    hmac_sha256_set_key(&ctx, macKey.size(), macKey.data());
    hmac_sha256_update(&ctx, iv.size(), iv.data());
    hmac_sha256_update(&ctx, cipherSize, cipher);
    hmac_sha256_digest(&ctx, tag.size(), tag.data());
    return tag;
}

} // namespace

std::string EncipheredSizeProblem(std::size_t size)
{
    constexpr std::size_t smallest = kTwoFishBlockSize + kTwoFishTagSize;
    if (size == 0) {
        return "is empty";
    }
    if (size < smallest) {
        return "is too short: " + std::to_string(size) + " bytes, at least " + std::to_string(smallest)
            + " needed (one block and the 32-byte tag)";
    }
    if ((size - kTwoFishTagSize) % kTwoFishBlockSize != 0) {
        return "size " + std::to_string(size) + " less the 32-byte tag is not a multiple of 16";
    }
    return {};
}

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& plain)
{
    twofish_ctx ctx = MakeContext(key, iv);
    const std::size_t padding = kTwoFishBlockSize - plain.size() % kTwoFishBlockSize;
    std::vector<uint8_t> buffer;
    buffer.reserve(plain.size() + padding + kTwoFishTagSize);
    buffer.assign(plain.begin(), plain.end());
    buffer.insert(buffer.end(), padding, static_cast<uint8_t>(padding));
    std::vector<uint8_t> chain(iv);
    cbc_encrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(twofish_encrypt), kTwoFishBlockSize,
                chain.data(), buffer.size(), buffer.data(), buffer.data());
    const Tag tag = ComputeTag(key, iv, buffer.data(), buffer.size());
    buffer.insert(buffer.end(), tag.begin(), tag.end());
    return buffer;
}

std::vector<uint8_t> Decipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& stored)
{
    twofish_ctx ctx = MakeContext(key, iv);
    if (const std::string problem = EncipheredSizeProblem(stored.size()); !problem.empty()) {
        throw std::runtime_error("Cipher data " + problem);
    }
    const std::size_t cipherSize = stored.size() - kTwoFishTagSize;
    // Nothing is deciphered before the tag matches: a padding check on unauthenticated
    // bytes lets a wrong key or a damaged file through now and then.
    const Tag expected = ComputeTag(key, iv, stored.data(), cipherSize);
    if (!memeql_sec(expected.data(), stored.data() + cipherSize, kTwoFishTagSize)) {
        throw std::runtime_error("Cipher data does not authenticate: wrong key or damaged file");
    }
    std::vector<uint8_t> buffer(cipherSize);
    std::vector<uint8_t> chain(iv);
    cbc_decrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(twofish_decrypt), kTwoFishBlockSize,
                chain.data(), cipherSize, buffer.data(), stored.data());
    // Authentic bytes with bad padding were enciphered by something other than Encipher.
    const uint8_t padding = buffer.back();
    bool valid = padding >= 1 && padding <= kTwoFishBlockSize;
    for (std::size_t i = 0; valid && i < padding; ++i) {
        valid = buffer[buffer.size() - 1 - i] == padding;
    }
    if (!valid) {
        throw std::runtime_error("Bad padding in authenticated cipher data: not written by this program");
    }
    buffer.resize(buffer.size() - padding);
    return buffer;
}

void EncipherToFile(const std::string& path, const std::vector<uint8_t>& key,
                    const std::vector<uint8_t>& iv, const std::vector<uint8_t>& plain)
{
    const std::vector<uint8_t> stored = Encipher(key, iv, plain);
    zarn::AtomicFile::Write(path, std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
}

std::vector<uint8_t> RandomBytes(std::size_t count)
{
    std::random_device source;
    std::vector<uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<uint8_t>(source() & 0xFF);
    }
    return bytes;
}

} // namespace zarn_sec
