#include "TwoFishCipher.h"

#include <nettle/cbc.h>
#include <nettle/twofish.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace zarn_sec {
namespace {

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

} // namespace

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& plain)
{
    twofish_ctx ctx = MakeContext(key, iv);
    const std::size_t padding = kTwoFishBlockSize - plain.size() % kTwoFishBlockSize;
    std::vector<uint8_t> buffer(plain);
    buffer.insert(buffer.end(), padding, static_cast<uint8_t>(padding));
    std::vector<uint8_t> chain(iv);
    cbc_encrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(twofish_encrypt), kTwoFishBlockSize,
                chain.data(), buffer.size(), buffer.data(), buffer.data());
    return buffer;
}

std::vector<uint8_t> Decipher(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                              const std::vector<uint8_t>& cipher)
{
    twofish_ctx ctx = MakeContext(key, iv);
    if (cipher.size() % kTwoFishBlockSize != 0) {
        throw std::runtime_error("Cipher data size is not a multiple of 16");
    }
    if (cipher.empty()) {
        throw std::runtime_error("Cipher data is empty");
    }
    std::vector<uint8_t> buffer(cipher.size());
    std::vector<uint8_t> chain(iv);
    cbc_decrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(twofish_decrypt), kTwoFishBlockSize,
                chain.data(), cipher.size(), buffer.data(), cipher.data());
    // PKCS#7: every padding byte carries the padding length. With a wrong key the last
    // block is noise, and this check fails in all but about 1 in 256 cases; callers that
    // then parse the content report what they find.
    const uint8_t padding = buffer.back();
    bool valid = padding >= 1 && padding <= kTwoFishBlockSize;
    for (std::size_t i = 0; valid && i < padding; ++i) {
        valid = buffer[buffer.size() - 1 - i] == padding;
    }
    if (!valid) {
        throw std::runtime_error("Bad padding: wrong key or corrupt file");
    }
    buffer.resize(buffer.size() - padding);
    return buffer;
}

void EncipherToFile(const std::string& path, const std::vector<uint8_t>& key,
                    const std::vector<uint8_t>& iv, const std::vector<uint8_t>& plain)
{
    const std::vector<uint8_t> cipher = Encipher(key, iv, plain);
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw std::runtime_error("Unable to write cipher file " + temporary.string());
        }
        out.write(reinterpret_cast<const char*>(cipher.data()),
                  static_cast<std::streamsize>(cipher.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("Unable to write cipher file " + temporary.string());
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("Unable to write cipher file " + path + ": " + ec.message());
    }
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
